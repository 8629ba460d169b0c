#include "core/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

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

// UTF-16 code units as bytes, with the byte-order mark in front.
std::string utf16(std::u16string_view unita, bool little) {
    std::string b = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t u : unita) {
        const char alto = static_cast<char>(u >> 8);
        const char basso = static_cast<char>(u & 0xFF);
        b += little ? std::string{basso, alto} : std::string{alto, basso};
    }
    return b;
}

TEST(Utf16, SourceWithAByteOrderMarkIsConvertedOrPlacedWhereItFails) {
    struct Caso {
        const char* nome;
        std::string ingresso;
        Esito esito;
        std::string uscita;  // for convertito
        char32_t carattere;  // for the others
        size_t riga, colonna;
    };
    const Caso casi[] = {
        {"little-endian, Latin-1 letters", utf16(u"citt\u00E0 \u00C8\r\n", true), Esito::convertito,
         "citt\xE0 \xC8\r\n", 0, 0, 0},
        {"big-endian, the 0x80 block", utf16(u"\u20AC \u201C", false), Esito::convertito,
         "\x80 \x93", 0, 0, 0},
        {"plain ASCII is still converted", utf16(u"[generale]\r\n", true), Esito::convertito,
         "[generale]\r\n", 0, 0, 0},
        {"without the mark nothing is done", std::string("a\0b\0", 4), Esito::invariato, "", 0, 0,
         0},
        {"no Windows-1252 form", utf16(u"uno\r\n  \u03A9", true), Esito::senza_forma, "", 0x3A9, 2,
         3},
        {"a surrogate pair is one character", utf16(u"a\nb\U0001F682", false), Esito::senza_forma,
         "", 0x1F682, 2, 2},
        {"unpaired high surrogate",
         utf16(u"ab\xD83D"
               u"c",
               true),
         Esito::non_valido, "", 0xD83D, 1, 3},
        {"lone low surrogate", utf16(u"\r\n\xDE82", false), Esito::non_valido, "", 0xDE82, 2, 1},
        {"odd number of bytes", utf16(u"ab", true) + "c", Esito::non_valido, "", 0, 1, 3},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.nome);
        const auto r = da_utf16(c.ingresso);
        EXPECT_EQ(ha_bom_utf16(c.ingresso), c.esito != Esito::invariato);
        EXPECT_EQ(r.esito, c.esito);
        if (c.esito == Esito::convertito) {
            EXPECT_EQ(r.testo, c.uscita);
        } else if (c.esito != Esito::invariato) {
            EXPECT_EQ(r.carattere, c.carattere);
            EXPECT_EQ(r.riga, c.riga);
            EXPECT_EQ(r.colonna, c.colonna);
        }
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

TEST(Windows1252, BecomesUtf8WithoutLosingAByte) {
    const struct {
        std::string da, a;
    } casi[] = {
        {"Torve 325", "Torve 325"},
        {"citt\xE0", "citt\xC3\xA0"},
        {"\x80", "\xE2\x82\xAC"},                    // euro sign
        {"\x93x\x94", "\xE2\x80\x9Cx\xE2\x80\x9D"},  // curly quotes
        {"\x81\x9D", "\xC2\x81\xC2\x9D"},            // bytes with no character keep their number
        {"\xFF", "\xC3\xBF"},
    };
    for (const auto& c : casi) EXPECT_EQ(a_utf8(c.da), c.a) << c.da;
}

}  // namespace
}  // namespace compattatore
