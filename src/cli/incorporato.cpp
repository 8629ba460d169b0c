#include "cli/incorporato.h"

#include <iostream>
#include <string>

#include "cli/comandi.h"
#include "core/errori.h"
#include "core/form1.h"
#include "platform/blocco_cartella.h"
#include "platform/file.h"
#include "platform/scelta_interfaccia.h"

namespace compattatore {

int esegui_incorporato(const std::string& cartella, bool accanto_al_programma) {
    // The desktop window when the executable registered one and a display opens, else the
    // terminal.
    const auto interfaccia = scegli_interfaccia();
    Form1 form;
    form.interfaccia = interfaccia.get();
    form.cartella_programma = cartella;
    try {
        std::string motivo;
        if (!accanto_al_programma && !crea_cartelle(cartella, motivo)) {
            throw ErrorePiattaforma(cartella + ": " + motivo);
        }
        // One run at a time in the folder, from the first source written to the last file
        // named.
        const BloccoCartella blocco(cartella, true, [&] {
            std::cerr << "compattatore: " << messaggio_attesa(cartella) << std::endl;
        });
        return form.Form_Load();
    } catch (const ErroreFatale&) {
        return uscita_fatale;
    } catch (const ErrorePiattaforma& e) {
        // Reported like the fatal error: on standard error, and in a box on a desktop,
        // where nobody may be reading standard error. An installed program usually may not
        // write beside itself, so the no-argument run names the way out.
        std::string testo = std::string("compattatore: ") + e.what();
        if (accanto_al_programma) {
            testo +=
                "\ncompattatore: the run without arguments writes its files beside the "
                "program, in " +
                (cartella.empty() ? std::string("/") : cartella) +
                "; 'compattatore run DIR' does the same run in a directory of your choice";
        }
        interfaccia->chiudi_attesa();
        interfaccia->mostra_errore(testo);
        return uscita_piattaforma;
    }
}

}  // namespace compattatore
