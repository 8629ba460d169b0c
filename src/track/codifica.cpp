#include "track/codifica.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "core/errori.h"
#include "core/little_endian.h"

namespace compattatore {

namespace {

// A little-endian byte buffer that hands its bytes to the file in large pieces.
class Blocco {
  public:
    explicit Blocco(FileSostitutivo& file) : file_(file), dati_(new uint8_t[capacita]) {}
    ~Blocco() = default;
    Blocco(const Blocco&) = delete;
    Blocco& operator=(const Blocco&) = delete;

    // Room for at least `quanti` more bytes (at most capacita).
    void spazio(size_t quanti) {
        if (usati_ + quanti > capacita) svuota();
    }
    size_t liberi() const { return capacita - usati_; }
    // The next `quanti` bytes (within liberi()), to be filled by the caller.
    uint8_t* prendi(size_t quanti) {
        uint8_t* o = dati_.get() + usati_;
        usati_ += quanti;
        return o;
    }
    void u8(uint8_t v) { dati_[usati_++] = v; }
    void u16(uint16_t v) { metti_le(prendi(2), v); }
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void i32(int32_t v) { metti_le(prendi(4), static_cast<uint32_t>(v)); }
    void svuota() {
        if (usati_ > 0) file_.scrivi(dati_.get(), usati_);
        usati_ = 0;
    }

    // Big enough that the file takes it in few writes, small enough to stay in the cache.
    static constexpr size_t capacita = size_t{1} << 18;

  private:
    FileSostitutivo& file_;
    std::unique_ptr<uint8_t[]> dati_;
    size_t usati_ = 0;
};

// Bytes of the track plan from a place of the file on, handed to the file in large pieces
// by position: the two coordinates of a walk are written side by side, each at its own
// place.
class Colonna {
  public:
    Colonna(FileSostitutivo& file, uint64_t posizione)
        : file_(file), posizione_(posizione), dati_(new uint8_t[capacita]) {}
    ~Colonna() = default;
    Colonna(const Colonna&) = delete;
    Colonna& operator=(const Colonna&) = delete;

    size_t liberi() const { return capacita - usati_; }
    // The free bytes, to be filled by the caller and then taken with usa().
    uint8_t* libero() { return dati_.get() + usati_; }
    void usa(size_t quanti) { usati_ += quanti; }
    void svuota() {
        if (usati_ > 0) file_.scrivi_in(posizione_, dati_.get(), usati_);
        posizione_ += usati_;
        usati_ = 0;
    }
    // A large piece as it is, without a copy through the buffer.
    void diretto(const uint8_t* dati, size_t quanti) {
        svuota();
        file_.scrivi_in(posizione_, dati, quanti);
        posizione_ += quanti;
    }

    // Small enough that both coordinates' buffers stay in the cache while the walk fills
    // them, big enough that the file takes them in few writes.
    static constexpr size_t capacita = size_t{1} << 17;

