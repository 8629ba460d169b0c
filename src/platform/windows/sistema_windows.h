// What the Windows side of the platform layer shares: text at the Windows API, which is
// UTF-16, the system's own words for an error, and the wait for a file that another program
// holds open.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace compattatore {

// The UTF-16 form of a name or message of the program. The program's texts are UTF-8 (what
// the command line and the system give it) or Windows-1252 (a scenario's own names, which the
// scenario table holds in that form), sometimes both in one path: every valid UTF-8 sequence
// is read as UTF-8, every other byte as a Windows-1252 character.
std::wstring in_utf16(std::string_view testo);

// UTF-8 of a text the system gives (a path, an argument, a message).
std::string da_utf16(std::wstring_view testo);

// The system's own text for an error code, in the user's language, without the closing full
// stop and line end, so that it reads as the end of the program's sentence.
std::string messaggio_sistema(DWORD codice);

// What a failure with `codice` says: the system's text, or, for a file that another program
// holds open, that it is in use.
std::string motivo(DWORD codice);

// True for the errors of a file that another program holds open (the simulator reading a
// .dat, an editor that locks its file). They usually pass in a moment.
bool in_uso(DWORD codice);

// Calls `prova` (which returns true on success and leaves the reason in GetLastError) until it
// succeeds, fails for a reason other than a file in use, or about two seconds have passed.
// Returns its last result; GetLastError then holds its reason.
template <class Prova>
bool riprova_se_in_uso(Prova&& prova) {
    constexpr DWORD pausa_ms = 50;
    constexpr int tentativi = 40;
    for (int i = 1;; ++i) {
        if (prova()) return true;
        const DWORD codice = GetLastError();
        if (!in_uso(codice) || i == tentativi) {
            SetLastError(codice);
            return false;
        }
        Sleep(pausa_ms);
    }
}

}  // namespace compattatore
