// Temporaries on Windows are named files with a short name of fixed length beside the final
// name; a complete one is renamed over the final name, the files of a set one right after the
// other, with interruptions from the console held back meanwhile. A rename that meets a file
// another program holds open is tried again for a moment. A final name that is a device or a
// pipe is written to, from a temporary in the user's temporary folder.
#include "platform/file_sostitutivo.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <span>

#include "core/errori.h"
#include "platform/segnali.h"
#include "platform/windows/sistema_windows.h"

namespace compattatore {

namespace {

std::string messaggio(const char* azione, const std::string& percorso, DWORD err) {
    return std::string("cannot ") + azione + " " + percorso + ": " + motivo(err);
}

// A short name for the temporary that no other run picks at the same moment.
std::wstring nome_temporaneo(const std::wstring& cartella) {
    static std::atomic<unsigned> contatore{0};
    wchar_t nome[40];
    std::swprintf(nome, std::size(nome), L".compattatore-%08lx%04x",
                  static_cast<unsigned long>(GetCurrentProcessId()), contatore++ & 0xFFFF);
    return cartella + nome;
}

bool scrivi_in_maniglia(HANDLE h, const uint8_t* dati, size_t quanti, uint64_t offset, DWORD& err) {
    while (quanti > 0) {
        const DWORD parte = static_cast<DWORD>(std::min<size_t>(quanti, DWORD{1} << 30));
        OVERLAPPED o{};
        o.Offset = static_cast<DWORD>(offset);
        o.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD scritti = 0;
        if (!WriteFile(h, dati, parte, &scritti, &o)) {
            err = GetLastError();
            return false;
        }
        if (scritti == 0) {
            err = ERROR_DISK_FULL;
            return false;
        }
        dati += scritti;
        quanti -= scritti;
        offset += scritti;
    }
    return true;
}

bool leggi_da_maniglia(HANDLE h, uint8_t* dove, size_t quanti, uint64_t offset, DWORD& err) {
    while (quanti > 0) {
        const DWORD parte = static_cast<DWORD>(std::min<size_t>(quanti, DWORD{1} << 30));
        OVERLAPPED o{};
        o.Offset = static_cast<DWORD>(offset);
        o.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD letti = 0;
        if (!ReadFile(h, dove, parte, &letti, &o) || letti == 0) {
            err = letti == 0 ? ERROR_HANDLE_EOF : GetLastError();
            return false;
        }
        dove += letti;
        quanti -= letti;
        offset += letti;
    }
    return true;
}

// Whether another program holds the file open without letting it be deleted (the simulator
// reading a .dat): such a file cannot be replaced, and a rename over it is refused as access
// denied, which this tells apart from a file that may not be replaced at all.
bool tenuto_da_altri(const std::wstring& nome) {
    const HANDLE h =
        CreateFileW(nome.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return false;
    }
    return in_uso(GetLastError());
}

// Renames the temporary over the final name; a final file that another program holds open
// fails as one in use, and so is waited for a moment.
bool rinomina(const std::wstring& temporaneo, const std::wstring& finale) {
    return riprova_se_in_uso([&] {
        if (MoveFileExW(temporaneo.c_str(), finale.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD err = GetLastError();
        SetLastError(err == ERROR_ACCESS_DENIED && tenuto_da_altri(finale) ? ERROR_SHARING_VIOLATION
                                                                           : err);
        return false;
    });
}

uint64_t dimensione(HANDLE h) {
    LARGE_INTEGER d{};
    return GetFileSizeEx(h, &d) ? static_cast<uint64_t>(d.QuadPart) : 0;
}

}  // namespace

struct Temporaneo {
    HANDLE h = INVALID_HANDLE_VALUE;
    std::wstring nome;  // the temporary's path
    DaRimuovere registro;
    // Where the final name is no file on a disk (NUL, CON, a pipe): that, open for writing.
    // The temporary is then one that the system deletes when it is closed.
    HANDLE destinazione = INVALID_HANDLE_VALUE;

    ~Temporaneo() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        if (destinazione != INVALID_HANDLE_VALUE) CloseHandle(destinazione);
        if (!nome.empty()) DeleteFileW(nome.c_str());
    }
};

namespace {

// The final name open for writing when it is a device or a pipe, which is written to and never
// replaced; otherwise nothing (a file on a disk, or nothing there yet).
HANDLE dispositivo(const std::wstring& finale) {
    const HANDLE h = CreateFileW(finale.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return h;
    if (GetFileType(h) != FILE_TYPE_DISK) return h;
    CloseHandle(h);
    return INVALID_HANDLE_VALUE;
}

// Every byte of the temporary `da`, from its start, written in order to `a`.
bool copia_in(HANDLE da, HANDLE a, DWORD& err) {
    std::vector<uint8_t> pezzo(1 << 16);
    const uint64_t quanti = dimensione(da);
    for (uint64_t fatto = 0; fatto < quanti;) {
        const size_t parte = static_cast<size_t>(std::min<uint64_t>(quanti - fatto, pezzo.size()));
        if (!leggi_da_maniglia(da, pezzo.data(), parte, fatto, err)) return false;
        for (size_t scritto = 0; scritto < parte;) {
            DWORD n = 0;
            if (!WriteFile(a, pezzo.data() + scritto, static_cast<DWORD>(parte - scritto), &n,
                           nullptr)) {
                err = GetLastError();
                return false;
            }
            scritto += n;
        }
        fatto += parte;
    }
    return true;
}

}  // namespace

FileSostitutivo::FileSostitutivo(std::string percorso)
    : percorso_(std::move(percorso)), t_(std::make_unique<Temporaneo>()) {
    const std::wstring finale = in_utf16(percorso_);
    const DWORD attributi = GetFileAttributesW(finale.c_str());
    if (finale.empty() || finale.back() == L'\\' || finale.back() == L'/' ||
        (attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        t_.reset();
        throw ErrorePiattaforma(messaggio("replace", percorso_, ERROR_DIRECTORY));
    }
    const auto barra = finale.find_last_of(L"\\/");
    std::wstring cartella = barra == std::wstring::npos ? L"" : finale.substr(0, barra + 1);
    DWORD modo = FILE_ATTRIBUTE_NORMAL;
    t_->destinazione = dispositivo(finale);
    if (t_->destinazione != INVALID_HANDLE_VALUE) {
        wchar_t provvisoria[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, provvisoria);
        cartella = n > 0 && n <= MAX_PATH ? std::wstring(provvisoria, n) : L"";
        modo = FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE;
    }
    const SenzaInterruzioni senza;
    DWORD err = 0;
    for (int tentativo = 0; tentativo < 100 && t_->h == INVALID_HANDLE_VALUE; ++tentativo) {
        const std::wstring temporaneo = nome_temporaneo(cartella);
        // Nobody else reads or writes it; an interruption may delete it while it is open.
        t_->h = CreateFileW(temporaneo.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE,
                            nullptr, CREATE_NEW, modo, nullptr);
        err = GetLastError();
        if (t_->h != INVALID_HANDLE_VALUE && (modo & FILE_FLAG_DELETE_ON_CLOSE) == 0) {
            t_->nome = temporaneo;
            t_->registro = DaRimuovere(da_utf16(temporaneo));
        }
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) break;
    }
    if (t_->h == INVALID_HANDLE_VALUE) fallisci("create", static_cast<int>(err));
    buffer_.reserve(capacita);
}

FileSostitutivo::~FileSostitutivo() = default;

void FileSostitutivo::fallisci(const char* azione, int err) {
    t_.reset();
    throw ErrorePiattaforma(messaggio(azione, percorso_, static_cast<DWORD>(err)));
}

void FileSostitutivo::scrivi_al_posto(const uint8_t* dati, size_t quanti, uint64_t offset) {
    if (!t_ || completo_) fallisci("write", ERROR_INVALID_HANDLE);
    DWORD err = 0;
    if (!scrivi_in_maniglia(t_->h, dati, quanti, offset, err)) {
        fallisci("write", static_cast<int>(err));
    }
}

void FileSostitutivo::accoda(FileSostitutivo& altro) {
    svuota();
    if (!t_ || completo_ || !altro.t_ || !altro.completo_) fallisci("write", ERROR_INVALID_HANDLE);
    const uint64_t quanti = dimensione(altro.t_->h);
    std::vector<uint8_t> pezzo(capacita);
    for (uint64_t da = 0; da < quanti;) {
        const size_t parte = static_cast<size_t>(std::min<uint64_t>(quanti - da, pezzo.size()));
        DWORD err = 0;
        if (!leggi_da_maniglia(altro.t_->h, pezzo.data(), parte, da, err) ||
            !scrivi_in_maniglia(t_->h, pezzo.data(), parte, scritti_ + da, err)) {
            fallisci("write", static_cast<int>(err));
        }
        da += parte;
    }
    scritti_ += quanti;
}

void FileSostitutivo::completa() {
    if (completo_) return;
    svuota();
    if (!t_) fallisci("write", ERROR_INVALID_HANDLE);
    // The last bytes reach the file, or the failure is known, before any rename.
    if (!FlushFileBuffers(t_->h)) fallisci("write", static_cast<int>(GetLastError()));
    completo_ = true;
}

std::string FileSostitutivo::leggi_tutto() {
    completa();
    std::string byte(static_cast<size_t>(dimensione(t_->h)), '\0');
    DWORD err = 0;
    if (!leggi_da_maniglia(t_->h, reinterpret_cast<uint8_t*>(byte.data()), byte.size(), 0, err)) {
        fallisci("read", static_cast<int>(err));
    }
    return byte;
}

void FileSostitutivo::chiudi() {
    completa();
    FileSostitutivo* uno[] = {this};
    nomina(uno, [](size_t) {});
}

void FileSostitutivo::nomina(std::span<FileSostitutivo* const> pronti,
                             const std::function<void(size_t)>& nominato) {
    // Every final name is checked before the first is given: neither a folder nor a file that
    // another program holds open (waited for a moment) stands there.
    for (const FileSostitutivo* f : pronti) {
        if (f->t_->destinazione != INVALID_HANDLE_VALUE) continue;
        const std::wstring finale = in_utf16(f->percorso_);
        const DWORD a = GetFileAttributesW(finale.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            throw ErrorePiattaforma(messaggio("replace", f->percorso_, ERROR_DIRECTORY));
        }
        if (a != INVALID_FILE_ATTRIBUTES && !riprova_se_in_uso([&] {
                if (!tenuto_da_altri(finale)) return true;
                SetLastError(ERROR_SHARING_VIOLATION);
                return false;
            })) {
            throw ErrorePiattaforma(messaggio("replace", f->percorso_, ERROR_SHARING_VIOLATION));
        }
    }
    const SenzaInterruzioni senza;
    for (size_t i = 0; i < pronti.size(); ++i) {
        FileSostitutivo& f = *pronti[i];
        Temporaneo& t = *f.t_;
        if (t.destinazione != INVALID_HANDLE_VALUE) {
            DWORD err = 0;
            if (!copia_in(t.h, t.destinazione, err)) {
                f.t_.reset();
                throw ErrorePiattaforma(messaggio("write", f.percorso_, err));
            }
            f.t_.reset();
            nominato(i);
            continue;
        }
        CloseHandle(t.h);
        t.h = INVALID_HANDLE_VALUE;
        const std::wstring finale = in_utf16(f.percorso_);
        if (!rinomina(t.nome, finale)) {
            const DWORD err = GetLastError();
            f.t_.reset();
            throw ErrorePiattaforma(messaggio("replace", f.percorso_, err));
        }
        t.nome.clear();
        t.registro.rilascia();
        f.t_.reset();
        nominato(i);
    }
}

bool scriverebbe_su(const std::string& uscita, const std::string& sorgente) {
    const std::filesystem::path u(in_utf16(uscita));
    const std::filesystem::path s(in_utf16(sorgente));
    std::error_code ec;
    if (std::filesystem::equivalent(u, s, ec) && !ec) return true;
    std::error_code ec1;
    std::error_code ec2;
    const auto cu = std::filesystem::weakly_canonical(u, ec1);
    const auto cs = std::filesystem::weakly_canonical(s, ec2);
    return !ec1 && !ec2 && cu == cs;
}

}  // namespace compattatore
