#include "platform/file_letto.h"

#include "platform/windows/sistema_windows.h"

namespace compattatore {

namespace {

HANDLE maniglia(std::intptr_t valore) {
    return reinterpret_cast<HANDLE>(valore);
}

}  // namespace

bool FileInLettura::apri(const std::string& percorso, std::string& motivo_, Accetta accetta) {
    chiudi();
    const std::wstring nome = in_utf16(percorso);
    // Others may go on reading, writing or even deleting the file meanwhile; a file that
    // another program holds locked is waited for a moment.
    HANDLE h = INVALID_HANDLE_VALUE;
    const bool aperto = riprova_se_in_uso([&] {
        h = CreateFileW(nome.c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        return h != INVALID_HANDLE_VALUE;
    });
    if (!aperto) {
        DWORD err = GetLastError();
        // A folder cannot be opened as a file at all, and the system calls that access denied;
        // the reason given is the one it has for a folder where a file should be.
        const DWORD attributi = GetFileAttributesW(nome.c_str());
        if (err == ERROR_ACCESS_DENIED && attributi != INVALID_FILE_ATTRIBUTES &&
            (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            err = ERROR_DIRECTORY;
        }
        motivo_ = motivo(err);
        return false;
    }
    const bool disco = GetFileType(h) == FILE_TYPE_DISK;
    LARGE_INTEGER dimensione{};
    if (accetta == Accetta::solo_regolare && !disco) {
        CloseHandle(h);
        motivo_ = "not a regular file";
        return false;
    }
    maniglia_ = reinterpret_cast<std::intptr_t>(h);
    regolare_ = disco;
    dimensione_ = disco && GetFileSizeEx(h, &dimensione) && dimensione.QuadPart > 0
                      ? static_cast<uint64_t>(dimensione.QuadPart)
                      : 0;
    return true;
}

std::ptrdiff_t FileInLettura::leggi(char* dove, size_t quanti, std::string& motivo_) {
    const DWORD chiesti = static_cast<DWORD>(quanti < (DWORD{1} << 30) ? quanti : DWORD{1} << 30);
    DWORD letti = 0;
    if (!ReadFile(maniglia(maniglia_), dove, chiesti, &letti, nullptr)) {
        const DWORD err = GetLastError();
        if (err == ERROR_BROKEN_PIPE || err == ERROR_HANDLE_EOF) return 0;  // the writer is gone
        motivo_ = motivo(err);
        return -1;
    }
    return static_cast<std::ptrdiff_t>(letti);
}

void FileInLettura::chiudi() {
    if (maniglia_ == chiuso) return;
    CloseHandle(maniglia(maniglia_));
    maniglia_ = chiuso;
    regolare_ = false;
    dimensione_ = 0;
}

}  // namespace compattatore
