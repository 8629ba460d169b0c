#include "cli/esegui.h"

#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/comandi.h"
#include "cli/incorporato.h"
#include "core/errori.h"
#include "platform/programma.h"
#include "platform/segnali.h"
#include "platform/terminale.h"

namespace compattatore {

int esegui(int argc, char** argv) {
    prepara_terminale();
    prepara_segnali();
    try {
        const auto programma = argomenti_programma(argc, argv);
        if (programma.size() <= 1) return esegui_incorporato(cartella_eseguibile(), true);
        // Any argument selects one of the authors' commands.
        const std::vector<std::string> argomenti(programma.begin() + 1, programma.end());
        const int stato = esegui_comandi(argomenti, std::cout, std::cerr);
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "compattatore: standard output could not be written" << std::endl;
            return uscita_piattaforma;
        }
        return stato;
    } catch (const std::bad_alloc&) {
        std::cerr << "compattatore: out of memory" << std::endl;
        return uscita_piattaforma;
    } catch (const std::exception& e) {
        std::cerr << "compattatore: " << e.what() << std::endl;
        return uscita_piattaforma;
    }
}

}  // namespace compattatore
