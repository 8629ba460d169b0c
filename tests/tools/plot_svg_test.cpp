#include "tools/plot_svg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>

#include "core/utf8.h"
#include "platform/file_letto.h"
#include "platform/file_sostitutivo.h"
#include "prova_comune.h"
#include "tools/decodifica.h"
#include "tools/oggetti.h"
#include "tools/strumenti.h"
#include "track/codifica.h"

namespace compattatore {
namespace {

using prova::leggi;

bool xmllint_presente() {
    return std::system("xmllint --version >/dev/null 2>&1") == 0;
}

// Empty when the file is well-formed XML, otherwise what xmllint says.
std::string errori_xml(const std::string& file) {
    const std::string rapporto = file + ".xmllint";
    const int esito =
        std::system(("xmllint --noout '" + file + "' >'" + rapporto + "' 2>&1").c_str());
    return esito == 0 ? "" : "xmllint: " + leggi(rapporto);
}

// A 5 km line: two stations, a board with a text that needs escaping, a signal, a slowdown
// with its warning, a speed board, a gradient and a speed limit.
ScenarioDaDisegnare piccolo_scenario() {
    ScenarioDaDisegnare s;
    s.voci[1].posizione = 0;
    s.voci[1].fine = 700;
    s.voci[1].testo = "ALFA";
    s.voci[2].posizione = 4000;
    s.voci[2].inizio = 3700;
    s.voci[2].fine = 4300;
    s.voci[2].testo = "BETA & <CAS\xC8>";
    s.voci[80].testo = "Galleria \"Monte\" \x80";
    s.voci[84].fine = 5000;
    s.voci[85].testo = "PROVA";
    s.voci[86].testo = "7";
    s.celle.resize(241);
    for (size_t c = 0; c + 3 < s.celle.size(); ++c) {
        s.celle[c].velocita = c < 20 ? 16 : 24;
        s.celle[c].pendenza = c < 50 ? 100 : 112;
    }
    s.celle[13].codice = 10;
    s.celle[13].valore_1 = 1;
    s.celle[85].codice = 10;
    s.celle[85].valore_1 = 2;
    s.celle[31].codice = 14;
    s.celle[31].valore_1 = 80;
    s.celle[41].codice = 1;
    s.celle[37].codice = 4;
    s.celle[37].valore_1 = 30;
    s.celle[61].codice = 3;
    s.celle[61].valore_1 = 30;
    s.celle[65].codice = 2;
    s.celle[65].valore_1 = 30;
    s.celle[19].codice = 6;
    s.celle[19].valore_1 = 2500;
    s.celle[19].valore_2 = 2600;
    s.celle[19].valore_3 = 2700;
    // A straight, then a gentle bend, as the reader's walk builds it.
    Tracciato t;
    t.dimensiona(12000);
    t.imposta_intero(0, 0, 0);
    t.imposta_intero(0, 1, 0);
    t.imposta_intero(1, 0, 0);
    t.imposta_intero(1, 1, 1);
    for (int32_t k = 2; k <= 11998; ++k) {
        const double dx = t.valore(k - 1, 0) - t.valore(k - 2, 0);
        const double dy = t.valore(k - 1, 1) - t.valore(k - 2, 1);
        const double c = k > 2000 && k < 3000 ? 0.0005 : 0.0;
        t.imposta_reale(k, 0, t.valore(k - 1, 0) + (dx + c * dy));
        t.imposta_reale(k, 1, t.valore(k - 1, 1) + (dy - c * dx));
    }
    s.tracciato = std::move(t);
    return s;
}

TEST(PlotSvg, NamesEveryStationSignalSlowdownAndBoardInWellFormedSvg) {
    if (!xmllint_presente()) GTEST_SKIP() << "xmllint is not installed";
    prova::CartellaTemporanea dir;
    const std::string svg = disegna_svg(piccolo_scenario());
    std::ofstream(dir / "p.svg", std::ios::binary) << svg;
    EXPECT_EQ(errori_xml(dir / "p.svg"), "");

    for (const char* atteso : {
             "ALFA",
             "BETA &amp; &lt;CAS\xC3\x88&gt;",           // escaped, in UTF-8
             "Galleria &quot;Monte&quot; \xE2\x82\xAC",  // board text by its entry
             "S 2+000",                                  // signal in cell 41
             "R 30 km/h",                                // slowdown
             "A 30",                                     // its warning
             "V 125/130/135",                            // speed board
             "class=\"percorso\"",                       // the route is drawn
         }) {
        EXPECT_NE(svg.find(atteso), std::string::npos) << atteso;
    }
    // The board's entry is not taken for a station.
    EXPECT_EQ(svg.find("class=\"stazione\">Galleria"), std::string::npos);
}

TEST(PlotSvg, HostileValuesStillGiveWellFormedSvg) {
    if (!xmllint_presente()) GTEST_SKIP() << "xmllint is not installed";
    ScenarioDaDisegnare s = piccolo_scenario();
    s.voci[1].testo = std::string("A\x01\x1F\0B\x81]]>", 9);  // bytes XML does not allow
    s.voci[2].posizione = std::numeric_limits<int32_t>::min();
    s.voci[84].fine = std::numeric_limits<int32_t>::max();
    s.celle[31].valore_1 = 300;  // a board text outside the table
    s.celle[85].valore_1 = -5;   // a station end naming no entry
    s.celle[61].valore_1 = -32768;
    s.tracciato->imposta_reale(500, 0, std::nan(""));
    s.tracciato->imposta_reale(600, 1, std::numeric_limits<double>::infinity());

    ScenarioDaDisegnare senza_celle;
    senza_celle.voci[84].fine = -1;
    const ScenarioDaDisegnare casi[] = {s, senza_celle};
    prova::CartellaTemporanea dir;
    for (const auto& caso : casi) {
        std::ofstream(dir / "h.svg", std::ios::binary) << disegna_svg(caso);
        EXPECT_EQ(errori_xml(dir / "h.svg"), "");
    }
}

// Writes the three files of scenario S, train 7, into `dir` with the encoders.
void scrivi_scenario(const prova::CartellaTemporanea& dir, const ScenarioDaDisegnare& s,
                     bool con_linea) {
    FileSostitutivo sim(dir / "S_X_7.sim");
    scrivi_sim(sim, s.voci);
    sim.chiudi();
    FileSostitutivo dat(dir / "S_X_7.dat");
    scrivi_celle(dat, s.celle);
    dat.chiudi();
    if (con_linea) {
        FileSostitutivo linea(dir / "S_X_linea.dat");
        scrivi_linea_dat(linea, *s.tracciato);
        linea.chiudi();
    }
}

TEST(ComandoPlot, FindsTheCellsAndTheTrackPlanBesideTheScenarioTable) {
    prova::CartellaTemporanea dir;
    scrivi_scenario(dir, piccolo_scenario(), true);
    std::ostringstream err;
    ASSERT_EQ(comando_plot(dir / "S_X_7.sim", "", std::cout, err), 0) << err.str();
    const std::string svg = leggi(dir / "S_X_7.svg");
    EXPECT_NE(svg.find("class=\"percorso\""), std::string::npos);
    EXPECT_NE(svg.find("Galleria &quot;Monte&quot;"), std::string::npos);

    // Without the track plan: the profile only, and the picture says so.
    std::filesystem::remove(dir / "S_X_linea.dat");
    ASSERT_EQ(comando_plot(dir / "S_X_7.sim", dir / "altro.svg", std::cout, err), 0) << err.str();
    const std::string solo_profilo = leggi(dir / "altro.svg");
    EXPECT_EQ(solo_profilo.find("class=\"percorso\""), std::string::npos);
    EXPECT_NE(solo_profilo.find("S_X_linea.dat not found"), std::string::npos);
    EXPECT_NE(solo_profilo.find("BETA &amp;"), std::string::npos);
}

TEST(ComandoPlot, PlotAndViewRefuseBadNamesAndFilesWithoutWritingAnything) {
    prova::CartellaTemporanea dir;
    scrivi_scenario(dir, piccolo_scenario(), true);
    std::filesystem::copy_file(dir / "S_X_7.sim", dir / "senzatreno.sim");
    std::filesystem::copy_file(dir / "S_X_7.sim", dir / "T_1.sim");  // no T_1.dat
    std::filesystem::copy_file(dir / "S_X_7.sim", dir / "U_1.sim");
    std::ofstream(dir / "U_1.dat", std::ios::binary) << std::string(14, '\0');
    std::filesystem::copy_file(dir / "S_X_7.sim", dir / "V_1.sim");
    std::filesystem::copy_file(dir / "S_X_7.dat", dir / "V_1.dat");
    std::ofstream(dir / "V_linea.dat", std::ios::binary) << std::string("\x02\x00\x01", 3);

    const struct {
        const char* sim;
        int stato;
        const char* nominato;  // the file the message must name
    } casi[] = {
        {"senzatreno.sim", 2, "senzatreno.sim"},
        {"S_X_7.dat", 2, "S_X_7.dat"},
        {"mancante_1.sim", 4, "mancante_1.sim"},
        {"T_1.sim", 4, "T_1.dat"},
        {"U_1.sim", 4, "U_1.dat"},
        {"V_1.sim", 4, "V_linea.dat"},
    };
    // The page of `view` reads the same files the same way.
    for (auto* comando : {comando_plot, comando_view}) {
        for (const auto& c : casi) {
            std::ostringstream err;
            EXPECT_EQ(comando(dir / c.sim, "", std::cout, err), c.stato) << c.sim;
            EXPECT_NE(err.str().find(c.nominato), std::string::npos) << err.str();
        }
    }
    for (const auto& voce : std::filesystem::directory_iterator(dir.percorso)) {
        EXPECT_NE(voce.path().extension(), ".svg") << voce.path();
        EXPECT_NE(voce.path().extension(), ".html") << voce.path();
    }
}

TEST(ComandoPlot, DrawsTheBuiltInScenarioWithItsStationsNamed) {
    if (!xmllint_presente()) GTEST_SKIP() << "xmllint is not installed";
    prova::CartellaTemporanea dir;
    const auto e =
        prova::esegui({prova::copia_programma(dir.percorso)}, {.cartella = dir.percorso});
    ASSERT_EQ(e.stato, 0) << e.errori;
    std::ostringstream err;
    ASSERT_EQ(comando_plot(dir / "VALCRESTINA_TORVE_325.sim", "", std::cout, err), 0) << err.str();
    EXPECT_EQ(errori_xml(dir / "VALCRESTINA_TORVE_325.svg"), "");

    const std::string svg = leggi(dir / "VALCRESTINA_TORVE_325.svg");
    const auto voci = decodifica_sim(leggi_file(dir / "VALCRESTINA_TORVE_325.sim"));
    int stazioni = 0;
    for (int i = 1; i <= 80 && !(voci[static_cast<size_t>(i)] == voce_treno{}); ++i) {
        const std::string nome = a_utf8(voci[static_cast<size_t>(i)].testo);
        EXPECT_NE(svg.find(">" + nome + "</text>"), std::string::npos) << nome;
        ++stazioni;
    }
    EXPECT_EQ(stazioni, 14);
    EXPECT_NE(svg.find("class=\"percorso\""), std::string::npos);
}

// A compiled scenario read back from `dir` as `plot` reads it.
ScenarioDaDisegnare carica(const std::filesystem::path& dir, const std::string& scenario,
                           const std::string& treno) {
    ScenarioDaDisegnare s;
    s.voci = decodifica_sim(leggi_file((dir / (scenario + "_" + treno + ".sim")).string()));
    s.celle = decodifica_celle(leggi_file((dir / (scenario + "_" + treno + ".dat")).string()));
    s.tracciato = decodifica_linea_dat(leggi_file((dir / (scenario + "_linea.dat")).string()));
    return s;
}

// The built-in scenario, and the maximal one (a 1000 km line with thousands of items),
// compiled once for the tests that draw them.
class Disegni : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cartella = new prova::CartellaTemporanea;
        const auto e = prova::esegui({prova::copia_programma(cartella->percorso)},
                                     {.cartella = cartella->percorso});
        if (e.stato != 0) return;
        incorporato =
            new ScenarioDaDisegnare(carica(cartella->percorso, "VALCRESTINA_TORVE", "325"));
        // The Windows build's tests run under Wine, where the build machine's interpreter
        // that writes the maximal scenario cannot be started: there it is left out.
        if (std::string_view(COMPATTATORE_PYTHON).empty()) return;
        const std::string m = (cartella->percorso / "massimo").string();
        if (prova::esegui({COMPATTATORE_PYTHON, COMPATTATORE_GENERA_MASSIMO, m}).stato != 0 ||
            prova::esegui(
                {COMPATTATORE_EXE, "compile", m + "/MASSIMO_linea.txt", m + "/MASSIMO_9999-.txt"})
                    .stato != 0) {
            return;
        }
        massimo = new ScenarioDaDisegnare(carica(m, "MASSIMO", "9999"));
    }
    static void TearDownTestSuite() {
        delete massimo;
        delete incorporato;
        delete cartella;
        massimo = incorporato = nullptr;
        cartella = nullptr;
    }
    static prova::CartellaTemporanea* cartella;
    static ScenarioDaDisegnare* incorporato;
    static ScenarioDaDisegnare* massimo;
};
prova::CartellaTemporanea* Disegni::cartella = nullptr;
ScenarioDaDisegnare* Disegni::incorporato = nullptr;
ScenarioDaDisegnare* Disegni::massimo = nullptr;

