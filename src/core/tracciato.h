// The track plan: one point per metre of route, two coordinates per point, each value empty,
// a 16-bit integer or a double. A 1000000 m line has 1007001 points.
//
// Each value sits in a 10-byte slot laid out as a real value stands in the _linea.dat file:
// its 16-bit tag, then the double, little-endian (an integer keeps its value as a double
// there). So a run of reals goes to the file straight from the plan, with no copy.
//
// The walk fills the plan strictly in order, point after point: the first points as
// integers, the rest as reals. So the plan keeps, for each coordinate, only how far it is
// filled and how many of the filled points lead as integers (their values beside the slots),
// and slots that are never cleared: a point beyond the filled part is empty whatever its
// memory holds. A plan filled any other way (read back from a file, or built by hand)
// switches once to reading every slot's own tag, all of them written then.
//
// The walk itself leaves no values anywhere: the plan keeps its stretches (where each starts
// and ends, straight on or turned by how much) and the two points it starts from, and works
// the values out again, in the same order of operations, whenever they are written or read.
// The slots are allocated only when a real value is put in one, so the plan of the longest
// line takes a few kilobytes; the writer sends the walk to the file through small buffers.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/little_endian.h"

namespace compattatore {

class Tracciato {
  public:
    // Value tags, as they stand in the _linea.dat file.
    enum Tipo : uint8_t { vuoto = 0, intero = 2, reale = 5 };
    // Bytes of a slot.
    static constexpr size_t byte_valore = 10;

    // A stretch of the walk: points da to a, each from the two before it, straight on or
    // turned by c radians.
    struct Tratto {
        int32_t da;
        int32_t a;
        double c;
        bool curva;
    };

    Tracciato() = default;
    Tracciato(Tracciato&& altro) noexcept { *this = std::move(altro); }
    Tracciato& operator=(Tracciato&& altro) noexcept;
    Tracciato(const Tracciato& altro);
    Tracciato& operator=(const Tracciato& altro);
    ~Tracciato() = default;

    // Points 0 to ultimo_punto, every value empty. Throws ErroreLettura when the table cannot
    // be dimensioned (ultimo_punto below 0 or too large). The slots are allocated when a
    // real value first goes into one, which throws std::bad_alloc when memory is exhausted.
    void dimensiona(int64_t ultimo_punto);
    void libera();
    bool dimensionato() const { return punti_ > 0; }
    // N, the last point index; -1 when not dimensioned.
    int32_t ultimo_punto() const { return punti_ - 1; }
    bool contiene(int64_t punto) const { return punto >= 0 && punto < punti_; }

    // Unchecked accessors: the caller has checked `contiene`. A point of the walk is worked
    // out from the walk's start, in time that grows with its distance from there.
    Tipo tipo(int32_t punto, int coordinata) const {
        if (sparso_) return static_cast<Tipo>(slot(punto, coordinata)[0]);
        if (punto < interi_[coordinata]) return intero;
        return punto < pieni_[coordinata] ? reale : vuoto;
    }
    // The value as a double (a 16-bit integer converts exactly; an empty value reads 0).
    double valore(int32_t punto, int coordinata) const {
        if (!sparso_ && punto < interi_[coordinata]) {
            return testa_[coordinata][static_cast<size_t>(punto)];
        }
        if (tipo(punto, coordinata) == vuoto) return 0.0;
        if (punto >= inizio_cammino_) return valore_camminato(punto, coordinata);
        return leggi_double(slot(punto, coordinata) + 2);
    }
    void imposta_intero(int32_t punto, int coordinata, int16_t v) {
        if (!sparso_ && cammino_.empty() && punto == pieni_[coordinata] &&
            interi_[coordinata] == punto) {
            testa_[coordinata].push_back(v);
            interi_[coordinata] = pieni_[coordinata] = punto + 1;
            return;
        }
        imposta_altrove(punto, coordinata, intero, v);
    }
    void imposta_reale(int32_t punto, int coordinata, double v) {
        if (!sparso_ && cammino_.empty() && punto == pieni_[coordinata] && colonne_[0]) {
            metti(slot(punto, coordinata), reale, v);
            pieni_[coordinata] = punto + 1;
            return;
        }
        imposta_altrove(punto, coordinata, reale, v);
    }

