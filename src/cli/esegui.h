// The program's entry: picks the run from the command line and maps every ending to an
// exit status.
#pragma once

#include <string>

namespace compattatore {

int esegui(int argc, char** argv);

}  // namespace compattatore
