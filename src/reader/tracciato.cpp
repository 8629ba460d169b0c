#include "reader/tracciato.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "driver/errori.h"

namespace compattatore {

namespace {

// Asks the kernel to back a long column with large pages: a few faults in place of
// thousands while the walk runs through it. Only a hint; nothing depends on it.
void pagine_grandi(double* colonna, size_t quanti) {
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t pagina = uintptr_t{1} << 21;
    const auto inizio = reinterpret_cast<uintptr_t>(colonna);
    const uintptr_t fine = inizio + quanti * sizeof(double);
    const uintptr_t da = (inizio + pagina - 1) & ~(pagina - 1);
    const uintptr_t a = fine & ~(pagina - 1);
    if (a > da) ::madvise(reinterpret_cast<void*>(da), a - da, MADV_HUGEPAGE);
#else
    (void)colonna;
    (void)quanti;
#endif
}

}  // namespace

Tracciato::Tracciato(const Tracciato& altro) {
    *this = altro;
}

Tracciato& Tracciato::operator=(const Tracciato& altro) {
    if (this == &altro) return *this;
    libera();
    if (altro.punti_ == 0) return *this;
    const auto n = static_cast<size_t>(altro.punti_);
    for (int c = 0; c < 2; ++c) {
        valori_[c].reset(new double[n]);
        const size_t pieni =
            altro.tipi_ ? n : static_cast<size_t>(std::max(altro.pieni_[c], altro.interi_[c]));
        std::copy_n(altro.valori_[c].get(), pieni, valori_[c].get());
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

void Tracciato::dimensiona(int64_t ultimo_punto) {
    libera();
    if (ultimo_punto < 0 || ultimo_punto > 2000000000) {
        throw ErroreLettura("the track plan cannot be dimensioned");
    }
    try {
        const auto n = static_cast<size_t>(ultimo_punto) + 1;
        for (int c = 0; c < 2; ++c) {
            // Left uncleared: a value is read only once its point is filled.
            valori_[c].reset(new double[n]);
            pagine_grandi(valori_[c].get(), n);
        }
        punti_ = static_cast<int32_t>(n);
    } catch (const std::bad_alloc&) {
        libera();
        throw ErroreLettura("no memory for the track plan");
    }
}

void Tracciato::libera() {
    for (int c = 0; c < 2; ++c) {
        valori_[c].reset();
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
