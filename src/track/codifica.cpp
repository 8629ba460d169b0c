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

// One coordinate of the track plan, run by run of values of the same tag. A run of reals
// stands in the plan's slots as it stands in the file, and goes to the file from there.
void scrivi_coordinata(Blocco& b, FileSostitutivo& file, const Tracciato& tracciato, int c) {
    const int32_t punti = tracciato.ultimo_punto() + 1;
    const uint8_t* slot = tracciato.slot_di(c);
    int32_t p = 0;
    while (p < punti) {
        const Tracciato::Tipo tipo = tracciato.tipo(p, c);
        const int32_t fine = tracciato.fine_tratto(p, c);
        if (tipo == Tracciato::reale) {
            b.svuota();
            file.scrivi(slot + Tracciato::byte_valore * static_cast<size_t>(p),
                        Tracciato::byte_valore * static_cast<size_t>(fine - p));
            p = fine;
            continue;
        }
        const size_t passo = tipo == Tracciato::intero ? 4 : 2;
        while (p < fine) {
            if (b.liberi() < passo) b.svuota();
            const auto quanti = static_cast<int32_t>(
                std::min<int64_t>(fine - p, static_cast<int64_t>(b.liberi() / passo)));
            uint8_t* o = b.prendi(static_cast<size_t>(quanti) * passo);
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
    Blocco b(file);
    for (int c = 0; c < 2; ++c) scrivi_coordinata(b, file, tracciato, c);
    b.svuota();
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
