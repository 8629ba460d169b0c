// The three documents for the driver: every line's length, the bytes, the key lines, the
// ruling of the two tables, and the whole replacement of an earlier file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testo_fisso_prova.h"

using compattatore::Form1;
using testo_fisso::TestoAtteso;

namespace {

const TestoAtteso note = {
    &Form1::dati_note,
    "VALCRESTINA_TORVE_325_note.txt",
    "ALTRA_LINEA_7_note.txt",
    {43, 40, 84, 78, 93, 94, 31, 0, 0, 0, 0, 0, 0, 10, 20, 37},
    562,
    {{3, 40}, {4, 17}},
    {{1, "TRENO 325 INTERCITY Valcrestina - Milano C."},
     {3,
      "Percorre la linea Valcrestina Torve,che \xE8"
      " il tratto iniziale della linea Valcrestina"},
     {4,
      "Milano. La linea \xE8"
      " a doppio binario, elettrificata e senza passaggi a livello."},
     {6,
      "fino ad Torve. Attrezzata con Blocco automatico a correnti codificate, Dirigente "
      "Centrale con "},
     {7, "sede a Milano Porta Garibaldi. "},
     {14, "   AUTORE:"},
     {15, "   Redazione scenari"},
     {16, "   e-mail:  redazione@scenari.example"}}};

const TestoAtteso rallentamenti = {
    &Form1::dati_rallentamenti,
    "VALCRESTINA_TORVE_325_rallentamenti.txt",
    "ALTRA_LINEA_7_rallentamenti.txt",
    {0,  42, 50, 81, 26, 79, 81, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82,
     82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 82, 0,  37, 63, 42, 49, 58, 42},
    3282,
    {},
    {{2, "                               Modulo M. 3"},
     {5, "  Linea  VALCRESTINA TORVE"},
     {13, " | 1 | Cuzzago e Mergozzo         | 33+200     | 50 km/h  |  150    |  Nessuna   |"},
     {43, " D - Rallentamneto N. ... e N. ...  sono contigui"},
     {44, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
     {45, "     i giorni esclusi i seguenti:........."}}};

const TestoAtteso scheda = {
    &Form1::dati_scheda,
    "VALCRESTINA_TORVE_325_scheda_treno.txt",
    "ALTRA_LINEA_7_scheda_treno.txt",
    {0,  0,  82, 83, 83, 83, 83, 82, 83, 83, 83, 83, 0,  82, 83, 83, 83, 83,
     83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83,
     83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 13},
    4268,
    {},
    {{5, " |   TRENO n. 325    |                   da: VALCRESTINA           |    V200 C    |"},
     {17, " |_____|_____|__________|Blocco____________________________|___a_______p____|_____|"},
     {20, " |     |     |  54+245  |P 835|                            |                |     |"},
     {21, " |     |     |  54+421  | 833 |           (Bivio TOCE)     |      17.24     |     |"},
     {36, " | 115 | 115 |  26+074  | 805 |   VERBANIA PALLANZA        | 17.44   17.45  | 0.5 |"},
     {52, " |     |     |   0+000  | 775 |   TORVE                    | 18.03  (18.04) |     |"},
     {54, "   Ferrotrama"}}};

std::vector<size_t> sbarre(const std::string& riga) {
    std::vector<size_t> posizioni;
    for (size_t i = 0; i < riga.size(); ++i)
        if (riga[i] == '|') posizioni.push_back(i);
    return posizioni;
}

}  // namespace

TEST(Documenti, WrittenExactlyAndReplaceEarlierFiles) {
    for (const auto* caso : {&note, &rallentamenti, &scheda}) testo_fisso::verifica_testo(*caso);
}

// The bars of a table stand in the same columns on every line of it: a blank lost or added
// anywhere in a row moves them.
TEST(Documenti, TablesKeepTheirColumns) {
    const std::vector<size_t> colonne_scheda = {1, 7, 13, 24, 30, 59, 76, 82};
    const std::vector<size_t> colonne_modulo = {1, 5, 34, 47, 58, 68, 81};
    const auto righe_scheda = testo_fisso::righe_scritte(scheda.scrivi, scheda.nome);
    const auto righe_modulo = testo_fisso::righe_scritte(rallentamenti.scrivi, rallentamenti.nome);
    ASSERT_EQ(righe_scheda.size(), 54u);
    ASSERT_EQ(righe_modulo.size(), 45u);

    for (size_t n = 15; n <= 53; ++n) {
        auto attese = colonne_scheda;
        // The heading rule carries "Blocco" across the bar of the block-post column.
        if (n == 17) attese.erase(attese.begin() + 4);
        EXPECT_EQ(sbarre(righe_scheda[n - 1]), attese) << "sheet line " << n;
    }
    for (size_t n = 8; n <= 38; ++n)
        EXPECT_EQ(sbarre(righe_modulo[n - 1]), colonne_modulo) << "form line " << n;

    // Below the one filled row, twenty-four empty rows like the one above it; the closing
    // rule repeats the heading rule.
    for (size_t n = 14; n <= 37; ++n) EXPECT_EQ(righe_modulo[n - 1], righe_modulo[11]) << n;
    EXPECT_EQ(righe_modulo[37], righe_modulo[10]);
}
