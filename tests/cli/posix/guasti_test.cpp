// Runs that the platform cuts short or that meet something other than plain files: a
// directory the program may not write, a file size limit, a full disk, a directory at an
// output's name, a source that is missing, unreadable, endless or huge, outputs that are
// devices, pipes or a source itself; runs killed at random moments and runs at once in one
// folder. Each must end with a message and its status, and leave every earlier output either
// as it was or replaced by a whole new set, with nothing of its own left behind. The real
// program runs in a child process; as root the child gives up its privileges (uid and gid
// 65534) where the case needs a refusal that root would not meet.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "prova_comune.h"

namespace {

namespace fs = std::filesystem;
using prova::esegui;
using prova::leggi;

const std::string linea = "VALCRESTINA_TORVE_linea.txt";
const std::string treno = "VALCRESTINA_TORVE_325-.txt";
const std::vector<std::string> documenti = {"VALCRESTINA_TORVE_325_note.txt",
                                            "VALCRESTINA_TORVE_325_rallentamenti.txt",
                                            "VALCRESTINA_TORVE_325_scheda_treno.txt"};
const std::string tracciato = "VALCRESTINA_TORVE_linea.dat";
const std::vector<std::string> binari = {tracciato, "VALCRESTINA_TORVE_325.sim",
                                         "VALCRESTINA_TORVE_325.dat"};
const std::string attesa = "waiting for another run";

bool root() {
    return ::geteuid() == 0;
}

std::vector<std::string> uscite_predefinite() {
    std::vector<std::string> tutte = documenti;
    tutte.insert(tutte.end(), binari.begin(), binari.end());
    return tutte;
}

// A fresh directory that the program may enter and read even without privileges.
struct Cartella : prova::CartellaTemporanea {
    Cartella() : prova::CartellaTemporanea("guasti") { permessi(0755); }

    void permessi(unsigned modo) const { fs::permissions(percorso, static_cast<fs::perms>(modo)); }

