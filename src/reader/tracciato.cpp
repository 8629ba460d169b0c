#include "reader/tracciato.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "driver/errori.h"

namespace compattatore {

namespace {

// Large pages for the columns of a long line: a few faults in place of thousands while the
// walk runs through them.
constexpr size_t pagina_grande = size_t{1} << 21;
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
    alloca(n);
    for (int c = 0; c < 2; ++c) {
        const size_t pieni = altro.tipi_ ? n : static_cast<size_t>(altro.pieni_[c]);
        // As bytes: a value beyond the filled part may never have been written.
        std::memcpy(valori_[c], altro.valori_[c], pieni * sizeof(double));
    }
    if (altro.tipi_) {
        tipi_.reset(new uint8_t[2 * n]);
        std::copy_n(altro.tipi_.get(), 2 * n, tipi_.get());
    }
    punti_ = altro.punti_;
    for (int c = 0; c < 2; ++c) {
        pieni_[c] = altro.pieni_[c];
        interi_[c] = altro.interi_[c];
    }
    return *this;
}

Tracciato& Tracciato::operator=(Tracciato&& altro) noexcept {
    if (this == &altro) return *this;
    blocco_ = std::move(altro.blocco_);
    tipi_ = std::move(altro.tipi_);
    punti_ = altro.punti_;
    for (int c = 0; c < 2; ++c) {
        valori_[c] = altro.valori_[c];
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
        alloca(static_cast<size_t>(ultimo_punto) + 1);
        punti_ = static_cast<int32_t>(ultimo_punto + 1);
    } catch (const std::bad_alloc&) {
        libera();
        throw ErroreLettura("no memory for the track plan");
    }
}

// Both columns in one block, left uncleared: a value is read only once its point is filled.
void Tracciato::alloca(size_t punti) {
    const size_t byte = 2 * punti * sizeof(double);
    if (byte < soglia_pagine_grandi) {
        blocco_.reset(new double[2 * punti]);
        valori_[0] = blocco_.get();
    } else {
        // Aligned to a large page, so that the kernel can back all of it with large pages;
        // the slack before the columns is never touched.
        blocco_.reset(new double[2 * punti + pagina_grande / sizeof(double)]);
        const auto inizio = reinterpret_cast<uintptr_t>(blocco_.get());
        const uintptr_t allineato = (inizio + pagina_grande - 1) & ~(pagina_grande - 1);
        valori_[0] = blocco_.get() + (allineato - inizio) / sizeof(double);
#ifdef MADV_HUGEPAGE
        const size_t intere = byte & ~(pagina_grande - 1);
        if (intere > 0) ::madvise(reinterpret_cast<void*>(allineato), intere, MADV_HUGEPAGE);
#endif
    }
    valori_[1] = valori_[0] + punti;
}

void Tracciato::libera() {
    blocco_.reset();
    for (int c = 0; c < 2; ++c) {
        valori_[c] = nullptr;
        pieni_[c] = interi_[c] = 0;
    }
    tipi_.reset();
    punti_ = 0;
}

void Tracciato::sparpaglia() {
    const auto n = static_cast<size_t>(punti_);
    tipi_.reset(new uint8_t[2 * n]);
    for (int c = 0; c < 2; ++c) {
        uint8_t* t = tipi_.get() + indice_tipo(0, c);
        const auto interi = static_cast<size_t>(interi_[c]);
        const auto pieni = static_cast<size_t>(pieni_[c]);
        std::memset(t, intero, interi);
        std::memset(t + interi, reale, pieni - interi);
        std::memset(t + pieni, vuoto, n - pieni);
    }
}

void Tracciato::imposta_altrove(int32_t punto, int coordinata, Tipo t, double v) {
    if (!tipi_) {
        // A point already filled keeps the ordered form when its tag does not change.
        if (punto < pieni_[coordinata] && (punto < interi_[coordinata]) == (t == intero)) {
            valori_[coordinata][punto] = v;
            return;
        }
        sparpaglia();
    }
    tipi_[indice_tipo(punto, coordinata)] = t;
    valori_[coordinata][punto] = v;
}

void Tracciato::segna_reali(int32_t da, int32_t a) {
    if (a <= da) return;
    if (!tipi_ && pieni_[0] == da && pieni_[1] == da) {
        pieni_[0] = pieni_[1] = a;
        return;
    }
    if (!tipi_) sparpaglia();
    for (int c = 0; c < 2; ++c) {
        std::memset(tipi_.get() + indice_tipo(da, c), reale, static_cast<size_t>(a - da));
    }
}

int32_t Tracciato::fine_tratto(int32_t punto, int coordinata) const {
    if (!tipi_) {
        if (punto < interi_[coordinata]) return interi_[coordinata];
        if (punto < pieni_[coordinata]) return pieni_[coordinata];
        return punti_;
    }
    const uint8_t* t = tipi_.get() + indice_tipo(0, coordinata);
    const uint8_t questo = t[punto];
    int32_t p = punto + 1;
    while (p < punti_ && t[p] == questo) ++p;
    return p;
}

}  // namespace compattatore
