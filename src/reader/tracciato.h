// The track plan: one point per metre of route, two coordinates per point, each value empty,
// a 16-bit integer or a double. A 1000000 m line has 1007001 points.
//
// The walk fills the plan strictly in order, point after point: the first points as
// integers, the rest as reals. So the plan keeps, for each coordinate, only how far it is
// filled and how many of the filled points lead as integers, and two columns of doubles
// that are never cleared: a point beyond the filled part is empty whatever its memory holds,
// and its memory is touched only when the walk gets there (about 16 MB for the longest line).
// A plan filled any other way (read back from a file, or built by hand) switches once to a
// tag per value, which costs one more byte per value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace compattatore {

class Tracciato {
  public:
    // Value tags, as they stand in the _linea.dat file.
    enum Tipo : uint8_t { vuoto = 0, intero = 2, reale = 5 };

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
        if (tipi_) return static_cast<Tipo>(tipi_[indice_tipo(punto, coordinata)]);
        if (punto < interi_[coordinata]) return intero;
        return punto < pieni_[coordinata] ? reale : vuoto;
    }
    // The value as a double (a 16-bit integer converts exactly; an empty value reads 0).
    double valore(int32_t punto, int coordinata) const {
        return tipo(punto, coordinata) == vuoto ? 0.0 : valori_[coordinata][punto];
    }
    void imposta_intero(int32_t punto, int coordinata, int16_t v) {
        if (!tipi_ && punto == pieni_[coordinata] && interi_[coordinata] == punto) {
            valori_[coordinata][punto] = v;
            interi_[coordinata] = pieni_[coordinata] = punto + 1;
            return;
        }
        imposta_altrove(punto, coordinata, intero, v);
    }
    void imposta_reale(int32_t punto, int coordinata, double v) {
        if (!tipi_ && punto == pieni_[coordinata]) {
            valori_[coordinata][punto] = v;
            pieni_[coordinata] = punto + 1;
            return;
        }
        imposta_altrove(punto, coordinata, reale, v);
    }

    // For the walk, which fills both coordinates point after point. The first point empty in
    // both coordinates when the plan is filled in order (-1 otherwise), and the columns of
    // values. Writing through `colonna` is unchecked and makes nothing filled by itself:
    // segna_reali(da, a) then tags points da to a - 1 of both coordinates as reals
    // (contiene(da) and a - 1 < punti, the caller has checked).
    int32_t primo_vuoto() const { return !tipi_ && pieni_[0] == pieni_[1] ? pieni_[0] : -1; }
    double* colonna(int coordinata) { return valori_[coordinata]; }
    void segna_reali(int32_t da, int32_t a);

    // For the writer: the end (one past) of the run of values of the same tag that begins
    // at `punto` in a coordinate.
    int32_t fine_tratto(int32_t punto, int coordinata) const;
    const double* colonna(int coordinata) const { return valori_[coordinata]; }

  private:
    size_t indice_tipo(int32_t punto, int coordinata) const {
        return static_cast<size_t>(coordinata) * static_cast<size_t>(punti_) +
               static_cast<size_t>(punto);
    }
    void imposta_altrove(int32_t punto, int coordinata, Tipo t, double v);
    // From the ordered form to a tag per value.
    void sparpaglia();
    void alloca(size_t punti);

    int32_t punti_ = 0;
    int32_t pieni_[2] = {0, 0};               // points [0, pieni_) hold a value
    int32_t interi_[2] = {0, 0};              // of which [0, interi_) are integers
    std::unique_ptr<double[]> blocco_;        // holds both columns
    double* valori_[2] = {nullptr, nullptr};  // the two columns, inside blocco_
    std::unique_ptr<uint8_t[]> tipi_;         // both coordinates, once the plan is not in order
};

}  // namespace compattatore
