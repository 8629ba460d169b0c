#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "core/form1.h"
#include "prova_comune.h"
#include "reader/lettore.h"

namespace compattatore {
namespace {

namespace fs = std::filesystem;
using prova::scrivi;

constexpr int32_t non_impostata = -777;

// A line file with a preamble, the given "[generale]" records and the given body. With the
// default length of 3000 m the last cell is 200 and a body record may stand at 9900 m at
// most. The body starts on line 5 with the default section.
std::string linea_con(const std::string& corpo,
                      const std::string& generale = "lunghezza percorso, 3000\r\n") {
    return "Linea di prova, con virgole\r\n[generale]\r\n" + generale + "[curve]\r\n" + corpo +
           "[fine]\r\n";
}
// A train file whose body starts on line 2.
std::string treno_con(const std::string& corpo) {
    return "[generale]\r\n" + corpo + "[fine]\r\n";
}

const char* const stazione_origine =
    "stazione, 0, 8, 700, 0, 0, 0, 1,1,0, 4,1,1, 1, 17,21, 0, ORIGINE\r\n";

class Lettura : public ::testing::Test {
  public:
    void SetUp() override { prepara(f); }

    // The state as the compactor leaves it before calling the reader.
    void prepara(Form1& form) {
        form.cartella_programma = cartella_.string();
        form.nome_scenario = "VALCRESTINA_TORVE";
        form.numero_treno = "325";
        form.calcola_tracciato = 1;
        form.codice_errore = 0;
        form.posizione_errore = non_impostata;
    }

    void leggi(const std::optional<std::string>& linea, const std::optional<std::string>& treno,
               Form1& form) {
        if (linea) scrivi(form.percorso_linea(), *linea);
        if (treno) scrivi(form.percorso_treno(), *treno);
        form.memorizza_dati();
    }
    void leggi(const std::optional<std::string>& linea, const std::optional<std::string>& treno) {
        leggi(linea, treno, f);
    }

    bool c_e_linea() const { return fs::exists(f.percorso_linea()); }
    bool c_e_treno() const { return fs::exists(f.percorso_treno()); }

