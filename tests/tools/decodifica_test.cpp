#include "tools/decodifica.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace compattatore {
namespace {

// Little-endian bytes laid down by hand, independently of the encoders.
struct Byte {
    std::string s;
    Byte& u8(int v) {
        s += static_cast<char>(v & 0xFF);
        return *this;
    }
    Byte& u16(int v) { return u8(v).u8(v >> 8); }
    Byte& i32(int64_t v) {
        return u16(static_cast<int>(v & 0xFFFF)).u16(static_cast<int>((v >> 16) & 0xFFFF));
    }
    Byte& f64(double d) {
        uint64_t u;
        std::memcpy(&u, &d, sizeof u);
        for (int i = 0; i < 8; ++i) u8(static_cast<int>(u >> (8 * i)));
        return *this;
    }
    Byte& testo(const std::string& t) {
        u16(static_cast<int>(t.size()));
        s += t;
        return *this;
    }
    Byte& voce_vuota() {
        for (int i = 0; i < 34; ++i) u8(0);
        return *this;
    }
};

TEST(DecodificaSim, ReadsEveryFieldOfEveryEntryInOrder) {
    Byte b;
    for (int i = 0; i < 86; ++i) {
        if (i == 3) {
            // Every field distinct, the signed ones negative, a text with a byte above 0x7F.
            b.u8(200).i32(-29600).i32(30200).i32(-1).u8(7).testo("VERBANIA\xE8");
            b.u16(-2).u16(3).u16(-4).u16(5).u16(-32768).u8(250).u8(60).u8(1).u8(2).i32(63900);
        } else {
            b.voce_vuota();
        }
    }
    b.u8(9).i32(0).i32(0).i32(4).u8(0).testo("325");  // entry 86, with a text
    b.u16(1).u16(0).u16(17).u16(45).u16(0).u8(0).u8(0).u8(0).u8(0).i32(0);

    const auto voci = decodifica_sim(b.s);
    voce_treno atteso;
    atteso.tipo = 200;
    atteso.inizio = -29600;
    atteso.fine = 30200;
    atteso.posizione = -1;
    atteso.opzione_1 = 7;
    atteso.testo = "VERBANIA\xE8";
    atteso.a1 = -2;
    atteso.a2 = 3;
    atteso.b1 = -4;
    atteso.b2 = 5;
    atteso.b3 = -32768;
    atteso.a3 = 250;
    atteso.sosta = 60;
    atteso.opzione_3 = 1;
    atteso.opzione_2 = 2;
    atteso.orario = 63900;
    EXPECT_EQ(voci[3], atteso);
    EXPECT_EQ(voci[2], voce_treno{});
    EXPECT_EQ(voci[85], voce_treno{});
    EXPECT_EQ(voci[86].tipo, 9);
    EXPECT_EQ(voci[86].posizione, 4);
    EXPECT_EQ(voci[86].testo, "325");
    EXPECT_EQ(voci[86].a1, 1);
    EXPECT_EQ(voci[86].b1, 17);
    EXPECT_EQ(voci[86].b2, 45);
}

TEST(DecodificaSim, RefusesBytesThatAreNotEightySevenEntries) {
    Byte piena;
    for (int i = 0; i < 87; ++i) piena.voce_vuota();
    ASSERT_EQ(piena.s.size(), 2958u);
    ASSERT_NO_THROW(decodifica_sim(piena.s));

    Byte testo_lungo;  // entry 0 announces 40 text bytes but the file ends first
    testo_lungo.u8(0).i32(0).i32(0).i32(0).u8(0).u16(40).s += "abc";

    const struct {
        const char* caso;
        std::string byte;
    } casi[] = {
        {"empty", ""},
        {"one entry short", piena.s.substr(0, 86 * 34)},
        {"last byte missing", piena.s.substr(0, piena.s.size() - 1)},
        {"cut inside a length field", piena.s.substr(0, 15)},
        {"a byte after entry 86", piena.s + '\0'},
        {"text longer than the file", testo_lungo.s},
    };
    for (const auto& c : casi) {
        EXPECT_THROW(decodifica_sim(c.byte), ErroreDecodifica) << c.caso;
    }
}

TEST(DecodificaLinea, SplitsTheTwoColumnsAndKeepsEachTag) {
    // Points 0 to 4: (0, 0) and (0, 1) as integers, point 2 real, points 3 and 4 empty.
    Byte b;
    b.u16(2).u16(0).u16(2).u16(-7).u16(5).f64(-0.25).u16(0).u16(0);
    b.u16(2).u16(0).u16(2).u16(1).u16(5).f64(1.0 / 3.0).u16(0).u16(0);
    const Tracciato t = decodifica_linea_dat(b.s);
    ASSERT_EQ(t.ultimo_punto(), 4);
    EXPECT_EQ(t.tipo(0, 0), Tracciato::intero);
    EXPECT_EQ(t.valore(1, 0), -7.0);
    EXPECT_EQ(t.tipo(1, 1), Tracciato::intero);
    EXPECT_EQ(t.valore(1, 1), 1.0);
    EXPECT_EQ(t.tipo(2, 0), Tracciato::reale);
    EXPECT_EQ(t.valore(2, 0), -0.25);
    EXPECT_EQ(t.valore(2, 1), 1.0 / 3.0);
    for (int p : {3, 4}) {
        EXPECT_EQ(t.tipo(p, 0), Tracciato::vuoto);
        EXPECT_EQ(t.tipo(p, 1), Tracciato::vuoto);
    }
}

TEST(DecodificaLinea, RefusesWhatIsNotTwoEqualColumnsOfTaggedValues) {
    const struct {
        const char* caso;
        std::string byte;
    } casi[] = {
        {"empty", ""},
        {"odd number of values", Byte{}.u16(2).u16(0).u16(0).u16(2).u16(1).s},
        {"unknown tag", Byte{}.u16(2).u16(0).u16(3).u16(1).s},
        {"tag cut in half", Byte{}.u16(0).u8(0).s},
        {"integer cut short", Byte{}.u16(0).u16(2).u8(1).s},
        {"real cut short", Byte{}.u16(0).u16(5).i32(0).s},
    };
    for (const auto& c : casi) {
        EXPECT_THROW(decodifica_linea_dat(c.byte), ErroreDecodifica) << c.caso;
    }
}

TEST(DecodificaCelle, ReadsFifteenByteCells) {
    Byte b;
    for (int i = 0; i < 15; ++i) b.u8(0);
    b.u8(14).u16(80).u16(-1).u16(-32768).u16(32767).u8(101).u8(84).u8(2).u8(24).u8(112).u8(255);
    const auto celle = decodifica_celle(b.s);
    ASSERT_EQ(celle.size(), 2u);
    EXPECT_EQ(celle[0], cella{});
    cella attesa;
    attesa.codice = 14;
    attesa.valore_1 = 80;
    attesa.valore_2 = -1;
    attesa.valore_3 = -32768;
    attesa.valore_4 = 32767;
    attesa.tempo_segnale = 101;
    attesa.avvicinamento = 84;
    attesa.montagna = 2;
    attesa.velocita = 24;
    attesa.pendenza = 112;
    attesa.aderenza = 255;
    EXPECT_EQ(celle[1], attesa);

    for (size_t n : {size_t{0}, size_t{14}, size_t{16}, size_t{29}}) {
        EXPECT_THROW(decodifica_celle(std::string(n, '\0')), ErroreDecodifica) << n << " bytes";
    }
}

}  // namespace
}  // namespace compattatore
