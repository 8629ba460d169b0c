#include "platform/file_sostitutivo.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "core/errori.h"
#include "platform/windows/sistema_windows.h"

namespace compattatore {

namespace {

// fd_ is a C run-time descriptor over the system's handle of the temporary file.
HANDLE maniglia(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

std::string messaggio(const char* azione, const std::string& percorso, DWORD err) {
    return std::string("cannot ") + azione + " " + percorso + ": " + motivo(err);
}

// A name for the temporary file that no other run picks at the same moment.
std::wstring nome_temporaneo(const std::wstring& cartella, const std::wstring& nome) {
    static std::atomic<unsigned> contatore{0};
    wchar_t coda[40];
    std::swprintf(coda, std::size(coda), L".%08lx%04x%04x", GetCurrentProcessId(),
                  static_cast<unsigned>(GetTickCount64() & 0xFFFF), contatore++ & 0xFFFF);
    return cartella + L"." + nome + coda;
}

// Renames the temporary over the final name. The rename of a file that another program holds
// open is refused as access denied, like that of a file that may not be written; only a look
// at the final file tells the two apart.
bool sostituisci(const std::wstring& da, const std::wstring& a) {
    if (MoveFileExW(da.c_str(), a.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DWORD err = GetLastError();
    if (err == ERROR_ACCESS_DENIED) {
        const HANDLE h =
            CreateFileW(a.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (in_uso(GetLastError())) err = GetLastError();
        } else {
            CloseHandle(h);
        }
    }
    SetLastError(err);
    return false;
}

}  // namespace

FileSostitutivo::FileSostitutivo(std::string percorso) : percorso_(std::move(percorso)) {
    const std::wstring finale = in_utf16(percorso_);
    const auto barra = finale.find_last_of(L"\\/");
    const std::wstring cartella = barra == std::wstring::npos ? L"" : finale.substr(0, barra + 1);
    const std::wstring nome = barra == std::wstring::npos ? finale : finale.substr(barra + 1);
    HANDLE h = INVALID_HANDLE_VALUE;
    DWORD err = 0;
    for (int tentativo = 0; tentativo < 100 && h == INVALID_HANDLE_VALUE; ++tentativo) {
        const std::wstring temporaneo = nome_temporaneo(cartella, nome);
        h = CreateFileW(temporaneo.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        err = GetLastError();
        if (h != INVALID_HANDLE_VALUE) temporaneo_ = da_utf16(temporaneo);
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) break;
    }
    if (h == INVALID_HANDLE_VALUE) throw ErrorePiattaforma(messaggio("create", percorso_, err));
    fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd_ == -1) {
        CloseHandle(h);
        fallisci("create", ERROR_TOO_MANY_OPEN_FILES);
    }
    buffer_.reserve(capacita);
}

FileSostitutivo::~FileSostitutivo() {
    if (fd_ != -1) _close(fd_);
    if (!temporaneo_.empty()) DeleteFileW(in_utf16(temporaneo_).c_str());
}

void FileSostitutivo::fallisci(const char* azione, int err) {
    if (fd_ != -1) _close(fd_);
    fd_ = -1;
    if (!temporaneo_.empty()) DeleteFileW(in_utf16(temporaneo_).c_str());
    temporaneo_.clear();
    throw ErrorePiattaforma(messaggio(azione, percorso_, static_cast<DWORD>(err)));
}

void FileSostitutivo::scrivi(const void* dati, size_t quanti) {
    const auto* p = static_cast<const uint8_t*>(dati);
    if (quanti >= capacita) {
        svuota();
        scrivi_tutto(p, quanti);
        return;
    }
    while (quanti > 0) {
        if (buffer_.size() == capacita) svuota();
        const size_t parte = std::min(quanti, capacita - buffer_.size());
        buffer_.insert(buffer_.end(), p, p + parte);
        p += parte;
        quanti -= parte;
    }
}

void FileSostitutivo::scrivi_tutto(const uint8_t* dati, size_t quanti) {
    while (quanti > 0) {
        const DWORD parte = static_cast<DWORD>(std::min<size_t>(quanti, DWORD{1} << 30));
        DWORD scritti = 0;
        if (!WriteFile(maniglia(fd_), dati, parte, &scritti, nullptr)) {
            fallisci("write", static_cast<int>(GetLastError()));
        }
        if (scritti == 0) fallisci("write", ERROR_DISK_FULL);
        dati += scritti;
        quanti -= scritti;
    }
}

void FileSostitutivo::svuota() {
    scrivi_tutto(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void FileSostitutivo::chiudi() {
    svuota();
    const int fd = fd_;
    fd_ = -1;
    // The last bytes reach the file, or the failure is known, before the rename.
    if (!FlushFileBuffers(maniglia(fd))) {
        const DWORD err = GetLastError();
        _close(fd);
        fallisci("write", static_cast<int>(err));
    }
    if (_close(fd) != 0) fallisci("write", static_cast<int>(GetLastError()));
    const std::wstring temporaneo = in_utf16(temporaneo_);
    const std::wstring finale = in_utf16(percorso_);
    if (!riprova_se_in_uso([&] { return sostituisci(temporaneo, finale); })) {
        fallisci("replace", static_cast<int>(GetLastError()));
    }
    temporaneo_.clear();
}

}  // namespace compattatore