  private:
    FileSostitutivo& file_;
    uint64_t posizione_;
    std::unique_ptr<uint8_t[]> dati_;
    size_t usati_ = 0;
};

// Bytes in the file of a value of each tag.
size_t byte_di(Tracciato::Tipo tipo) {
    switch (tipo) {
        case Tracciato::intero:
            return 4;
        case Tracciato::reale:
            return Tracciato::byte_valore;
        default:
            return 2;
    }
}

// Points da to a - 1 of one coordinate, run by run of values of the same tag, none of them
// on the walk. A run of reals stands in the plan's slots as it stands in the file, and goes
// to the file from there.
void scrivi_punti(Colonna& u, const Tracciato& tracciato, int c, int32_t da, int32_t a) {
    const uint8_t* slot = tracciato.slot_di(c);
    int32_t p = da;
    while (p < a) {
        const Tracciato::Tipo tipo = tracciato.tipo(p, c);
        const int32_t fine = std::min(tracciato.fine_tratto(p, c), a);
        if (tipo == Tracciato::reale) {
            u.diretto(slot + Tracciato::byte_valore * static_cast<size_t>(p),
                      Tracciato::byte_valore * static_cast<size_t>(fine - p));
            p = fine;
            continue;
        }
        const size_t passo = byte_di(tipo);
        while (p < fine) {
            if (u.liberi() < passo) u.svuota();
            const auto quanti = static_cast<int32_t>(
                std::min<int64_t>(fine - p, static_cast<int64_t>(u.liberi() / passo)));
            uint8_t* o = u.libero();
            u.usa(static_cast<size_t>(quanti) * passo);
            if (tipo == Tracciato::intero) {
                for (int32_t i = 0; i < quanti; ++i, o += 4) {
                    metti_le(o, uint16_t{Tracciato::intero});
                    const auto v = static_cast<int16_t>(tracciato.valore(p + i, c));
                    metti_le(o + 2, static_cast<uint16_t>(v));
                }
            } else {
                std::memset(o, 0, static_cast<size_t>(quanti) * passo);
            }
            p += quanti;
        }
    }
}

// The bytes one coordinate takes in the file.
uint64_t byte_coordinata(const Tracciato& tracciato, int c) {
    const int32_t punti = tracciato.ultimo_punto() + 1;
    uint64_t byte = 0;
    for (int32_t p = 0; p < punti;) {
        const int32_t fine = tracciato.fine_tratto(p, c);
        byte += byte_di(tracciato.tipo(p, c)) * static_cast<uint64_t>(fine - p);
        p = fine;
    }
    return byte;
}

// The walk's points, produced straight into the two coordinates' buffers.
void scrivi_cammino(Colonna& x, Colonna& y, const Tracciato& tracciato) {
    Camminata w(tracciato);
    while (w.punto() < w.fine()) {
        if (x.liberi() < Tracciato::byte_valore) x.svuota();
        if (y.liberi() < Tracciato::byte_valore) y.svuota();
        const size_t quanti = std::min(x.liberi(), y.liberi()) / Tracciato::byte_valore;
        const size_t fatti = w.avanza(x.libero(), y.libero(), quanti);
        x.usa(fatti * Tracciato::byte_valore);
        y.usa(fatti * Tracciato::byte_valore);
    }
}

constexpr size_t byte_fissi_voce = 34;

}  // namespace

void scrivi_sim(FileSostitutivo& file, const std::array<voce_treno, voci_record_treno>& voci) {
    // A text's length is a 16-bit field. The reader refuses longer texts, so one here means
    // the table was filled some other way: the file is not written rather than cut short.
    for (const voce_treno& v : voci) {
        if (v.testo.size() > std::numeric_limits<uint16_t>::max()) {
            throw ErrorePiattaforma("cannot write " + file.percorso() + ": a text of " +
                                    std::to_string(v.testo.size()) +
                                    " bytes does not fit its 16-bit length");
        }
    }
    Blocco b(file);
    for (const voce_treno& v : voci) {
        b.spazio(16);
        b.u8(v.tipo);
        b.i32(v.inizio);
        b.i32(v.fine);
        b.i32(v.posizione);
        b.u8(v.opzione_1);
        b.u16(static_cast<uint16_t>(v.testo.size()));
        b.svuota();
        file.scrivi(v.testo);
        b.spazio(byte_fissi_voce - 16);
        b.i16(v.a1);
        b.i16(v.a2);
        b.i16(v.b1);
        b.i16(v.b2);
        b.i16(v.b3);
        b.u8(v.a3);
        b.u8(v.sosta);
        b.u8(v.opzione_3);
        b.u8(v.opzione_2);
        b.i32(v.orario);
    }
    b.svuota();
}

void scrivi_linea_dat(FileSostitutivo& file, const Tracciato& tracciato) {
    const int32_t punti = tracciato.ultimo_punto() + 1;
    // Coordinate 1 follows coordinate 0 in the file; the points of a walk are produced
    // for both together, so each coordinate goes to its own place.
    Colonna x(file, 0);
    Colonna y(file, byte_coordinata(tracciato, 0));
    const int32_t inizio = tracciato.inizio_cammino();
    const int32_t dopo = inizio < punti ? tracciato.primo_vuoto() : punti;
    scrivi_punti(x, tracciato, 0, 0, inizio);
    scrivi_punti(y, tracciato, 1, 0, inizio);
    if (inizio < punti) scrivi_cammino(x, y, tracciato);
    scrivi_punti(x, tracciato, 0, dopo, punti);
    scrivi_punti(y, tracciato, 1, dopo, punti);
    x.svuota();
    y.svuota();
}

void scrivi_celle(FileSostitutivo& file, const std::vector<cella>& celle) {
    Blocco b(file);
    for (const cella& x : celle) {
        b.spazio(byte_per_cella);
        b.u8(x.codice);
        b.i16(x.valore_1);
        b.i16(x.valore_2);
        b.i16(x.valore_3);
        b.i16(x.valore_4);
        b.u8(x.tempo_segnale);
        b.u8(x.avvicinamento);
        b.u8(x.montagna);
        b.u8(x.velocita);
        b.u8(x.pendenza);
        b.u8(x.aderenza);
    }
    b.svuota();
}

}  // namespace compattatore
