// Runs that the platform cuts short: a directory the program may not write, a file size
// limit reached in the middle of the track plan, a source file that is missing or cannot be
// read. Each must end with a message and a non-zero status and leave every earlier file of
// the same name as it was. The real program runs in a child process; as root the child
// gives up its privileges (uid and gid 65534) where the case needs a refusal that root would
// not meet.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr uid_t nessuno = 65534;
const std::string linea = "VALCRESTINA_TORVE_linea.txt";
const std::string treno = "VALCRESTINA_TORVE_325-.txt";
const std::vector<std::string> documenti = {"VALCRESTINA_TORVE_325_note.txt",
                                            "VALCRESTINA_TORVE_325_rallentamenti.txt",
                                            "VALCRESTINA_TORVE_325_scheda_treno.txt"};
const std::string tracciato = "VALCRESTINA_TORVE_linea.dat";
const std::vector<std::string> binari = {tracciato, "VALCRESTINA_TORVE_325.sim",
                                         "VALCRESTINA_TORVE_325.dat"};

bool root() {
    return ::geteuid() == 0;
}

class Cartella {
  public:
    Cartella() {
        std::string modello = (fs::temp_directory_path() / "guasti.XXXXXX").string();
        if (::mkdtemp(modello.data()) == nullptr) throw std::runtime_error("mkdtemp");
        percorso_ = modello;
        permessi(0755);
    }
    ~Cartella() {
        std::error_code ignorato;
        fs::permissions(percorso_, fs::perms::owner_all, fs::perm_options::add, ignorato);
        fs::remove_all(percorso_, ignorato);
    }
    Cartella(const Cartella&) = delete;
    Cartella& operator=(const Cartella&) = delete;

    const fs::path& percorso() const { return percorso_; }
    std::string operator/(const std::string& nome) const { return (percorso_ / nome).string(); }
    void permessi(unsigned modo) const { fs::permissions(percorso_, static_cast<fs::perms>(modo)); }

    std::set<std::string> nomi() const {
        std::set<std::string> n;
        for (const auto& voce : fs::directory_iterator(percorso_)) {
            n.insert(voce.path().filename().string());
        }
        return n;
    }

  private:
    fs::path percorso_;
};

std::string leggi(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void scrivi(const std::string& file, const std::string& contenuto, unsigned modo = 0644) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << contenuto;
    fs::permissions(file, static_cast<fs::perms>(modo));
}

// Earlier versions of the given files, each with its own recognisable content.
std::map<std::string, std::string> prepara_precedenti(const Cartella& c,
                                                      const std::vector<std::string>& nomi) {
    std::map<std::string, std::string> precedenti;
    for (const auto& n : nomi) {
        precedenti[n] = "earlier " + n + " from a previous run\n";
        scrivi(c / n, precedenti[n]);
    }
    return precedenti;
}

void controlla_intatti(const Cartella& c, const std::map<std::string, std::string>& precedenti) {
    for (const auto& [nome, contenuto] : precedenti) {
        const std::string ora = leggi(c / nome);
        // Not EXPECT_EQ: a replaced track plan would print a megabyte.
        EXPECT_TRUE(ora == contenuto) << nome << " was replaced (" << ora.size() << " bytes now)";
    }
}

// A copy of the program inside `c`, where the no-argument run writes its files.
std::string copia_programma(const Cartella& c) {
    const std::string copia = c / "compattatore";
    fs::copy_file(COMPATTATORE_EXE, copia);
    fs::permissions(copia, static_cast<fs::perms>(0755));
    return copia;
}

struct Limiti {
    bool senza_privilegi = false;
    rlim_t dimensione_file = RLIM_INFINITY;
};

struct Esito {
    int stato = -1;  // the exit status, or 128 + the signal that ended the child
    std::string errori;
};

Esito esegui(const std::vector<std::string>& argomenti, const Limiti& limiti = {}) {
    Cartella uscite;
    const std::string file_errori = uscite / "stderr";
    const pid_t figlio = ::fork();
    if (figlio < 0) throw std::runtime_error("fork");
    if (figlio == 0) {
        const int fd = ::open(file_errori.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nulla = ::open("/dev/null", O_RDWR);
        if (fd < 0 || nulla < 0 || ::dup2(fd, 2) < 0 || ::dup2(nulla, 1) < 0 ||
            ::dup2(nulla, 0) < 0) {
            ::_exit(120);
        }
        if (limiti.dimensione_file != RLIM_INFINITY) {
            // Ignored, SIGXFSZ turns the write past the limit into an EFBIG failure.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit r{limiti.dimensione_file, limiti.dimensione_file};
            if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(121);
        }
        if (limiti.senza_privilegi && root()) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(nessuno) != 0 || ::setuid(nessuno) != 0) {
                ::_exit(122);
            }
        }
        std::vector<char*> argv;
        for (const auto& a : argomenti) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(123);
    }
    int stato = 0;
    while (::waitpid(figlio, &stato, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("waitpid");
    }
    Esito e;
    e.stato = WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato);
    e.errori = leggi(file_errori);
    EXPECT_LT(e.stato, 120) << "the child could not be prepared or the program not started";
    return e;
}

