// Temporaries are, where the file system allows it, files without a name (O_TMPFILE) in the
// directory of their final name; a complete one is linked under a short name of fixed length
// (so that any final name the system takes works) and at once renamed over the final name.
// Elsewhere they are named files with such a short name, removed if the run is interrupted.
//
// The names of a set are given by a child process that shares the program's memory and
// ignores interruptions: the program itself may be killed meanwhile, the child still gives
// every name of the set, and an interruption of the program waits until it has.
#include "platform/file_sostitutivo.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <span>

#include "core/errori.h"
#include "platform/percorso.h"
#include "platform/segnali.h"

namespace compattatore {

namespace {

constexpr std::string_view prefisso_temporaneo = ".compattatore-";
constexpr size_t lettere_casuali = 6;

std::string messaggio(const char* azione, const std::string& percorso, int err) {
    return std::string("cannot ") + azione + " " + percorso + ": " + std::strerror(err);
}

// The permissions a newly created file would get (0666 less the umask), read once.
mode_t permessi_nuovo_file() {
    static const mode_t permessi = [] {
        const mode_t maschera = ::umask(0);
        ::umask(maschera);
        return static_cast<mode_t>(0666 & ~maschera);
    }();
    return permessi;
}

// Whether files without a name can be linked here: through /proc, which must be there.
bool proc_disponibile() {
    static const bool si = ::access("/proc/self/fd", X_OK) == 0;
    return si;
}

// The directory to open for a file's temporary: "/" for a file in the root.
std::string cartella_del_file(const std::string& percorso) {
    const std::string cartella = cartella_di(percorso);
    return cartella.empty() ? "/" : cartella;
}

std::string nome_casuale(const std::string& cartella) {
    static constexpr char lettere[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::random_device sorgente;
    std::uniform_int_distribution<size_t> scelta(0, sizeof lettere - 2);
    std::string nome = cartella + "/" + std::string(prefisso_temporaneo);
    for (size_t i = 0; i < lettere_casuali; ++i) nome += lettere[scelta(sorgente)];
    return nome;
}

// Whether the name, followed link by link, passes through /proc: it then names one of the
// process's own descriptors (/dev/stdout, /dev/fd/3), never a file to replace.
bool passa_per_proc(std::string percorso) {
    for (int salti = 0; salti < 40; ++salti) {
        if (percorso.rfind("/proc/", 0) == 0 || percorso.rfind("/dev/fd/", 0) == 0) return true;
        struct stat st {};
        if (::lstat(percorso.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
        std::string bersaglio(static_cast<size_t>(st.st_size) + 256, '\0');
        const ssize_t n = ::readlink(percorso.c_str(), bersaglio.data(), bersaglio.size());
        if (n <= 0) return false;
        bersaglio.resize(static_cast<size_t>(n));
        if (bersaglio.front() != '/') bersaglio.insert(0, cartella_di(percorso) + "/");
        percorso = std::move(bersaglio);
    }
    return false;
}

bool stesso(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void scrivi_tutto_in(int fd, const uint8_t* dati, size_t quanti, uint64_t offset, int& err) {
    while (quanti > 0 && err == 0) {
        const ssize_t n = ::pwrite(fd, dati, quanti, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno != EINTR) err = errno;
            continue;
        }
        dati += n;
        quanti -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
}

// A file with no name anywhere, for bytes that go elsewhere in the end.
int anonimo() {
    int fd = ::memfd_create("compattatore", MFD_CLOEXEC);
    if (fd >= 0) return fd;
    fd = ::open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    char modello[] = "/tmp/.compattatore-XXXXXX";
    fd = ::mkostemp(modello, O_CLOEXEC);
    if (fd >= 0) ::unlink(modello);
    return fd;
}

}  // namespace

struct Temporaneo {
    enum class Modo {
        senza_nome,  // O_TMPFILE in the final directory, linked when complete
        con_nome,    // a named file in the final directory
        diretto      // an anonymous file, copied into the final name, which is not a file
    };
    Modo modo = Modo::senza_nome;
    int fd = -1;
    std::string cartella;
    std::string nome;  // con_nome: the temporary's path
    DaRimuovere registro;
    bool tronca = false;  // diretto: a regular file reached through /proc, written from 0

    ~Temporaneo() {
        if (fd >= 0) ::close(fd);
        if (modo == Modo::con_nome && !nome.empty()) ::unlink(nome.c_str());
    }
};

FileSostitutivo::FileSostitutivo(std::string percorso)
    : percorso_(std::move(percorso)), t_(std::make_unique<Temporaneo>()) {
    Temporaneo& t = *t_;
    t.cartella = cartella_del_file(percorso_);
    if (percorso_.empty() || percorso_.back() == '/') {
        t_.reset();
        throw ErrorePiattaforma(messaggio("create", percorso_, EISDIR));
    }
    struct stat st {};
    const bool c_e = ::lstat(percorso_.c_str(), &st) == 0;
    if (!c_e && errno != ENOENT) {
        const int e = errno;
        t_.reset();
        throw ErrorePiattaforma(messaggio("create", percorso_, e));
    }
    if (c_e && S_ISDIR(st.st_mode)) {
        t_.reset();
        throw ErrorePiattaforma(messaggio("replace", percorso_, EISDIR));
    }
    if (c_e && S_ISBLK(st.st_mode)) {
        t_.reset();
        throw ErrorePiattaforma("cannot write " + percorso_ + ": a block device is not written");
    }
    bool diretto = c_e && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
    if (c_e && S_ISLNK(st.st_mode)) {
        struct stat bersaglio {};
        if (::stat(percorso_.c_str(), &bersaglio) == 0) {
            const bool speciale = S_ISCHR(bersaglio.st_mode) || S_ISFIFO(bersaglio.st_mode) ||
                                  S_ISSOCK(bersaglio.st_mode);
            if (speciale || (S_ISREG(bersaglio.st_mode) && passa_per_proc(percorso_))) {
                diretto = true;
                t.tronca = S_ISREG(bersaglio.st_mode);
            }
        }
    }
    buffer_.reserve(capacita);

    if (diretto) {
        t.modo = Temporaneo::Modo::diretto;
        t.fd = anonimo();
        if (t.fd < 0) fallisci("write", errno);
        return;
    }

    // A replaced file keeps its permissions and, where the system lets us, its owner.
    const bool sostituisce = c_e && S_ISREG(st.st_mode);
    const mode_t permessi = sostituisce ? (st.st_mode & 0777) : permessi_nuovo_file();
    if (proc_disponibile()) {
        t.fd = ::open(t.cartella.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (t.fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            fallisci("create", errno);
        }
    }
    if (t.fd < 0) {
        t.modo = Temporaneo::Modo::con_nome;
        // Created and registered with interruptions held back, so none leaves it behind.
        const SenzaInterruzioni senza;
        std::string modello =
            t.cartella + "/" + std::string(prefisso_temporaneo) + std::string(lettere_casuali, 'X');
        t.fd = ::mkostemp(modello.data(), O_CLOEXEC);
        if (t.fd < 0) fallisci("create", errno);
        t.nome = modello;
        t.registro = DaRimuovere(t.nome);
        // mkostemp makes it private; a file without a name got the usual permissions.
        if (!sostituisce && ::fchmod(t.fd, permessi) != 0) fallisci("create", errno);
    }
    if (sostituisce) {
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
            // Without the right to give the file away it stays ours.
            [[maybe_unused]] const int ignorato = ::fchown(t.fd, st.st_uid, st.st_gid);
        }
        if (::fchmod(t.fd, permessi) != 0) fallisci("create", errno);
    }
}

FileSostitutivo::~FileSostitutivo() = default;

void FileSostitutivo::fallisci(const char* azione, int err) {
    t_.reset();
    throw ErrorePiattaforma(messaggio(azione, percorso_, err));
}

void FileSostitutivo::scrivi_al_posto(const uint8_t* dati, size_t quanti, uint64_t offset) {
    if (!t_ || completo_) fallisci("write", EBADF);
    int err = 0;
    scrivi_tutto_in(t_->fd, dati, quanti, offset, err);
    if (err != 0) fallisci("write", err);
}

void FileSostitutivo::accoda(FileSostitutivo& altro) {
    svuota();
    if (!t_ || completo_ || !altro.t_ || !altro.completo_) fallisci("write", EBADF);
    struct stat st {};
    if (::fstat(altro.t_->fd, &st) != 0) fallisci("write", errno);
    const auto quanti = static_cast<uint64_t>(st.st_size);
    loff_t da = 0;
    auto a = static_cast<loff_t>(scritti_);
    while (static_cast<uint64_t>(da) < quanti) {
        const ssize_t n =
            ::copy_file_range(altro.t_->fd, &da, t_->fd, &a,
                              static_cast<size_t>(quanti - static_cast<uint64_t>(da)), 0);
        if (n > 0) continue;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            fallisci("write", errno);
        }
        // Where the kernel cannot copy between these two files, through the program.
        std::vector<uint8_t> pezzo(capacita);
        while (static_cast<uint64_t>(da) < quanti) {
            const ssize_t letti = ::pread(altro.t_->fd, pezzo.data(), pezzo.size(), da);
            if (letti < 0 && errno == EINTR) continue;
            if (letti <= 0) fallisci("write", letti < 0 ? errno : EIO);
            int err = 0;
            scrivi_tutto_in(t_->fd, pezzo.data(), static_cast<size_t>(letti),
                            static_cast<uint64_t>(a), err);
            if (err != 0) fallisci("write", err);
            da += letti;
            a += letti;
        }
    }
    scritti_ += quanti;
}

void FileSostitutivo::completa() {
    if (completo_) return;
    svuota();
    if (!t_) fallisci("write", EBADF);
    completo_ = true;
}

std::string FileSostitutivo::leggi_tutto() {
    completa();
    struct stat st {};
    if (::fstat(t_->fd, &st) != 0) fallisci("read", errno);
    std::string byte(static_cast<size_t>(st.st_size), '\0');
    size_t letti = 0;
    while (letti < byte.size()) {
        const ssize_t n =
            ::pread(t_->fd, byte.data() + letti, byte.size() - letti, static_cast<off_t>(letti));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fallisci("read", n < 0 ? errno : EIO);
        letti += static_cast<size_t>(n);
    }
    return byte;
}

void FileSostitutivo::chiudi() {
    completa();
    FileSostitutivo* uno[] = {this};
    nomina(uno, [](size_t) {});
}

// ---- the set ---------------------------------------------------------------------------

namespace {

// One name to give, in plain data that the child reads.
struct Passo {
    const char* descrittore = nullptr;  // senza_nome: /proc/self/fd/N
    const char* candidati[8] = {};      // senza_nome: short names to link under, in turn
    const char* temporaneo = nullptr;   // con_nome: the temporary's path
    const char* finale = nullptr;
};

struct Piano {
    const Passo* passi = nullptr;
    int quanti = 0;
    int fatti = 0;   // how many names were given
    int errore = 0;  // the system's reason where the next one failed
};

// Gives every name of the plan in turn; stops at the first that fails. Uses nothing but
// system calls, since it runs in the child.
__attribute__((no_sanitize("address", "undefined"))) void esegui_piano(Piano& piano) {
    for (int i = 0; i < piano.quanti; ++i) {
        const Passo& p = piano.passi[i];
        const char* origine = p.temporaneo;
        if (p.descrittore != nullptr) {
            origine = nullptr;
            int err = EEXIST;
            for (const char* c : p.candidati) {
                if (c == nullptr) break;
                if (::linkat(AT_FDCWD, p.descrittore, AT_FDCWD, c, AT_SYMLINK_FOLLOW) == 0) {
                    origine = c;
                    break;
                }
                err = errno;
                if (err != EEXIST) break;
            }
            if (origine == nullptr) {
                piano.errore = err;
                return;
            }
        }
        if (::rename(origine, p.finale) != 0) {
            piano.errore = errno;
            if (p.descrittore != nullptr) ::unlink(origine);
            return;
        }
        piano.fatti = i + 1;
    }
}

__attribute__((no_sanitize("address", "undefined"))) int figlio(void* argomento) {
    esegui_piano(*static_cast<Piano*>(argomento));
    ::_exit(0);
}

// Runs the plan in a child that shares this memory and holds every signal back (the mask is
// inherited); this process waits for it. Where no such child can be made, here.
void esegui_senza_interruzioni(Piano& piano) {
    sigset_t tutti;
    sigset_t prima;
    ::sigfillset(&tutti);
    ::pthread_sigmask(SIG_BLOCK, &tutti, &prima);
    constexpr size_t pila = size_t{64} * 1024;
    void* memoria = ::mmap(nullptr, pila, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    pid_t pid = -1;
    if (memoria != MAP_FAILED) {
        pid = ::clone(figlio, static_cast<char*>(memoria) + pila, CLONE_VM | CLONE_VFORK | SIGCHLD,
                      &piano);
    }
    if (pid > 0) {
        int stato = 0;
        while (::waitpid(pid, &stato, 0) < 0 && errno == EINTR) {
        }
    } else {
        esegui_piano(piano);
    }
    if (memoria != MAP_FAILED) ::munmap(memoria, pila);
    ::pthread_sigmask(SIG_SETMASK, &prima, nullptr);
}

// A final name that the step can replace: none yet, a file, or a link (replaced itself).
int controlla_finale(const std::string& finale, const std::string& cartella) {
    struct stat st {};
    if (::lstat(finale.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return EINVAL;
    // In a sticky directory only the owner of a file (or of the directory) may replace it.
    struct stat dir {};
    if (::stat(cartella.c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) != 0) {
        const uid_t io = ::geteuid();
        if (io != 0 && st.st_uid != io && dir.st_uid != io) return EPERM;
    }
    return 0;
}

// Writes the bytes of `fd` into the name that is not a file of its own.
int copia_diretta(int fd, const std::string& finale, bool tronca) {
    struct stat st {};
    if (::stat(finale.c_str(), &st) != 0) return errno;
    int uscita = -1;
    bool propria = false;
    for (int standard : {1, 2}) {
        struct stat s {};
        if (::fstat(standard, &s) == 0 && stesso(s, st)) {
            uscita = standard;
            propria = true;
            break;
        }
    }
    if (uscita < 0 && S_ISSOCK(st.st_mode)) {
        sockaddr_un indirizzo{};
        indirizzo.sun_family = AF_UNIX;
        if (finale.size() >= sizeof indirizzo.sun_path) return ENAMETOOLONG;
        std::memcpy(indirizzo.sun_path, finale.c_str(), finale.size() + 1);
        uscita = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (uscita < 0) return errno;
        if (::connect(uscita, reinterpret_cast<const sockaddr*>(&indirizzo), sizeof indirizzo) !=
            0) {
            const int e = errno;
            ::close(uscita);
            return e;
        }
    } else if (uscita < 0) {
        uscita = ::open(finale.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (tronca ? O_TRUNC : 0));
        if (uscita < 0) return errno;
    }
    int err = 0;
    std::vector<char> pezzo(1 << 16);
    off_t da = 0;
    while (err == 0) {
        const ssize_t n = ::pread(fd, pezzo.data(), pezzo.size(), da);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) err = errno;
        if (n <= 0) break;
        da += n;
        const char* p = pezzo.data();
        size_t resto = static_cast<size_t>(n);
        while (resto > 0) {
            const ssize_t w = ::write(uscita, p, resto);
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) {
                err = errno;
                break;
            }
            p += w;
            resto -= static_cast<size_t>(w);
        }
    }
    if (!propria && ::close(uscita) != 0 && err == 0) err = errno;
    return err;
}

}  // namespace

void FileSostitutivo::nomina(std::span<FileSostitutivo* const> pronti,
                             const std::function<void(size_t)>& nominato) {
    // Every final name is checked before the first is given.
    for (const FileSostitutivo* f : pronti) {
        const Temporaneo& t = *f->t_;
        if (t.modo == Temporaneo::Modo::diretto) continue;
        if (const int e = controlla_finale(f->percorso_, t.cartella); e != 0) {
            if (e == EINVAL) {
                throw ErrorePiattaforma("cannot replace " + f->percorso_ +
                                        ": it is no longer a regular file");
            }
            throw ErrorePiattaforma(messaggio("replace", f->percorso_, e));
        }
    }

    std::vector<size_t> file;  // the indices of the files that take a name, in order
    std::vector<Passo> passi;
    std::vector<std::string> nomi;  // the strings the plan points into
    nomi.reserve(pronti.size() * 9);
    for (size_t i = 0; i < pronti.size(); ++i) {
        const FileSostitutivo& f = *pronti[i];
        const Temporaneo& t = *f.t_;
        if (t.modo == Temporaneo::Modo::diretto) continue;
        Passo p;
        p.finale = f.percorso_.c_str();
        if (t.modo == Temporaneo::Modo::senza_nome) {
            nomi.push_back("/proc/self/fd/" + std::to_string(t.fd));
            p.descrittore = nomi.back().c_str();
            for (auto& c : p.candidati) {
                nomi.push_back(nome_casuale(t.cartella));
                c = nomi.back().c_str();
            }
        } else {
            p.temporaneo = t.nome.c_str();
        }
        passi.push_back(p);
        file.push_back(i);
    }
    Piano piano;
    piano.passi = passi.data();
    piano.quanti = static_cast<int>(passi.size());
    {
        // The names given are recorded before an interruption held back can end the run.
        const SenzaInterruzioni senza;
        if (piano.quanti > 0) esegui_senza_interruzioni(piano);
        for (int k = 0; k < piano.fatti; ++k) {
            const size_t i = file[static_cast<size_t>(k)];
            Temporaneo& t = *pronti[i]->t_;
            t.nome.clear();
            t.registro.rilascia();
            pronti[i]->t_.reset();
            nominato(i);
        }
    }
    if (piano.fatti < piano.quanti) {
        const FileSostitutivo& f = *pronti[file[static_cast<size_t>(piano.fatti)]];
        throw ErrorePiattaforma(messaggio("replace", f.percorso_, piano.errore));
    }
    // Names that are not files of their own take their bytes last, once the files are there.
    for (size_t i = 0; i < pronti.size(); ++i) {
        FileSostitutivo& f = *pronti[i];
        if (!f.t_) continue;
        if (const int e = copia_diretta(f.t_->fd, f.percorso_, f.t_->tronca); e != 0) {
            f.t_.reset();
            throw ErrorePiattaforma(messaggio("write", f.percorso_, e));
        }
        f.t_.reset();
        nominato(i);
    }
}

bool scriverebbe_su(const std::string& uscita, const std::string& sorgente) {
    struct stat a {};
    struct stat b {};
    if (::stat(uscita.c_str(), &a) == 0 && ::stat(sorgente.c_str(), &b) == 0 && stesso(a, b)) {
        return true;
    }
    std::error_code ec1;
    std::error_code ec2;
    const auto u = std::filesystem::weakly_canonical(uscita, ec1);
    const auto s = std::filesystem::weakly_canonical(sorgente, ec2);
    return !ec1 && !ec2 && u == s;
}

}  // namespace compattatore
