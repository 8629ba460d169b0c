#include "platform/segnali.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/errori.h"
#include "platform/blocco_cartella.h"
#include "platform/file_sostitutivo.h"
#include "prova_comune.h"

namespace fs = std::filesystem;
using namespace compattatore;
using prova::CartellaTemporanea;

namespace {

// Runs `corpo` in a child with the program's handling of signals; its exit status.
int nel_figlio(const std::function<void()>& corpo) {
    const pid_t figlio = ::fork();
    if (figlio == 0) {
        // As a program started by a plain shell, whatever started the tests.
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL);
        prepara_segnali();
        corpo();
        ::_exit(0);
    }
    int stato = 0;
    ::waitpid(figlio, &stato, 0);
    return WIFEXITED(stato) ? WEXITSTATUS(stato) : 1000 + WTERMSIG(stato);
}

}  // namespace

// An interruption removes what the run registered (and only that) and ends with 128 + n.
TEST(Segnali, InterruptionRemovesRegisteredFilesAndEndsWith128PlusN) {
    for (const int segnale : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(segnale));
        CartellaTemporanea dir;
        for (const char* n : {"a", "b", "c"}) prova::scrivi(dir / n, n);
        const int stato = nel_figlio([&] {
            const DaRimuovere a(dir / "a");
            DaRimuovere b(dir / "b");
            b.rilascia();
            { const DaRimuovere c(dir / "c"); }
            ::raise(segnale);
            ::_exit(99);
        });
        EXPECT_EQ(stato, 128 + segnale);
        EXPECT_EQ(prova::nomi_in(dir.percorso), (std::vector<std::string>{"b", "c"}));
    }
}

// Held back, an interruption takes effect only once the step is over.
TEST(Segnali, InterruptionWaitsForTheStepThatMustNotStop) {
    CartellaTemporanea dir;
    const int stato = nel_figlio([&] {
        {
            const SenzaInterruzioni senza;
            ::raise(SIGTERM);
            prova::scrivi(dir / "passo finito", "");
        }
        ::_exit(99);
    });
    EXPECT_EQ(stato, 128 + SIGTERM);
    EXPECT_TRUE(fs::exists(dir.percorso / "passo finito"));
}

// A file size limit is a write that fails, with the system's reason, not the program's end.
TEST(Segnali, FileSizeLimitIsAnOrdinaryWriteFailure) {
    CartellaTemporanea dir;
    const int stato = nel_figlio([&] {
        const rlimit r{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &r);
        try {
            FileSostitutivo f(dir / "grande");
            f.scrivi(std::string(1 << 20, 'x'));
            f.chiudi();
        } catch (const ErrorePiattaforma& e) {
            ::_exit(std::strstr(e.what(), "File too large") != nullptr ? 0 : 2);
        }
        ::_exit(3);
    });
    EXPECT_EQ(stato, 0);
    EXPECT_TRUE(prova::nomi_in(dir.percorso).empty());
}

// A second holder of a folder gives up at once or waits, told once, until the first lets go.
TEST(BloccoCartella, SecondHolderGivesUpOrWaits) {
    CartellaTemporanea dir;
    int avvisi = 0;
    auto primo = std::make_unique<BloccoCartella>(dir.percorso.string(), true, [&] { ++avvisi; });
    try {
        BloccoCartella secondo(dir.percorso.string(), false, [&] { ++avvisi; });
        ADD_FAILURE() << "the folder was taken twice";
    } catch (const ErrorePiattaforma& e) {
        EXPECT_NE(std::string(e.what()).find("another run"), std::string::npos) << e.what();
    }
    EXPECT_EQ(avvisi, 0);

    std::atomic<bool> preso = false;
    std::thread attesa([&] {
        BloccoCartella secondo(dir.percorso.string(), true, [&] { ++avvisi; });
        preso = true;
    });
    while (avvisi == 0) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(preso);
    primo.reset();
    attesa.join();
    EXPECT_TRUE(preso);
    EXPECT_EQ(avvisi, 1);

    EXPECT_THROW(BloccoCartella((dir.percorso / "assente").string(), true, {}), ErrorePiattaforma);
    EXPECT_TRUE(prova::nomi_in(dir.percorso).empty());
}
