// Ends a run the way the reserved-slot checks do, with the Windows window showing: the
// waiting window, then `errore` and its modal box. Exits 3 once the box is closed, 1 when no
// window can be made.
#include "core/errori.h"
#include "core/form1.h"
#include "platform/scelta_interfaccia.h"

int main() {
    using namespace compattatore;
    const auto finestra = carica_finestra();
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
