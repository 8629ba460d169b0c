// The program itself, run with no arguments the way a person starts it.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "prova_comune.h"

namespace {

namespace fs = std::filesystem;
using prova::Esito;
using prova::leggi;

int32_t le(const std::string& b, size_t at, int byte) {
    uint32_t v = 0;
    for (int i = byte - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b.at(at + i));
    if (byte == 2) return static_cast<int16_t>(v);
    return static_cast<int32_t>(v);
}

class Esecuzione : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* d : {"programma", "altrove"}) fs::create_directories(radice_ / d);
        prova::copia_programma(programma());
    }

    fs::path programma() const { return radice_ / "programma"; }

    // Started from another directory, on a terminal (no display).
    Esito avvia() {
        return prova::esegui({(programma() / prova::nome_programma).string()},
                             {.cartella = radice_ / "altrove"});
    }

    // Every file the run left beside the program, with its bytes.
    std::map<std::string, std::string> prodotti() const {
        std::map<std::string, std::string> r;
        for (const auto& e : fs::directory_iterator(programma())) {
            const std::string nome = e.path().filename().string();
            if (nome != prova::nome_programma) r[nome] = leggi(e.path());
        }
        return r;
    }

    const prova::CartellaTemporanea cartella_{"esecuzione"};
    const fs::path radice_ = cartella_.percorso;
};

TEST_F(Esecuzione, NoArgumentRunLeavesTheSixFiles) {
    const Esito e = avvia();
    EXPECT_EQ(e.stato, 0);
    EXPECT_EQ(e.uscita, "Attendere\n");
    EXPECT_EQ(e.errori, "");
    EXPECT_TRUE(fs::is_empty(radice_ / "altrove"));

    const auto file = prodotti();
    std::map<std::string, size_t> misure;
    for (const auto& [nome, byte] : file) misure[nome] = byte.size();
    ASSERT_EQ(misure.size(), 6u);
    const size_t note = misure["VALCRESTINA_TORVE_325_note.txt"];
    EXPECT_GT(note, 0u);
    EXPECT_EQ(misure, (std::map<std::string, size_t>{
                          {"VALCRESTINA_TORVE_linea.dat", 1259964},
                          {"VALCRESTINA_TORVE_325.sim", 3741},
                          {"VALCRESTINA_TORVE_325.dat", 18915},
                          {"VALCRESTINA_TORVE_325_note.txt", note},
                          {"VALCRESTINA_TORVE_325_rallentamenti.txt", 3282},
                          {"VALCRESTINA_TORVE_325_scheda_treno.txt", 4268},
                      }));

    // The cells: the three marks of the built-in slowdown and no other abbattimento; cell 1
    // holds 5121 and the plain code.
    const std::string& dat = file.at("VALCRESTINA_TORVE_325.dat");
    std::vector<size_t> abbattimenti;
    for (size_t c = 0; c * 15 < dat.size(); ++c) {
        if (static_cast<uint8_t>(dat[c * 15]) == 12) {
            abbattimenti.push_back(c);
            EXPECT_EQ(le(dat, c * 15 + 1, 2), 180) << c;
        }
    }
    EXPECT_EQ(abbattimenti, (std::vector<size_t>{438, 445, 451}));
    EXPECT_EQ(le(dat, 15 + 1, 2), 5121);
    EXPECT_EQ(le(dat, 15 + 3, 2), 2525);

    // The scenario table: entry 85 holds 610 and the weighted code.
    const std::string& sim = file.at("VALCRESTINA_TORVE_325.sim");
    size_t at = 0;
    for (int voce = 0; voce < 85; ++voce) at += 34 + static_cast<size_t>(le(sim, at + 14, 2));
    const size_t n = static_cast<size_t>(le(sim, at + 14, 2));
    EXPECT_EQ(sim.substr(at + 16, n), "VALCRESTINA_TORVE");
    EXPECT_EQ(le(sim, at + 16 + n, 2), 610);
    EXPECT_EQ(le(sim, at + 30 + n, 4), 34692);

    // A second run gives the same bytes.
    const Esito seconda = avvia();
    EXPECT_EQ(seconda.stato, 0);
    EXPECT_TRUE(prodotti() == file);
}

TEST_F(Esecuzione, RunInADirectoryIsTheNoArgumentRunThere) {
    ASSERT_EQ(avvia().stato, 0);
    const auto attesi = prodotti();

    struct Caso {
        std::vector<std::string> argomenti;
        fs::path cartella;  // where the six files land
    };
    const Caso casi[] = {
        {{"run", "nuova/sotto"}, radice_ / "altrove" / "nuova" / "sotto"},
        {{"run"}, radice_ / "qui"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.argomenti.size() > 1 ? c.argomenti[1] : "no DIR");
        fs::create_directories(radice_ / "qui");
        std::vector<std::string> argomenti = {(programma() / prova::nome_programma).string()};
        argomenti.insert(argomenti.end(), c.argomenti.begin(), c.argomenti.end());
        const Esito e = prova::esegui(
            argomenti,
            {.cartella = c.argomenti.size() > 1 ? radice_ / "altrove" : radice_ / "qui"});
        EXPECT_EQ(e.stato, 0) << e.errori;
        EXPECT_EQ(e.uscita, "Attendere\n");
        EXPECT_EQ(e.errori, "");
        std::map<std::string, std::string> file;
        for (const auto& f : fs::directory_iterator(c.cartella)) {
            file[f.path().filename().string()] = leggi(f.path());
        }
        EXPECT_TRUE(file == attesi) << file.size() << " files";
    }
    EXPECT_TRUE(prodotti() == attesi);
}

}  // namespace
