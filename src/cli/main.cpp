#include "cli/esegui.h"
#include "platform/righe_errore.h"
#include "platform/scelta_interfaccia.h"

int main(int argc, char** argv) {
    // Warnings and reports reach standard error a whole line at a time, each in one write.
    const compattatore::StderrARighe righe;
    // On a desktop the no-argument run shows its window, from a module loaded only when a
    // display is named; the core library only knows the interface.
    compattatore::registra_finestra(&compattatore::carica_finestra);
    return compattatore::esegui(argc, argv);
}