// The built-in sources, written by the program itself.
void scrivi_sorgenti(const Cartella& c) {
    const auto e = esegui({COMPATTATORE_EXE, "sources", c.percorso().string()});
    ASSERT_EQ(e.stato, 0) << e.errori;
    ASSERT_TRUE(fs::exists(c / linea) && fs::exists(c / treno));
}

TEST(Guasti, NoArgumentRunInADirectoryItMayNotWrite) {
    if (!root() && ::access("/", W_OK) == 0) GTEST_SKIP() << "cannot make an unwritable place";
    Cartella c;
    const std::string programma = copia_programma(c);
    std::vector<std::string> tutti = {linea, treno};
    tutti.insert(tutti.end(), documenti.begin(), documenti.end());
    tutti.insert(tutti.end(), binari.begin(), binari.end());
    const auto precedenti = prepara_precedenti(c, tutti);
    const auto prima = c.nomi();
    c.permessi(0555);

    const auto e = esegui({programma}, {.senza_privilegi = true});

    EXPECT_NE(e.stato, 0);
    EXPECT_NE(e.errori.find(linea), std::string::npos) << e.errori;
    EXPECT_NE(e.errori.find("Permission denied"), std::string::npos) << e.errori;
    controlla_intatti(c, precedenti);
    EXPECT_EQ(c.nomi(), prima);
}

TEST(Guasti, CompileIntoADirectoryItMayNotWrite) {
    if (!root() && ::access("/", W_OK) == 0) GTEST_SKIP() << "cannot make an unwritable place";
    Cartella sorgenti;
    scrivi_sorgenti(sorgenti);
    Cartella uscita;
    const auto precedenti = prepara_precedenti(uscita, binari);
    uscita.permessi(0555);

    const auto e = esegui({COMPATTATORE_EXE, "compile", sorgenti / linea, sorgenti / treno,
                           "--output", uscita.percorso().string()},
                          {.senza_privilegi = true});

    EXPECT_NE(e.stato, 0);
    EXPECT_NE(e.errori.find(uscita.percorso().string()), std::string::npos) << e.errori;
    EXPECT_NE(e.errori.find("Permission denied"), std::string::npos) << e.errori;
    controlla_intatti(uscita, precedenti);
    EXPECT_EQ(uscita.nomi().size(), binari.size());
}

// The three documents fit under the limit; the track plan (1259964 bytes) does not.
TEST(Guasti, FileSizeLimitReachedWhileWritingTheTrackPlan) {
    Cartella c;
    const std::string programma = copia_programma(c);
    const auto precedenti = prepara_precedenti(c, binari);

    const auto e = esegui({programma}, {.dimensione_file = 500000});

    EXPECT_NE(e.stato, 0);
    EXPECT_NE(e.errori.find(tracciato), std::string::npos) << e.errori;
    EXPECT_NE(e.errori.find("File too large"), std::string::npos) << e.errori;
    // The track plan is the first binary file: none of the three was replaced, and nothing
    // half-written is left behind.
    controlla_intatti(c, precedenti);
    std::set<std::string> attesi = {"compattatore"};
    attesi.insert(documenti.begin(), documenti.end());
    attesi.insert(binari.begin(), binari.end());
    EXPECT_EQ(c.nomi(), attesi);
    for (const auto& d : documenti) EXPECT_GT(fs::file_size(c / d), 0u) << d;
}

// A source that is missing or unreadable stops compile before anything is written, with the
// system's reason: the author's earlier output is not replaced by a compile of half the
// scenario.
TEST(Guasti, CompileWithASourceMissingOrUnreadable) {
    struct Caso {
        const char* descrizione;
        const std::string* sorgente;
        bool illeggibile;    // present with mode 000, read without privileges
        const char* motivo;  // the system's reason, where the file exists
    };
    const Caso casi[] = {
        {"line file missing", &linea, false, nullptr},
        {"train file missing", &treno, false, nullptr},
        {"line file unreadable", &linea, true, "Permission denied"},
        {"train file unreadable", &treno, true, "Permission denied"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.descrizione);
        if (caso.illeggibile && !root() && ::access("/", W_OK) == 0) continue;
        Cartella sorgenti;
        scrivi_sorgenti(sorgenti);
        const std::string guasto = sorgenti / *caso.sorgente;
        if (caso.illeggibile) {
            fs::permissions(guasto, fs::perms::none);
        } else {
            fs::remove(guasto);
        }
        Cartella uscita;
        uscita.permessi(0777);
        const auto precedenti = prepara_precedenti(uscita, binari);

        const auto e = esegui({COMPATTATORE_EXE, "compile", sorgenti / linea, sorgenti / treno,
                               "--output", uscita.percorso().string()},
                              {.senza_privilegi = caso.illeggibile});

        EXPECT_NE(e.stato, 0);
        EXPECT_NE(e.errori.find(guasto), std::string::npos) << e.errori;
        if (caso.motivo) {
            EXPECT_NE(e.errori.find(caso.motivo), std::string::npos) << e.errori;
        }
        controlla_intatti(uscita, precedenti);
        EXPECT_EQ(uscita.nomi().size(), binari.size());
        // The author's sources are never touched, whatever happened.
        const std::string altra = sorgenti / (caso.sorgente == &linea ? treno : linea);
        EXPECT_TRUE(fs::exists(altra));
    }
}

}  // namespace
