// The program run in a child process, and the system's words for failures, with the Win32
// calls.
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/windows/sistema_windows.h"
#include "prova_comune.h"

namespace prova {

namespace {

// One argument as the child's C run-time splits its command line back: in quotes, with the
// backslashes before a quote (or before the closing one) doubled.
std::wstring tra_virgolette(const std::wstring& argomento) {
    std::wstring r = L"\"";
    size_t barre = 0;
    for (const wchar_t c : argomento) {
        if (c == L'\\') {
            ++barre;
            continue;
        }
        r.append(c == L'"' ? 2 * barre + 1 : barre, L'\\');
        barre = 0;
        r += c;
    }
    r.append(2 * barre, L'\\');
    return r + L"\"";
}

// The environment of this process without a display.
std::wstring ambiente_senza_display() {
    std::wstring blocco;
    wchar_t* ambiente = GetEnvironmentStringsW();
    for (const wchar_t* v = ambiente; *v != L'\0'; v += std::wcslen(v) + 1) {
        const std::wstring voce = v;
        if (voce.rfind(L"DISPLAY=", 0) == 0 || voce.rfind(L"WAYLAND_DISPLAY=", 0) == 0) continue;
        blocco += voce;
        blocco += L'\0';
    }
    FreeEnvironmentStringsW(ambiente);
    blocco += L'\0';
    return blocco;
}

HANDLE apri_ereditabile(const std::wstring& nome, DWORD accesso, DWORD come) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileW(nome.c_str(), accesso, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, come,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

Esito esegui(const std::vector<std::string>& argomenti, const Avvio& avvio) {
    using compattatore::in_utf16;
    if (avvio.senza_privilegi || avvio.dimensione_file != 0) {
        throw std::logic_error("giving up privileges and file size limits are POSIX only");
    }
    const CartellaTemporanea raccolta("esito");
    const std::string file_uscita = raccolta / "stdout";
    const std::string file_errori = raccolta / "stderr";
    std::wstring riga;
    for (const auto& a : argomenti)
        riga += (riga.empty() ? L"" : L" ") + tra_virgolette(in_utf16(a));

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput =
        apri_ereditabile(avvio.ingresso.empty() ? L"NUL" : in_utf16(avvio.ingresso.string()),
                         GENERIC_READ, OPEN_EXISTING);
    si.hStdOutput = apri_ereditabile(in_utf16(file_uscita), GENERIC_WRITE, CREATE_ALWAYS);
    si.hStdError = apri_ereditabile(in_utf16(file_errori), GENERIC_WRITE, CREATE_ALWAYS);
    std::wstring ambiente = ambiente_senza_display();
    const std::wstring cartella = in_utf16(avvio.cartella.string());
    PROCESS_INFORMATION pi{};
    const BOOL partito =
        CreateProcessW(in_utf16(argomenti.at(0)).c_str(), riga.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, ambiente.data(),
                       cartella.empty() ? nullptr : cartella.c_str(), &si, &pi);
    const DWORD errore_avvio = GetLastError();
    for (const HANDLE h : {si.hStdInput, si.hStdOutput, si.hStdError}) {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    Esito e;
    if (!partito) {
        ADD_FAILURE() << argomenti.at(0)
                      << " could not be started: " << compattatore::messaggio_sistema(errore_avvio);
        return e;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD stato = 0;
    GetExitCodeProcess(pi.hProcess, &stato);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    e.stato = static_cast<int>(stato);
    e.uscita = leggi(file_uscita);
    e.errori = leggi(file_errori);
    return e;
}

std::string motivo_atteso(Motivo m) {
    using compattatore::messaggio_sistema;
    switch (m) {
        case Motivo::manca:
            return messaggio_sistema(ERROR_FILE_NOT_FOUND);
        case Motivo::cartella:
        case Motivo::non_cartella:
            return messaggio_sistema(ERROR_DIRECTORY);
        case Motivo::non_regolare:
            return "not a regular file";
        case Motivo::cartella_piena:
            return messaggio_sistema(ERROR_DIR_NOT_EMPTY);
    }
    return {};
}

const std::string dispositivo_nullo = "NUL";

}  // namespace prova
