// File names as the program hands them to the system. The program holds the scenario name
// and the train number in Windows-1252; a file's own name goes to the system in UTF-8, the
// form the report shows and a terminal or a file manager displays (on Windows the system's
// layer turns it into UTF-16 like every other name).
#pragma once

#include <string>
#include <string_view>

namespace compattatore {

// The name of a file given in Windows-1252, as the program hands it to the system.
std::string nome_per_il_sistema(std::string_view nome);

}  // namespace compattatore
