// Source files written on Linux are usually UTF-8, while the reader and everything it stores
// work in Windows-1252, one byte per character. These conversions bridge the two.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace compattatore {

struct ConversioneUtf8 {
    enum class Esito {
        invariato,    // not UTF-8, or plain ASCII: the bytes are taken as Windows-1252
        convertito,   // valid UTF-8 with non-ASCII characters: `testo` holds the Windows-1252 bytes
        senza_forma,  // valid UTF-8, but a character has no Windows-1252 form
        non_valido    // begins with a UTF-16 byte-order mark but is not UTF-16
    };
    Esito esito = Esito::invariato;
    std::string testo;
    // For senza_forma: the first such character, its line and its column (both from 1,
    // the column counted in characters). CR LF, a lone CR and a lone LF each end a line.
    // For non_valido: where the text stops being UTF-16 (an unpaired surrogate, whose
    // code unit is in `carattere`, or a last lone byte, with `carattere` 0).
    char32_t carattere = 0;
    size_t riga = 0;
    size_t colonna = 0;
};

// Converts `testo` when it is valid UTF-8 holding non-ASCII characters. A leading byte-order
// mark is dropped. C1 control characters (U+0080 to U+009F) count as having no form.
ConversioneUtf8 da_utf8(std::string_view testo);

// Whether `testo` begins with a UTF-16 byte-order mark, little-endian (FF FE) or big-endian
// (FE FF): how Windows editors save "Unicode" text.
bool ha_bom_utf16(std::string_view testo);

// Converts text that begins with a UTF-16 byte-order mark, which is dropped; the result is
// `convertito` (or `senza_forma`, `non_valido`), with lines and columns counted in characters
// as for UTF-8. Text without the mark comes back `invariato`.
ConversioneUtf8 da_utf16(std::string_view testo);

// The UTF-8 text of Windows-1252 bytes. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same number, so nothing is lost.
std::string a_utf8(std::string_view testo);

}  // namespace compattatore
