#include "track/codifica.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "driver/errori.h"

namespace compattatore {

namespace {

// A little-endian byte buffer that hands its bytes to the file in large pieces.
class Blocco {
  public:
    explicit Blocco(FileSostitutivo& file) : file_(file) {}
    ~Blocco() = default;
    Blocco(const Blocco&) = delete;
    Blocco& operator=(const Blocco&) = delete;

    // Room for at least `quanti` more bytes.
    void spazio(size_t quanti) {
        if (usati_ + quanti > sizeof(dati_)) svuota();
    }
    void u8(uint8_t v) { dati_[usati_++] = v; }
    void u16(uint16_t v) {
        dati_[usati_++] = static_cast<uint8_t>(v);
        dati_[usati_++] = static_cast<uint8_t>(v >> 8);
    }
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void i32(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) dati_[usati_++] = static_cast<uint8_t>(u >> (8 * i));
    }
    void f64(double v) {
        static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559);
        uint64_t u = 0;
        std::memcpy(&u, &v, sizeof u);
        for (int i = 0; i < 8; ++i) dati_[usati_++] = static_cast<uint8_t>(u >> (8 * i));
    }
    void svuota() {
        if (usati_ > 0) file_.scrivi(dati_, usati_);
        usati_ = 0;
    }

  private:
    FileSostitutivo& file_;
    uint8_t dati_[1 << 16];
    size_t usati_ = 0;
};

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
    const int32_t ultimo = tracciato.ultimo_punto();
    for (int c = 0; c < 2; ++c) {
        for (int32_t p = 0; p <= ultimo; ++p) {
            b.spazio(10);
            switch (tracciato.tipo(p, c)) {
                case Tracciato::intero:
                    b.u16(Tracciato::intero);
                    b.i16(static_cast<int16_t>(tracciato.valore(p, c)));
                    break;
                case Tracciato::reale:
                    b.u16(Tracciato::reale);
                    b.f64(tracciato.valore(p, c));
                    break;
                default:
                    b.u16(Tracciato::vuoto);
                    break;
            }
        }
    }
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
