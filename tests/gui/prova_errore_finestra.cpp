// Ends a run the way the reserved-slot checks do, with the desktop window showing: the waiting
// window, then `errore` and its modal box. On POSIX systems it takes the window module's
// path; on Windows the window is built in. Exits 3 once the box is closed, 1 when no window
// can be made. Standard error is readied as the program readies it.
#include "core/errori.h"
#include "core/form1.h"
#include "platform/scelta_interfaccia.h"
#include "platform/terminale.h"

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
    using namespace compattatore;
    prepara_terminale();
#ifdef _WIN32
    const auto finestra = carica_finestra();
#else
    if (argc != 2) return 2;
    const auto finestra = finestra_dal_modulo(argv[1]);
#endif
    if (!finestra) return 1;
    Form1 form;
    form.interfaccia = finestra.get();
    finestra->mostra_attesa();
    try {
        form.errore("1250");
    } catch (const ErroreFatale& e) {
        return e.numero == 1250 ? uscita_fatale : 1;
    }
    return 1;
}
