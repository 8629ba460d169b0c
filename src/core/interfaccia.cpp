#include "core/interfaccia.h"

#include <cstdio>

namespace compattatore {

void InterfacciaTerminale::mostra_attesa() {
    std::fputs("Attendere\n", stdout);
    std::fflush(stdout);
}

void InterfacciaTerminale::chiudi_attesa() {}

void InterfacciaTerminale::mostra_errore(const std::string& testo) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", testo.c_str());
    std::fflush(stderr);
}

}  // namespace compattatore
