#include "reader/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace compattatore {
namespace {

using Esito = ConversioneUtf8::Esito;

TEST(Utf8, ConvertsOnlyValidUtf8WithNonAsciiCharacters) {
    struct Caso {
        const char* nome;
        std::string ingresso;
        Esito esito;
        std::string uscita;  // for convertito
    };
    const Caso casi[] = {
        {"plain ASCII", "pendenza, 100, -10\r\n", Esito::invariato, ""},
        {"Windows-1252 e grave", "citata \xE8 stata\r\n", Esito::invariato, ""},
        {"truncated sequence at the end", "abc\xC3", Esito::invariato, ""},
        {"overlong slash", "a\xC0\xAF", Esito::invariato, ""},
        {"encoded surrogate", "a\xED\xA0\x80", Esito::invariato, ""},
        {"above U+10FFFF", "a\xF4\x90\x80\x80", Esito::invariato, ""},
        {"stray continuation byte", "a\x80z", Esito::invariato, ""},
        {"Latin-1 range", "citt\xC3\xA0 \xC3\x88", Esito::convertito, "citt\xE0 \xC8"},
        {"the 0x80 to 0x9F block", "\xE2\x82\xAC \xE2\x80\x9C\xC5\xA0\xE2\x80\x9D \xC5\xB8",
         Esito::convertito, "\x80 \x93\x8A\x94 \x9F"},
        {"byte-order mark dropped", "\xEF\xBB\xBF[generale]\r\n", Esito::convertito,
         "[generale]\r\n"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.nome);
        const auto r = da_utf8(c.ingresso);
        EXPECT_EQ(r.esito, c.esito);
        if (c.esito == Esito::convertito) {
            EXPECT_EQ(r.testo, c.uscita);
        }
    }
}

TEST(Utf8, CharacterWithoutWindows1252FormIsPlacedByLineAndColumn) {
    struct Caso {
        const char* nome;
        std::string ingresso;
        char32_t carattere;
        size_t riga, colonna;
    };
    const Caso casi[] = {
        {"Greek omega after CR LF lines", "uno\r\ndue\r\n  \xC3\xA8\xCE\xA9", 0x3A9, 3, 4},
        {"lone LF and lone CR end lines", "a\nb\rcc\xF0\x9F\x9A\x82", 0x1F682, 3, 3},
        {"C1 control has no form", "\xC2\x81", 0x81, 1, 1},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.nome);
        const auto r = da_utf8(c.ingresso);
        EXPECT_EQ(r.esito, Esito::senza_forma);
        EXPECT_EQ(r.carattere, c.carattere);
        EXPECT_EQ(r.riga, c.riga);
        EXPECT_EQ(r.colonna, c.colonna);
    }
}

TEST(Utf8, EveryWindows1252ByteRoundTrips) {
    std::string tutti;
    for (int b = 1; b < 256; ++b) tutti.push_back(static_cast<char>(b));
    const std::string utf8 = a_utf8(tutti);
    const auto r = da_utf8(utf8);
    // The five undefined bytes come out as C1 controls, which have no form on the way back.
    ASSERT_EQ(r.esito, Esito::senza_forma);
    EXPECT_EQ(r.carattere, 0x81u);

    std::string definiti;
    for (char c : tutti) {
        const auto b = static_cast<unsigned char>(c);
        if (b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D) definiti.push_back(c);
    }
    const auto andata_ritorno = da_utf8(a_utf8(definiti));
    ASSERT_EQ(andata_ritorno.esito, Esito::convertito);
    EXPECT_EQ(andata_ritorno.testo, definiti);
}

}  // namespace
}  // namespace compattatore
