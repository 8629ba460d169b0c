#include "driver/esegui.h"
#include "driver/finestra/interfaccia_finestra.h"
#include "driver/scelta_interfaccia.h"

int main(int argc, char** argv) {
    // On a desktop the no-argument run shows its window; the core library only knows the
    // interface.
    compattatore::registra_finestra(&compattatore::crea_interfaccia_finestra);
    return compattatore::esegui(argc, argv);
}
