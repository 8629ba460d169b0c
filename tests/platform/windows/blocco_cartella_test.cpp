// A folder held by a run on Windows: another holder, in this process or another, however it
// spells the folder, gives up or waits; nothing is created in the folder.
#include "platform/blocco_cartella.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "core/errori.h"
#include "prova_comune.h"

namespace compattatore {
namespace {

TEST(BloccoCartellaWindows, AnotherProcessGivesUpOrWaitsAndTheFolderStaysEmpty) {
    prova::CartellaTemporanea dir;
    const std::string cartella = dir.percorso.string();
    {
        const BloccoCartella primo(cartella, true, {});
        // The same folder by another path, with '/' between its parts.
        EXPECT_THROW(BloccoCartella(dir.percorso.generic_string() + "/", false, {}),
                     ErrorePiattaforma);
        const auto e = prova::esegui({COMPATTATORE_EXE, "sources", cartella, "--no-wait"});
        EXPECT_EQ(e.stato, 4) << e.errori;
        EXPECT_NE(e.errori.find("another run"), std::string::npos) << e.errori;
        EXPECT_TRUE(prova::nomi_in(dir.percorso).empty());
    }

    // Held by a thread for a moment: the program says once that it waits, then does its work.
    std::atomic<bool> preso = false;
    std::thread tiene([&] {
        const BloccoCartella primo(cartella, true, {});
        preso = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    });
    while (!preso) std::this_thread::yield();
    const auto e = prova::esegui({COMPATTATORE_EXE, "sources", cartella});
    tiene.join();
    EXPECT_EQ(e.stato, 0) << e.errori;
    EXPECT_NE(e.errori.find("waiting for another run"), std::string::npos) << e.errori;
    EXPECT_EQ(
        prova::nomi_in(dir.percorso),
        (std::vector<std::string>{"VALCRESTINA_TORVE_325-.txt", "VALCRESTINA_TORVE_linea.txt"}));
}

}  // namespace
}  // namespace compattatore
