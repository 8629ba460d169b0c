#include "platform/windows/sistema_windows.h"

#include <cstdint>

namespace compattatore {

namespace {

// The length of the valid UTF-8 sequence at the start of `t`, 0 when there is none (a lone
// continuation byte, an overlong form, a surrogate, a value past U+10FFFF, a cut sequence).
size_t sequenza_utf8(std::string_view t, char32_t& carattere) {
    const auto b0 = static_cast<uint8_t>(t[0]);
    size_t n;
    char32_t c;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        c = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        c = b0 & 0x07;
    } else {
        return 0;
    }
    if (t.size() < n) return 0;
    for (size_t i = 1; i < n; ++i) {
        const auto b = static_cast<uint8_t>(t[i]);
        if ((b & 0xC0) != 0x80) return 0;
        c = c << 6 | (b & 0x3F);
    }
    if ((n == 3 && c < 0x800) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
        (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;
    }
    carattere = c;
    return n;
}

// Windows-1252 byte 0x80 to 0x9F as Unicode; the five it leaves undefined stay the C1 control
// of the same number.
constexpr char16_t windows1252_80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::wstring in_utf16(std::string_view testo) {
    std::wstring w;
    w.reserve(testo.size());
    while (!testo.empty()) {
        const auto b = static_cast<uint8_t>(testo[0]);
        char32_t c = b;
        size_t n = 1;
        if (b >= 0x80) {
            n = sequenza_utf8(testo, c);
            if (n == 0) {
                n = 1;
                c = b < 0xA0 ? windows1252_80[b - 0x80] : b;
            }
        }
        if (c >= 0x10000) {
            w += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            w += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            w += static_cast<wchar_t>(c);
        }
        testo.remove_prefix(n);
    }
    return w;
}

std::string da_utf16(std::wstring_view testo) {
    if (testo.empty()) return {};
    const int quanti = static_cast<int>(testo.size());
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, testo.data(), quanti, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, testo.data(), quanti, s.data(), n, nullptr, nullptr);
    return s;
}

std::string messaggio_sistema(DWORD codice) {
    wchar_t* testo = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, codice, 0, reinterpret_cast<wchar_t*>(&testo), 0, nullptr);
    std::wstring w = n > 0 && testo != nullptr ? std::wstring(testo, n) : std::wstring();
    if (testo != nullptr) LocalFree(testo);
    while (!w.empty() &&
           (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ' || w.back() == L'.')) {
        w.pop_back();
    }
    if (w.empty()) return "system error " + std::to_string(codice);
    return da_utf16(w);
}

bool in_uso(DWORD codice) {
    return codice == ERROR_SHARING_VIOLATION || codice == ERROR_LOCK_VIOLATION;
}

std::string motivo(DWORD codice) {
    if (in_uso(codice)) return "the file is in use by another program";
    return messaggio_sistema(codice);
}

}  // namespace compattatore
