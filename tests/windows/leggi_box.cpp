// Reads the program's message box through the system, as a person sees it: its text and its
// buttons, one line each, in UTF-8. Waits up to 30 seconds for the box.
#include <cstdio>
#include <string>

#include "platform/windows/sistema_windows.h"

namespace {

std::string testo_di(HWND finestra) {
    std::wstring w(static_cast<size_t>(GetWindowTextLengthW(finestra)) + 1, L'\0');
    w.resize(static_cast<size_t>(GetWindowTextW(finestra, w.data(), static_cast<int>(w.size()))));
    return compattatore::da_utf16(w);
}

BOOL CALLBACK pulsante(HWND figlio, LPARAM pulsanti) {
    wchar_t classe[32] = {};
    GetClassNameW(figlio, classe, 32);
    if (std::wstring(classe) == L"Button") {
        *reinterpret_cast<std::string*>(pulsanti) += testo_di(figlio) + "\n";
    }
    return TRUE;
}

}  // namespace

int main() {
    for (int i = 0; i < 600; ++i) {
        // The dialog class of message boxes, with the program's title.
        if (const HWND box = FindWindowW(L"#32770", L"compattatore")) {
            std::string pulsanti;
            EnumChildWindows(box, pulsante, reinterpret_cast<LPARAM>(&pulsanti));
            std::printf("%s\n%s", testo_di(GetDlgItem(box, 0xFFFF)).c_str(), pulsanti.c_str());
            return 0;
        }
        Sleep(50);
    }
    std::fprintf(stderr, "leggi_box: no box\n");
    return 1;
}
