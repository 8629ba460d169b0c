#include "platform/file.h"

#include <string>

#include "platform/percorso.h"
#include "platform/windows/sistema_windows.h"

namespace compattatore {

namespace {

// Whether a file (not a folder) stands on the way to `nome`, where a folder should be. The
// system says "path not found" for that as for a folder that is missing.
bool file_sulla_via(const std::wstring& nome) {
    for (size_t fine = nome.find_last_of(L"\\/"); fine != std::wstring::npos && fine > 0;
         fine = nome.find_last_of(L"\\/", fine - 1)) {
        const DWORD attributi = GetFileAttributesW(nome.substr(0, fine).c_str());
        if (attributi != INVALID_FILE_ATTRIBUTES)
            return (attributi & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    return false;
}

}  // namespace

StatoFile stato_file(const std::string& percorso) {
    const std::wstring nome = in_utf16(percorso);
    if (GetFileAttributesW(nome.c_str()) != INVALID_FILE_ATTRIBUTES) return StatoFile::presente;
    const DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND) return StatoFile::assente;
    if (err == ERROR_PATH_NOT_FOUND) {
        return file_sulla_via(nome) ? StatoFile::ignoto : StatoFile::assente;
    }
    return StatoFile::ignoto;
}

bool cancella_file(const std::string& percorso, std::string& motivo_) {
    const std::wstring nome = in_utf16(percorso);
    const DWORD attributi = GetFileAttributesW(nome.c_str());
    if (attributi == INVALID_FILE_ATTRIBUTES) {
        const DWORD err = GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return true;
        motivo_ = motivo(err);
        return false;
    }
    const bool cartella = (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A file that another program holds open cannot go at once; that usually passes.
    const bool fatto = riprova_se_in_uso([&] {
        return cartella ? RemoveDirectoryW(nome.c_str()) != 0 : DeleteFileW(nome.c_str()) != 0;
    });
    if (!fatto) {
        const DWORD err = GetLastError();
        if (err == ERROR_FILE_NOT_FOUND) return true;
        motivo_ = motivo(err);
    }
    return fatto;
}

bool crea_cartelle(const std::string& percorso, std::string& motivo_) {
    const std::wstring nome = in_utf16(percorso);
    if (nome.empty()) return true;
    // Each folder on the way, from the top; a drive ("C:") or a share is there already.
    for (size_t fine = 0; fine != std::wstring::npos;) {
        fine = nome.find_first_of(L"\\/", fine + 1);
        const std::wstring parte = nome.substr(0, fine);
        if (parte.empty() || parte.back() == L':' || parte.back() == L'\\' ||
            parte.back() == L'/') {
            continue;
        }
        if (CreateDirectoryW(parte.c_str(), nullptr)) continue;
        const DWORD err = GetLastError();
        const DWORD attributi = GetFileAttributesW(parte.c_str());
        if (attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        if (fine != std::wstring::npos &&
            (err == ERROR_ACCESS_DENIED || err == ERROR_INVALID_NAME)) {
            continue;  // a folder above that may not be looked at, or a share's name
        }
        const bool file =
            err == ERROR_ALREADY_EXISTS || (err == ERROR_PATH_NOT_FOUND && file_sulla_via(parte));
        motivo_ = motivo(file ? ERROR_DIRECTORY : err);
        return false;
    }
    return true;
}

}  // namespace compattatore
