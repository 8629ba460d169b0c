#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "platform/file_letto.h"
#include "platform/file_sostitutivo.h"
#include "prova_comune.h"
#include "tools/decodifica.h"
#include "tools/strumenti.h"
#include "track/codifica.h"

namespace compattatore {
namespace {

class Dump : public ::testing::Test {
  protected:
    std::string percorso(const std::string& nome) const { return cartella_ / nome; }
    void scrivi_byte(const std::string& nome, const std::string& byte) const {
        prova::scrivi(percorso(nome), byte);
    }
    // Runs the tool; the JSON it printed, or null when it failed.
    nlohmann::json dump(const std::string& nome) {
        std::ostringstream out, err;
        stato_ = comando_dump(percorso(nome), "-", out, err);
        errore_ = err.str();
        if (stato_ != 0) return nullptr;
        return nlohmann::json::parse(out.str());
    }

    prova::CartellaTemporanea cartella_{"dump_test"};
    int stato_ = -1;
    std::string errore_;
};

TEST_F(Dump, ScenarioTableRoundTripsThroughTheEncoder) {
    std::array<voce_treno, voci_record_treno> voci{};
    voci[1].tipo = 12;
    voci[1].inizio = 29600;
    voci[1].fine = 30200;
    voci[1].posizione = 29900;
    voci[1].testo = "VERBANIA  PALLANZA";
    voci[1].a1 = -3;
    voci[1].orario = 63900;
    voci[1].opzione_2 = 255;
    voci[80].testo = "Galleria \x93Monte\x94 \x80";
    voci[86].testo = "325";
    voci[86].b3 = -32768;
    {
        FileSostitutivo f(percorso("S_325.sim"));
        scrivi_sim(f, voci);
        f.chiudi();
    }
    EXPECT_EQ(decodifica_sim(leggi_file(percorso("S_325.sim"))), voci);

    const auto j = dump("S_325.sim");
    ASSERT_EQ(stato_, 0) << errore_;
    const auto& r = j.at("record_treno");
    ASSERT_EQ(r.size(), 87u);
    EXPECT_EQ(r[1].at("tipo"), 12);
    EXPECT_EQ(r[1].at("inizio"), 29600);
    EXPECT_EQ(r[1].at("fine"), 30200);
    EXPECT_EQ(r[1].at("posizione"), 29900);
    EXPECT_EQ(r[1].at("testo"), "VERBANIA  PALLANZA");
    EXPECT_EQ(r[1].at("a1"), -3);
    EXPECT_EQ(r[1].at("opzione_2"), 255);
    EXPECT_EQ(r[1].at("orario"), 63900);
    EXPECT_EQ(r[80].at("testo"), "Galleria \u201CMonte\u201D \u20AC");
    EXPECT_EQ(r[86].at("b3"), -32768);
    // Every entry carries all sixteen fields under their own names.
    for (const char* campo :
         {"tipo", "inizio", "fine", "posizione", "opzione_1", "testo", "a1", "a2", "b1", "b2", "b3",
          "a3", "sosta", "opzione_3", "opzione_2", "orario"}) {
        EXPECT_TRUE(r[0].contains(campo)) << campo;
    }
}

TEST_F(Dump, TrackPlanKeepsEmptyIntegerAndRealApartAndRealsExact) {
    Tracciato t;
    t.dimensiona(6);
    t.imposta_intero(0, 0, 0);
    t.imposta_intero(0, 1, 0);
    t.imposta_intero(1, 0, 0);
    t.imposta_intero(1, 1, 1);
    const double reali[] = {2.0, 0.1 + 0.2, -1e-300, 1e21, std::numeric_limits<double>::max()};
    for (int p = 2; p <= 4; ++p) {
        t.imposta_reale(p, 0, reali[p - 2]);
        t.imposta_reale(p, 1, reali[p]);
    }
    {
        FileSostitutivo f(percorso("S_linea.dat"));
        scrivi_linea_dat(f, t);
        f.chiudi();
    }
    const auto j = dump("S_linea.dat");
    ASSERT_EQ(stato_, 0) << errore_;
    EXPECT_EQ(j.at("ultimo_punto"), 6);
    const auto& punti = j.at("tracciato");
    ASSERT_EQ(punti.size(), 7u);
    EXPECT_TRUE(punti[1][1].is_number_integer());
    EXPECT_EQ(punti[1][1], 1);
    for (int p = 2; p <= 4; ++p) {
        for (int c = 0; c < 2; ++c) {
            ASSERT_TRUE(punti[p][c].is_number_float()) << p << "," << c;
            EXPECT_EQ(punti[p][c].get<double>(), t.valore(p, c)) << p << "," << c;
        }
    }
    EXPECT_TRUE(punti[5][0].is_null());
    EXPECT_TRUE(punti[6][1].is_null());
}

TEST_F(Dump, CellsRoundTripThroughTheEncoder) {
    std::vector<cella> celle(3);
    celle[2].codice = 1;
    celle[2].valore_1 = 42;
    celle[2].valore_4 = -8;
    celle[2].tempo_segnale = 101;
    celle[2].velocita = 24;
    celle[2].pendenza = 88;
    celle[2].aderenza = 3;
    {
        FileSostitutivo f(percorso("S_325.dat"));
        scrivi_celle(f, celle);
        f.chiudi();
    }
    EXPECT_EQ(decodifica_celle(leggi_file(percorso("S_325.dat"))), celle);
    const auto j = dump("S_325.dat");
    ASSERT_EQ(stato_, 0) << errore_;
    EXPECT_EQ(j.at("ultima_cella"), 2);
    const auto& c = j.at("celle_percorso").at(2);
    EXPECT_EQ(c.at("codice"), 1);
    EXPECT_EQ(c.at("valore_1"), 42);
    EXPECT_EQ(c.at("valore_4"), -8);
    EXPECT_EQ(c.at("tempo_segnale"), 101);
    EXPECT_EQ(c.at("velocita"), 24);
    EXPECT_EQ(c.at("pendenza"), 88);
    EXPECT_EQ(c.at("aderenza"), 3);
    EXPECT_EQ(c.size(), 11u);
}

TEST_F(Dump, NameDecidesTheLayoutAndBadFilesAreStatusFour) {
    scrivi_byte("dispari.dat", std::string(16, '\0'));
    scrivi_byte("corto.sim", std::string(100, '\0'));
    scrivi_byte("etichetta_linea.dat", std::string("\x07\x00\x00\x00", 4));
    // 30 zero bytes are two cells but fifteen empty values: an odd count for a track plan.
    scrivi_byte("trenta_linea.dat", std::string(30, '\0'));
    scrivi_byte("trenta.dat", std::string(30, '\0'));
    scrivi_byte("trenta.txt", std::string(30, '\0'));
    std::filesystem::create_directory(percorso("cartella.sim"));

    const struct {
        const char* nome;
        int stato;
    } casi[] = {
        {"trenta.dat", 0},   {"trenta_linea.dat", 4},    {"dispari.dat", 4},
        {"corto.sim", 4},    {"etichetta_linea.dat", 4}, {"mancante.sim", 4},
        {"cartella.sim", 4}, {"trenta.txt", 2},          {"trenta", 2},
    };
    for (const auto& c : casi) {
        dump(c.nome);
        EXPECT_EQ(stato_, c.stato) << c.nome;
        if (c.stato != 0) {
            EXPECT_NE(errore_.find(c.nome), std::string::npos) << errore_;
        }
    }
}

}  // namespace
}  // namespace compattatore
