// On Windows the folder is held through a named mutex of the session, whose name is the
// folder's volume and its number on that volume, so that every path to one folder meets the
// same lock and nothing is created in the folder. The system lets a mutex go when the process
// that holds it ends, however it ends. A mutex is held by a thread, and a thread that holds it
// would take it again: the folders held by this process are also kept in a list of its own,
// so that a second holder in the process gives up or waits as one in another process does.
// The thread that takes a folder is the one that lets it go.
#include "platform/blocco_cartella.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <mutex>
#include <utility>
#include <vector>

#include "core/errori.h"
#include "platform/windows/sistema_windows.h"

namespace compattatore {

namespace {

std::mutex guardia;
std::vector<std::pair<std::wstring, HANDLE>> tenute;  // the folders this process holds

bool tenuta(const std::wstring& nome) {
    return std::any_of(tenute.begin(), tenute.end(),
                       [&](const auto& t) { return t.first == nome; });
}

void togli(HANDLE h) {
    const std::lock_guard<std::mutex> l(guardia);
    std::erase_if(tenute, [&](const auto& t) { return t.second == h; });
}

// The lock's name for the folder, empty where the system cannot tell which folder it is.
std::wstring nome_blocco(const std::string& cartella) {
    const std::wstring w = in_utf16(cartella.empty() ? std::string("\\") : cartella);
    const HANDLE h = CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        throw ErrorePiattaforma("cannot open " + cartella + ": " + motivo(GetLastError()));
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool noto = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!noto) return {};
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        throw ErrorePiattaforma("cannot open " + cartella + ": " + motivo(ERROR_DIRECTORY));
    }
    wchar_t nome[64];
    std::swprintf(nome, std::size(nome), L"Local\\compattatore-%08lx-%08lx%08lx",
                  static_cast<unsigned long>(info.dwVolumeSerialNumber),
                  static_cast<unsigned long>(info.nFileIndexHigh),
                  static_cast<unsigned long>(info.nFileIndexLow));
    return nome;
}

}  // namespace

BloccoCartella::BloccoCartella(const std::string& cartella, bool attendi,
                               const std::function<void()>& in_attesa) {
    const std::wstring nome = nome_blocco(cartella);
    if (nome.empty()) return;  // no way to tell the folder: as if alone
    const HANDLE h = CreateMutexW(nullptr, FALSE, nome.c_str());
    if (h == nullptr) return;  // no lock to be had here: as if alone
    bool avvisato = false;
    const auto attendi_o_rinuncia = [&] {
        if (!attendi) {
            CloseHandle(h);
            throw ErrorePiattaforma("another run is working in " + cartella);
        }
        if (!avvisato && in_attesa) in_attesa();
        avvisato = true;
    };
    // First among this process's holders.
    for (;;) {
        {
            const std::lock_guard<std::mutex> l(guardia);
            if (!tenuta(nome)) {
                tenute.emplace_back(nome, h);
                break;
            }
        }
        attendi_o_rinuncia();
        Sleep(20);
    }
    // Then among the other processes'. A holder that ended without letting go leaves the
    // mutex abandoned, and so to this run.
    DWORD esito = WaitForSingleObject(h, 0);
    if (esito == WAIT_TIMEOUT) {
        try {
            attendi_o_rinuncia();
        } catch (...) {
            togli(h);
            throw;
        }
        esito = WaitForSingleObject(h, INFINITE);
    }
    maniglia_ = reinterpret_cast<intptr_t>(h);
    if (esito != WAIT_OBJECT_0 && esito != WAIT_ABANDONED) {
        // Not held after all: worked in as if alone, and let go of as one never taken.
        togli(h);
        CloseHandle(h);
        maniglia_ = -1;
    }
}

BloccoCartella::~BloccoCartella() {
    if (maniglia_ == -1) return;
    const auto h = reinterpret_cast<HANDLE>(maniglia_);
    ReleaseMutex(h);
    CloseHandle(h);
    togli(h);
}

}  // namespace compattatore
