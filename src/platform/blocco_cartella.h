// One run at a time in an output folder: a run holds its folder for as long as it works
// there, and a second run waits for it (or gives up at once). The system lets the folder go
// when the run ends, however it ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace compattatore {

class BloccoCartella {
  public:
    // Takes the folder `cartella`. When another run holds it: with `attendi`, calls
    // `in_attesa` once and waits for it; otherwise throws ErrorePiattaforma. A folder on a
    // file system that has no locks is worked in without one. Throws ErrorePiattaforma when
    // the folder cannot be opened.
    BloccoCartella(const std::string& cartella, bool attendi,
                   const std::function<void()>& in_attesa);
    ~BloccoCartella();
    BloccoCartella(const BloccoCartella&) = delete;
    BloccoCartella& operator=(const BloccoCartella&) = delete;

  private:
    intptr_t maniglia_ = -1;
};

}  // namespace compattatore
