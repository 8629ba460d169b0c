// Small helpers on text, for names and keywords.
#pragma once

#include <cstddef>
#include <string_view>

namespace compattatore {

// Whether capital and small ASCII letters count as the same letter.
enum class Maiuscole { distinte, uguali };

// Whether `testo` ends with `fine`. With Maiuscole::uguali a capital ASCII letter in `testo`
// matches its small letter, and `fine` is written in small letters.
inline bool finisce_con(std::string_view testo, std::string_view fine,
                        Maiuscole maiuscole = Maiuscole::distinte) {
    if (testo.size() < fine.size()) return false;
    const std::string_view coda = testo.substr(testo.size() - fine.size());
    if (maiuscole == Maiuscole::distinte) return coda == fine;
    for (size_t i = 0; i < fine.size(); ++i) {
        char c = coda[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != fine[i]) return false;
    }
    return true;
}

}  // namespace compattatore
