// Where a command puts what it makes: a file, replaced whole like every output (the earlier
// file stays until the new one is complete), or standard output when the path is "-".
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_sostitutivo.h"

namespace compattatore {

class Destinazione {
  public:
    // "-" is standard output; a file literally named "-" is written as "./-".
    static bool e_standard(std::string_view percorso) { return percorso == "-"; }

    // Opens `percorso`, or takes `standard` for "-". Throws ErrorePiattaforma.
    Destinazione(const std::string& percorso, std::ostream& standard);

    void scrivi(std::string_view testo);
    // Completes the file, or flushes standard output. Throws ErrorePiattaforma when a write
    // failed.
    void chiudi();

    // For messages: the file's path, or "standard output".
    std::string nome() const;

  private:
    std::ostream* standard_ = nullptr;
    std::optional<FileSostitutivo> file_;
};

}  // namespace compattatore