// The first pairs of texts whose boxes overlap, "A / B", and how many there are.
std::pair<size_t, std::string> sovrapposte(std::vector<TestoDisegnato> testi) {
    std::sort(testi.begin(), testi.end(),
              [](const TestoDisegnato& a, const TestoDisegnato& b) { return a.x0 < b.x0; });
    size_t n = 0;
    std::string esempi;
    for (size_t i = 0; i < testi.size(); ++i) {
        const auto& a = testi[i];
        for (size_t j = i + 1; j < testi.size() && testi[j].x0 < a.x1; ++j) {
            const auto& b = testi[j];
            if (a.y0 < b.y1 && b.y0 < a.y1) {
                if (++n <= 5) esempi += "[" + a.testo + " / " + b.testo + "] ";
            }
        }
    }
    return {n, esempi};
}

// How many texts read exactly `testo`.
size_t quanti(const Disegnato& d, const std::string& testo) {
    return static_cast<size_t>(std::count_if(d.testi.begin(), d.testi.end(),
                                             [&](const auto& t) { return t.testo == testo; }));
}

std::vector<Oggetto> stazioni(const ScenarioDaDisegnare& s) {
    std::vector<Oggetto> r;
    for (auto& o : oggetti_scenario(s.voci, s.celle)) {
        if (o.genere == GenereOggetto::stazione) r.push_back(std::move(o));
    }
    return r;
}

