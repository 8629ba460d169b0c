#include "cli/esegui.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/comandi.h"
#include "cli/incorporato.h"
#include "core/errori.h"
#include "platform/programma.h"
#include "platform/terminale.h"

namespace compattatore {

int esegui(int argc, char** argv) {
    prepara_terminale();
    try {
        if (argc <= 1) return esegui_incorporato(cartella_eseguibile(), true);
        // Any argument selects one of the authors' commands.
        const std::vector<std::string> argomenti(argv + 1, argv + argc);
        const int stato = esegui_comandi(argomenti, std::cout, std::cerr);
        std::cout.flush();
        if (!std::cout) {
            std::fprintf(stderr, "compattatore: standard output could not be written\n");
            return uscita_piattaforma;
        }
        return stato;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "compattatore: out of memory\n");
        return uscita_piattaforma;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "compattatore: %s\n", e.what());
        return uscita_piattaforma;
    }
}

}  // namespace compattatore
