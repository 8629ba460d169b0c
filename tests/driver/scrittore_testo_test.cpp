// The text writer: lines up to the end marker, each followed by CR LF, replacing the file
// whole, and a failure that names the file and leaves the earlier one as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iterator>
#include <string>
#include <vector>

#include "core/errori.h"
#include "prova_comune.h"

namespace fs = std::filesystem;
using compattatore::ErrorePiattaforma;
using prova::CartellaTemporanea;
using prova::FormProva;
using prova::leggi;

namespace {

constexpr const char* fine = "riferimento fine del file";

struct Caso {
    const char* nome;
    std::vector<const char*> righe;
    std::string atteso;
};

}  // namespace

TEST(ScrittoreTesto, WritesUpToTheEndMarker) {
    const Caso casi[] = {
        {"blanks and empty lines kept, nothing after the marker",
         {"  a ", "", "b", fine, "dopo", fine},
         "  a \r\n\r\nb\r\n"},
        {"marker first gives an empty file", {fine, "a"}, ""},
        {"a table without the marker stops at its end", {"a", "b"}, "a\r\nb\r\n"},
        {"only the exact marker ends the table",
         {"Riferimento fine del file", " riferimento fine del file", "riferimento fine del file ",
          "riferimento fine del", fine},
         "Riferimento fine del file\r\n riferimento fine del file\r\nriferimento fine del file "
         "\r\nriferimento fine del\r\n"},
        {"bytes outside ASCII pass unchanged", {"\xE8", fine}, "\xE8\r\n"},
        {"an empty table gives an empty file", {}, ""},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        CartellaTemporanea dir;
        FormProva prova(dir.percorso);
        prova.form.scrivi_testo("t.txt", caso.righe.data(), caso.righe.size());
        ASSERT_TRUE(fs::exists(dir.percorso / "t.txt"));
        EXPECT_EQ(leggi(dir.percorso / "t.txt"), caso.atteso);
    }
}

TEST(ScrittoreTesto, ReplacesALongerFileWhollyAndRecordsIt) {
    CartellaTemporanea dir;
    prova::scrivi(dir.percorso / "t.txt", std::string(5000, 'x') + "\r\n");
    FormProva prova(dir.percorso);
    const char* righe[] = {"nuovo", fine};
    prova.form.scrivi_testo("t.txt", righe, std::size(righe));
    EXPECT_EQ(leggi(dir.percorso / "t.txt"), "nuovo\r\n");
    EXPECT_EQ(prova::nomi_in(dir.percorso), std::vector<std::string>{"t.txt"});
    EXPECT_EQ(prova.form.resoconto.scritti, std::vector<std::string>{"t.txt"});
}

// Root writes into a read-only directory, so the writer runs in a child that has given up
// root; the child's exit status says what it saw.
TEST(ScrittoreTesto, UnwritableDirectoryFailsNamingTheFileAndKeepsTheOldOne) {
    CartellaTemporanea dir;
    const fs::path file = dir.percorso / "t.txt";
    prova::scrivi(file, "vecchio\r\n");
    ASSERT_EQ(::chmod(dir.percorso.c_str(), 0555), 0);

    const pid_t figlio = ::fork();
    ASSERT_NE(figlio, -1);
    if (figlio == 0) {
        if (!prova::lascia_privilegi()) ::_exit(10);
        if (::access(dir.percorso.c_str(), W_OK) == 0) ::_exit(11);  // still writable
        FormProva prova(dir.percorso);
        const char* righe[] = {"nuovo", fine};
        try {
            prova.form.scrivi_testo("t.txt", righe, std::size(righe));
        } catch (const ErrorePiattaforma& e) {
            ::_exit(std::string(e.what()).find(file.string()) != std::string::npos ? 0 : 2);
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(4);
    }
    int stato = 0;
    ASSERT_EQ(::waitpid(figlio, &stato, 0), figlio);
    ASSERT_TRUE(WIFEXITED(stato));
    if (WEXITSTATUS(stato) == 10 || WEXITSTATUS(stato) == 11)
        GTEST_SKIP() << "cannot make an unwritable directory here";
    EXPECT_EQ(WEXITSTATUS(stato), 0) << "2: message without the file name, 3: other exception, "
                                        "4: no failure";
    EXPECT_EQ(leggi(file), "vecchio\r\n");
    EXPECT_EQ(prova::nomi_in(dir.percorso), std::vector<std::string>{"t.txt"});
}
