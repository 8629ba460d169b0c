// The two scenario codes: a plain and a position-weighted sum of the first 25 bytes of the
// lower-cased train number and scenario name, followed by a fixed filler.
#include <string>
#include <string_view>

#include "core/form1.h"

namespace compattatore {

namespace {

// Part of the codes' definition: a different filler gives different codes.
constexpr std::string_view riempitivo_codice = "mmnnbbvvccxxzzllkkjjhhggff";
constexpr int caratteri_codice = 25;

// Lower case over Windows-1252: the ASCII capitals, the accented capitals 0xC0 to 0xDE
// (0xD7 is the multiplication sign and has no lower case), and the four capitals that
// Windows-1252 keeps among 0x80 to 0x9F.
unsigned char minuscola_1252(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    switch (c) {
        case 0x8A:
            return 0x9A;
        case 0x8C:
            return 0x9C;
        case 0x8E:
            return 0x9E;
        case 0x9F:
            return 0xFF;
        default:
            return c;
    }
}

// The text both codes are computed over; it also goes into campo_letto.
std::string testo_codice(const Form1& f) {
    std::string t = f.record_treno[86].testo + f.record_treno[85].testo;
    for (char& c : t) c = static_cast<char>(minuscola_1252(static_cast<unsigned char>(c)));
    t += riempitivo_codice;
    return t;
}

}  // namespace

int16_t Form1::codice_gara_og() {
    campo_letto = testo_codice(*this);
    int32_t somma = 0;
    for (int i = 0; i < caratteri_codice; ++i) {
        somma += static_cast<unsigned char>(campo_letto[static_cast<size_t>(i)]);
    }
    return static_cast<int16_t>(somma);  // at most 25 x 255 = 6375
}

int32_t Form1::codice_gara_st() {
    campo_letto = testo_codice(*this);
    int32_t somma = 0;
    for (int i = 0; i < caratteri_codice; ++i) {
        somma += (i + 1) * static_cast<unsigned char>(campo_letto[static_cast<size_t>(i)]);
    }
    return somma;  // at most 325 x 255 = 82875
}

}  // namespace compattatore
