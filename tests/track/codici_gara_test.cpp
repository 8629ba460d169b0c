#include <gtest/gtest.h>

#include <string>

#include "core/form1.h"

using compattatore::Form1;

namespace {

struct Codici {
    int16_t og;
    int32_t st;
};

Codici codici(const std::string& treno, const std::string& scenario) {
    Form1 f;
    f.record_treno[86].testo = treno;
    f.record_treno[85].testo = scenario;
    return {f.codice_gara_og(), f.codice_gara_st()};
}

}  // namespace

TEST(CodiciGara, KnownValues) {
    struct Caso {
        const char* treno;
        const char* scenario;
        int16_t og;
        int32_t st;
    };
    const Caso casi[] = {
        {"325", "VALCRESTINA_TORVE", 2525, 34692},
        // Only the first 25 letters of the filler.
        {"", "", 2710, 34970},
        // A byte above 0x7F counts as 0..255 (here 0xC8 lower-cased to 0xE8 = 232).
        {"", "\xC8", 2840, 35260},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(std::string(c.treno) + "|" + c.scenario);
        const Codici k = codici(c.treno, c.scenario);
        EXPECT_EQ(k.og, c.og);
        EXPECT_EQ(k.st, c.st);
    }
}

TEST(CodiciGara, ComposedTextGoesIntoCampoLetto) {
    Form1 f;
    f.record_treno[86].testo = "325";
    f.record_treno[85].testo = "Val\xC8";
    f.codice_gara_og();
    EXPECT_EQ(f.campo_letto, "325val\xE8mmnnbbvvccxxzzllkkjjhhggff");
}

TEST(CodiciGara, LetterCaseDoesNotCountOverWindows1252) {
    struct Coppia {
        const char* maiuscole;
        const char* minuscole;
    };
    const Coppia uguali[] = {
        {"VALCRESTINA_TORVE", "valcrestina_torve"},
        {"\xC0\xC9\xDE", "\xE0\xE9\xFE"},
        {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"},
    };
    for (const Coppia& c : uguali) {
        SCOPED_TRACE(c.minuscole);
        const Codici a = codici("A1", c.maiuscole);
        const Codici b = codici("a1", c.minuscole);
        EXPECT_EQ(a.og, b.og);
        EXPECT_EQ(a.st, b.st);
    }
    // The multiplication sign 0xD7 is no capital: it stays apart from the division sign 0xF7.
    EXPECT_NE(codici("", "\xD7").og, codici("", "\xF7").og);
    // Lower-case letters and other bytes are left as they are.
    EXPECT_NE(codici("", "\xDF").og, codici("", "\xFF").og);
}

TEST(CodiciGara, WeightedCodeSeesPositionsPlainCodeDoesNot) {
    // Exchanging positions i and j (1-based, train number first) moves the weighted code by
    // (j - i) * (c(i) - c(j)) and leaves the plain one.
    const Codici a = codici("325", "VALCRESTINA_TORVE");
    const Codici b = codici("523", "VALCRESTINA_TORVE");  // '3' and '5' at positions 1 and 3
    EXPECT_EQ(a.og, b.og);
    EXPECT_EQ(b.st - a.st, (3 - 1) * ('3' - '5'));
    const Codici c = codici("325", "VALCRESTINA_TOREV");  // 'V' and 'E' at positions 19 and 20
    EXPECT_EQ(a.og, c.og);
    EXPECT_EQ(c.st - a.st, (20 - 19) * ('v' - 'e'));
}

TEST(CodiciGara, OnlyTheFirst25CharactersCount) {
    const std::string venticinque = "ABCDEFGHIJKLMNOPQRSTUVW";  // 2 + 23 = 25 characters
    const Codici base = codici("12", venticinque);
    for (const char* coda : {"X", "XYZ", "\xFF\xFF\xFF", "0123456789012345678901234567890"}) {
        SCOPED_TRACE(coda);
        const Codici k = codici("12", venticinque + coda);
        EXPECT_EQ(k.og, base.og);
        EXPECT_EQ(k.st, base.st);
    }
    // The 25th character itself does count.
    EXPECT_NE(codici("12", "ABCDEFGHIJKLMNOPQRSTUVX").st, base.st);
    // The largest possible codes fit their fields.
    const Codici massimi = codici(std::string(25, '\xFF'), "");
    EXPECT_EQ(massimi.og, 25 * 255);
    EXPECT_EQ(massimi.st, 325 * 255);
}
