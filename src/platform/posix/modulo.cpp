#include "platform/modulo.h"

#include <dlfcn.h>

namespace compattatore {

void* carica_modulo(const std::string& percorso) {
    return ::dlopen(percorso.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* funzione_del_modulo(void* modulo, const char* nome) {
    return ::dlsym(modulo, nome);
}

}  // namespace compattatore
