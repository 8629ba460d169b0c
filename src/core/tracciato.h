// The track plan: one point per metre of route, two coordinates per point, each value empty,
// a 16-bit integer or a double. A 1000000 m line has 1007001 points.
//
// Each value sits in a 10-byte slot laid out as a real value stands in the _linea.dat file:
// its 16-bit tag, then the double, little-endian (an integer keeps its value as a double
// there). So a run of reals goes to the file straight from the plan, with no copy.
//
// The walk fills the plan strictly in order, point after point: the first points as
// integers, the rest as reals. So the plan keeps, for each coordinate, only how far it is
// filled and how many of the filled points lead as integers, and slots that are never
// cleared: a point beyond the filled part is empty whatever its memory holds, and its memory
// is touched only when the walk gets there (about 20 MB for the longest line). A plan filled
// any other way (read back from a file, or built by hand) switches once to reading every
// slot's own tag, all of them written then.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "core/little_endian.h"

namespace compattatore {

class Tracciato {
  public:
    // Value tags, as they stand in the _linea.dat file.
    enum Tipo : uint8_t { vuoto = 0, intero = 2, reale = 5 };
    // Bytes of a slot.
    static constexpr size_t byte_valore = 10;

    Tracciato() = default;
    Tracciato(Tracciato&& altro) noexcept { *this = std::move(altro); }
    Tracciato& operator=(Tracciato&& altro) noexcept;
    Tracciato(const Tracciato& altro);
    Tracciato& operator=(const Tracciato& altro);
    ~Tracciato() = default;

    // Points 0 to ultimo_punto, every value empty. Throws ErroreLettura when the table cannot
    // be dimensioned (ultimo_punto below 0 or memory exhausted).
    void dimensiona(int64_t ultimo_punto);
    void libera();
    bool dimensionato() const { return punti_ > 0; }
    // N, the last point index; -1 when not dimensioned.
    int32_t ultimo_punto() const { return punti_ - 1; }
    bool contiene(int64_t punto) const { return punto >= 0 && punto < punti_; }

    // Unchecked accessors: the caller has checked `contiene`.
    Tipo tipo(int32_t punto, int coordinata) const {
        if (sparso_) return static_cast<Tipo>(slot(punto, coordinata)[0]);
        if (punto < interi_[coordinata]) return intero;
        return punto < pieni_[coordinata] ? reale : vuoto;
    }
    // The value as a double (a 16-bit integer converts exactly; an empty value reads 0).
    double valore(int32_t punto, int coordinata) const {
        return tipo(punto, coordinata) == vuoto ? 0.0 : leggi_double(slot(punto, coordinata) + 2);
    }
    void imposta_intero(int32_t punto, int coordinata, int16_t v) {
        if (!sparso_ && punto == pieni_[coordinata] && interi_[coordinata] == punto) {
            metti(slot(punto, coordinata), intero, v);
            interi_[coordinata] = pieni_[coordinata] = punto + 1;
            return;
        }
        imposta_altrove(punto, coordinata, intero, v);
    }
    void imposta_reale(int32_t punto, int coordinata, double v) {
        if (!sparso_ && punto == pieni_[coordinata]) {
            metti(slot(punto, coordinata), reale, v);
            pieni_[coordinata] = punto + 1;
            return;
        }
        imposta_altrove(punto, coordinata, reale, v);
    }

    // For the walk, which fills both coordinates point after point. The first point empty in
    // both coordinates when the plan is filled in order (-1 otherwise), and the slots of a
    // coordinate (point p at byte_valore * p). A real written with metti_reale into a slot
    // counts only once segna_reali(da, a) has taken points da to a - 1 of both coordinates
    // as reals (contiene(da) and a - 1 < punti, the caller has checked).
    int32_t primo_vuoto() const { return !sparso_ && pieni_[0] == pieni_[1] ? pieni_[0] : -1; }
    uint8_t* slot_di(int coordinata) { return colonne_[coordinata]; }
    static void metti_reale(uint8_t* s, double v) { metti(s, reale, v); }
    void segna_reali(int32_t da, int32_t a);

    // For the writer: the end (one past) of the run of values of the same tag that begins
    // at `punto` in a coordinate, and the slots of a coordinate.
    int32_t fine_tratto(int32_t punto, int coordinata) const;
    const uint8_t* slot_di(int coordinata) const { return colonne_[coordinata]; }

  private:
    uint8_t* slot(int32_t punto, int coordinata) const {
        return colonne_[coordinata] + byte_valore * static_cast<size_t>(punto);
    }
    static void metti(uint8_t* s, Tipo t, double v) {
        s[0] = t;
        s[1] = 0;
        metti_le(s + 2, std::bit_cast<uint64_t>(v));
    }
    static double leggi_double(const uint8_t* s) {
        return std::bit_cast<double>(leggi_le<uint64_t>(s));
    }
    void imposta_altrove(int32_t punto, int coordinata, Tipo t, double v);
    // From the ordered form to a tag in every slot.
    void sparpaglia();
    void assegna_blocco(size_t punti);

    int32_t punti_ = 0;
    int32_t pieni_[2] = {0, 0};                 // points [0, pieni_) hold a value
    int32_t interi_[2] = {0, 0};                // of which [0, interi_) are integers
    bool sparso_ = false;                       // every slot's tag is written and holds
    std::unique_ptr<uint8_t[]> blocco_;         // holds both coordinates
    uint8_t* colonne_[2] = {nullptr, nullptr};  // the slots of each coordinate, in blocco_
};

}  // namespace compattatore
