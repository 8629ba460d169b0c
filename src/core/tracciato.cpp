#include "core/tracciato.h"

#include <algorithm>
#include <bit>
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
    if (altro.colonne_[0] != nullptr) {
        assegna_blocco(n);
        for (int c = 0; c < 2; ++c) {
            // The slots that hold values: every one in the sparse form, else the reals
            // before the walk (the integers and the walk are copied as they are kept).
            const size_t da = altro.sparso_ ? 0 : static_cast<size_t>(altro.interi_[c]);
            const size_t a =
                altro.sparso_
                    ? n
                    : static_cast<size_t>(std::min(altro.pieni_[c], altro.inizio_cammino_));
            if (a > da) {
                std::memcpy(colonne_[c] + da * byte_valore, altro.colonne_[c] + da * byte_valore,
                            (a - da) * byte_valore);
            }
        }
    }
    punti_ = altro.punti_;
    sparso_ = altro.sparso_;
    for (int c = 0; c < 2; ++c) {
        pieni_[c] = altro.pieni_[c];
        interi_[c] = altro.interi_[c];
        testa_[c] = altro.testa_[c];
        seme_[c][0] = altro.seme_[c][0];
        seme_[c][1] = altro.seme_[c][1];
    }
    cammino_ = altro.cammino_;
    inizio_cammino_ = altro.inizio_cammino_;
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
        testa_[c] = std::move(altro.testa_[c]);
        seme_[c][0] = altro.seme_[c][0];
        seme_[c][1] = altro.seme_[c][1];
    }
    cammino_ = std::move(altro.cammino_);
    inizio_cammino_ = altro.inizio_cammino_;
    altro.libera();
    return *this;
}

void Tracciato::dimensiona(int64_t ultimo_punto) {
    libera();
    if (ultimo_punto < 0 || ultimo_punto > 2000000000) {
        throw ErroreLettura("the track plan cannot be dimensioned");
    }
    punti_ = static_cast<int32_t>(ultimo_punto + 1);
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
        testa_[c].clear();
        seme_[c][0] = seme_[c][1] = 0.0;
    }
    cammino_.clear();
    inizio_cammino_ = senza_cammino;
    sparso_ = false;
    punti_ = 0;
}

void Tracciato::prepara_slot() {
    if (colonne_[0] == nullptr && punti_ > 0) assegna_blocco(static_cast<size_t>(punti_));
    if (cammino_.empty()) return;
    Camminata w(*this);
    const auto da = static_cast<size_t>(w.punto());
    w.avanza(slot(w.punto(), 0), slot(w.punto(), 1), static_cast<size_t>(w.fine()) - da);
    cammino_.clear();
    inizio_cammino_ = senza_cammino;
}

void Tracciato::sparpaglia() {
    prepara_slot();
    // The leading integers go into their slots; the filled slots carry their tags already;
    // the others get the empty tag.
    for (int c = 0; c < 2; ++c) {
        for (int32_t p = 0; p < interi_[c]; ++p) {
            metti(slot(p, c), intero, testa_[c][static_cast<size_t>(p)]);
        }
        testa_[c].clear();
        for (int32_t p = pieni_[c]; p < punti_; ++p) {
            uint8_t* s = slot(p, c);
            s[0] = vuoto;
            s[1] = 0;
        }
    }
    sparso_ = true;
}

void Tracciato::imposta_altrove(int32_t punto, int coordinata, Tipo t, double v) {
    prepara_slot();
    if (!sparso_) {
        const auto i = static_cast<size_t>(punto);
        if (punto == pieni_[coordinata] && (t == reale || interi_[coordinata] == punto)) {
            // In order after all, now that the slots are there and hold the walk.
            if (t == intero) {
                testa_[coordinata].push_back(static_cast<int16_t>(v));
                interi_[coordinata] = punto + 1;
            } else {
                metti(slot(punto, coordinata), t, v);
            }
            pieni_[coordinata] = punto + 1;
            return;
        }
        // A point already filled keeps the ordered form when its tag does not change.
        if (punto < interi_[coordinata] && t == intero) {
            testa_[coordinata][i] = static_cast<int16_t>(v);
            return;
        }
        if (punto >= interi_[coordinata] && punto < pieni_[coordinata] && t == reale) {
            metti(slot(punto, coordinata), t, v);
            return;
        }
        sparpaglia();
    }
    metti(slot(punto, coordinata), t, v);
}

