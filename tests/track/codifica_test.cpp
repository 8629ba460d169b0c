#include "track/codifica.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "core/errori.h"
#include "prova_comune.h"

namespace fs = std::filesystem;
using namespace compattatore;

namespace {

// Runs an encoder into a fresh file and returns the file's bytes.
template <class F>
std::string codifica(F&& scrivi) {
    prova::CartellaTemporanea dir;
    const fs::path p = dir.percorso / "uscita.bin";
    FileSostitutivo file(p.string());
    scrivi(file);
    file.chiudi();
    return prova::leggi(p);
}

uint64_t le(const std::string& b, size_t da, size_t quanti) {
    uint64_t v = 0;
    for (size_t i = 0; i < quanti; ++i)
        v |= uint64_t{static_cast<uint8_t>(b.at(da + i))} << (8 * i);
    return v;
}

uint64_t bit(double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

TEST(ScriviSim, ClearedTableIs87EmptyEntries) {
    const std::array<voce_treno, voci_record_treno> voci{};
    const std::string b = codifica([&](FileSostitutivo& f) { scrivi_sim(f, voci); });
    EXPECT_EQ(b, std::string(2958, '\0'));
}

TEST(ScriviSim, FieldsFollowTheTextAtTheirOffsets) {
    std::array<voce_treno, voci_record_treno> voci{};
    voce_treno& v = voci[1];
    v.tipo = 0xF1;
    v.inizio = -2;
    v.fine = 0x01020304;
    v.posizione = 56000;
    v.opzione_1 = 7;
    v.testo = "Sta\xE8z";  // one byte per character, as is
    v.a1 = -300;
    v.a2 = 2;
    v.b1 = 3;
    v.b2 = 4;
    v.b3 = 0x7FFF;
    v.a3 = 0xA3;
    v.sosta = 0x50;
    v.opzione_3 = 0x33;
    v.opzione_2 = 0x22;
    v.orario = 86399;
    voci[86].testo = "325";

    const std::string b = codifica([&](FileSostitutivo& f) { scrivi_sim(f, voci); });
    ASSERT_EQ(b.size(), 2958u + 5 + 3);
    const size_t o = 34;  // entry 1 follows the cleared entry 0
    const size_t n = 5;
    EXPECT_EQ(le(b, o + 0, 1), 0xF1u);
    EXPECT_EQ(le(b, o + 1, 4), 0xFFFFFFFEu);
    EXPECT_EQ(le(b, o + 5, 4), 0x01020304u);
    EXPECT_EQ(le(b, o + 9, 4), 56000u);
    EXPECT_EQ(le(b, o + 13, 1), 7u);
    EXPECT_EQ(le(b, o + 14, 2), n);
    EXPECT_EQ(b.substr(o + 16, n), v.testo);
    EXPECT_EQ(le(b, o + 16 + n, 2), 0x10000u - 300);
    EXPECT_EQ(le(b, o + 18 + n, 2), 2u);
    EXPECT_EQ(le(b, o + 20 + n, 2), 3u);
    EXPECT_EQ(le(b, o + 22 + n, 2), 4u);
    EXPECT_EQ(le(b, o + 24 + n, 2), 0x7FFFu);
    EXPECT_EQ(le(b, o + 26 + n, 1), 0xA3u);
    EXPECT_EQ(le(b, o + 27 + n, 1), 0x50u);
    EXPECT_EQ(le(b, o + 28 + n, 1), 0x33u);
    EXPECT_EQ(le(b, o + 29 + n, 1), 0x22u);
    EXPECT_EQ(le(b, o + 30 + n, 4), 86399u);
    // The last entry: its length, its text and 18 zero bytes end the file.
    EXPECT_EQ(b.substr(b.size() - 18 - 3 - 2), std::string("\x03\x00"
                                                           "325",
                                                           5) +
                                                   std::string(18, '\0'));
}

TEST(ScriviSim, ATextTooLongForItsLengthWritesNoFile) {
    std::array<voce_treno, voci_record_treno> voci{};
    voci[40].testo.assign(65535, 'a');
    EXPECT_EQ(codifica([&](FileSostitutivo& f) { scrivi_sim(f, voci); }).size(), 2958u + 65535);

    voci[40].testo.push_back('b');
    prova::CartellaTemporanea dir;
    const fs::path p = dir.percorso / "x.sim";
    {
        FileSostitutivo f(p.string());
        EXPECT_THROW(scrivi_sim(f, voci), ErrorePiattaforma);
    }
    EXPECT_TRUE(fs::is_empty(dir.percorso));
}

// The written line's shape: points 0 and 1 integers, 2 to N - 2 doubles, N - 1 and N empty.
Tracciato linea(int32_t n) {
    Tracciato t;
    t.dimensiona(n);
    for (int c = 0; c < 2; ++c) {
        t.imposta_intero(0, c, 0);
        t.imposta_intero(1, c, static_cast<int16_t>(c));
        for (int32_t p = 2; p <= n - 2; ++p) t.imposta_reale(p, c, c == 0 ? -0.25 * p : p + 0.5);
    }
    return t;
}

TEST(ScriviLineaDat, WrittenLineIsTwoColumnsOfTaggedValues) {
    const int32_t n = 63000;
    const Tracciato t = linea(n);
    const std::string b = codifica([&](FileSostitutivo& f) { scrivi_linea_dat(f, t); });
    const size_t colonna = 10 * static_cast<size_t>(n) - 18;
    ASSERT_EQ(b.size(), 1259964u);
    for (size_t c = 0; c < 2; ++c) {
        const size_t o = c * colonna;
        EXPECT_EQ(le(b, o, 2), 2u) << c;  // point 0: integer 0
        EXPECT_EQ(le(b, o + 2, 2), 0u) << c;
        EXPECT_EQ(le(b, o + 4, 2), 2u) << c;  // point 1: integer c
        EXPECT_EQ(le(b, o + 6, 2), c) << c;
        EXPECT_EQ(le(b, o + 8, 2), 5u) << c;  // point 2: a double
        EXPECT_EQ(le(b, o + 10, 8), bit(t.valore(2, static_cast<int>(c)))) << c;
        // point N - 2, then the two bare empty tags
        EXPECT_EQ(le(b, o + colonna - 14, 2), 5u) << c;
        EXPECT_EQ(le(b, o + colonna - 12, 8), bit(t.valore(n - 2, static_cast<int>(c)))) << c;
        EXPECT_EQ(le(b, o + colonna - 4, 4), 0u) << c;
    }
    EXPECT_EQ(le(b, 10, 8), bit(-0.5));
}

TEST(ScriviLineaDat, NegativeIntegersAndEmptyValuesInsideAColumn) {
    Tracciato t;
    t.dimensiona(3);
    t.imposta_intero(0, 0, -2);
    t.imposta_reale(2, 0, 1e300);
    t.imposta_intero(3, 1, 32767);
    const std::string b = codifica([&](FileSostitutivo& f) { scrivi_linea_dat(f, t); });
    ASSERT_EQ(b.size(), 18u + 10);
    EXPECT_EQ(b.substr(0, 6), std::string("\x02\x00\xFE\xFF\x00\x00", 6));
    EXPECT_EQ(le(b, 6, 2), 5u);
    EXPECT_EQ(le(b, 8, 8), bit(1e300));
    EXPECT_EQ(b.substr(16), std::string("\x00\x00"
                                        "\x00\x00\x00\x00\x00\x00"
                                        "\x02\x00\xFF\x7F",
                                        12));
}

// A walk as long as the longest line's, written from its stretches through the small
// buffers, comes out as the same values written from the slots.
TEST(ScriviLineaDat, LongWalkAsItsValues) {
    const Tracciato t = prova::cammino_lungo();
    Tracciato valori = t;
    valori.slot_di(0);  // the walk's values into the slots
    ASSERT_EQ(valori.inizio_cammino(), t.ultimo_punto() + 1);
    const std::string attesi = codifica([&](FileSostitutivo& f) { scrivi_linea_dat(f, valori); });
    ASSERT_EQ(attesi.size(), 2 * (10 * static_cast<size_t>(t.ultimo_punto()) - 18));
    EXPECT_TRUE(codifica([&](FileSostitutivo& f) { scrivi_linea_dat(f, t); }) == attesi);
}

TEST(ScriviCelle, FifteenBytesACellInFieldOrder) {
    std::vector<cella> celle(1261);
    celle[69] = cella{.codice = 1,
                      .valore_1 = 42,
                      .valore_2 = -2,
                      .valore_3 = 0x1234,
                      .valore_4 = 8,
                      .tempo_segnale = 101,
                      .avvicinamento = 81,
                      .montagna = 3,
                      .velocita = 24,
                      .pendenza = 112,
                      .aderenza = 255};
    const std::string b = codifica([&](FileSostitutivo& f) { scrivi_celle(f, celle); });
    ASSERT_EQ(b.size(), 18915u);
    const std::string attesa("\x01\x2A\x00\xFE\xFF\x34\x12\x08\x00\x65\x51\x03\x18\x70\xFF", 15);
    EXPECT_EQ(b.substr(69 * 15, 15), attesa);
    EXPECT_EQ(b.substr(0, 69 * 15), std::string(69 * 15, '\0'));
    EXPECT_EQ(b.substr(70 * 15), std::string((1261 - 70) * 15, '\0'));
}

}  // namespace
