#include "platform/scelta_interfaccia.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/modulo.h"
#include "platform/programma.h"

// Where `cmake --install` and the Debian package put the module; the build sets both.
#ifndef COMPATTATORE_MODULI_INSTALLATI
#define COMPATTATORE_MODULI_INSTALLATI ""
#endif
#ifndef COMPATTATORE_MODULI_PACCHETTO
#define COMPATTATORE_MODULI_PACCHETTO ""
#endif

namespace compattatore {

namespace {

FabbricaInterfaccia fabbrica_finestra = nullptr;

std::unique_ptr<Interfaccia> finestra_da(void* modulo) {
    void* simbolo = funzione_del_modulo(modulo, entrata_modulo_finestra);
    if (simbolo == nullptr) return nullptr;
    EntrataModuloFinestra entrata = nullptr;
    static_assert(sizeof entrata == sizeof simbolo);
    std::memcpy(&entrata, &simbolo, sizeof entrata);
    return std::unique_ptr<Interfaccia>(entrata());
}

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

std::unique_ptr<Interfaccia> finestra_dal_modulo(const std::string& percorso) {
    void* modulo = carica_modulo(percorso);
    return modulo != nullptr ? finestra_da(modulo) : nullptr;
}

std::vector<std::string> cartelle_modulo_finestra() {
    std::vector<std::string> cartelle{cartella_eseguibile()};
    for (const char* cartella : {COMPATTATORE_MODULI_INSTALLATI, COMPATTATORE_MODULI_PACCHETTO}) {
        if (*cartella == '\0') continue;
        if (std::find(cartelle.begin(), cartelle.end(), cartella) == cartelle.end()) {
            cartelle.emplace_back(cartella);
        }
    }
    return cartelle;
}

std::unique_ptr<Interfaccia> carica_finestra() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return nullptr;
    for (const auto& cartella : cartelle_modulo_finestra()) {
        void* modulo = carica_modulo(cartella + "/" + nome_modulo_finestra);
        if (modulo == nullptr) continue;
        // The first module that loads answers for the display: another one would only try
        // the same display again.
        return finestra_da(modulo);
    }
    return nullptr;
}

}  // namespace compattatore
