// Ends a run the way the reserved-slot checks do, with the desktop window showing: the waiting
// window, then `errore` and its modal box. Exits 3 once the box is closed, 77 without a
// display.
#include "driver/errori.h"
#include "driver/finestra/interfaccia_finestra.h"
#include "driver/form1.h"

int main() {
    using namespace compattatore;
    const auto finestra = crea_interfaccia_finestra();
    if (!finestra) return 77;
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
