// How the program ends when it is interrupted, and the files an interruption must not leave
// behind.
#pragma once

#include <string>

namespace compattatore {

// Installs, once for the program, its handling of interruptions: an interrupt, a
// termination request or a hang-up removes every file registered with DaRimuovere and ends
// the program with status 128 + the signal's number; a file size limit makes the write that
// reaches it fail like any other, instead of ending the program.
void prepara_segnali();

// A file that the run has created and that an interruption removes, until released.
class DaRimuovere {
  public:
    DaRimuovere() = default;
    explicit DaRimuovere(const std::string& percorso);
    ~DaRimuovere() { rilascia(); }
    DaRimuovere(DaRimuovere&& altro) noexcept : posto_(altro.posto_) { altro.posto_ = -1; }
    DaRimuovere& operator=(DaRimuovere&& altro) noexcept;
    DaRimuovere(const DaRimuovere&) = delete;
    DaRimuovere& operator=(const DaRimuovere&) = delete;

    // The file is no longer removed by an interruption.
    void rilascia();

  private:
    int posto_ = -1;
};

// While one lives, interruptions wait; they take effect once the last one has ended. For the
// few steps that must not stop half-way.
class SenzaInterruzioni {
  public:
    SenzaInterruzioni();
    ~SenzaInterruzioni();
    SenzaInterruzioni(const SenzaInterruzioni&) = delete;
    SenzaInterruzioni& operator=(const SenzaInterruzioni&) = delete;
};

}  // namespace compattatore