    const prova::CartellaTemporanea temporanea_{"lettura"};
    const fs::path cartella_ = temporanea_.percorso;
    Form1 f;
};

// ---- the built-in scenario ---------------------------------------------------------------

TEST_F(Lettura, BuiltInScenario) {
    f.dati_linea();
    f.dati_treno();
    f.memorizza_dati();

    EXPECT_EQ(f.codice_errore, 0);
    EXPECT_FALSE(c_e_linea());
    EXPECT_FALSE(c_e_treno());
    EXPECT_EQ(f.ultima_cella, 1260);
    ASSERT_EQ(f.celle_percorso.size(), 1261u);

    const auto& v = f.record_treno;
    EXPECT_EQ(v[84].inizio, 130);
    EXPECT_EQ(v[84].fine, 56000);
    EXPECT_EQ(v[84].posizione, 8);
    EXPECT_EQ(v[85].inizio, 1);
    EXPECT_EQ(v[85].posizione, 0);
    EXPECT_EQ(v[85].fine, 0);
    EXPECT_EQ(v[85].testo, "VALCRESTINA_TORVE");
    EXPECT_EQ(v[86].inizio, 1200);
    EXPECT_EQ(v[86].fine, 55000);
    EXPECT_EQ(v[86].posizione, 4);
    EXPECT_EQ(v[86].testo, "325");
    EXPECT_EQ(v[86].a1, 250);
    EXPECT_EQ(v[86].b1, 17);
    EXPECT_EQ(v[86].b2, 20);
    EXPECT_EQ(v[86].b3, 30);

    // 14 stations from entry 1, 18 board texts from entry 80 down to 63.
    for (int i = 1; i <= 14; ++i) EXPECT_FALSE(v[i].testo.empty()) << i;
    for (int i = 15; i <= 62; ++i) EXPECT_EQ(v[i], voce_treno{}) << i;
    for (int i = 63; i <= 80; ++i) EXPECT_FALSE(v[i].testo.empty()) << i;
    EXPECT_EQ(v[80].testo, "(BIVIO  TOCE )(PER  ZEMA II)");
    EXPECT_EQ(v[63].testo, "(GALLERIA DI)(TORVE      )(m. 673     )");
    EXPECT_EQ(v[1].testo, "VALCRESTINA");
    EXPECT_EQ(v[1].inizio, -700);
    EXPECT_EQ(v[1].fine, 700);
    EXPECT_EQ(v[1].orario, (17 * 60 + 21) * 60);

    const voce_treno& verbania = v[8];
    EXPECT_EQ(verbania.testo, "VERBANIA  PALLANZA");
    EXPECT_EQ(verbania.tipo, 12);
    EXPECT_EQ(verbania.posizione, 29900);
    EXPECT_EQ(verbania.inizio, 29600);
    EXPECT_EQ(verbania.fine, 30200);
    EXPECT_EQ(verbania.opzione_2, 1);
    EXPECT_EQ(verbania.sosta, 60);
    EXPECT_EQ(verbania.orario, (17 * 60 + 45) * 60);
    const auto& c = f.celle_percorso;
    EXPECT_EQ(c[603].codice, 10);
    EXPECT_EQ(c[603].valore_1, 8);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(c[603 - i].avvicinamento, 80 + i) << i;

    // The first board: cell round(3300 / 50 + 1) = 67 refers to entry 80.
    EXPECT_EQ(c[67].codice, 14);
    EXPECT_EQ(c[67].valore_1, 80);

    // Gradients: 0 up to 1100 m, -10 to 5000 m, ..., 0 again from 54700 m to three cells
    // before the last.
    EXPECT_EQ(c[0].pendenza, 100);
    EXPECT_EQ(c[21].pendenza, 100);
    EXPECT_EQ(c[22].pendenza, 90);
    EXPECT_EQ(c[99].pendenza, 90);
    EXPECT_EQ(c[100].pendenza, 100);
    EXPECT_EQ(c[1093].pendenza, 98);
    EXPECT_EQ(c[1257].pendenza, 100);
    EXPECT_EQ(c[1258].pendenza, 0);
    // Speeds: 30 km/h to 900 m, 135 to 4350 m, ..., 110 from 50200 m.
    EXPECT_EQ(c[17].velocita, 6);
    EXPECT_EQ(c[18].velocita, 27);
    EXPECT_EQ(c[87].velocita, 29);
    EXPECT_EQ(c[1257].velocita, 22);
    EXPECT_EQ(c[1258].velocita, 0);
    EXPECT_EQ(c[0].aderenza, 100);
    EXPECT_EQ(c[1257].aderenza, 100);
    EXPECT_EQ(c[1258].aderenza, 0);

    // The track plan: points 0 to 63000, straight until the first curve (curvad5 at 5800 m).
    const Tracciato& t = f.tracciato;
    ASSERT_EQ(t.ultimo_punto(), 63000);
    EXPECT_EQ(t.tipo(0, 0), Tracciato::intero);
    EXPECT_EQ(t.tipo(1, 1), Tracciato::intero);
    EXPECT_EQ(t.valore(1, 1), 1.0);
    EXPECT_EQ(t.tipo(2, 0), Tracciato::reale);
    EXPECT_EQ(t.valore(5800, 0), 0.0);
    EXPECT_EQ(t.valore(5800, 1), 5800.0);
    EXPECT_EQ(t.valore(5801, 0), 0.002);
    EXPECT_EQ(t.valore(5801, 1), 5801.0);
    EXPECT_EQ(t.tipo(62998, 0), Tracciato::reale);
    EXPECT_EQ(t.tipo(62999, 0), Tracciato::vuoto);
    EXPECT_EQ(t.tipo(63000, 1), Tracciato::vuoto);
}

// ---- every error code --------------------------------------------------------------------

struct CasoErrore {
    const char* nome;
    std::optional<std::string> linea;
    std::optional<std::string> treno;
    int32_t codice;
    int32_t posizione;  // non_impostata: the code does not report one
    bool resta_linea;
    bool resta_treno;
    char file;     // 'L' line file, 'T' train file
    int32_t riga;  // line of the record's keyword, 0 when no record is involved
};

std::string cartelli(int quanti) {
    std::string corpo;
    for (int i = 1; i <= quanti; ++i) {
        corpo +=
            "cartello_indicatore, " + std::to_string(100 * i) + ", B" + std::to_string(i) + "\r\n";
    }
    return corpo;
}

TEST_F(Lettura, ErrorCodes) {
    const std::string treno_vuoto = treno_con("");
    const std::string linea_buona = linea_con("");
    const CasoErrore casi[] = {
        {"line file missing", std::nullopt, treno_vuoto, 101, non_impostata, false, true, 'L', 0},
        {"no [generale]", "solo testo, e altro\r\n", treno_vuoto, 102, non_impostata, false, true,
         'L', 0},
        {"[generale] on the last line", "testo\r\n[generale]", treno_vuoto, 102, non_impostata,
         false, true, 'L', 0},
        {"empty line file", "", treno_vuoto, 102, non_impostata, false, true, 'L', 0},
        {"route too long", linea_con("", "lunghezza percorso, 1000001\r\n"), treno_vuoto, 1,
         non_impostata, false, true, 'L', 3},
        {"repetition start off the grid",
         linea_con("", "lunghezza percorso, 3000\r\nripetizione segnali 4 codici, 1210, 2000\r\n"),
         treno_vuoto, 3, non_impostata, false, true, 'L', 4},
        {"repetition end off the grid",
         linea_con("", "lunghezza percorso, 3000\r\nripetizione segnali 4 codici, 1200, 2010\r\n"),
         treno_vuoto, 4, non_impostata, false, true, 'L', 4},
        {"repetition without 4 or 9",
         linea_con("", "lunghezza percorso, 3000\r\nripetizione segnali codici, 1200, 0\r\n"),
         treno_vuoto, 5, non_impostata, false, true, 'L', 4},
        {"curve without class", linea_con("curva, 100, 50\r\n"), treno_vuoto, 103, non_impostata,
         false, true, 'L', 5},
        {"curve past 1000000 points",
         linea_con("curvad1, 990000, 20000\r\n", "lunghezza percorso, 1000000\r\n"), treno_vuoto,
         103, non_impostata, false, true, 'L', 5},
        {"two boards in one cell",
         linea_con("cartello_indicatore, 500, A\r\ncartello_indicatore, 510, B\r\n"), treno_vuoto,
         6, 510, false, true, 'L', 6},
        {"speed board refused by its store",
         linea_con(
             "indicatori_vmax, 900, 1,1,1,0, , , ,0\r\nindicatori_vmax, 900, 2,2,2,0,,,,0\r\n"),
         treno_vuoto, 21, 900, false, true, 'L', 6},
        {"gradient beyond the cells", linea_con("pendenza, 9901, 0\r\n"), treno_vuoto, 15, 9901,
         false, false, 'L', 5},
        {"abbattimento on a taken cell", linea_buona,
         treno_con("abbattimento, 1000, 1\r\nabbattimento, 1010, 0\r\n"), 7, 1010, false, false,
         'T', 3},
        {"station off the 50 m grid", linea_buona,
         treno_con("stazione, 1025, 8, 700, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0, X\r\n"), 8, 1025,
         false, false, 'T', 2},
        {"station length off the 100 m grid", linea_buona,
         treno_con("stazione, 1050, 8, 650, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0, X\r\n"), 9, 1050,
         false, false, 'T', 2},
        {"station ending too near the origin", linea_buona,
         treno_con("stazione, 0, 12, 100, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0, X\r\n"), 24,
         non_impostata, false, false, 'T', 2},
        {"stations too close", linea_buona,
         treno_con(std::string(stazione_origine) +
                   "stazione, 1000, 12, 600, 0,0,0, 1,1,0, 4,1,1, 0, 0,0,0, Y\r\n"),
         22, 1000, false, false, 'T', 3},
        {"no entry left for a station", linea_con(cartelli(78)), treno_con(stazione_origine), 10,
         non_impostata, false, false, 'T', 2},
        {"signal refused by its store", linea_buona,
         treno_con(
             "segnale, 3400, 2,4,1,1,0, 2,2,1,1, 0\r\nsegnale, 3410, 2,4,1,1,0, 2,2,1,1, 0\r\n"),
         16, 3410, false, false, 'T', 3},
        {"slowdown refused by its store", linea_buona,
         treno_con(
             "segnale, 3400, 2,4,1,1,0, 2,2,1,1, 0\r\nrallentamento, 3400, 50, 150, 0, 1, 80\r\n"),
         18, 3400, false, false, 'T', 3},
        {"progressive off the 50 m grid",
         linea_con("", "lunghezza percorso, 3000\r\nprogressiva chilometrica due, 10, 100, 0\r\n"),
         treno_vuoto, 2, non_impostata, false, false, 'L', 4},
        {"train file missing", linea_buona, std::nullopt, 25, non_impostata, false, false, 'T', 0},
        {"line without a length", linea_con("", "sfondo uno, 1\r\n"), treno_vuoto, 25,
         non_impostata, false, false, 'L', 0},
        {"length that cannot be dimensioned", linea_con("", "lunghezza percorso, -7100\r\n"),
         treno_vuoto, 25, non_impostata, false, false, 'L', 3},
        {"not a number", linea_con("pendenza, 1O00, 0\r\n"), treno_vuoto, 25, non_impostata, false,
         false, 'L', 5},
        {"byte field of 300", linea_buona,
         treno_con("stazione, 0, 300, 700, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0, X\r\n"), 25,
         non_impostata, false, false, 'T', 2},
        // Found when the cells are filled, and told at the field that set the gradient.
        {"gradient out of its byte", linea_con("pendenza, 100, 200\r\n"), treno_vuoto, 25,
         non_impostata, false, false, 'L', 5},
        {"curve beyond the last point", linea_con("curvad1, 9000, 2000\r\n"), treno_vuoto, 25,
         non_impostata, false, false, 'L', 5},
        {"82nd board", linea_con(cartelli(82)), treno_vuoto, 25, non_impostata, false, false, 'L',
         86},
        {"end of file inside the dash rule of [generale]", "[generale] x\r\n-a\r\n-b\r\n-c\r\n",
         treno_vuoto, 25, non_impostata, false, false, 'L', 4},
    };
    for (const CasoErrore& c : casi) {
        SCOPED_TRACE(c.nome);
        Form1 form;
        prepara(form);
        fs::remove(form.percorso_linea());
        fs::remove(form.percorso_treno());
        leggi(c.linea, c.treno, form);
        EXPECT_EQ(form.codice_errore, c.codice);
        EXPECT_EQ(form.posizione_errore, c.posizione);
        EXPECT_EQ(fs::exists(form.percorso_linea()), c.resta_linea);
        EXPECT_EQ(fs::exists(form.percorso_treno()), c.resta_treno);
        EXPECT_EQ(form.resoconto.lettore.file,
                  c.file == 'L' ? form.percorso_linea() : form.percorso_treno());
        EXPECT_EQ(form.resoconto.lettore.riga, c.riga);
    }
}

// ---- what an error says, and where -------------------------------------------------------

struct CasoMessaggio {
    const char* nome;
    std::string linea;
    std::optional<std::string> treno;  // none: no train file
    int32_t codice;
    char file;  // 'L' line file, 'T' train file
    int32_t riga;
    int32_t colonna;
    std::string messaggio;
};

void verifica_messaggi(const std::vector<CasoMessaggio>& casi, Lettura& prova);

// Every record kind reads its first field as a number: a letter there names the field and the
// record, at the field's own column.
TEST_F(Lettura, EveryRecordKindNamesItsBrokenField) {
    std::vector<CasoMessaggio> casi;
    for (const Sezione sezione : {Sezione::generale, Sezione::linea, Sezione::treno}) {
        for (const TipoRecord& t : tipi_record(sezione)) {
            const std::string riga = std::string(t.nome) + ", x1\r\n";
            CasoMessaggio c{t.nome.data(),
                            linea_con(""),
                            treno_con(""),
                            25,
                            'L',
                            5,
                            static_cast<int32_t>(t.nome.size()) + 3,
                            "field '" + std::string(t.campi[0]) + "' of '" + std::string(t.nome) +
                                "' is not a whole number: 'x1'"};
            if (sezione == Sezione::generale) {
                c.linea = linea_con("", riga);
                c.riga = 3;
            } else if (sezione == Sezione::linea) {
                c.linea = linea_con(riga);
            } else {
                c.treno = treno_con(riga);
                c.file = 'T';
                c.riga = 2;
            }
            casi.push_back(c);
        }
    }
    ASSERT_EQ(casi.size(), 23u);
    verifica_messaggi(casi, *this);
}

TEST_F(Lettura, ErrorsSayWhatAndWhere) {
    const std::string linea_buona = linea_con("");
    const std::string treno_vuoto = treno_con("");
    const std::string origine = stazione_origine;
    const std::vector<CasoMessaggio> casi = {
        {"a letter in a number", linea_buona,
         treno_con("segnale,    12z50,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"), 25, 'T', 2, 13,
         "field 'posizione' of 'segnale' is not a whole number: '12z50'"},
        {"a letter O for a zero", linea_buona, treno_con("velocita, 900, 1O0\r\n"), 25, 'T', 2, 16,
         "field 'velocita' of 'velocita' is not a whole number: '1O0'"},
        {"a byte out of range", linea_buona,
         treno_con("stazione, 0, 300, 700, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0, X\r\n"), 25, 'T', 2, 14,
         "field 'tipo' of 'stazione' is out of range (0 to 255): 300"},
        {"a short out of range", linea_buona, treno_con("orologio, 17, 70000, 0\r\n"), 25, 'T', 2,
         15, "field 'minuti' of 'orologio' is out of range (-32768 to 32767): 70000"},
        {"a line that ends a field early", linea_buona,
         treno_con("rallentamento, 22750, 50, 150, 0, 1\r\n"), 25, 'T', 2, 1,
         "'rallentamento' ends after 5 of its 6 fields (field 'd_v' of 'rallentamento' is "
         "missing)"},
        {"a file that ends before the name", linea_buona,
         "[generale]\r\nstazione, 0, 8, 700, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0,", 25, 'T', 2, 1,
         "'stazione' ends after 16 of its 17 fields (field 'nome' of 'stazione' is missing)"},
        {"a gradient no cell holds", linea_con("pendenza, 100, 200\r\n"), treno_vuoto, 25, 'L', 5,
         16, "field 'pendenza' of 'pendenza' is out of range (-100 to 155): 200"},
        {"a speed no cell holds", linea_buona,
         treno_con("velocita, 0, 1300\r\nvelocita, 500, 30\r\n"), 25, 'T', 2, 14,
         "field 'velocita' of 'velocita' is out of range (-2 to 1277): 1300"},
        {"a length that leaves no cell", linea_con("", "lunghezza percorso, -7100\r\n"),
         treno_vuoto, 25, 'L', 3, 21,
         "field 'lunghezza' of 'lunghezza percorso' leaves the route no cell: -7100 m"},
        {"no route length", linea_con("", "sfondo uno, 1\r\n"), treno_vuoto, 25, 'L', 0, 0,
         "no 'lunghezza percorso' record"},
        {"no train file", linea_buona, std::nullopt, 25, 'T', 0, 0,
         "the file cannot be read: " + prova::motivo_atteso(prova::Motivo::manca)},
        {"a board before the route", linea_con("cartello_indicatore, -200, A\r\n"), treno_vuoto, 25,
         'L', 5, 22,
         "field 'posizione' of 'cartello_indicatore' falls on cell -3, outside the cells 0 to "
         "200"},
        {"a curve beyond the track plan", linea_con("curvad1, 9000, 2000\r\n"), treno_vuoto, 25,
         'L', 5, 16,
         "'curva' at 9000 m, 2000 m long, runs beyond the last point 10000 of the track plan (a "
         "route of 3000 m, set by 'lunghezza percorso' on line 3, column 21 of the line file)"},
        {"a position beyond the route", linea_con("pendenza, 9901, 0\r\n"), treno_vuoto, 15, 'L', 5,
         11,
         "field 'posizione' of 'pendenza' lies beyond the route: 9901 m, above the 9900 m "
         "allowed (a route of 3000 m, set by 'lunghezza percorso' on line 3, column 21 of the "
         "line file)"},
        {"a negative route length", linea_con("", "lunghezza percorso, -5\r\n"),
         treno_con("segnale, 7000, 2,4,1,1,0, 2,2,1,1, 0\r\n"), 15, 'T', 2, 10,
         "above the 6900 m allowed (a route of -5 m, set by 'lunghezza percorso' on line 3"},
        {"a station beyond the route", linea_buona,
         treno_con("stazione, 9250, 28, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X\r\n"), 15, 'T', 2, 11,
         "field 'posizione' of 'stazione' lies beyond the route: 9250 m, above the 9200 m"},
        {"a store's refusal", linea_buona,
         treno_con("segnale, 3400, 2,4,1,1,0, 2,2,1,1, 0\r\nsegnale, 3410, 2,4,1,1,0, 2,2,1,1, "
                   "0\r\n"),
         16, 'T', 3, 10,
         "'segnale' at 3410 m is refused: a signal falls on a cell that is already"},
        {"an earlier error still in force", linea_con("pendenza, 20000, 0\r\n"),
         treno_con("segnale, 3400, 2,4,1,1,0, 2,2,1,1, 0\r\n"), 15, 'T', 2, 10,
         "'segnale' at 3400 m is refused: error 15 of an earlier record is still in force"},
        {"a board on a taken cell",
         linea_con("cartello_indicatore, 500, A\r\ncartello_indicatore, 510, B\r\n"), treno_vuoto,
         6, 'L', 6, 22,
         "field 'posizione' of 'cartello_indicatore' falls on cell 11, which is already taken "
         "(code 14): 510 m"},
        {"an abbattimento on a taken cell", linea_buona,
         treno_con("abbattimento, 1000, 1\r\nabbattimento, 1010, 0\r\n"), 7, 'T', 3, 15,
         "field 'posizione' of 'abbattimento' falls on cell 20, which is already taken (code 12)"},
        {"a station off the grid", linea_buona,
         treno_con("stazione, 1025, 8, 700, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0, X\r\n"), 8, 'T', 2, 11,
         "field 'posizione' of 'stazione' is not a multiple of 50 m: 1025 m"},
        {"a station length off the grid", linea_buona,
         treno_con("stazione, 1050, 8, 650, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0, X\r\n"), 9, 'T', 2, 20,
         "field 'lunghezza' of 'stazione' is not a multiple of 100 m: 650 m"},
        {"a station ending too near the start", linea_buona,
         treno_con("stazione, 0, 12, 100, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0, X\r\n"), 24, 'T', 2, 11,
         "'stazione' at 0 m ends at 50 m: a station of type below 25 must end beyond 100 m"},
        {"stations too close", linea_buona,
         treno_con(origine + "stazione, 1000, 12, 600, 0,0,0, 1,1,0, 4,1,1, 0, 0,0,0, Y\r\n"), 22,
         'T', 3, 11,
         "'stazione' at 1000 m starts at 700 m, less than 350 m after the end of the station "
         "before it, at 700 m"},
        {"too many stations", linea_con(cartelli(78)), treno_con(origine), 10, 'T', 2, 1,
         "'stazione' is station 1: with 78 boards in the line file, the scenario table holds at "
         "most 0 stations"},
        {"a route too long", linea_con("", "lunghezza percorso, 1000001\r\n"), treno_vuoto, 1, 'L',
         3, 21, "field 'lunghezza' of 'lunghezza percorso' is above 1000000 m: 1000001 m"},
        {"a repetition start off the grid",
         linea_con("", "lunghezza percorso, 3000\r\nripetizione segnali 4 codici, 1210, 2000\r\n"),
         treno_vuoto, 3, 'L', 4, 31,
         "field 'inizio' of 'ripetizione segnali' is not a multiple of 50 m: 1210 m"},
        {"a repetition end off the grid",
         linea_con("", "lunghezza percorso, 3000\r\nripetizione segnali 4 codici, 1200, 2010\r\n"),
         treno_vuoto, 4, 'L', 4, 37,
         "field 'fine' of 'ripetizione segnali' is not a multiple of 50 m: 2010 m"},
        {"a repetition without 4 or 9",
         linea_con("", "lunghezza percorso, 3000\r\nripetizione segnali codici, 1200, 0\r\n"),
         treno_vuoto, 5, 'L', 4, 1,
         "the keyword of 'ripetizione segnali' names neither 4 nor 9 codes: 'ripetizione "
         "segnali codici'"},
        {"a curve without its class", linea_con("curva, 100, 50\r\n"), treno_vuoto, 103, 'L', 5, 1,
         "the keyword of 'curva' has no class digit 1 to 6: 'curva'"},
        {"a progressive off the grid",
         linea_con("", "lunghezza percorso, 3000\r\nprogressiva chilometrica due, 0, 110, 0\r\n"),
         treno_vuoto, 2, 'L', 4, 34,
         "field 'fine' of 'progressiva chilometrica due' is not a multiple of 50 m: 110 m"},
        {"an error that only the code tells", "solo testo\r\n", treno_vuoto, 102, 'L', 0, 0, ""},
    };
    verifica_messaggi(casi, *this);
}

void verifica_messaggi(const std::vector<CasoMessaggio>& casi, Lettura& prova) {
    for (const CasoMessaggio& c : casi) {
        SCOPED_TRACE(c.nome);
        Form1 form;
        prova.prepara(form);
        fs::remove(form.percorso_linea());
        fs::remove(form.percorso_treno());
        prova.leggi(c.linea, c.treno, form);
        const ErroreSorgente& e = form.resoconto.lettore;
        EXPECT_EQ(form.codice_errore, c.codice);
        EXPECT_EQ(e.file, c.file == 'L' ? form.percorso_linea() : form.percorso_treno());
        EXPECT_EQ(e.riga, c.riga);
        EXPECT_EQ(e.colonna, c.colonna);
        if (c.messaggio.empty()) {
            EXPECT_EQ(e.messaggio, "");
        } else {
            EXPECT_NE(e.messaggio.find(c.messaggio), std::string::npos) << e.messaggio;
        }
    }
}

// ---- the formats -------------------------------------------------------------------------

struct CasoFormato {
    const char* nome;
    std::string linea;
    std::string treno;
    bool (*verifica)(const Form1&);
};

TEST_F(Lettura, FormatCases) {
    const CasoFormato casi[] = {
        {"a dash line in the body is skipped", linea_con("-- pendenze --\r\npendenza, 1000, 5\r\n"),
         treno_con(""), [](const Form1& x) { return x.celle_percorso[20].pendenza == 105; }},
        {"a dash field hides the record after it", linea_con("-a\r\n-pendenza, 1000, 5\r\n"),
         treno_con(""), [](const Form1& x) { return x.celle_percorso[20].pendenza == 100; }},
        {"the third dash field in a row is offered",
         linea_con("-a\r\n-b\r\n-pendenza, 1000, 5\r\n"), treno_con(""),
         [](const Form1& x) { return x.celle_percorso[20].pendenza == 105; }},
        {"ten dash fields in [generale], the eleventh read",
         linea_con("",
                   "-1\r\n-2\r\n-3\r\n-4\r\n-5\r\n-6\r\n-7\r\n-8\r\n-9\r\n-10\r\n"
                   "-lunghezza percorso, 3000\r\n"),
         treno_con(""), [](const Form1& x) { return x.ultima_cella == 200; }},
        {"capital letters: length and body yes, progressives no",
         linea_con("PENDENZA, 1000, 5\r\n",
                   "LUNGHEZZA PERCORSO, 3000\r\nProgressiva chilometrica Due, 100, 200, 0\r\n"
                   "Sfondo Uno, 7\r\n"),
         treno_con("NUMERO VETTURE, 8\r\n"),
         [](const Form1& x) {
             return x.ultima_cella == 200 && x.celle_percorso[20].pendenza == 105 &&
                    x.record_treno[82].fine == 0 && x.record_treno[85].inizio == 0 &&
                    x.record_treno[84].posizione == 8;
         }},
        {"repetition naming 4 and 9 gives 4",
         linea_con("", "lunghezza percorso, 3000\r\nripetizione segnali 49 codici, 1200, 2000\r\n"),
         treno_con(""), [](const Form1& x) { return x.record_treno[86].posizione == 4; }},
        {"repetition ending at 0 gives 0 codes",
         linea_con("", "lunghezza percorso, 3000\r\nripetizione segnali 9 codici, 1200, 0\r\n"),
         treno_con(""), [](const Form1& x) { return x.record_treno[86].posizione == 0; }},
        {"a record on the last line, without its line end, is read",
         linea_con("") + "pendenza, 1000, 5", treno_con("") + "numero vetture, 8",
         [](const Form1& x) {
             return x.celle_percorso[20].pendenza == 105 && x.record_treno[84].posizione == 8;
         }},
        {"a single-field last line is not read", linea_con(""),
         "[generale]\r\nnumero vetture, 8\r\nnumero vetture",
         [](const Form1& x) { return x.codice_errore == 0 && x.record_treno[84].posizione == 8; }},
        {"orologio with blanks", linea_con(""), treno_con("orologio,  17   20      30 \r\n"),
         [](const Form1& x) {
             const auto& e = x.record_treno[86];
             return e.b1 == 17 && e.b2 == 20 && e.b3 == 30;
         }},
        {"orologio with commas and blanks", linea_con(""), treno_con("orologio,17 ,20   30\r\n"),
         [](const Form1& x) {
             const auto& e = x.record_treno[86];
             return e.b1 == 17 && e.b2 == 20 && e.b3 == 30;
         }},
        {"empty fields read 0", linea_con(""), treno_con("orologio, , 20,\r\nsabbia,\r\n"),
         [](const Form1& x) {
             const auto& e = x.record_treno[86];
             return e.b1 == 0 && e.b2 == 20 && e.b3 == 0 && e.a1 == 0;
         }},
        {"a comma in a station name cuts it", linea_con(""),
         treno_con("stazione, 0, 8, 700, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0, VAL, CRESTINA\r\n"
                   "stazione, 2000, 22, 600, 0,0,0, 0,0,0, 4,1,1, 0, 0,0,0, SECONDA\r\n"),
         [](const Form1& x) {
             return x.codice_errore == 0 && x.record_treno[1].testo == "VAL" &&
                    x.record_treno[2].testo == "SECONDA";
         }},
        {"a train file without [generale] gives nothing", linea_con(""),
         "numero vetture, 8\r\nsabbia, 250\r\n",
         [](const Form1& x) {
             return x.codice_errore == 0 && x.record_treno[84].posizione == 0 &&
                    x.record_treno[86].a1 == 0;
         }},
        {"an empty train file gives nothing", linea_con(""), "",
         [](const Form1& x) { return x.codice_errore == 0 && x.celle_percorso[0].velocita == 0; }},
        {"a keyword of two record kinds reads the fields of each, in order",
         linea_con("pendenza montagna, 1000, 5, 6250, 6750, 11\r\n"), treno_con(""),
         [](const Form1& x) {
             return x.celle_percorso[20].pendenza == 105 && x.celle_percorso[125].montagna == 1 &&
                    x.celle_percorso[128].codice == 11;
         }},
        {"a field too many is read as a keyword", linea_con("pendenza, 1000, 5, 9\r\n"),
         treno_con("sabbia, 250, vetture\r\n9\r\n"),
         [](const Form1& x) {
             return x.celle_percorso[20].pendenza == 105 && x.record_treno[86].a1 == 250 &&
                    x.record_treno[84].posizione == 9;
         }},
    };
    for (const CasoFormato& c : casi) {
        SCOPED_TRACE(c.nome);
        Form1 form;
        prepara(form);
        leggi(c.linea, c.treno, form);
        EXPECT_TRUE(c.verifica(form));
    }
}

// The same files with CR LF, lone LF or lone CR line ends read to the same state.
TEST_F(Lettura, EveryKindOfLineEnd) {
    const std::string linea =
        linea_con("curvas4, 200, 300\r\npendenza, 1000, 5\r\ncartello_indicatore, 700, (A)(B)\r\n",
                  "lunghezza percorso, 3000\r\nripetizione segnali 4 codici, 1200, 2000\r\n");
    const std::string treno =
        treno_con(std::string("orologio, 17 20 30\r\nvelocita, 500, 100\r\n") + stazione_origine +
                  "stazione, 2000, 22, 600, 0,0,0, 0,0,0, 4,1,1, 0, 0,0,0, SECONDA\r\n");
    leggi(linea, treno);
    ASSERT_EQ(f.codice_errore, 0);
    EXPECT_EQ(f.record_treno[80].testo, "(A)(B)");

    auto sostituisci = [](std::string s, const char* con) {
        std::string r;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
                r += con;
                ++i;
            } else {
                r += s[i];
            }
        }
        return r;
    };
    for (const char* fine_riga : {"\n", "\r"}) {
        Form1 altro;
        prepara(altro);
        leggi(sostituisci(linea, fine_riga), sostituisci(treno, fine_riga), altro);
        EXPECT_EQ(altro.codice_errore, 0);
        EXPECT_EQ(altro.record_treno, f.record_treno);
        EXPECT_EQ(altro.celle_percorso, f.celle_percorso);
        EXPECT_EQ(altro.tracciato.valore(600, 0), f.tracciato.valore(600, 0));
    }
}

