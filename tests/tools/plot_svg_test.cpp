#include "tools/plot_svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>

#include "core/utf8.h"
#include "platform/file_letto.h"
#include "platform/file_sostitutivo.h"
#include "prova_comune.h"
#include "tools/decodifica.h"
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
    EXPECT_EQ(svg.find("rotate(-50)\">Galleria"), std::string::npos);
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
        EXPECT_NE(svg.find("rotate(-50)\">" + nome + "<"), std::string::npos) << nome;
        ++stazioni;
    }
    EXPECT_EQ(stazioni, 14);
    EXPECT_NE(svg.find("class=\"percorso\""), std::string::npos);
}

}  // namespace
}  // namespace compattatore
