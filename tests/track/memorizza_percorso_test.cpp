#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/errori.h"
#include "core/form1.h"
#include "prova_comune.h"

namespace compattatore {
namespace {

namespace fs = std::filesystem;
using prova::leggi;

// Remembers the fatal message instead of showing it.
struct InterfacciaRegistrata : Interfaccia {
    std::vector<std::string> errori;
    void mostra_attesa() override {}
    void chiudi_attesa() override {}
    void mostra_errore(const std::string& testo) override { errori.push_back(testo); }
};

std::string linea_con(const std::string& generale, const std::string& corpo = "") {
    return "Linea di prova\r\n[generale]\r\n" + generale + "[curve]\r\n" + corpo + "[fine]\r\n";
}
std::string treno_con(const std::string& corpo) {
    return "[generale]\r\n" + corpo + "[fine]\r\n";
}
// 3000 m of line: cells 0 to 200.
const std::string linea_breve = linea_con("lunghezza percorso, 3000\r\n");

class Compattatore : public ::testing::Test {
  protected:
    void SetUp() override {
        f.interfaccia = &interfaccia;
        f.messaggi = &messaggi;
        f.cartella_programma = cartella_.string();
        f.nome_scenario = "Prova";
        f.numero_treno = "7";
    }

    void compatta(const std::string& linea, const std::string& treno, int32_t j = 1) {
        f.testo_linea = linea;
        f.testo_treno = treno;
        f.memorizza_percorso(j);
    }
    std::vector<std::string> file_presenti() const { return prova::nomi_in(cartella_); }
    int16_t codice_og(const std::string& nomi) {
        Form1 g;
        g.record_treno[86].testo = nomi;
        return g.codice_gara_og();
    }
    int32_t codice_st(const std::string& nomi) {
        Form1 g;
        g.record_treno[86].testo = nomi;
        return g.codice_gara_st();
    }

