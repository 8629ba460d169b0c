// The built-in scenario's whole run: its two source files and three documents written into a
// directory, the sources read back and deleted there, and the three binary files written
// beside them. The program runs it with no arguments beside itself, and `run DIR` anywhere.
#pragma once

#include <string>

namespace compattatore {

// Runs the built-in scenario in `cartella` (created when missing) and returns the exit
// status. The desktop window is shown when the executable registered one and a display
// opens; otherwise the terminal. A run `accanto_al_programma` (the no-argument run) that
// cannot write says that `compattatore run DIR` does the same run in a directory of the
// user's choice.
int esegui_incorporato(const std::string& cartella, bool accanto_al_programma);

}  // namespace compattatore
