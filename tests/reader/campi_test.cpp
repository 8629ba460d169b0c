#include "reader/campi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "prova_comune.h"

namespace compattatore {
namespace {

// Reads `ingresso` with one operation per letter of `operazioni` (T text, I integer) and
// gives what each read, "!" for a read that failed (reading stops there).
std::vector<std::string> leggi(Campi& campi, const char* operazioni) {
    std::vector<std::string> letti;
    std::string testo;
    for (const char* op = operazioni; *op; ++op) {
        try {
            if (*op == 'T') {
                campi.leggi_testo(testo);
                letti.push_back(testo);
            } else {
                letti.push_back(std::to_string(campi.leggi_intero()));
            }
        } catch (const ErroreLettura&) {
            letti.push_back("!");
            break;
        }
    }
    return letti;
}

struct Caso {
    const char* nome;
    std::string ingresso;
    const char* operazioni;
    std::vector<std::string> attesi;
};

TEST(Campi, TextAndIntegerFields) {
    const std::string lungo(Campi::testo_massimo, 'x');
    const Caso casi[] = {
        {"text trims blanks around it", "  abc \t, d e ,f", "TTT", {"abc", "d e", "f"}},
        {"quoted text keeps commas, drops the rest", "\"a,b\" junk, c", "TT", {"a,b", "c"}},
        {"quote open to the line end", "\"ab, c\r\nd", "TT", {"ab, c", "d"}},
        {"quoted text keeps its blanks", "\" a \"\nz", "TT", {" a ", "z"}},
        {"every kind of line end", "a\r\nb\rc\nd", "TTTT", {"a", "b", "c", "d"}},
        {"integers on every kind of line end", "1\r\n2\r3\n4", "IIII", {"1", "2", "3", "4"}},
        {"integers separated by blanks only", "17   20            30 ", "III", {"17", "20", "30"}},
        {"blank before the comma", "5 ,6", "II", {"5", "6"}},
        {"blanks and commas mixed", "17 ,  20,30", "III", {"17", "20", "30"}},
        {"signs", "-10,+5,-0", "III", {"-10", "5", "0"}},
        {"empty integer fields read 0", "1,  ,  ,\r\n4", "IIIII", {"1", "0", "0", "0", "4"}},
        {"empty integer at the end of the file", "3, ", "II", {"3", "0"}},
        {"empty text field", ",\r\n,x", "TTTT", {"", "", "", "x"}},
        {"letters in a number", "12a,3", "I", {"!"}},
        {"a word for a number", "abc", "I", {"!"}},
        {"a sign alone", "+ ,3", "I", {"!"}},
        {"a decimal point", "1.5", "I", {"!"}},
        {"a number ending in a quote", "7\"", "I", {"!"}},
        {"text read at the end of the file", "x", "TT", {"x", "!"}},
        {"integer read at the end of the file", "5\r\n", "II", {"5", "!"}},
        {"empty input", "", "T", {"!"}},
        {"text of the longest length", lungo + "   ,y", "TT", {lungo, "y"}},
        {"text one byte too long", lungo + "x,y", "T", {"!"}},
        {"long blank run inside a long text", lungo + std::string(70000, ' ') + "x", "T", {"!"}},
        {"quoted text one byte too long", "\"" + lungo + "x\"", "T", {"!"}},
    };
    for (const Caso& c : casi) {
        Campi campi(c.ingresso);
        EXPECT_EQ(leggi(campi, c.operazioni), c.attesi) << c.nome;
    }
}

TEST(Campi, RangeOfTheField) {
    const struct {
        const char* ingresso;
        bool entra_byte, entra_16, entra_32;
    } casi[] = {
        {"255", true, true, true},
        {"256", false, true, true},
        {"-1", false, true, true},
        {"-32768", false, true, true},
        {"32768", false, false, true},
        {"2147483647", false, false, true},
        {"-2147483649", false, false, false},
        {"99999999999999999999999999", false, false, false},
    };
    for (const auto& c : casi) {
        auto entra = [&](auto leggi_campo) {
            Campi campi{std::string_view(c.ingresso)};
            try {
                leggi_campo(campi);
                return true;
            } catch (const ErroreLettura&) {
                return false;
            }
        };
        EXPECT_EQ(entra([](Campi& k) { k.leggi<uint8_t>(); }), c.entra_byte) << c.ingresso;
        EXPECT_EQ(entra([](Campi& k) { k.leggi<int16_t>(); }), c.entra_16) << c.ingresso;
        EXPECT_EQ(entra([](Campi& k) { k.leggi<int32_t>(); }), c.entra_32) << c.ingresso;
    }
}

TEST(Campi, EndOfFileIsThePositionReachingTheSize) {
    Campi campi(std::string_view("a,b\r\n"));
    std::string t;
    campi.leggi_testo(t);
    EXPECT_FALSE(campi.fine());
    campi.leggi_testo(t);
    EXPECT_TRUE(campi.fine());  // the line end went with the field

    Campi senza_fine_riga(std::string_view("[fine]"));
    senza_fine_riga.leggi_testo(t);
    EXPECT_TRUE(senza_fine_riga.fine());
}

TEST(Campi, LineAndColumnOfEachField) {
    Campi campi(std::string_view("ab\r\n  cd, ef\rgh,  7"));
    std::string t;
    const struct { int32_t riga, colonna; } attesi[] = {{1, 1}, {2, 3}, {2, 7}, {3, 1}, {3, 6}};
    for (size_t i = 0; i < std::size(attesi); ++i) {
        if (i + 1 < std::size(attesi)) {
            campi.leggi_testo(t);
        } else {
            EXPECT_EQ(campi.leggi_intero(), 7);
        }
        EXPECT_EQ(campi.riga(), attesi[i].riga) << i;
        EXPECT_EQ(campi.colonna(), attesi[i].colonna) << i;
    }
}

// A file bigger than one chunk reads exactly as the same bytes in memory, whatever falls on
// a chunk boundary (a CR LF pair, a number, a quoted text).
TEST(Campi, FileReadInChunksMatchesTheBuffer) {
    std::string testo;
    for (int i = 0; testo.size() < 300000; ++i) {
        testo += "pendenza, " + std::to_string(i) + ",  -" + std::to_string(i % 97);
        testo += (i % 3 == 0) ? "\r\n" : (i % 3 == 1 ? "\r" : "\n");
        testo += "\"q," + std::to_string(i) + "\" x,  word " + std::to_string(i) + "  \r\n";
    }
    const prova::CartellaTemporanea dir("campi_test");
    const auto percorso = dir.percorso / "campi.txt";
    prova::scrivi(percorso, testo);
    Campi da_file(Campi::DaFile{}, percorso.string());
    Campi da_memoria{std::string_view(testo)};
    std::string a, b;
    size_t letti = 0;
    while (!da_memoria.fine()) {
        ASSERT_FALSE(da_file.fine());
        da_memoria.leggi_testo(a);
        da_file.leggi_testo(b);
        ASSERT_EQ(a, b) << letti;
        ASSERT_EQ(da_memoria.leggi_intero(), da_file.leggi_intero()) << letti;
        ASSERT_EQ(da_memoria.leggi_intero(), da_file.leggi_intero()) << letti;
        da_memoria.leggi_testo(a);
        da_file.leggi_testo(b);
        ASSERT_EQ(a, b) << letti;
        da_memoria.leggi_testo(a);
        da_file.leggi_testo(b);
        ASSERT_EQ(a, b) << letti;
        ASSERT_EQ(da_memoria.riga(), da_file.riga());
        ASSERT_EQ(da_memoria.colonna(), da_file.colonna());
        ++letti;
    }
    EXPECT_TRUE(da_file.fine());
    EXPECT_GT(letti, 5000u);
}

TEST(Campi, MissingFileIsAReadFailure) {
    EXPECT_THROW(Campi(Campi::DaFile{}, "/nonexistent/dir/file.txt"), ErroreLettura);
}

}  // namespace
}  // namespace compattatore