    const prova::CartellaTemporanea temporanea_{"compattatore"};
    const fs::path cartella_ = temporanea_.percorso;
    InterfacciaRegistrata interfaccia;
    std::ostringstream messaggi;
    Form1 f;
};

using Nomi = std::vector<std::string>;

TEST_F(Compattatore, CleanRunFillsTheReservedSlotsAndWritesTheThreeFiles) {
    compatta(linea_breve, treno_con(""));
    EXPECT_EQ(f.resoconto.stato, 0);
    EXPECT_EQ(messaggi.str(), "");
    EXPECT_EQ(f.resoconto.scritti, (Nomi{"Prova_linea.dat", "Prova_7.sim", "Prova_7.dat"}));
    EXPECT_EQ(file_presenti(), (Nomi{"Prova_7.dat", "Prova_7.sim", "Prova_linea.dat"}));

    EXPECT_EQ(f.record_treno[85].a1, 610);
    EXPECT_EQ(f.record_treno[85].orario, codice_st("7prova"));
    EXPECT_EQ(f.celle_percorso[1].valore_1, 5121);
    EXPECT_EQ(f.celle_percorso[1].valore_2, codice_og("7prova"));
    // Cell 1 as written: code, then valore_1 and valore_2 little-endian.
    const std::string dat = leggi(cartella_ / "Prova_7.dat");
    ASSERT_EQ(dat.size(), 15u * 201);
    EXPECT_EQ(static_cast<uint8_t>(dat[16]), 5121 & 0xFF);
    EXPECT_EQ(static_cast<uint8_t>(dat[17]), 5121 >> 8);
    EXPECT_EQ(static_cast<uint8_t>(dat[18]) | static_cast<uint8_t>(dat[19]) << 8,
              codice_og("7prova"));
}

TEST_F(Compattatore, WithoutTrackPlanAnEarlierPlanFileStaysAsItWas) {
    std::ofstream(cartella_ / "Prova_linea.dat") << "earlier";
    compatta(linea_breve, treno_con(""), 0);
    EXPECT_EQ(f.calcola_tracciato, 0);
    EXPECT_EQ(f.resoconto.scritti, (Nomi{"Prova_7.sim", "Prova_7.dat"}));
    EXPECT_EQ(leggi(cartella_ / "Prova_linea.dat"), "earlier");
    EXPECT_EQ(file_presenti(), (Nomi{"Prova_7.dat", "Prova_7.sim", "Prova_linea.dat"}));
}

TEST_F(Compattatore, BinaryFilesGoToTheOutputDirectory) {
    const fs::path uscita = cartella_ / "uscita";
    fs::create_directories(uscita);
    f.cartella_uscita = uscita.string();
    compatta(linea_breve, treno_con(""));
    EXPECT_TRUE(fs::exists(uscita / "Prova_linea.dat"));
    EXPECT_TRUE(fs::exists(uscita / "Prova_7.sim"));
    EXPECT_TRUE(fs::exists(uscita / "Prova_7.dat"));
    EXPECT_EQ(file_presenti(), (Nomi{"uscita"}));
}

TEST_F(Compattatore, FatalEndingsWriteNoBinaryFile) {
    struct Caso {
        const char* nome;
        std::string linea;
        std::string treno;
        int numero;
    };
    const Caso casi[] = {
        {"an abbattimento in cell 1", linea_breve, treno_con("abbattimento, 50, 7\r\n"), 1250},
        {"a speed-limit board in cell 1 with only its second speed",
         linea_con("lunghezza percorso, 3000\r\n", "indicatori_vmax, 0, 0, 1, 0, 0, , , , 0\r\n"),
         treno_con(""), 1251},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        // Earlier files of the same names are left as they were.
        for (const char* nome : {"Prova_linea.dat", "Prova_7.sim", "Prova_7.dat"}) {
            std::ofstream(cartella_ / nome) << "earlier";
        }
        f.resoconto.scritti.clear();
        interfaccia.errori.clear();
        try {
            compatta(c.linea, c.treno);
            ADD_FAILURE() << "no fatal ending";
        } catch (const ErroreFatale& e) {
            EXPECT_EQ(e.numero, c.numero);
        }
        EXPECT_EQ(f.resoconto.fatale, c.numero);
        EXPECT_EQ(interfaccia.errori, (Nomi{" Errore n. " + std::to_string(c.numero)}));
        EXPECT_TRUE(f.resoconto.scritti.empty());
        for (const char* nome : {"Prova_linea.dat", "Prova_7.sim", "Prova_7.dat"}) {
            EXPECT_EQ(leggi(cartella_ / nome), "earlier") << nome;
        }
    }
}

TEST_F(Compattatore, ReaderErrorIsReportedAndTheFilesAreStillWritten) {
    // An off-grid progressive is found after everything else has been read.
    compatta(linea_con("lunghezza percorso, 3000\r\n"
                       "progressiva chilometrica uno, 10, 3000, 1\r\n"),
             treno_con(""));
    EXPECT_EQ(f.resoconto.lettore.codice, 2);
    EXPECT_EQ(f.resoconto.stato, 1);
    EXPECT_NE(messaggi.str().find("error 2: "), std::string::npos) << messaggi.str();
    EXPECT_EQ(f.resoconto.scritti, (Nomi{"Prova_linea.dat", "Prova_7.sim", "Prova_7.dat"}));
    EXPECT_EQ(f.celle_percorso[1].valore_1, 5121);
}

// A train file that ends right after a station's seconds field: the name cannot be read
// (error 25), and the station's time, computed only once the name is there, stays 0 in its
// entry and in the .sim file.
TEST_F(Compattatore, StationCutBeforeItsNameKeepsNoTime) {
    compatta(linea_breve,
             "[generale]\r\nstazione,   0, 8,  700,  0, 0, 0,  0,0,0, "
             "4,1,1,    1,  8,0, 0,");
    EXPECT_EQ(f.resoconto.lettore.codice, 25);
    const voce_treno& e = f.record_treno[1];
    EXPECT_EQ(e.tipo, 8);
    EXPECT_EQ(e.sosta, 1);
    EXPECT_EQ(e.b1, 4);
    EXPECT_EQ(e.orario, 0);
    EXPECT_EQ(e.testo, "");
    // Entry 0 takes 34 bytes; entry 1, with no text, has its time at bytes 64 to 67.
    const std::string sim = leggi(cartella_ / "Prova_7.sim");
    ASSERT_GE(sim.size(), 68u);
    EXPECT_EQ(sim[34 + 27], 1);  // sosta
    EXPECT_EQ(sim.substr(64, 4), std::string(4, '\0'));
}

TEST_F(Compattatore, PassRecordDoesNotHideAReaderError) {
    // Three signals fill the first look-back window of the slowdown starting in cell 41;
    // the off-grid progressive is the reader's error.
    compatta(linea_con("lunghezza percorso, 3000\r\n"
                       "progressiva chilometrica uno, 10, 3000, 1\r\n"),
             treno_con("segnale, 1650, 2, 4, 0, 0, 0, 0, 0,0,0, 0\r\n"
                       "segnale, 1700, 2, 4, 0, 0, 0, 0, 0,0,0, 0\r\n"
                       "segnale, 1750, 2, 4, 0, 0, 0, 0, 0,0,0, 0\r\n"
                       "rallentamento, 2000, 150, 200, 0, 0, 0\r\n"));
    EXPECT_EQ(f.resoconto.lettore.codice, 2);
    ASSERT_EQ(f.resoconto.registrazioni.size(), 1u);
    const Registrazione& r = f.resoconto.registrazioni[0];
    EXPECT_EQ(r.codice, 12);
    EXPECT_EQ(r.posizione, 41 * 50);
    // The slowdown the marks were for, on line 5 of the train file.
    ASSERT_TRUE(r.origine);
    EXPECT_EQ(r.origine->record, "rallentamento");
    EXPECT_EQ(r.origine->posizione, 2000);
    EXPECT_EQ(r.origine->riga, 5);
    EXPECT_EQ(r.origine->colonna, 1);
    EXPECT_EQ(f.codice_errore, 12);
    EXPECT_EQ(f.resoconto.stato, 1);
    const std::string m = messaggi.str();
    EXPECT_NE(m.find("error 2: "), std::string::npos) << m;
    EXPECT_NE(m.find("warning 12: "), std::string::npos) << m;
}

TEST_F(Compattatore, ReaderStoppingBeforeTheCellsLeavesNoBinaryFile) {
    struct Caso {
        const char* nome;
        std::string linea;
        int32_t codice;
    };
    const Caso casi[] = {
        {"no [generale]", "solo testo\r\n", 102},
        {"length above 1000000", linea_con("lunghezza percorso, 1000001\r\n"), 1},
        {"no length record", linea_con("progressiva chilometrica uno, 0, 3000, 1\r\n"), 25},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        messaggi.str("");
        f.resoconto.scritti.clear();
        compatta(c.linea, treno_con(""));
        EXPECT_EQ(f.resoconto.lettore.codice, c.codice);
        EXPECT_EQ(f.resoconto.stato, 1);
        EXPECT_NE(messaggi.str().find("error " + std::to_string(c.codice) + ": "),
                  std::string::npos)
            << messaggi.str();
        EXPECT_TRUE(f.resoconto.scritti.empty());
        EXPECT_TRUE(file_presenti().empty());
    }
}

TEST_F(Compattatore, RouteWithoutCellOneFailsWithoutBinaryFiles) {
    // A length of -7000 m leaves cell 0 alone, with or without a track plan.
    for (const int32_t j : {0, 1}) {
        SCOPED_TRACE(j);
        try {
            compatta(linea_con("lunghezza percorso, -7000\r\n"), treno_con(""), j);
            ADD_FAILURE() << "no failure";
        } catch (const ErrorePiattaforma& e) {
            EXPECT_NE(std::string(e.what()).find("cell 1"), std::string::npos) << e.what();
        }
        EXPECT_TRUE(f.resoconto.scritti.empty());
        EXPECT_TRUE(file_presenti().empty());
    }
    // -6950 m still reaches cell 1.
    compatta(linea_con("lunghezza percorso, -6950\r\n"), treno_con(""), 0);
    EXPECT_EQ(f.ultima_cella, 1);
    EXPECT_EQ(f.celle_percorso[1].valore_1, 5121);
    EXPECT_EQ(file_presenti(), (Nomi{"Prova_7.dat", "Prova_7.sim"}));
}

}  // namespace
}  // namespace compattatore
