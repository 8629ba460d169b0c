#include "platform/scelta_interfaccia.h"

namespace compattatore {

namespace {

FabbricaInterfaccia fabbrica_finestra = nullptr;

}  // namespace

void registra_finestra(FabbricaInterfaccia fabbrica) {
    fabbrica_finestra = fabbrica;
}

std::unique_ptr<Interfaccia> scegli_interfaccia() {
    if (fabbrica_finestra != nullptr) {
        if (auto finestra = fabbrica_finestra()) return finestra;
    }
    return std::make_unique<InterfacciaTerminale>();
}

}  // namespace compattatore
