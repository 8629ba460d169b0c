#include "core/interfaccia.h"

#include <iostream>

namespace compattatore {

void InterfacciaTerminale::mostra_attesa() {
    std::cout << "Attendere\n" << std::flush;
}

void InterfacciaTerminale::chiudi_attesa() {}

void InterfacciaTerminale::mostra_errore(const std::string& testo) {
    std::cout.flush();
    std::cerr << testo << '\n' << std::flush;
}

}  // namespace compattatore
