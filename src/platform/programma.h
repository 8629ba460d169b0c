// Where the running program lives.
#pragma once

#include <string>
#include <vector>

namespace compattatore {

// The directory that holds the running executable (not the current directory); "" for the
// root, "." when the system does not say.
std::string cartella_eseguibile();

// The program's arguments as `main` got them, the program's own name first, in the program's
// text (UTF-8 on Windows, where they are taken from the UTF-16 command line, so that a name
// with letters outside the console's code page arrives whole).
std::vector<std::string> argomenti_programma(int argc, char** argv);

}  // namespace compattatore
