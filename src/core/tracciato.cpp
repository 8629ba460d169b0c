#include "core/tracciato.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/errori.h"
#include "core/memoria.h"

namespace compattatore {

namespace {

// Columns this large are given large pages.
constexpr size_t soglia_pagine_grandi = 2 * pagina_grande;

}  // namespace

Tracciato::Tracciato(const Tracciato& altro) {
    *this = altro;
}

Tracciato& Tracciato::operator=(const Tracciato& altro) {
    if (this == &altro) return *this;
    libera();
    if (altro.punti_ == 0) return *this;
    const auto n = static_cast<size_t>(altro.punti_);
    assegna_blocco(n);
    for (int c = 0; c < 2; ++c) {
        const size_t pieni = altro.sparso_ ? n : static_cast<size_t>(altro.pieni_[c]);
        std::memcpy(colonne_[c], altro.colonne_[c], pieni * byte_valore);
    }
    punti_ = altro.punti_;
    sparso_ = altro.sparso_;
    for (int c = 0; c < 2; ++c) {
        pieni_[c] = altro.pieni_[c];
        interi_[c] = altro.interi_[c];
    }
    return *this;
}

Tracciato& Tracciato::operator=(Tracciato&& altro) noexcept {
    if (this == &altro) return *this;
    blocco_ = std::move(altro.blocco_);
    punti_ = altro.punti_;
    sparso_ = altro.sparso_;
    for (int c = 0; c < 2; ++c) {
        colonne_[c] = altro.colonne_[c];
        pieni_[c] = altro.pieni_[c];
        interi_[c] = altro.interi_[c];
    }
    altro.libera();
    return *this;
}

void Tracciato::dimensiona(int64_t ultimo_punto) {
    libera();
    if (ultimo_punto < 0 || ultimo_punto > 2000000000) {
        throw ErroreLettura("the track plan cannot be dimensioned");
    }
    try {
        assegna_blocco(static_cast<size_t>(ultimo_punto) + 1);
        punti_ = static_cast<int32_t>(ultimo_punto + 1);
    } catch (const std::bad_alloc&) {
        libera();
        throw ErroreLettura("no memory for the track plan");
    }
}

// Both coordinates in one block, left uncleared: a slot is read only once it is filled.
void Tracciato::assegna_blocco(size_t punti) {
    const size_t byte = 2 * punti * byte_valore;
    if (byte < soglia_pagine_grandi) {
        blocco_.reset(new uint8_t[byte]);
        colonne_[0] = blocco_.get();
    } else {
        auto grande = blocco_grande(byte);
        blocco_ = std::move(grande.memoria);
        colonne_[0] = grande.inizio;
    }
    colonne_[1] = colonne_[0] + punti * byte_valore;
}

void Tracciato::libera() {
    blocco_.reset();
    for (int c = 0; c < 2; ++c) {
        colonne_[c] = nullptr;
        pieni_[c] = interi_[c] = 0;
    }
    sparso_ = false;
    punti_ = 0;
}

void Tracciato::sparpaglia() {
    // The filled slots carry their tags already; the others get the empty tag.
    for (int c = 0; c < 2; ++c) {
        for (int32_t p = pieni_[c]; p < punti_; ++p) {
            uint8_t* s = slot(p, c);
            s[0] = vuoto;
            s[1] = 0;
        }
    }
    sparso_ = true;
}

void Tracciato::imposta_altrove(int32_t punto, int coordinata, Tipo t, double v) {
    if (!sparso_) {
        // A point already filled keeps the ordered form when its tag does not change.
        if (punto < pieni_[coordinata] && (punto < interi_[coordinata]) == (t == intero)) {
            metti(slot(punto, coordinata), t, v);
            return;
        }
        sparpaglia();
    }
    metti(slot(punto, coordinata), t, v);
}

void Tracciato::segna_reali(int32_t da, int32_t a) {
    if (a <= da) return;
    if (!sparso_ && pieni_[0] == da && pieni_[1] == da) {
        pieni_[0] = pieni_[1] = a;
        return;
    }
    // Out of order: the change of form writes tags only, so the reals the walk left in
    // these slots are kept; their tags are written again over the empty ones.
    if (!sparso_) sparpaglia();
    for (int c = 0; c < 2; ++c) {
        for (int32_t p = da; p < a; ++p) {
            uint8_t* s = slot(p, c);
            s[0] = reale;
            s[1] = 0;
        }
    }
}

int32_t Tracciato::fine_tratto(int32_t punto, int coordinata) const {
    if (!sparso_) {
        if (punto < interi_[coordinata]) return interi_[coordinata];
        if (punto < pieni_[coordinata]) return pieni_[coordinata];
        return punti_;
    }
    const uint8_t questo = slot(punto, coordinata)[0];
    int32_t p = punto + 1;
    while (p < punti_ && slot(p, coordinata)[0] == questo) ++p;
    return p;
}

}  // namespace compattatore