void Tracciato::segna_reali(int32_t da, int32_t a) {
    if (a <= da) return;
    prepara_slot();
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

void Tracciato::cammina(int32_t da, int32_t a, double c, bool curva) {
    if (da < 2 || a < da || a >= punti_ || primo_vuoto() != da) {
        throw ErroreLettura("beyond the last point of the track plan");
    }
    if (cammino_.empty()) {
        for (int k = 0; k < 2; ++k) {
            seme_[k][0] = valore(da - 2, k);
            seme_[k][1] = valore(da - 1, k);
        }
        inizio_cammino_ = da;
    }
    // A stretch that goes on as the last one did is the same loop: it joins it.
    Tratto* ultimo = cammino_.empty() ? nullptr : &cammino_.back();
    if (ultimo != nullptr && ultimo->curva == curva &&
        std::bit_cast<uint64_t>(ultimo->c) == std::bit_cast<uint64_t>(c)) {
        ultimo->a = a;
    } else {
        cammino_.push_back(Tratto{da, a, c, curva});
    }
    pieni_[0] = pieni_[1] = a + 1;
}

double Tracciato::valore_camminato(int32_t punto, int coordinata) const {
    Camminata w(*this);
    constexpr size_t passo = 256;
    uint8_t xs[passo * byte_valore];
    uint8_t ys[passo * byte_valore];
    for (;;) {
        const int32_t da = w.punto();
        const auto quanti = std::min<size_t>(passo, static_cast<size_t>(punto - da) + 1);
        w.avanza(xs, ys, quanti);
        if (w.punto() > punto) {
            const uint8_t* s = (coordinata == 0 ? xs : ys) + byte_valore * (quanti - 1);
            return leggi_double(s + 2);
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

Camminata::Camminata(const Tracciato& t)
    : tratti_(t.cammino_),
      punto_(t.cammino_.empty() ? t.punti_ : t.inizio_cammino_),
      fine_(t.cammino_.empty() ? t.punti_ : t.pieni_[0]),
      x0_(t.seme_[0][0]),
      y0_(t.seme_[1][0]),
      x1_(t.seme_[0][1]),
      y1_(t.seme_[1][1]) {}

// Each point from the two before it: straight on, or turned by c radians. Each bracketed
// term is formed on its own before it is added to the previous point, so the plan comes out
// the same on every machine.
size_t Camminata::avanza(uint8_t* xs, uint8_t* ys, size_t quanti) {
    constexpr size_t n = Tracciato::byte_valore;
    size_t fatti = 0;
    double x0 = x0_, y0 = y0_, x1 = x1_, y1 = y1_;
    while (fatti < quanti && tratto_ < tratti_.size()) {
        const Tracciato::Tratto& t = tratti_[tratto_];
        const auto qui = static_cast<int32_t>(
            std::min<int64_t>(int64_t{t.a} - punto_ + 1, static_cast<int64_t>(quanti - fatti)));
        if (t.curva) {
            const double c = t.c;
            for (int32_t i = 0; i < qui; ++i, xs += n, ys += n) {
                const double dx = x1 - x0;
                const double dy = y1 - y0;
                const double tx = dx + c * dy;
                const double ty = dy - c * dx;
                x0 = x1;
                y0 = y1;
                x1 = x1 + tx;
                y1 = y1 + ty;
                Tracciato::metti_reale(xs, x1);
                Tracciato::metti_reale(ys, y1);
            }
        } else {
            for (int32_t i = 0; i < qui; ++i, xs += n, ys += n) {
                const double dx = x1 - x0;
                const double dy = y1 - y0;
                x0 = x1;
                y0 = y1;
                x1 = x1 + dx;
                y1 = y1 + dy;
                Tracciato::metti_reale(xs, x1);
                Tracciato::metti_reale(ys, y1);
            }
        }
        punto_ += qui;
        fatti += static_cast<size_t>(qui);
        if (punto_ > t.a) ++tratto_;
    }
    x0_ = x0;
    y0_ = y0;
    x1_ = x1;
    y1_ = y1;
    return fatti;
}

}  // namespace compattatore
