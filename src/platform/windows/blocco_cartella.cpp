// On Windows the folder is held through a lock on a file in it that stays empty; the system
// releases the lock when the process ends, however it ends.
#include "platform/blocco_cartella.h"

#include "core/errori.h"
#include "platform/windows/sistema_windows.h"

namespace compattatore {

BloccoCartella::BloccoCartella(const std::string& cartella, bool attendi,
                               const std::function<void()>& in_attesa) {
    const std::string nome =
        (cartella.empty() ? std::string(".") : cartella) + "\\.compattatore-lock";
    const HANDLE h = CreateFileW(in_utf16(nome).c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        throw ErrorePiattaforma("cannot open " + cartella + ": " + motivo(GetLastError()));
    }
    maniglia_ = reinterpret_cast<intptr_t>(h);
    OVERLAPPED o{};
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o)) return;
    if (GetLastError() != ERROR_LOCK_VIOLATION) return;  // no locks here: as if alone
    if (!attendi) {
        CloseHandle(h);
        maniglia_ = -1;
        throw ErrorePiattaforma("another run is working in " + cartella);
    }
    if (in_attesa) in_attesa();
    OVERLAPPED attesa{};
    LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &attesa);
}

BloccoCartella::~BloccoCartella() {
    if (maniglia_ != -1) CloseHandle(reinterpret_cast<HANDLE>(maniglia_));
}

}  // namespace compattatore
