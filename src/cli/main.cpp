#include "cli/esegui.h"
#include "platform/scelta_interfaccia.h"

int main(int argc, char** argv) {
    // On a desktop the no-argument run shows its window, from a module loaded only when a
    // display is named; the core library only knows the interface.
    compattatore::registra_finestra(&compattatore::carica_finestra);
    return compattatore::esegui(argc, argv);
}
