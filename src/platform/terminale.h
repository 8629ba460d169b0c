// Standard output and standard error, where the authors' commands and the terminal run write.
#pragma once

namespace compattatore {

// Readies both for the program's bytes before anything is written: they must reach the
// terminal, a pipe or a file exactly as written (no line ends added), and messages a console
// in a form it shows. Called once, first thing.
void prepara_terminale();

}  // namespace compattatore
