// The parts of a path: the folder and the file's own name, split at the last separator the
// system knows ('/' here; '\' too where the system takes both).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace compattatore {

// The separator the system puts between a folder and a name: '/', or '\' on Windows.
char separatore_cartelle();

// Where the file's own name begins: just after the last separator, 0 when there is none.
size_t inizio_nome(std::string_view percorso);

// The file's own name: all that follows the last separator (all of `percorso` when there is
// none).
inline std::string nome_file(std::string_view percorso) {
    return std::string(percorso.substr(inizio_nome(percorso)));
}

// The folder that holds the file: what stands before the last separator; "." for a bare name,
// "" for a file in the root (so that joining it with "/" gives back the root).
inline std::string cartella_di(std::string_view percorso) {
    const size_t inizio = inizio_nome(percorso);
    return inizio == 0 ? "." : std::string(percorso.substr(0, inizio - 1));
}

}  // namespace compattatore
