// The program's entry: picks the run from the command line and maps every ending to an
// exit status.
#pragma once

#include <string>

namespace compattatore {

int esegui(int argc, char** argv);

// The directory that holds the running executable (not the current directory).
std::string cartella_eseguibile();

}  // namespace compattatore
