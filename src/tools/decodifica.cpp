#include "tools/decodifica.h"

#include <bit>
#include <cstdint>

#include "core/little_endian.h"

namespace compattatore {

namespace {

// A cursor over the bytes of one file: every read first checks that the bytes are there.
class Cursore {
  public:
    explicit Cursore(std::string_view byte) : byte_(byte) {}

    size_t posizione() const { return pos_; }
    size_t restanti() const { return byte_.size() - pos_; }
    bool finito() const { return pos_ == byte_.size(); }

    uint8_t u8(const char* cosa) { return prendi<uint8_t>(cosa); }
    uint16_t u16(const char* cosa) { return prendi<uint16_t>(cosa); }
    int16_t i16(const char* cosa) { return static_cast<int16_t>(u16(cosa)); }
    int32_t i32(const char* cosa) { return static_cast<int32_t>(prendi<uint32_t>(cosa)); }
    double f64(const char* cosa) { return std::bit_cast<double>(prendi<uint64_t>(cosa)); }
    std::string testo(size_t n, const char* cosa) {
        richiedi(n, cosa);
        std::string t(byte_.substr(pos_, n));
        pos_ += n;
        return t;
    }
    void salta(size_t n, const char* cosa) {
        richiedi(n, cosa);
        pos_ += n;
    }

  private:
    template <class U>
    U prendi(const char* cosa) {
        richiedi(sizeof(U), cosa);
        const U v = leggi_le<U>(reinterpret_cast<const uint8_t*>(byte_.data()) + pos_);
        pos_ += sizeof(U);
        return v;
    }
    void richiedi(size_t n, const char* cosa) const {
        if (restanti() < n) {
            throw ErroreDecodifica("the file ends inside " + std::string(cosa) + " at byte " +
                                   std::to_string(pos_) + " (" + std::to_string(n) +
                                   " bytes needed, " + std::to_string(restanti()) + " left)");
        }
    }

    std::string_view byte_;
    size_t pos_ = 0;
};

// Walks one tagged value of the track plan, checking its tag and its data; returns the tag.
Tracciato::Tipo salta_valore(Cursore& l) {
    const size_t dove = l.posizione();
    const uint16_t tag = l.u16("a value's tag");
    switch (tag) {
        case Tracciato::vuoto:
            return Tracciato::vuoto;
        case Tracciato::intero:
            l.salta(2, "an integer value");
            return Tracciato::intero;
        case Tracciato::reale:
            l.salta(8, "a real value");
            return Tracciato::reale;
        default:
            throw ErroreDecodifica("unknown value tag " + std::to_string(tag) + " at byte " +
                                   std::to_string(dove));
    }
}

}  // namespace

std::array<voce_treno, voci_record_treno> decodifica_sim(std::string_view byte) {
    std::array<voce_treno, voci_record_treno> voci{};
    Cursore l(byte);
    for (int i = 0; i < voci_record_treno; ++i) {
        const std::string entry = "entry " + std::to_string(i);
        const char* cosa = entry.c_str();
        voce_treno& v = voci[static_cast<size_t>(i)];
        v.tipo = l.u8(cosa);
        v.inizio = l.i32(cosa);
        v.fine = l.i32(cosa);
        v.posizione = l.i32(cosa);
        v.opzione_1 = l.u8(cosa);
        const uint16_t n = l.u16(cosa);
        v.testo = l.testo(n, cosa);
        v.a1 = l.i16(cosa);
        v.a2 = l.i16(cosa);
        v.b1 = l.i16(cosa);
        v.b2 = l.i16(cosa);
        v.b3 = l.i16(cosa);
        v.a3 = l.u8(cosa);
        v.sosta = l.u8(cosa);
        v.opzione_3 = l.u8(cosa);
        v.opzione_2 = l.u8(cosa);
        v.orario = l.i32(cosa);
    }
    if (!l.finito()) {
        throw ErroreDecodifica(std::to_string(l.restanti()) + " bytes after entry " +
                               std::to_string(voci_record_treno - 1) + ", at byte " +
                               std::to_string(l.posizione()));
    }
    return voci;
}

Tracciato decodifica_linea_dat(std::string_view byte) {
    // First walk: check every value and count them.
    Cursore conta(byte);
    size_t valori = 0;
    while (!conta.finito()) {
        salta_valore(conta);
        ++valori;
    }
    if (valori == 0) throw ErroreDecodifica("the track plan holds no value");
    if (valori % 2 != 0) {
        throw ErroreDecodifica("the track plan holds an odd number of values (" +
                               std::to_string(valori) + "), not two equal columns");
    }
    const size_t punti = valori / 2;
    if (punti - 1 > static_cast<size_t>(INT32_MAX - 1)) {
        throw ErroreDecodifica("the track plan has too many points");
    }

    Tracciato t;
    t.dimensiona(static_cast<int64_t>(punti) - 1);
    Cursore l(byte);
    for (int coordinata = 0; coordinata < 2; ++coordinata) {
        for (size_t p = 0; p < punti; ++p) {
            const auto punto = static_cast<int32_t>(p);
            switch (l.u16("a value's tag")) {
                case Tracciato::intero:
                    t.imposta_intero(punto, coordinata, l.i16("an integer value"));
                    break;
                case Tracciato::reale:
                    t.imposta_reale(punto, coordinata, l.f64("a real value"));
                    break;
                default:  // empty: the first walk has refused every other tag
                    break;
            }
        }
    }
    return t;
}

std::vector<cella> decodifica_celle(std::string_view byte) {
    if (byte.empty()) throw ErroreDecodifica("the cell file is empty");
    if (byte.size() % byte_per_cella != 0) {
        throw ErroreDecodifica("the size, " + std::to_string(byte.size()) +
                               " bytes, is not a whole number of " +
                               std::to_string(byte_per_cella) + "-byte cells");
    }
    std::vector<cella> celle(byte.size() / byte_per_cella);
    Cursore l(byte);
    for (cella& c : celle) {
        c.codice = l.u8("a cell");
        c.valore_1 = l.i16("a cell");
        c.valore_2 = l.i16("a cell");
        c.valore_3 = l.i16("a cell");
        c.valore_4 = l.i16("a cell");
        c.tempo_segnale = l.u8("a cell");
        c.avvicinamento = l.u8("a cell");
        c.montagna = l.u8("a cell");
        c.velocita = l.u8("a cell");
        c.pendenza = l.u8("a cell");
        c.aderenza = l.u8("a cell");
    }
    return celle;
}

}  // namespace compattatore