// ---- gradients, speeds and adhesion ------------------------------------------------------

TEST_F(Lettura, GradientsSpeedsAndAdhesionFillTheCells) {
    leggi(linea_con("pendenza, 20, 3\r\n"     // below 25 m: no cell, gradient 3 in force
                    "pendenza, 500, -4\r\n"   // cells 0..9 get 103
                    "pendenza, 300, 7\r\n"),  // behind the fill index: only cell 10, with -4
          treno_con("velocita, 0, 30\r\n"
                    "velocita, 1000, 120\r\n"    // cells 0..19 get 6
                    "aderenza, 600, 80\r\n"      // cells 0..11 get 0
                    "aderenza, 650, 300\r\n"));  // cell 12 gets 80; 300 keeps its low byte
    ASSERT_EQ(f.codice_errore, 0);
    const auto& c = f.celle_percorso;
    EXPECT_EQ(c[0].pendenza, 103);
    EXPECT_EQ(c[9].pendenza, 103);
    EXPECT_EQ(c[10].pendenza, 96);
    EXPECT_EQ(c[11].pendenza, 107);
    EXPECT_EQ(c[197].pendenza, 107);
    EXPECT_EQ(c[198].pendenza, 0);
    EXPECT_EQ(c[19].velocita, 6);
    EXPECT_EQ(c[20].velocita, 24);
    EXPECT_EQ(c[197].velocita, 24);
    EXPECT_EQ(c[198].velocita, 0);
    EXPECT_EQ(c[11].aderenza, 0);
    EXPECT_EQ(c[12].aderenza, 80);
    EXPECT_EQ(c[13].aderenza, 300 % 256);
    EXPECT_EQ(c[197].aderenza, 300 % 256);
    EXPECT_EQ(c[200].aderenza, 0);
}

