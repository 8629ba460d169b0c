// The desktop window on POSIX systems: a module, loaded only when a display is named.
#include <cstdlib>
#include <cstring>

#include "platform/modulo.h"
#include "platform/programma.h"
#include "platform/scelta_interfaccia.h"

// Where an installed program's module lies, relative to the program's directory (for example
// "../lib/compattatore"); the build sets it.
#ifndef COMPATTATORE_MODULI_RELATIVI
#define COMPATTATORE_MODULI_RELATIVI ""
#endif

namespace compattatore {

namespace {

std::unique_ptr<Interfaccia> finestra_da(void* modulo) {
    void* simbolo = funzione_del_modulo(modulo, entrata_modulo_finestra);
    if (simbolo == nullptr) return nullptr;
    EntrataModuloFinestra entrata = nullptr;
    static_assert(sizeof entrata == sizeof simbolo);
    std::memcpy(&entrata, &simbolo, sizeof entrata);
    return std::unique_ptr<Interfaccia>(entrata());
}

}  // namespace

std::unique_ptr<Interfaccia> finestra_dal_modulo(const std::string& percorso) {
    void* modulo = carica_modulo(percorso);
    return modulo != nullptr ? finestra_da(modulo) : nullptr;
}

std::vector<std::string> cartelle_modulo_finestra() {
    const std::string programma = cartella_eseguibile();
    std::vector<std::string> cartelle{programma};
    if (*COMPATTATORE_MODULI_RELATIVI != '\0') {
        cartelle.push_back(programma + "/" + COMPATTATORE_MODULI_RELATIVI);
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