TEST_F(Disegni, NoTwoTextsOverlapAndEveryStationIsNamedOnTheMapAndTheProfile) {
    ASSERT_NE(incorporato, nullptr) << "the built-in run failed";
    const struct {
        const char* nome;
        const ScenarioDaDisegnare* s;
        size_t stazioni, dettagli;
    } casi[] = {{"built-in", incorporato, 14, 0}, {"1000 km", massimo, 60, 20}};
    for (const auto& c : casi) {
        if (c.s == nullptr) GTEST_SKIP() << "the maximal scenario could not be generated";
        SCOPED_TRACE(c.nome);
        const Disegnato d = disegna_plot(*c.s);
        const auto [n, esempi] = sovrapposte(d.testi);
        EXPECT_EQ(n, 0u) << esempi;
        for (const auto& t : d.testi) {
            EXPECT_TRUE(t.x0 >= 0 && t.x1 <= 1600 && t.y0 >= 0) << t.testo << " leaves the page";
        }
        const auto tutte = stazioni(*c.s);
        EXPECT_EQ(tutte.size(), c.stazioni);
        // On the map, on the profile of the whole stretch, and on one detail strip.
        const size_t volte = c.dettagli > 0 ? 3 : 2;
        for (const auto& o : tutte) EXPECT_GE(quanti(d, o.etichetta), volte) << o.etichetta;
        size_t dettagli = 0;
        for (const auto& t : d.testi) dettagli += t.testo.rfind("Detail ", 0) == 0;
        EXPECT_EQ(dettagli, c.dettagli);
    }
}