TEST_F(Lettura, PositionLimitOfTheCells) {
    // The last cell is 200: a record may stand at 9900 m, a station at 9200 m.
    leggi(linea_con("pendenza, 9900, 0\r\n"), treno_con("stazione, 9200, 28, 600, 0,0,0, 0,0,0, "
                                                        "0,0,0, 0, 0,0,0, ULTIMA\r\n"));
    EXPECT_EQ(f.codice_errore, 0);
    EXPECT_EQ(f.record_treno[1].testo, "ULTIMA");

    Form1 oltre;
    prepara(oltre);
    leggi(linea_con(""), treno_con("stazione, 9250, 28, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X\r\n"),
          oltre);
    EXPECT_EQ(oltre.codice_errore, 15);
    EXPECT_EQ(oltre.posizione_errore, 9250);
}

// An error 15 in the line body lets the train file be read: a later error replaces it, and
// with 15 still set the first store call ends the train file at its record.
TEST_F(Lettura, ErrorFifteenThenTheTrainFile) {
    leggi(linea_con("pendenza, 20000, 0\r\n"),
          treno_con("stazione, 1025, 8, 700, 0,0,0, 1,1,0, 4,1,1, 1, 17,21,0, X\r\n"));
    EXPECT_EQ(f.codice_errore, 8);
    EXPECT_EQ(f.posizione_errore, 1025);

    Form1 g;
    prepara(g);
    leggi(linea_con("pendenza, 20000, 0\r\n"),
          treno_con("segnale, 3400, 2,4,1,1,0, 2,2,1,1, 0\r\nsabbia, 250\r\n"), g);
    EXPECT_EQ(g.codice_errore, 15);
    EXPECT_EQ(g.posizione_errore, 3400);
    EXPECT_EQ(g.celle_percorso[69].codice, 1);  // stored before the refusal
    EXPECT_EQ(g.record_treno[86].a1, 0);        // nothing after it was read
    EXPECT_FALSE(fs::exists(g.percorso_treno()));
}

