#include "cli/esegui.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/comandi.h"
#include "core/errori.h"
#include "core/form1.h"
#include "platform/programma.h"
#include "platform/scelta_interfaccia.h"
#include "platform/terminale.h"

namespace compattatore {

namespace {

int esegui_predefinito() {
    // The desktop window when the executable registered one and a display opens, else the
    // terminal.
    const auto interfaccia = scegli_interfaccia();
    Form1 form;
    form.interfaccia = interfaccia.get();
    form.cartella_programma = cartella_eseguibile();
    try {
        return form.Form_Load();
    } catch (const ErroreFatale&) {
        return uscita_fatale;
    } catch (const ErrorePiattaforma& e) {
        // Reported like the fatal error: on standard error, and in a box on a desktop,
        // where nobody may be reading standard error.
        interfaccia->chiudi_attesa();
        interfaccia->mostra_errore(std::string("compattatore: ") + e.what());
        return uscita_piattaforma;
    }
}

}  // namespace

int esegui(int argc, char** argv) {
    prepara_terminale();
    try {
        if (argc <= 1) return esegui_predefinito();
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
