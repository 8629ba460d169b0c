// Files and folders by name: whether a file is there, deleting one, creating folders. Each
// failure comes back with the system's own reason.
#pragma once

#include <string>

namespace compattatore {

// What the system says of a name: something stands there, nothing does, or it cannot tell
// (a folder on the way that cannot be searched, for one).
enum class StatoFile { presente, assente, ignoto };
StatoFile stato_file(const std::string& percorso);

// Deletes the file (or empty folder) at `percorso`; nothing there is no failure. False with
// the system's reason in `motivo` when it cannot.
bool cancella_file(const std::string& percorso, std::string& motivo);

// Creates the folder `percorso` and those above it that are missing; false with the system's
// reason in `motivo` when it cannot.
bool crea_cartelle(const std::string& percorso, std::string& motivo);

}  // namespace compattatore