// ---- stations and boards -----------------------------------------------------------------

TEST_F(Lettura, StationExtentsAndMarks) {
    leggi(linea_con(""),
          treno_con(std::string(stazione_origine) +
                    "stazione, 2000, 5, 400, 0,1,1, 0,0,0, 0,0,0, 0, 0,0,0, TIPO5\r\n"
                    "stazione, 4000, 12, 600, 0,1,1, 0,0,0, 0,0,0, 0, 0,0,0, SPOSTATA\r\n"
                    "stazione, 6000, 28, 600, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, SENZA SEGNI\r\n"));
    ASSERT_EQ(f.codice_errore, 0);
    const auto& v = f.record_treno;
    const auto& c = f.celle_percorso;

    // Type 8 at 0, 700 m long: from -700 to 700, end mark in cell 13, options cleared.
    EXPECT_EQ(v[1].inizio, -700);
    EXPECT_EQ(v[1].fine, 700);
    EXPECT_EQ(c[13].codice, 10);
    EXPECT_EQ(c[13].valore_1, 1);
    EXPECT_EQ(c[12].avvicinamento, 81);

    // Type 5: from p - L to p + 150, no approach marks, end mark, opzione_3 cleared,
    // opzione_2 cleared for a station under 600 m.
    EXPECT_EQ(v[2].inizio, 1600);
    EXPECT_EQ(v[2].fine, 2150);
    EXPECT_EQ(v[2].opzione_3, 0);
    EXPECT_EQ(v[2].opzione_2, 0);
    EXPECT_EQ(c[42].codice, 10);  // round(2150 / 50 - 1) = round(42)
    EXPECT_EQ(c[41].avvicinamento, 0);

    // opzione_3 set moves only the end, 50 m further.
    EXPECT_EQ(v[3].inizio, 3700);
    EXPECT_EQ(v[3].fine, 4350);
    EXPECT_EQ(v[3].opzione_3, 1);
    EXPECT_EQ(v[3].opzione_2, 1);
    EXPECT_EQ(c[86].codice, 10);  // round(4350 / 50 - 1) = round(86)
    EXPECT_EQ(c[85].avvicinamento, 81);
    EXPECT_EQ(c[82].avvicinamento, 84);

    // Type 28: no marks at all.
    EXPECT_EQ(v[4].fine, 6300);
    EXPECT_EQ(c[125].codice, 0);
    EXPECT_EQ(c[125].avvicinamento, 0);
}

