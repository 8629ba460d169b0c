// Code loaded while the program runs: a module file and one function it exports by name.
#pragma once

#include <string>

namespace compattatore {

// The module at `percorso`, loaded with every symbol resolved at once and kept to itself;
// null when it cannot be loaded. A module is never unloaded: what its code made may live
// until the program ends. Nothing is printed on failure.
void* carica_modulo(const std::string& percorso);

// The address of the function `nome` that `modulo` exports; null when it has none.
void* funzione_del_modulo(void* modulo, const char* nome);

}  // namespace compattatore
