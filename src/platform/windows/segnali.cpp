// On Windows an interruption is the console's Ctrl+C, Ctrl+Break or its closing, handled on a
// thread of its own: it waits for a step that must not stop, removes the registered files
// and ends the program with 128 + the number the same interruption has on POSIX.
#include "platform/segnali.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "core/errori.h"
#include "platform/windows/sistema_windows.h"

namespace compattatore {

namespace {

// The registered files, and the steps that must not stop, behind one lock: the handler takes
// it once no such step is under way, and holds it to the end, so that no step begins after
// it and no path is freed while it reads it. The steps may nest.
constexpr int posti = 64;
char* da_rimuovere[posti];
std::recursive_mutex guardia;

BOOL WINAPI alla_fine(DWORD evento) {
    const int numero = evento == CTRL_C_EVENT ? 2 : evento == CTRL_BREAK_EVENT ? 15 : 1;
    guardia.lock();
    // A temporary is open while it is written, with deletion shared: it goes when the
    // process has ended.
    for (const char* p : da_rimuovere) {
        if (p != nullptr) DeleteFileW(in_utf16(p).c_str());
    }
    // At once, as from any other point: no exit handler runs while the work may be half-way.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(128 + numero));
    return TRUE;
}

}  // namespace

void prepara_segnali() {
    SetConsoleCtrlHandler(alla_fine, TRUE);
}

DaRimuovere::DaRimuovere(const std::string& percorso) {
    char* copia = _strdup(percorso.c_str());
    if (copia == nullptr) throw ErrorePiattaforma("out of memory");
    const std::lock_guard<std::recursive_mutex> l(guardia);
    for (int i = 0; i < posti; ++i) {
        if (da_rimuovere[i] == nullptr) {
            da_rimuovere[i] = copia;
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
    const std::lock_guard<std::recursive_mutex> l(guardia);
    std::free(da_rimuovere[posto_]);
    da_rimuovere[posto_] = nullptr;
    posto_ = -1;
}

SenzaInterruzioni::SenzaInterruzioni() {
    guardia.lock();
}

SenzaInterruzioni::~SenzaInterruzioni() {
    guardia.unlock();
}

}  // namespace compattatore
