#include "driver/esegui.h"

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "driver/comandi.h"
#include "driver/errori.h"
#include "driver/form1.h"
#include "driver/scelta_interfaccia.h"

namespace compattatore {

std::string cartella_eseguibile() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return ".";
        if (static_cast<size_t>(n) < buffer.size()) {
            std::string percorso(buffer.data(), static_cast<size_t>(n));
            const auto barra = percorso.rfind('/');
            if (barra == std::string::npos) return ".";
            if (barra == 0) return "";  // the root: "" + "/" + name
            return percorso.substr(0, barra);
        }
        buffer.resize(buffer.size() * 2);
    }
}

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