TEST_F(Disegni, DrawsOnlyTheStretchAskedForInStripsWhenItIsLong) {
    ASSERT_NE(incorporato, nullptr) << "the built-in run failed";
    const struct {
        const ScenarioDaDisegnare* s;
        double da, a;
        std::vector<std::string> dettagli;
    } casi[] = {
        {incorporato, 10, 20.5, {}},
        {massimo,
         100,
         230,
         {"Detail 100+000 \xE2\x80\x93 150+000", "Detail 150+000 \xE2\x80\x93 200+000",
          "Detail 200+000 \xE2\x80\x93 230+000"}},
    };
    for (const auto& c : casi) {
        if (c.s == nullptr) GTEST_SKIP() << "the maximal scenario could not be generated";
        SCOPED_TRACE(c.a);
        const Disegnato d = disegna_plot(*c.s, {c.da, c.a});
        EXPECT_EQ(sovrapposte(d.testi).first, 0u) << sovrapposte(d.testi).second;
        for (const auto& o : stazioni(*c.s)) {
            const bool dentro = o.da >= c.da * 1000 && o.da <= c.a * 1000;
            EXPECT_EQ(quanti(d, o.etichetta) > 0, dentro) << o.etichetta << " at " << o.da;
        }
        // The kilometre axis covers the stretch and nothing else.
        double primo = 1e9, ultimo = -1;
        for (const auto& t : d.testi) {
            // Right of the values of the profiles, in the left margin.
            if (t.x0 < 74 || t.testo.empty() ||
                t.testo.find_first_not_of("0123456789") != std::string::npos) {
                continue;
            }
            primo = std::min(primo, std::stod(t.testo));
            ultimo = std::max(ultimo, std::stod(t.testo));
        }
        EXPECT_EQ(primo, c.da);
        EXPECT_LE(ultimo, c.a);
        EXPECT_GE(ultimo, c.a - 5);
        std::vector<std::string> dettagli;
        for (const auto& t : d.testi) {
            if (t.testo.rfind("Detail ", 0) == 0) dettagli.push_back(t.testo);
        }
        EXPECT_EQ(dettagli, c.dettagli);
    }
}

