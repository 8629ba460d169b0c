// Where the running program lives.
#pragma once

#include <string>

namespace compattatore {

// The directory that holds the running executable (not the current directory); "" for the
// root, "." when the system does not say.
std::string cartella_eseguibile();

}  // namespace compattatore
