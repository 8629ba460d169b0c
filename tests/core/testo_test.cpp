#include "core/testo.h"

#include <gtest/gtest.h>

#include <string>

namespace compattatore {
namespace {

TEST(FinisceCon, ExactOrWithCapitalsAsSmallLetters) {
    struct Caso {
        std::string testo, fine;
        bool esatta, senza_maiuscole;
    } casi[] = {
        {"A_linea.txt", "_linea.txt", true, true},
        {"A_LINEA.DAT", "_linea.dat", false, true},
        {"a.Sim", ".sim", false, true},
        {".sim", ".sim", true, true},
        {"sim", ".sim", false, false},
        {"a.sim.bak", ".sim", false, false},
        {"x", "", true, true},
        // Only ASCII letters fold: a Windows-1252 capital stays itself.
        {"citt\xC0", "citt\xE0", false, false},
    };
    for (const auto& c : casi) {
        EXPECT_EQ(finisce_con(c.testo, c.fine), c.esatta) << c.testo;
        EXPECT_EQ(finisce_con(c.testo, c.fine, Maiuscole::uguali), c.senza_maiuscole) << c.testo;
    }
}

}  // namespace
}  // namespace compattatore
