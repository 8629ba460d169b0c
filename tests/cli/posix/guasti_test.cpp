// Runs that the platform cuts short: a directory the program may not write, a file size
// limit reached in the middle of the track plan, a source file that is missing or cannot be
// read. Each must end with a message and a non-zero status and leave every earlier file of
// the same name as it was. The real program runs in a child process; as root the child
// gives up its privileges (uid and gid 65534) where the case needs a refusal that root would
// not meet.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
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

bool root() {
    return ::geteuid() == 0;
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

// Earlier versions of the given files, each with its own recognisable content.
std::map<std::string, std::string> prepara_precedenti(const Cartella& c,
                                                      const std::vector<std::string>& nomi) {
    std::map<std::string, std::string> precedenti;
    for (const auto& n : nomi) {
        precedenti[n] = "earlier " + n + " from a previous run\n";
        prova::scrivi(c / n, precedenti[n]);
        fs::permissions(c / n, static_cast<fs::perms>(0644));
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

// The built-in sources, written by the program itself.
void scrivi_sorgenti(const Cartella& c) {
    const auto e = esegui({COMPATTATORE_EXE, "sources", c.percorso.string()});
    ASSERT_EQ(e.stato, 0) << e.errori;
    ASSERT_TRUE(fs::exists(c / linea) && fs::exists(c / treno));
}

TEST(Guasti, NoArgumentRunInADirectoryItMayNotWrite) {
    if (!root() && ::access("/", W_OK) == 0) GTEST_SKIP() << "cannot make an unwritable place";
    Cartella c;
    const std::string programma = prova::copia_programma(c.percorso);
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
    // The message names the way out, and the way out works for the same user.
    EXPECT_NE(
        e.errori.find("beside the program, in " + c.percorso.string() + "; 'compattatore run DIR'"),
        std::string::npos)
        << e.errori;
    controlla_intatti(c, precedenti);
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
    const auto precedenti = prepara_precedenti(uscita, binari);
    uscita.permessi(0555);

    const auto e = esegui({COMPATTATORE_EXE, "compile", sorgenti / linea, sorgenti / treno,
                           "--output", uscita.percorso.string()},
                          {.senza_privilegi = true});

    EXPECT_NE(e.stato, 0);
    EXPECT_NE(e.errori.find(uscita.percorso.string()), std::string::npos) << e.errori;
    EXPECT_NE(e.errori.find("Permission denied"), std::string::npos) << e.errori;
    controlla_intatti(uscita, precedenti);
    EXPECT_EQ(uscita.nomi().size(), binari.size());
}

// The three documents fit under the limit; the track plan (1259964 bytes) does not.
TEST(Guasti, FileSizeLimitReachedWhileWritingTheTrackPlan) {
    Cartella c;
    const std::string programma = prova::copia_programma(c.percorso);
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
                               "--output", uscita.percorso.string()},
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