TEST_F(Lettura, BoardsUseEntriesFromEightyDown) {
    // 81 boards: the 81st uses entry 0. A board may replace a mountain mark (code 11).
    leggi(linea_con("montagna, 9000, 9600, 11\r\n" + cartelli(81) +
                    "cartello_indicatore, 9100, SU MONTAGNA\r\n"),
          treno_con(""));
    // The 82nd board has no entry left.
    EXPECT_EQ(f.codice_errore, 25);
    EXPECT_EQ(f.record_treno[80].testo, "B1");
    EXPECT_EQ(f.record_treno[0].testo, "B81");

    Form1 g;
    prepara(g);
    leggi(linea_con("montagna, 9000, 9600, 11\r\ncartello_indicatore, 9100, SU MONTAGNA\r\n"),
          treno_con(""), g);
    EXPECT_EQ(g.codice_errore, 0);
    EXPECT_EQ(g.celle_percorso[183].codice, 14);
    EXPECT_EQ(g.record_treno[80].testo, "SU MONTAGNA");
}

// ---- the track plan ----------------------------------------------------------------------

TEST_F(Lettura, TrackPlanWalk) {
    leggi(linea_con("curvas1, 10, 2\r\n"     // turns the other way from point 11
                    "curvad6, 5, 100\r\n"    // behind the walk: bends from point 13 on
                    "curvad6, 20, 30\r\n"),  // wholly behind: nothing
          treno_con(""));
    ASSERT_EQ(f.codice_errore, 0);
    const Tracciato& t = f.tracciato;
    for (int k = 2; k <= 10; ++k) {
        EXPECT_EQ(t.valore(k, 0), 0.0);
        EXPECT_EQ(t.valore(k, 1), static_cast<double>(k));
    }
    // First curve step from (0, 10) with the step (0, 1) and c = -0.0001.
    EXPECT_EQ(t.valore(11, 0), -0.0001);
    EXPECT_EQ(t.valore(11, 1), 11.0);
    // Second: the step was (-0.0001, 1).
    const double dx = -0.0001, dy = 1.0;
    const double tx = dx + -0.0001 * dy;
    const double ty = dy - -0.0001 * dx;
    EXPECT_EQ(t.valore(12, 0), -0.0001 + tx);
    EXPECT_EQ(t.valore(12, 1), 11.0 + ty);
    // The walk goes on to point 105, then straight to N - 2; the last two stay empty.
    EXPECT_GT(t.valore(105, 0), t.valore(13, 0));
    const double passo_finale_x = t.valore(9998, 0) - t.valore(9997, 0);
    EXPECT_NEAR(passo_finale_x, t.valore(106, 0) - t.valore(105, 0), 1e-9);
    EXPECT_EQ(t.tipo(9998, 1), Tracciato::reale);
    EXPECT_EQ(t.tipo(9999, 1), Tracciato::vuoto);
    EXPECT_EQ(t.tipo(10000, 0), Tracciato::vuoto);

    // Without the track plan a curve record is not read: its numbers are keywords.
    Form1 g;
    prepara(g);
    g.calcola_tracciato = 0;
    leggi(linea_con("curva, 100, 50\r\n"), treno_con(""), g);
    EXPECT_EQ(g.codice_errore, 0);
    EXPECT_FALSE(g.tracciato.dimensionato());
}

