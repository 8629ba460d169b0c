#include "core/utf8.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

namespace compattatore {

namespace {

// Characters of bytes 0x80 to 0x9F; 0 where Windows-1252 defines none.
constexpr std::array<char32_t, 32> alti{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 0x98
};

std::optional<uint8_t> in_windows1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<uint8_t>(c);
    for (size_t i = 0; i < alti.size(); ++i) {
        if (alti[i] != 0 && alti[i] == c) return static_cast<uint8_t>(0x80 + i);
    }
    return std::nullopt;
}

// Decodes the character at `i` and advances `i`; nullopt for anything that is not strict
// UTF-8 (a stray continuation byte, a truncated sequence, an overlong form, a surrogate,
// a value above U+10FFFF).
std::optional<char32_t> decodifica(std::string_view t, size_t& i) {
    const auto b0 = static_cast<uint8_t>(t[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    size_t seguenti;
    char32_t c;
    char32_t minimo;
    if ((b0 & 0xE0) == 0xC0) {
        seguenti = 1;
        c = b0 & 0x1F;
        minimo = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        seguenti = 2;
        c = b0 & 0x0F;
        minimo = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        seguenti = 3;
        c = b0 & 0x07;
        minimo = 0x10000;
    } else {
        return std::nullopt;
    }
    if (t.size() - i <= seguenti) return std::nullopt;
    for (size_t k = 1; k <= seguenti; ++k) {
        const auto b = static_cast<uint8_t>(t[i + k]);
        if ((b & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < minimo || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    i += seguenti + 1;
    return c;
}

// The first byte at or after `da` with the high bit set; testo.size() when there is none.
// Eight bytes are looked at together while they are all ASCII.
size_t primo_non_ascii(std::string_view testo, size_t da) {
    const char* const p = testo.data();
    const size_t n = testo.size();
    size_t i = da;
    for (; i + 8 <= n; i += 8) {
        uint64_t otto;
        std::memcpy(&otto, p + i, sizeof otto);
        if ((otto & 0x8080808080808080ULL) != 0) break;
    }
    while (i < n && static_cast<uint8_t>(p[i]) < 0x80) ++i;
    return i;
}

// Whether every byte from `da` on is strict UTF-8.
bool utf8_valido(std::string_view testo, size_t da) {
    for (size_t i = primo_non_ascii(testo, da); i < testo.size(); i = primo_non_ascii(testo, i)) {
        if (!decodifica(testo, i)) return false;
    }
    return true;
}

// Line and column (from 1, the column in characters) of the character at byte `fino` of
// valid UTF-8 text read from byte `da`. CR LF, a lone CR and a lone LF each end a line.
void posizione_di(std::string_view testo, size_t da, size_t fino, size_t& riga, size_t& colonna) {
    riga = 1;
    colonna = 1;
    size_t i = da;
    while (i < fino) {
        const char32_t c = *decodifica(testo, i);
        const bool cr_lf = c == '\r' && i < testo.size() && testo[i] == '\n';
        if ((c == '\r' && !cr_lf) || c == '\n') {
            ++riga;
            colonna = 1;
        } else if (!cr_lf) {
            ++colonna;
        }
    }
}

}  // namespace

ConversioneUtf8 da_utf8(std::string_view testo) {
    ConversioneUtf8 r;
    // Plain ASCII, the usual source, is seen in one pass and taken as it is.
    const size_t primo = primo_non_ascii(testo, 0);
    if (primo == testo.size() || !utf8_valido(testo, primo)) return r;

    r.esito = ConversioneUtf8::Esito::convertito;
    r.testo.reserve(testo.size());
    const size_t inizio = testo.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    size_t i = inizio;
    while (i < testo.size()) {
        // A run of ASCII goes over as it is.
        const size_t alto = primo_non_ascii(testo, i);
        r.testo.append(testo.data() + i, alto - i);
        i = alto;
        if (i == testo.size()) break;
        const size_t qui = i;
        const char32_t c = *decodifica(testo, i);
        const auto b = in_windows1252(c);
        if (!b) {
            r.esito = ConversioneUtf8::Esito::senza_forma;
            r.testo.clear();
            r.carattere = c;
            posizione_di(testo, inizio, qui, r.riga, r.colonna);
            return r;
        }
        r.testo.push_back(static_cast<char>(*b));
    }
    return r;
}

bool ha_bom_utf16(std::string_view testo) {
    return testo.substr(0, 2) == "\xFF\xFE" || testo.substr(0, 2) == "\xFE\xFF";
}

ConversioneUtf8 da_utf16(std::string_view testo) {
    if (!ha_bom_utf16(testo)) return {};
    const bool little = testo[0] == '\xFF';
    const auto unita = [&](size_t i) {
        const auto a = static_cast<uint8_t>(testo[i]);
        const auto b = static_cast<uint8_t>(testo[i + 1]);
        return static_cast<char32_t>(little ? (b << 8 | a) : (a << 8 | b));
    };
    // Through UTF-8, whose conversion then finds the characters without a Windows-1252 form
    // and their places.
    std::string utf8;
    utf8.reserve(testo.size() / 2);
    size_t riga = 1;
    size_t colonna = 1;
    bool dopo_cr = false;
    size_t i = 2;
    for (; i + 1 < testo.size(); i += 2) {
        char32_t c = unita(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < testo.size() && unita(i + 2) >= 0xDC00 &&
            unita(i + 2) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unita(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            ConversioneUtf8 r;
            r.esito = ConversioneUtf8::Esito::non_valido;
            r.carattere = c;
            r.riga = riga;
            r.colonna = colonna;
            return r;
        }
        if (c < 0x80) {
            utf8.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (c >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xF0 | (c >> 18)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
        // Where a fault further on stands: CR LF, a lone CR and a lone LF each end a line.
        const bool cr_lf = c == '\n' && dopo_cr;
        if (!cr_lf && (c == '\r' || c == '\n')) {
            ++riga;
            colonna = 1;
        } else if (!cr_lf) {
            ++colonna;
        }
        dopo_cr = c == '\r';
    }
    if (i < testo.size()) {
        ConversioneUtf8 r;
        r.esito = ConversioneUtf8::Esito::non_valido;
        r.riga = riga;
        r.colonna = colonna;
        return r;
    }
    ConversioneUtf8 r = da_utf8(utf8);
    if (r.esito == ConversioneUtf8::Esito::invariato) {
        r.esito = ConversioneUtf8::Esito::convertito;
        r.testo = std::move(utf8);
    }
    return r;
}

std::string a_utf8(std::string_view testo) {
    std::string r;
    r.reserve(testo.size());
    for (const char ch : testo) {
        const auto b = static_cast<uint8_t>(ch);
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0 && alti[b - 0x80] != 0) c = alti[b - 0x80];
        if (c < 0x80) {
            r.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            r.push_back(static_cast<char>(0xC0 | (c >> 6)));
            r.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            r.push_back(static_cast<char>(0xE0 | (c >> 12)));
            r.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            r.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return r;
}

}  // namespace compattatore