    std::set<std::string> nomi() const {
        const auto n = prova::nomi_in(percorso);
        return {n.begin(), n.end()};
    }
};

using Contenuti = std::map<std::string, std::string>;

// Earlier versions of the given files, each with its own recognisable content.
Contenuti prepara_precedenti(const fs::path& c, const std::vector<std::string>& nomi) {
    Contenuti precedenti;
    for (const auto& n : nomi) {
        precedenti[n] = "earlier " + n + " from a previous run\n";
        prova::scrivi(c / n, precedenti[n]);
        fs::permissions(c / n, static_cast<fs::perms>(0644));
    }
    return precedenti;
}

Contenuti contenuti(const fs::path& c, const std::vector<std::string>& nomi) {
    Contenuti r;
    for (const auto& n : nomi) r[n] = leggi(c / n);
    return r;
}

void controlla_intatti(const fs::path& c, const Contenuti& precedenti) {
    for (const auto& [nome, contenuto] : precedenti) {
        const std::string ora = leggi(c / nome);
        // Not EXPECT_EQ: a replaced track plan would print a megabyte.
        EXPECT_TRUE(ora == contenuto) << nome << " was replaced (" << ora.size() << " bytes now)";
    }
}

// The built-in sources, written by the program itself.
void scrivi_sorgenti(const Cartella& c) {
    const auto e = esegui({COMPATTATORE_EXE, "sources", c.percorso.string()});
    ASSERT_EQ(e.stato, 0) << e.errori;
    ASSERT_TRUE(fs::exists(c / linea) && fs::exists(c / treno));
}

std::vector<std::string> compila(const Cartella& sorgenti, const fs::path& uscita,
                                 std::vector<std::string> extra = {}) {
    std::vector<std::string> a = {COMPATTATORE_EXE, "compile",  sorgenti / linea,
                                  sorgenti / treno, "--output", uscita.string()};
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
}

// Whether files without a name can be made in `cartella`: where they cannot, a killed run
// may leave its named temporary behind.
bool file_senza_nome(const fs::path& cartella) {
    const int fd = ::open(cartella.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// Waits until no run holds the folder (a killed run may still be giving its names).
void attendi_cartella_libera(const fs::path& cartella) {
    const int fd = ::open(cartella.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    ::close(fd);
}

TEST(Guasti, NoArgumentRunInADirectoryItMayNotWrite) {
    if (!root() && ::access("/", W_OK) == 0) GTEST_SKIP() << "cannot make an unwritable place";
    Cartella c;
    const std::string programma = prova::copia_programma(c.percorso);
    std::vector<std::string> tutti = {linea, treno};
    tutti.insert(tutti.end(), documenti.begin(), documenti.end());
    tutti.insert(tutti.end(), binari.begin(), binari.end());
    const auto precedenti = prepara_precedenti(c.percorso, tutti);
    const auto prima = c.nomi();
    c.permessi(0555);

    const auto e = esegui({programma}, {.senza_privilegi = true});

    EXPECT_NE(e.stato, 0);
    EXPECT_NE(e.errori.find(linea), std::string::npos) << e.errori;
    EXPECT_NE(e.errori.find("Permission denied"), std::string::npos) << e.errori;
    // The message names the way out, and the way out works for the same user.
    EXPECT_NE(
        e.errori.find("beside the program, in " + c.percorso.string() + "; 'compattatore run DIR'"),
        std::string::npos)
        << e.errori;
    controlla_intatti(c.percorso, precedenti);
    EXPECT_EQ(c.nomi(), prima);

    Cartella altrove;
    altrove.permessi(0777);
    const auto r = esegui({programma, "run", altrove / "s"}, {.senza_privilegi = true});
    EXPECT_EQ(r.stato, 0) << r.errori;
    EXPECT_EQ(altrove.nomi(), std::set<std::string>{"s"});
    EXPECT_EQ(prova::nomi_in(altrove.percorso / "s").size(), 6u);
}

TEST(Guasti, CompileIntoADirectoryItMayNotWrite) {
    if (!root() && ::access("/", W_OK) == 0) GTEST_SKIP() << "cannot make an unwritable place";
    Cartella sorgenti;
    scrivi_sorgenti(sorgenti);
    Cartella uscita;
    const auto precedenti = prepara_precedenti(uscita.percorso, binari);
    uscita.permessi(0555);

    const auto e = esegui(compila(sorgenti, uscita.percorso), {.senza_privilegi = true});

    EXPECT_NE(e.stato, 0);
    EXPECT_NE(e.errori.find(uscita.percorso.string()), std::string::npos) << e.errori;
    EXPECT_NE(e.errori.find("Permission denied"), std::string::npos) << e.errori;
    controlla_intatti(uscita.percorso, precedenti);
    EXPECT_EQ(uscita.nomi().size(), binari.size());
}

// The documents fit under the limit; the track plan (1259964 bytes) does not. The limit is
// an ordinary write failure: a message, status 4, and the earlier set of six files whole.
TEST(Guasti, FileSizeLimitReachedWhileWritingTheTrackPlan) {
    Cartella c;
    const std::string programma = prova::copia_programma(c.percorso);
    const auto precedenti = prepara_precedenti(c.percorso, uscite_predefinite());

    const auto e = esegui({programma}, {.dimensione_file = 500000});

    EXPECT_EQ(e.stato, 4);
    EXPECT_NE(e.errori.find(tracciato), std::string::npos) << e.errori;
    EXPECT_NE(e.errori.find("File too large"), std::string::npos) << e.errori;
    controlla_intatti(c.percorso, precedenti);
    std::set<std::string> attesi = {"compattatore"};
    for (const auto& [nome, _] : precedenti) attesi.insert(nome);
    EXPECT_EQ(c.nomi(), attesi);
}

// A directory where an output goes stops the set before anything is replaced.
TEST(Guasti, DirectoryAtAnOutputsName) {
    struct Caso {
        const char* descrizione;
        bool predefinito;  // the no-argument run, else compile
        std::string nome;  // where the directory stands
    };
    const Caso casi[] = {
        {"no-argument run, cell file", true, binari[2]},
        {"no-argument run, a document", true, documenti[1]},
        {"compile, cell file", false, binari[2]},
        {"compile, track plan", false, binari[0]},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.descrizione);
        Cartella sorgenti;
        Cartella c;
        std::vector<std::string> uscite = caso.predefinito ? uscite_predefinite() : binari;
        std::erase(uscite, caso.nome);
        const auto precedenti = prepara_precedenti(c.percorso, uscite);
        fs::create_directory(c.percorso / caso.nome);
        prova::Esito e;
        if (caso.predefinito) {
            e = esegui({prova::copia_programma(c.percorso)});
        } else {
            scrivi_sorgenti(sorgenti);
            e = esegui(compila(sorgenti, c.percorso));
        }
        EXPECT_EQ(e.stato, 4) << e.errori;
        EXPECT_NE(e.errori.find(caso.nome), std::string::npos) << e.errori;
        EXPECT_NE(e.errori.find("Is a directory"), std::string::npos) << e.errori;
        controlla_intatti(c.percorso, precedenti);
        std::set<std::string> attesi(uscite.begin(), uscite.end());
        attesi.insert(caso.nome);
        if (caso.predefinito) attesi.insert("compattatore");
        EXPECT_EQ(c.nomi(), attesi);
    }
}

// The disk fills up after the track plan: a tmpfs of that size, mounted in a mount namespace
// of a child of its own (root only). The child runs the compile there and copies what the
// folder holds afterwards to where the test can see it.
TEST(Guasti, DiskFullAfterTheFirstFile) {
    if (!root()) GTEST_SKIP() << "mounting a small file system needs root";
    Cartella sorgenti;
    scrivi_sorgenti(sorgenti);
    Cartella piccola;
    Cartella fuori;
    const pid_t figlio = ::fork();
    ASSERT_GE(figlio, 0);
    if (figlio == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            ::_exit(77);
        }
        // 314 pages: the three earlier files take one each, the track plan 308 and the scenario
        // table one; the cell file's five do not fit.
        if (::mount("tmpfs", piccola.percorso.c_str(), "tmpfs", 0, "size=1256k,mode=0755") != 0) {
            ::_exit(77);
        }
        prepara_precedenti(piccola.percorso, binari);
        const auto e = esegui(compila(sorgenti, piccola.percorso));
        std::error_code ec;
        for (const auto& n : prova::nomi_in(piccola.percorso)) {
            fs::copy(piccola.percorso / n, fuori.percorso / n, ec);
        }
        prova::scrivi(fuori.percorso / "=stato", std::to_string(e.stato));
        prova::scrivi(fuori.percorso / "=errori", e.errori);
        ::_exit(ec ? 1 : 0);
    }
    int stato = 0;
    ASSERT_EQ(::waitpid(figlio, &stato, 0), figlio);
    ASSERT_TRUE(WIFEXITED(stato));
    if (WEXITSTATUS(stato) == 77) GTEST_SKIP() << "no mount namespace here";
    ASSERT_EQ(WEXITSTATUS(stato), 0);
    const std::string errori = leggi(fuori.percorso / "=errori");
    EXPECT_EQ(leggi(fuori.percorso / "=stato"), "4") << errori;
    EXPECT_NE(errori.find("No space left on device"), std::string::npos) << errori;
    Contenuti precedenti;
    for (const auto& n : binari) precedenti[n] = "earlier " + n + " from a previous run\n";
    controlla_intatti(fuori.percorso, precedenti);
    std::set<std::string> attesi(binari.begin(), binari.end());
    attesi.insert({"=stato", "=errori"});
    EXPECT_EQ(fuori.nomi(), attesi);
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
        const auto precedenti = prepara_precedenti(uscita.percorso, binari);

        const auto e =
            esegui(compila(sorgenti, uscita.percorso), {.senza_privilegi = caso.illeggibile});

        EXPECT_NE(e.stato, 0);
        EXPECT_NE(e.errori.find(guasto), std::string::npos) << e.errori;
        if (caso.motivo) {
            EXPECT_NE(e.errori.find(caso.motivo), std::string::npos) << e.errori;
        }
        controlla_intatti(uscita.percorso, precedenti);
        EXPECT_EQ(uscita.nomi().size(), binari.size());
        // The author's sources are never touched, whatever happened.
        const std::string altra = sorgenti / (caso.sorgente == &linea ? treno : linea);
        EXPECT_TRUE(fs::exists(altra));
    }
}

// A source that cannot be one (a device, a FIFO, a file far larger than any scenario, an
// endless standard input) is refused at once, before anything is read into memory or written.
TEST(Guasti, SourcesThatAreNotSourceFilesAreRefusedAtOnce) {
    Cartella sorgenti;
    scrivi_sorgenti(sorgenti);
    const std::string fifo = sorgenti / "fifo.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string grande = sorgenti / "grande.txt";
    {
        // Sparse: a gigabyte that takes no room on the disk.
        std::ofstream f(grande, std::ios::binary);
        f.seekp((int64_t{1} << 30) - 1);
        f.put('\n');
    }
    struct Caso {
        const char* descrizione;
        std::string linea;
        fs::path ingresso;
        const char* motivo;
    };
    const Caso casi[] = {
        {"/dev/zero", "/dev/zero", {}, "/dev/zero: not a regular file"},
        {"a FIFO", fifo, {}, "fifo.txt: not a regular file"},
        {"a 1 GB file", grande, {}, "grande.txt: larger than 64 MiB"},
        {"/dev/zero on standard input", "-", "/dev/zero", "standard input: larger than 64 MiB"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.descrizione);
        Cartella uscita;
        const auto precedenti = prepara_precedenti(uscita.percorso, binari);
        const auto e = esegui({COMPATTATORE_EXE, "compile", caso.linea, sorgenti / treno, "--name",
                               "GRANDE", "--output", uscita.percorso.string()},
                              {.ingresso = caso.ingresso});
        EXPECT_EQ(e.stato, 4) << e.errori;
        EXPECT_NE(e.errori.find(caso.motivo), std::string::npos) << e.errori;
        controlla_intatti(uscita.percorso, precedenti);
        EXPECT_EQ(uscita.nomi().size(), binari.size());
    }
}

// Outputs that are not files of their own receive the bytes and stay what they were; an
// output that is a source is refused before anything is written.
TEST(Guasti, ReportIntoSpecialFilesOrOntoASource) {
    Cartella sorgenti;
    scrivi_sorgenti(sorgenti);
    Cartella uscita;
    const std::string fifo = uscita / "rapporto.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string nulla = uscita / "nulla";
    if (root()) {
        ASSERT_EQ(::mknod(nulla.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }

    // Standard output, which the test collects in a regular file.
    auto e = esegui(compila(sorgenti, uscita.percorso, {"--report", "/dev/stdout"}));
    EXPECT_EQ(e.stato, 0) << e.errori;
    EXPECT_NE(e.uscita.find("\"written\""), std::string::npos) << e.uscita;
    EXPECT_TRUE(fs::is_symlink("/dev/stdout"));

    auto letto = std::async(std::launch::async, [&] { return leggi(fifo); });
    e = esegui(compila(sorgenti, uscita.percorso, {"--report", fifo}));
    EXPECT_EQ(e.stato, 0) << e.errori;
    EXPECT_NE(letto.get().find("\"written\""), std::string::npos);
    EXPECT_TRUE(fs::is_fifo(fifo));

    if (root()) {
        e = esegui(compila(sorgenti, uscita.percorso, {"--report", nulla}));
        EXPECT_EQ(e.stato, 0) << e.errori;
        EXPECT_TRUE(fs::is_character_file(nulla));
    }

    // A report named as a source, or an output name that falls on a source.
    fs::copy_file(sorgenti / linea, sorgenti / "P_1.dat");
    const auto sorgente = leggi(sorgenti / linea);
    const std::vector<std::string> su_sorgente[] = {
        compila(sorgenti, uscita.percorso, {"--report", sorgenti / linea}),
        compila(sorgenti, uscita.percorso,
                {"--report", (sorgenti.percorso / "." / treno).string()}),
        {COMPATTATORE_EXE, "compile", sorgenti / "P_1.dat", sorgenti / treno, "--name", "P",
         "--train", "1"},
    };
    for (const auto& argomenti : su_sorgente) {
        SCOPED_TRACE(argomenti.back());
        e = esegui(argomenti);
        EXPECT_EQ(e.stato, 2) << e.errori;
        EXPECT_NE(e.errori.find("source"), std::string::npos) << e.errori;
        EXPECT_TRUE(leggi(sorgenti / linea) == sorgente);
        EXPECT_TRUE(leggi(sorgenti / "P_1.dat") == sorgente);
    }
    EXPECT_EQ(sorgenti.nomi(), (std::set<std::string>{linea, treno, "P_1.dat"}));
}

// A scenario name that fills the file system's limit, and one with letters beyond ASCII,
// whose files are named in UTF-8 like the report.
TEST(Guasti, LongestAndNonAsciiNames) {
    Cartella sorgenti;
    scrivi_sorgenti(sorgenti);
    const std::string lungo(255 - std::string("_linea.dat").size(), 'L');
    struct Caso {
        std::string nome;  // as given, UTF-8
        std::string su_disco;
    };
    const Caso casi[] = {
        {lungo, lungo},
        {"Citt\xC3\xA0 Alta", "Citt\xC3\xA0 Alta"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome.size());
        Cartella uscita;
        const auto e =
            esegui(compila(sorgenti, uscita.percorso,
                           {"--name", caso.nome, "--train", "1", "--report", uscita / "r.json"}));
        EXPECT_EQ(e.stato, 0) << e.errori;
        const std::set<std::string> attesi = {caso.su_disco + "_linea.dat",
                                              caso.su_disco + "_1.sim", caso.su_disco + "_1.dat",
                                              "r.json"};
        EXPECT_EQ(uscita.nomi(), attesi);
        EXPECT_NE(leggi(uscita / "r.json").find(caso.su_disco + "_1.sim"), std::string::npos);
    }
}

// ---- runs killed at random moments, runs at once --------------------------------------

// The largest scenario the compactor takes, written once by the benchmarks' generator.
const fs::path& scenario_massimo() {
    static const prova::CartellaTemporanea cartella("massimo");
    static const bool pronto = [] {
        const std::string comando = "python3 '" COMPATTATORE_RADICE "/bench/genera_massimo.py' '" +
                                    cartella.percorso.string() + "' >/dev/null";
        return std::system(comando.c_str()) == 0;
    }();
    EXPECT_TRUE(pronto);
    return cartella.percorso;
}

struct Uccisioni {
    std::vector<std::string> argomenti;
    fs::path cartella;  // where the outputs go
    std::vector<std::string> uscite;
    std::set<std::string> altri;  // other files that belong in the folder
};

// Kills the run at moments spread over its length, with each signal in turn, and finds after
// each either the earlier set or the new one, whole, and nothing else.
void uccidi_a_caso(const Uccisioni& u, int volte) {
    // The new set, from one run left alone.
    auto e = esegui(u.argomenti);
    ASSERT_EQ(e.stato, 0) << e.errori;
    const Contenuti nuovi = contenuti(u.cartella, u.uscite);
    const auto inizio = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(esegui(u.argomenti).stato, 0);
    const auto durata = (std::chrono::steady_clock::now() - inizio) / 3;

    const bool senza_nome = file_senza_nome(u.cartella);
    std::mt19937 caso(20261210);
    std::uniform_int_distribution<int64_t> momento(
        0, std::chrono::duration_cast<std::chrono::microseconds>(durata).count() * 6 / 5);
    int interrotte = 0;
    for (int i = 0; i < volte; ++i) {
        for (const int segnale : {SIGKILL, SIGTERM}) {
            SCOPED_TRACE(std::to_string(i) + (segnale == SIGKILL ? " SIGKILL" : " SIGTERM"));
            const auto precedenti = prepara_precedenti(u.cartella, u.uscite);
            auto p = prova::avvia(u.argomenti);
            std::this_thread::sleep_for(std::chrono::microseconds(momento(caso)));
            ::kill(p.pid, segnale);
            e = p.attendi();
            attendi_cartella_libera(u.cartella);
            EXPECT_TRUE(e.stato == 0 || e.stato == 128 + segnale) << e.stato << e.errori;
            if (e.stato != 0) ++interrotte;
            const Contenuti ora = contenuti(u.cartella, u.uscite);
            EXPECT_TRUE(ora == precedenti || ora == nuovi) << "a mixed or partial set";
            std::set<std::string> attesi = u.altri;
            attesi.insert(u.uscite.begin(), u.uscite.end());
            std::set<std::string> trovati;
            for (const auto& n : prova::nomi_in(u.cartella)) {
                // Only where files without a name cannot be made may a killed run leave its
                // named temporaries.
                if (segnale == SIGKILL && !senza_nome && n.rfind(".compattatore-", 0) == 0)
                    continue;
                trovati.insert(n);
            }
            EXPECT_EQ(trovati, attesi);
            if (::testing::Test::HasFailure()) return;
        }
    }
    // The moments must reach into the runs, not only past their ends.
    EXPECT_GT(interrotte, volte / 2);
}

// Each kind of run is killed this many times with each signal. Under the sanitizers every
// run is several times slower, and fewer runs already reach into every step.
#ifdef COMPATTATORE_SANITIZE
constexpr int uccisioni = 10;
#else
constexpr int uccisioni = 50;
#endif

TEST(Interruzioni, MaximalCompileKilledAtRandomMoments) {
    const fs::path& m = scenario_massimo();
    Cartella uscita;
    uccidi_a_caso({{COMPATTATORE_EXE, "compile", (m / "MASSIMO_linea.txt").string(),
                    (m / "MASSIMO_9999-.txt").string(), "--output", uscita.percorso.string()},
                   uscita.percorso,
                   {"MASSIMO_linea.dat", "MASSIMO_9999.sim", "MASSIMO_9999.dat"},
                   {}},
                  uccisioni);
}

TEST(Interruzioni, NoArgumentRunKilledAtRandomMoments) {
    Cartella c;
    uccidi_a_caso(
        {{prova::copia_programma(c.percorso)}, c.percorso, uscite_predefinite(), {"compattatore"}},
        uccisioni);
}

// Two runs started together in one folder: the second waits for the first, and what is left
// is the whole set of one run, the later one's.
TEST(Interruzioni, TwoRunsAtOnceInOneFolder) {
    Cartella sorgenti_a;
    scrivi_sorgenti(sorgenti_a);
    Cartella sorgenti_b;
    scrivi_sorgenti(sorgenti_b);
    {
        // Another run: other sand, another clock, another curve.
        std::string t = leggi(sorgenti_b / treno);
        t.replace(t.find("sabbia,    250"), 14, "sabbia,    300");
        prova::scrivi(sorgenti_b / treno, t);
        std::string l = leggi(sorgenti_b / linea);
        l.replace(l.find("curvad5,  5800"), 14, "curvad4,  5800");
        prova::scrivi(sorgenti_b / linea, l);
    }
    Cartella c;
    const std::string programma = prova::copia_programma(c.percorso);
    const std::vector<std::string> nomi_compile = {"P_1.sim", "P_1.dat", "P_linea.dat"};
    auto compila_in = [&](const Cartella& s) {
        return compila(s, c.percorso, {"--name", "P", "--train", "1"});
    };
    // What one run alone leaves.
    ASSERT_EQ(esegui({programma}).stato, 0);
    const Contenuti predefinito = contenuti(c.percorso, uscite_predefinite());
    ASSERT_EQ(esegui(compila_in(sorgenti_b)).stato, 0);
    const Contenuti solo_b = contenuti(c.percorso, nomi_compile);
    ASSERT_EQ(esegui(compila_in(sorgenti_a)).stato, 0);
    const Contenuti solo_a = contenuti(c.percorso, nomi_compile);
    ASSERT_FALSE(solo_a == solo_b);

    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        prepara_precedenti(c.percorso, uscite_predefinite());
        auto primo = prova::avvia({programma});
        auto secondo = prova::avvia({programma});
        const auto e1 = primo.attendi();
        const auto e2 = secondo.attendi();
        EXPECT_EQ(e1.stato, 0) << e1.errori;
        EXPECT_EQ(e2.stato, 0) << e2.errori;
        EXPECT_TRUE(contenuti(c.percorso, uscite_predefinite()) == predefinito);

        auto a = prova::avvia(compila_in(sorgenti_a));
        auto b = prova::avvia(compila_in(sorgenti_b));
        const auto ea = a.attendi();
        const auto eb = b.attendi();
        EXPECT_EQ(ea.stato, 0) << ea.errori;
        EXPECT_EQ(eb.stato, 0) << eb.errori;
        const Contenuti ora = contenuti(c.percorso, nomi_compile);
        const bool a_attese = ea.errori.find(attesa) != std::string::npos;
        const bool b_attese = eb.errori.find(attesa) != std::string::npos;
        EXPECT_FALSE(a_attese && b_attese);
        if (a_attese) {
            EXPECT_TRUE(ora == solo_a);
        } else if (b_attese) {
            EXPECT_TRUE(ora == solo_b);
        } else {
            EXPECT_TRUE(ora == solo_a || ora == solo_b);
        }
        std::set<std::string> attesi = {"compattatore"};
        attesi.insert(nomi_compile.begin(), nomi_compile.end());
        for (const auto& n : uscite_predefinite()) attesi.insert(n);
        EXPECT_EQ(c.nomi(), attesi);
        if (::testing::Test::HasFailure()) return;
    }
}

// With --no-wait a run that finds its folder taken ends at once.
TEST(Interruzioni, NoWaitGivesUpAtOnce) {
    Cartella sorgenti;
    scrivi_sorgenti(sorgenti);
    Cartella uscita;
    const int fd = ::open(uscita.percorso.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const auto precedenti = prepara_precedenti(uscita.percorso, binari);
    const auto e = esegui(compila(sorgenti, uscita.percorso, {"--no-wait"}));
    ::close(fd);
    EXPECT_EQ(e.stato, 4);
    EXPECT_NE(e.errori.find("another run"), std::string::npos) << e.errori;
    EXPECT_EQ(e.errori.find(attesa), std::string::npos) << e.errori;
    controlla_intatti(uscita.percorso, precedenti);
}

}  // namespace
