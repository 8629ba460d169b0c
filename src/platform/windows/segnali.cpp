// On Windows an interruption is the console's Ctrl+C, Ctrl+Break or its closing, handled on a
// thread of its own: it waits for a step that must not stop, removes the registered files
// and ends the program with 128 + the number the same interruption has on POSIX.
#include "platform/segnali.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "core/errori.h"
#include "platform/windows/sistema_windows.h"

namespace compattatore {

namespace {

constexpr int posti = 64;
std::atomic<char*> da_rimuovere[posti];
std::atomic<int> senza_interruzioni{0};

BOOL WINAPI alla_fine(DWORD evento) {
    const int numero = evento == CTRL_C_EVENT ? 2 : evento == CTRL_BREAK_EVENT ? 15 : 1;
    while (senza_interruzioni.load() > 0) Sleep(1);
    for (auto& posto : da_rimuovere) {
        if (const char* p = posto.load()) DeleteFileW(in_utf16(p).c_str());
    }
    ExitProcess(static_cast<UINT>(128 + numero));
}

}  // namespace

void prepara_segnali() {
    SetConsoleCtrlHandler(alla_fine, TRUE);
}

DaRimuovere::DaRimuovere(const std::string& percorso) {
    char* copia = _strdup(percorso.c_str());
    if (copia == nullptr) throw ErrorePiattaforma("out of memory");
    for (int i = 0; i < posti; ++i) {
        char* libero = nullptr;
        if (da_rimuovere[i].compare_exchange_strong(libero, copia)) {
            posto_ = i;
            return;
        }
    }
    std::free(copia);
    throw ErrorePiattaforma("too many files open for writing at once");
}

DaRimuovere& DaRimuovere::operator=(DaRimuovere&& altro) noexcept {
    if (this != &altro) {
        rilascia();
        posto_ = altro.posto_;
        altro.posto_ = -1;
    }
    return *this;
}

void DaRimuovere::rilascia() {
    if (posto_ < 0) return;
    std::free(da_rimuovere[posto_].exchange(nullptr));
    posto_ = -1;
}

SenzaInterruzioni::SenzaInterruzioni() {
    ++senza_interruzioni;
}

SenzaInterruzioni::~SenzaInterruzioni() {
    --senza_interruzioni;
}

}  // namespace compattatore