// ---- sources held in memory, and an author's files ---------------------------------------

TEST_F(Lettura, AuthorsFilesAreKeptAndBuffersReadInPlaceOfTheFiles) {
    f.cancella_sorgenti = false;
    f.file_linea = (cartella_ / "mia_linea.txt").string();
    f.file_treno = (cartella_ / "mio_treno.txt").string();
    scrivi(f.file_linea, "not read");
    scrivi(f.file_treno, "not read");
    f.testo_linea = linea_con("pendenza, 1000, 5\r\n");
    f.testo_treno = treno_con("pendenza\r\nsabbia, 250\r\n");
    f.memorizza_dati();
    EXPECT_EQ(f.codice_errore, 0);
    EXPECT_EQ(f.celle_percorso[20].pendenza, 105);
    EXPECT_EQ(f.record_treno[86].a1, 250);
    EXPECT_TRUE(fs::exists(f.file_linea));
    EXPECT_TRUE(fs::exists(f.file_treno));

    // A run-time failure keeps them too.
    Form1 g;
    prepara(g);
    g.cancella_sorgenti = false;
    leggi(linea_con("pendenza, x, 0\r\n"), treno_con(""), g);
    EXPECT_EQ(g.codice_errore, 25);
    EXPECT_TRUE(fs::exists(g.percorso_linea()));
    EXPECT_TRUE(fs::exists(g.percorso_treno()));
}

}  // namespace
}  // namespace compattatore
