#include "platform/programma.h"

#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/windows/sistema_windows.h"

namespace compattatore {

std::string cartella_eseguibile() {
    std::wstring percorso(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, percorso.data(), static_cast<DWORD>(percorso.size()));
        if (n == 0) return ".";
        if (n < percorso.size()) {
            percorso.resize(n);
            break;
        }
        percorso.resize(percorso.size() * 2);
    }
    const auto barra = percorso.find_last_of(L"\\/");
    if (barra == std::wstring::npos) return ".";
    return da_utf16(std::wstring_view(percorso).substr(0, barra));
}

std::vector<std::string> argomenti_programma(int argc, char** argv) {
    // The C run-time's argv is in the system's code page, which may lack letters of a name.
    int n = 0;
    wchar_t** argomenti = CommandLineToArgvW(GetCommandLineW(), &n);
    if (argomenti == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> risultato;
    for (int i = 0; i < n; ++i) risultato.push_back(da_utf16(argomenti[i]));
    LocalFree(argomenti);
    return risultato;
}

}  // namespace compattatore
