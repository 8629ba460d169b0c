// The track plan: one point per metre of route, two coordinates per point, each value empty,
// a 16-bit integer or a double. Held as two columns of doubles plus a one-byte tag per value,
// so a 1000000 m line (1007001 points) takes about 18 MB.
#pragma once

#include <cstdint>
#include <vector>

namespace compattatore {

class Tracciato {
  public:
    // Value tags, as they stand in the _linea.dat file.
    enum Tipo : uint8_t { vuoto = 0, intero = 2, reale = 5 };

    // Points 0 to ultimo_punto, every value empty. Throws ErroreLettura when the table cannot
    // be dimensioned (ultimo_punto below 0 or memory exhausted).
    void dimensiona(int64_t ultimo_punto);
    void libera();
    bool dimensionato() const { return !tipi_[0].empty(); }
    // N, the last point index; -1 when not dimensioned.
    int32_t ultimo_punto() const { return static_cast<int32_t>(tipi_[0].size()) - 1; }
    bool contiene(int64_t punto) const { return punto >= 0 && punto <= ultimo_punto(); }

    // Unchecked accessors: the caller has checked `contiene`.
    Tipo tipo(int32_t punto, int coordinata) const {
        return static_cast<Tipo>(tipi_[coordinata][punto]);
    }
    // The value as a double (a 16-bit integer converts exactly; an empty value reads 0).
    double valore(int32_t punto, int coordinata) const { return valori_[coordinata][punto]; }
    void imposta_intero(int32_t punto, int coordinata, int16_t v) {
        tipi_[coordinata][punto] = intero;
        valori_[coordinata][punto] = v;
    }
    void imposta_reale(int32_t punto, int coordinata, double v) {
        tipi_[coordinata][punto] = reale;
        valori_[coordinata][punto] = v;
    }

  private:
    std::vector<uint8_t> tipi_[2];
    std::vector<double> valori_[2];
};

}  // namespace compattatore
