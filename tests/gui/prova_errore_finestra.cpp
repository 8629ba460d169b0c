// Ends a run the way the reserved-slot checks do, with the desktop window showing: the waiting
// window, then `errore` and its modal box. Takes the window module's path; exits 3 once the
// box is closed, 1 when the module gives no window.
#include "core/errori.h"
#include "core/form1.h"
#include "platform/scelta_interfaccia.h"

int main(int argc, char** argv) {
    using namespace compattatore;
    if (argc != 2) return 2;
    const auto finestra = finestra_dal_modulo(argv[1]);
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
