// The desktop front end on Windows, drawn with the Win32 API: the waiting window with its
// "Attendere" label and the modal box of the fatal error. Windows always has a desktop, so a
// no-argument run always gets them; when the window cannot be made (a session without a
// desktop) the run talks to the terminal instead.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "core/interfaccia.h"
#include "platform/scelta_interfaccia.h"
#include "platform/windows/sistema_windows.h"

namespace compattatore {

namespace {

constexpr const wchar_t* titolo = L"compattatore";
constexpr const wchar_t* classe_attesa = L"compattatore.attesa";

// The waiting window, laid out in twips at 15 twips per pixel: client area 4200 x 2688,
// the label at left 960, top 960, width 2652, height 792.
constexpr int twips_per_pixel = 15;
constexpr int in_pixel(int twips) {
    return (twips + twips_per_pixel / 2) / twips_per_pixel;
}
constexpr int larghezza_attesa = in_pixel(4200);  // 280
constexpr int altezza_attesa = in_pixel(2688);    // 179
constexpr RECT etichetta{in_pixel(960), in_pixel(960), in_pixel(960) + in_pixel(2652),
                         in_pixel(960) + in_pixel(792)};
constexpr int punti_etichetta = 24;
constexpr DWORD stile_attesa = WS_OVERLAPPED | WS_CAPTION | WS_MINIMIZEBOX;

// Test-only, as for the window on X: COMPATTATORE_TEST_ATTESA_MS holds the painted waiting
// window for that many milliseconds (at most a minute) before the work starts.
DWORD pausa_di_prova_ms() {
    const char* valore = std::getenv("COMPATTATORE_TEST_ATTESA_MS");
    if (valore == nullptr || *valore == '\0') return 0;
    char* fine = nullptr;
    const long ms = std::strtol(valore, &fine, 10);
    if (fine == valore || *fine != '\0' || ms <= 0) return 0;
    return static_cast<DWORD>(ms < 60000 ? ms : 60000);
}

LRESULT CALLBACK procedura_attesa(HWND finestra, UINT messaggio, WPARAM w, LPARAM l) {
    switch (messaggio) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(finestra, &ps);
            const auto font = reinterpret_cast<HFONT>(GetWindowLongPtrW(finestra, GWLP_USERDATA));
            const HGDIOBJ prima = SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(0, 0, 0));
            RECT r = etichetta;
            // The text starts at the label's top left corner; a wider stand-in face runs on
            // over the window's background rather than losing its last letter.
            DrawTextW(dc, L"Attendere", -1, &r,
                      DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
            SelectObject(dc, prima);
            EndPaint(finestra, &ps);
            return 0;
        }
        case WM_CLOSE:
            // The window reacts to nothing: it goes when the run ends.
            return 0;
        default:
            return DefWindowProcW(finestra, messaggio, w, l);
    }
}

// Handles what is waiting for the program's windows, without blocking.
void smaltisci_messaggi() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

class InterfacciaWindows : public Interfaccia {
  public:
    InterfacciaWindows(HWND attesa, HFONT font) : attesa_(attesa), font_(font) {}
    ~InterfacciaWindows() override {
        chiudi_attesa();
        DeleteObject(font_);
    }

    void mostra_attesa() override {
        if (attesa_ == nullptr) return;
        ShowWindow(attesa_, SW_SHOWNORMAL);
        // Painted now, once: the run does its work without handling the window's messages.
        UpdateWindow(attesa_);
        smaltisci_messaggi();
        GdiFlush();

        // The hold answers the window's messages, so the system never takes it for hung.
        if (const DWORD ms = pausa_di_prova_ms(); ms > 0) {
            const ULONGLONG fine = GetTickCount64() + ms;
            for (ULONGLONG ora = GetTickCount64(); ora < fine; ora = GetTickCount64()) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(fine - ora),
                                          QS_ALLINPUT);
                smaltisci_messaggi();
            }
        }
    }

    void chiudi_attesa() override {
        if (attesa_ == nullptr) return;
        DestroyWindow(attesa_);
        attesa_ = nullptr;
        smaltisci_messaggi();
    }

    void mostra_errore(const std::string& testo) override {
        // Also on standard error, for a run started from a console or a script.
        std::cout.flush();
        std::cerr << testo << '\n' << std::flush;
        // Modal, OK only, no icon; over the waiting window while it is there.
        MessageBoxW(attesa_, in_utf16(testo).c_str(), titolo,
                    MB_OK | MB_SETFOREGROUND | (attesa_ == nullptr ? MB_TASKMODAL : 0));
    }

  private:
    HWND attesa_;
    HFONT font_;
};

// The waiting window, or null when the session has no desktop to show it on (a service).
std::unique_ptr<Interfaccia> crea_interfaccia_windows() {
    USEROBJECTFLAGS stazione{};
    if (GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &stazione, sizeof stazione,
                                  nullptr) &&
        (stazione.dwFlags & WSF_VISIBLE) == 0) {
        return nullptr;
    }

    const HINSTANCE istanza = GetModuleHandleW(nullptr);
    WNDCLASSEXW classe{};
    classe.cbSize = sizeof classe;
    classe.lpfnWndProc = procedura_attesa;
    classe.hInstance = istanza;
    classe.hCursor = LoadCursorW(nullptr, IDC_WAIT);
    classe.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    classe.lpszClassName = classe_attesa;
    if (RegisterClassExW(&classe) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;

    HDC schermo = GetDC(nullptr);
    if (schermo == nullptr) return nullptr;
    const int dpi = GetDeviceCaps(schermo, LOGPIXELSY);
    ReleaseDC(nullptr, schermo);
    // "MS Sans Serif", 24 points, bold.
    const HFONT font =
        CreateFontW(-MulDiv(punti_etichetta, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    if (font == nullptr) return nullptr;

    RECT r{0, 0, larghezza_attesa, altezza_attesa};
    AdjustWindowRectEx(&r, stile_attesa, FALSE, 0);
    const HWND attesa =
        CreateWindowExW(0, classe_attesa, titolo, stile_attesa, CW_USEDEFAULT, CW_USEDEFAULT,
                        r.right - r.left, r.bottom - r.top, nullptr, nullptr, istanza, nullptr);
    if (attesa == nullptr) {
        DeleteObject(font);
        return nullptr;
    }
    SetWindowLongPtrW(attesa, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(font));
    return std::make_unique<InterfacciaWindows>(attesa, font);
}

}  // namespace

// Windows always has a desktop: the window the program registers is the system's own.
std::unique_ptr<Interfaccia> carica_finestra() {
    return crea_interfaccia_windows();
}

}  // namespace compattatore
