// The text writer where the directory cannot be written, with the POSIX means of making it
// so: root writes into a read-only directory, so the writer runs in a child that has given up
// root.
#include <gtest/gtest.h>
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

}  // namespace

// The child's exit status says what it saw.
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