TEST(ComandoPlot, AStretchBeyondTheRouteIsAUsageErrorAndWritesNothing) {
    prova::CartellaTemporanea dir;
    scrivi_scenario(dir, piccolo_scenario(), true);  // a 5 km route
    const struct {
        TrattoDaDisegnare tratto;
        int stato;
        const char* messaggio;
    } casi[] = {
        {{std::nullopt, 6},
         2,
         "plot: --to 6 is beyond the end of the route: the route ends at km 5\n"},
        {{5, std::nullopt}, 2, "plot: --from 5 is not before the end of the route"},
        {{4.5, 5}, 0, ""},
        {{std::nullopt, 2.25}, 0, ""},
    };
    for (const auto& c : casi) {
        std::ostringstream err;
        std::filesystem::remove(dir / "S_X_7.svg");
        EXPECT_EQ(comando_plot(dir / "S_X_7.sim", "", c.tratto, std::cout, err), c.stato);
        const std::string detto = err.str();
        EXPECT_NE(detto.find(c.messaggio), std::string::npos) << detto;
        EXPECT_EQ(std::count(detto.begin(), detto.end(), '\n'), c.stato == 0 ? 0 : 1) << detto;
        EXPECT_EQ(std::filesystem::exists(dir / "S_X_7.svg"), c.stato == 0);
    }
}

}  // namespace
}  // namespace compattatore
