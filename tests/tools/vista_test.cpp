#include "tools/vista.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/file_letto.h"
#include "prova_comune.h"
#include "tools/decodifica.h"
#include "tools/oggetti.h"
#include "tools/strumenti.h"

namespace compattatore {
namespace {

using nlohmann::json;
using prova::leggi;

// The built-in scenario, compiled once for every test of this file.
class VistaDelloScenario : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new prova::CartellaTemporanea("vista");
        const auto e =
            prova::esegui({prova::copia_programma(dir_->percorso)}, {.cartella = dir_->percorso});
        ASSERT_EQ(e.stato, 0) << e.errori;
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static std::string file(const std::string& nome) { return *dir_ / nome; }
    static ScenarioDaDisegnare scenario() {
        ScenarioDaDisegnare s;
        s.voci = decodifica_sim(leggi_file(file("VALCRESTINA_TORVE_325.sim")));
        s.celle = decodifica_celle(leggi_file(file("VALCRESTINA_TORVE_325.dat")));
        s.tracciato = decodifica_linea_dat(leggi_file(file("VALCRESTINA_TORVE_linea.dat")));
        return s;
    }
    // The data a page carries, read back out of it.
    static json dati_della_pagina(const std::string& pagina) {
        const std::string inizio = "<script type=\"application/json\" id=\"dati\">";
        const size_t da = pagina.find(inizio);
        EXPECT_NE(da, std::string::npos);
        const size_t a = pagina.find("</script>", da);
        return json::parse(pagina.substr(da + inizio.size(), a - da - inizio.size()));
    }
    static prova::CartellaTemporanea* dir_;
};
prova::CartellaTemporanea* VistaDelloScenario::dir_ = nullptr;

TEST_F(VistaDelloScenario, PageCarriesEveryCellAndNeedsNothingFromOutside) {
    std::ostringstream err;
    ASSERT_EQ(comando_view(file("VALCRESTINA_TORVE_325.sim"), "", std::cout, err), 0) << err.str();
    const std::string pagina = leggi(file("VALCRESTINA_TORVE_325.html"));
    // Script and style inside; nothing to fetch.
    EXPECT_EQ(std::regex_search(pagina, std::regex("(src|href)=|https?:|@import|url\\(")), false);
    EXPECT_NE(pagina.find("<title>Scenario VALCRESTINA_TORVE \xE2\x80\x94 train 325</title>"),
              std::string::npos);

    const json d = dati_della_pagina(pagina);
    const auto celle = decodifica_celle(leggi_file(file("VALCRESTINA_TORVE_325.dat")));
    ASSERT_EQ(d["ultima_cella"], celle.size() - 1);
    // Every field, expanded from its runs, gives back the cells of the file.
    auto campo = [&](const char* nome) {
        std::vector<int> v;
        const json& tratti = d["celle"][nome];
        for (size_t k = 0; k + 1 < tratti.size(); k += 2) {
            v.insert(v.end(), tratti[k + 1].get<size_t>(), tratti[k].get<int>());
        }
        return v;
    };
    const auto codice = campo("codice"), v1 = campo("valore_1"), v4 = campo("valore_4"),
               avv = campo("avvicinamento"), pendenza = campo("pendenza"),
               aderenza = campo("aderenza");
    ASSERT_EQ(codice.size(), celle.size());
    ASSERT_EQ(aderenza.size(), celle.size());
    for (size_t c = 0; c < celle.size(); ++c) {
        ASSERT_EQ(codice[c], celle[c].codice) << c;
        ASSERT_EQ(v1[c], celle[c].valore_1) << c;
        ASSERT_EQ(v4[c], celle[c].valore_4) << c;
        ASSERT_EQ(avv[c], celle[c].avvicinamento) << c;
        ASSERT_EQ(pendenza[c], celle[c].pendenza) << c;
        ASSERT_EQ(aderenza[c], celle[c].aderenza) << c;
    }

    // Layers: the built-in line's items, each in its cell.
    const json& strati = d["strati"];
    EXPECT_EQ(strati["stazioni"].size(), 14u);
    EXPECT_EQ(strati["cartelli"].size(), 18u);
    for (const char* nome : {"segnali", "velocita", "cartelli", "marche"}) {
        for (const json& o : strati[nome]) {
            const int c = o["c"];
            EXPECT_EQ(metri_di_cella(c), o["da"].get<double>()) << nome;
            EXPECT_NE(celle[static_cast<size_t>(c)].codice, 0) << nome << " " << c;
        }
    }
    // The marker pass's three marks ahead of the slowdown.
    std::vector<int> marche;
    for (const json& o : strati["marche"]) marche.push_back(o["c"]);
    EXPECT_EQ(marche, (std::vector<int>{438, 445, 451}));
}

TEST_F(VistaDelloScenario, TimetableGivesArrivalDepartureAndStopFromTheTable) {
    const json d = dati_della_pagina(pagina_vista(scenario()));
    const json& stazioni = d["strati"]["stazioni"];
    ASSERT_EQ(stazioni.size(), 14u);
    auto orario = [](int h, int m) { return (h * 60 + m) * 60; };
    const struct {
        size_t indice;
        const char* nome;
        json arrivo, partenza;
    } casi[] = {
        {0, "VALCRESTINA", nullptr, orario(17, 21)},
        {1, "BEURA C.", nullptr, nullptr},
        {7, "VERBANIA  PALLANZA", orario(17, 44), orario(17, 45)},
        {9, "STRESA", orario(17, 51), orario(17, 52)},
        {13, "TORVE", orario(18, 3), nullptr},
    };
    for (const auto& c : casi) {
        const json& s = stazioni[c.indice];
        EXPECT_EQ(s["t"], c.nome);
        EXPECT_EQ(s["arrivo"], c.arrivo) << c.nome;
        EXPECT_EQ(s["partenza"], c.partenza) << c.nome;
    }
    EXPECT_EQ(stazioni[7]["campi"]["sosta"], 60);
    EXPECT_EQ(stazioni[7]["da"], 29600);
    EXPECT_EQ(stazioni[7]["a"], 30200);
}

// The curves found in the track plan are the curve records of the line source.
TEST_F(VistaDelloScenario, CurvesOfTheTrackPlanAreThoseOfTheLineSource) {
    const auto e = prova::esegui({COMPATTATORE_EXE, "sources", file("sorgenti")});
    ASSERT_EQ(e.stato, 0) << e.errori;
    std::istringstream linea(leggi(file("sorgenti/VALCRESTINA_TORVE_linea.txt")));
    const std::regex record(R"(^curva([sd])([1-6]),\s*(\d+),\s*(\d+)\s*$)");
    std::vector<std::string> attese;
    for (std::string riga; std::getline(linea, riga);) {
        if (!riga.empty() && riga.back() == '\r') riga.pop_back();
        std::smatch m;
        if (std::regex_match(riga, m, record)) {
            attese.push_back(m[1].str() + m[2].str() + " " + m[3].str() + " " + m[4].str());
        }
    }
    ASSERT_EQ(attese.size(), 30u);
    std::vector<std::string> trovate;
    for (const Oggetto& o : curve_del_tracciato(*scenario().tracciato)) {
        trovate.push_back(std::string(1, o.lato) + std::to_string(o.valore) + " " +
                          std::to_string(std::lround(o.da)) + " " +
                          std::to_string(std::lround(o.a - o.da)));
    }
    EXPECT_EQ(trovate, attese);
}

// The thinned route stays on the track plan: at every metre, the point between the kept
// points around it lies within a few centimetres of the plan's own point.
TEST_F(VistaDelloScenario, ThinnedRouteStaysOnTheTrackPlan) {
    const ScenarioDaDisegnare s = scenario();
    const json t = json::parse(dati_vista_json(s))["tracciato"];
    std::vector<double> m, x, y;
    double am = 0, ax = 0, ay = 0;
    for (size_t i = 0; i < t["m"].size(); ++i) {
        ASSERT_FALSE(t["m"][i].is_null());  // one stretch: the last two points are empty
        am += t["m"][i].get<double>();
        ax += t["x"][i].get<double>();
        ay += t["y"][i].get<double>();
        m.push_back(am);
        x.push_back(ax / 100);
        y.push_back(ay / 100);
    }
    const Tracciato& plan = *s.tracciato;
    ASSERT_EQ(m.front(), 0);
    ASSERT_EQ(m.back(), plan.ultimo_punto() - 2);
    EXPECT_LT(m.size() * 20, static_cast<size_t>(plan.ultimo_punto()));
    double peggiore = 0;
    size_t k = 0;
    for (int32_t p = 0; p <= plan.ultimo_punto() - 2; ++p) {
        while (k + 1 < m.size() && m[k + 1] <= p) ++k;
        const size_t j = std::min(k + 1, m.size() - 1);
        const double f = j == k ? 0 : (p - m[k]) / (m[j] - m[k]);
        const double px = x[k] + f * (x[j] - x[k]), py = y[k] + f * (y[j] - y[k]);
        peggiore = std::max(peggiore, std::hypot(px - plan.valore(p, 1), py - plan.valore(p, 0)));
    }
    EXPECT_LT(peggiore, 0.1);
}

TEST(Vista, TextsCannotEndThePageScriptAndBoardsSplitIntoLines) {
    ScenarioDaDisegnare s;
    s.voci[80].testo = "(</script><!--)(x)";
    s.voci[85].testo = "A<B";
    s.voci[86].testo = "1";
    s.voci[84].fine = 500;
    s.celle.resize(151);
    s.celle[5].codice = 14;
    s.celle[5].valore_1 = 80;
    s.nota_tracciato = "none";
    const std::string pagina = pagina_vista(s);
    size_t chiusure = 0;
    for (size_t i = pagina.find("</script>"); i != std::string::npos;
         i = pagina.find("</script>", i + 1)) {
        ++chiusure;
    }
    EXPECT_EQ(chiusure, 2u);  // the data's and the code's own
    EXPECT_NE(pagina.find("<title>Scenario A&lt;B"), std::string::npos);
    const json d = json::parse(dati_vista_json(s));
    EXPECT_EQ(d["strati"]["cartelli"][0]["righe"], json({"</script><!--", "x"}));
    EXPECT_TRUE(d["tracciato"].is_null());
    EXPECT_EQ(d["nota_tracciato"], "none");

    const struct {
        const char* testo;
        std::vector<std::string> righe;
    } casi[] = {
        {"(PONTE SUL )(FIUME TOCE)", {"PONTE SUL", "FIUME TOCE"}},
        {"GALLERIA", {"GALLERIA"}},
        {" prima (dentro) dopo ", {"prima", "dentro", "dopo"}},
        {"(A)()(C", {"A", "C"}},
        {"", {}},
    };
    for (const auto& c : casi) EXPECT_EQ(righe_cartello(c.testo), c.righe) << c.testo;
}

}  // namespace
}  // namespace compattatore