    // The first point empty in both coordinates when the plan is filled in order (-1
    // otherwise).
    int32_t primo_vuoto() const { return !sparso_ && pieni_[0] == pieni_[1] ? pieni_[0] : -1; }

    // The walk: points da to a of both coordinates become reals, each from the two points
    // before it, straight on (curva false) or turned by c radians. Only the stretch is kept.
    // Throws ErroreLettura unless da is primo_vuoto(), at least 2, and da <= a <= N.
    void cammina(int32_t da, int32_t a, double c, bool curva);
    // Where the walk starts (N + 1 when there is none): the points from there to
    // primo_vuoto() - 1 are its values, produced in order by a Camminata.
    int32_t inizio_cammino() const { return cammino_.empty() ? punti_ : inizio_cammino_; }

    // Direct access to the slots, for fills in bulk: the slots of a coordinate (point p at
    // byte_valore * p), allocated and the walk's values written into them first (throws
    // std::bad_alloc when memory is exhausted). A real written with
    // metti_reale into a slot counts only once segna_reali(da, a) has taken points da to
    // a - 1 of both coordinates as reals (contiene(da) and a - 1 < punti, the caller has
    // checked).
    uint8_t* slot_di(int coordinata) {
        prepara_slot();
        return colonne_[coordinata];
    }
    static void metti_reale(uint8_t* s, double v) { metti(s, reale, v); }
    void segna_reali(int32_t da, int32_t a);

    // For the writer: the end (one past) of the run of values of the same tag that begins
    // at `punto` in a coordinate, and the slots of a coordinate (null while no real has
    // gone into one; the reals before the walk stand there).
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
    friend class Camminata;

    void imposta_altrove(int32_t punto, int coordinata, Tipo t, double v);
    double valore_camminato(int32_t punto, int coordinata) const;
    // The slots allocated, and the walk's values written into them: no walk kept any more.
    void prepara_slot();
    // From the ordered form to a tag in every slot.
    void sparpaglia();
    void assegna_blocco(size_t punti);

    int32_t punti_ = 0;
    int32_t pieni_[2] = {0, 0};                 // points [0, pieni_) hold a value
    int32_t interi_[2] = {0, 0};                // of which [0, interi_) are integers
    bool sparso_ = false;                       // every slot's tag is written and holds
    std::unique_ptr<uint8_t[]> blocco_;         // holds both coordinates
    uint8_t* colonne_[2] = {nullptr, nullptr};  // the slots of each coordinate, in blocco_
    // The values of the leading integers of each coordinate, while the form is ordered.
    std::vector<int16_t> testa_[2];

    // The walk: its stretches in order, from point inizio_cammino_ to pieni_ - 1 of both
    // coordinates, and the values of the two points before its start (seme_[c][0] the
    // first of them).
    static constexpr int32_t senza_cammino = INT32_MAX;
    std::vector<Tratto> cammino_;
    int32_t inizio_cammino_ = senza_cammino;
    double seme_[2][2] = {{0.0, 0.0}, {0.0, 0.0}};
};

// Produces the values of a plan's walk in order, both coordinates together, as slots laid
// out as in the _linea.dat file. The plan must outlive it and stay unchanged meanwhile.
class Camminata {
  public:
    explicit Camminata(const Tracciato& tracciato);
    // The next point it produces, and one past the walk's last point.
    int32_t punto() const { return punto_; }
    int32_t fine() const { return fine_; }
    // The next `quanti` points at most (fewer only at the walk's end), coordinate 0 into
    // xs and coordinate 1 into ys, byte_valore bytes a point; returns how many.
    size_t avanza(uint8_t* xs, uint8_t* ys, size_t quanti);

  private:
    const std::vector<Tracciato::Tratto>& tratti_;
    size_t tratto_ = 0;
    int32_t punto_;
    int32_t fine_;
    double x0_, y0_, x1_, y1_;
};

}  // namespace compattatore
