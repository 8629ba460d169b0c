#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "core/errori.h"
#include "prova_comune.h"
#include "track/codifica.h"

namespace compattatore {
namespace {

namespace fs = std::filesystem;

// A long walk's pieces are written on a thread of their own: a failure there (here a file
// size limit) is the writer's, with the system's reason and no file left.
TEST(ScriviLineaDat, LongWalkWriteFailureOnItsThread) {
    const Tracciato t = prova::cammino_lungo();
    prova::CartellaTemporanea dir;
    const fs::path p = dir.percorso / "L_linea.dat";
    rlimit prima{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &prima), 0);
    const auto segnale = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limite = prima;
    limite.rlim_cur = 3000000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limite), 0);
    std::string errore;
    try {
        FileSostitutivo f(p.string());
        scrivi_linea_dat(f, t);
        f.chiudi();
    } catch (const ErrorePiattaforma& e) {
        errore = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &prima);
    std::signal(SIGXFSZ, segnale);
    EXPECT_NE(errore.find(p.string()), std::string::npos) << errore;
    EXPECT_NE(errore.find("File too large"), std::string::npos) << errore;
    EXPECT_TRUE(fs::is_empty(dir.percorso));
}

}  // namespace
}  // namespace compattatore
