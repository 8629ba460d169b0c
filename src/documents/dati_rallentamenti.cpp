// The slowdown order form for the driver of train 325: one filled row (50 km/h over 150 m after
// post 33+200, between Cuzzago and Mergozzo), twenty-four empty rows and the legend of the
// special prescriptions. The content is fixed; only the file name follows the scenario.
#include <iterator>

#include "core/form1.h"

namespace compattatore {

namespace {

// One entry per line of the file, in order; a long line goes on in the indented literals
// under it. The end marker closes the table and is not written.
// clang-format off
constexpr const char* righe_rallentamenti[] = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________",
    "  Linea  VALCRESTINA TORVE",
    "  Si ordina al macchinista del treno 325 di effettuare i seguenti rallentamenti",
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    " |___|____________________________|____________|__________|_________|____________|",
    " |   |                            |            |          |         |            |",
    " | 1 | Cuzzago e Mergozzo         | 33+200     | 50 km/h  |  150    |  Nessuna   |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |___|____________________________|____________|__________|_________|____________|",
    "",
    "              Prescrizioni specifiche",
    " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
    " B - Interessa anche la stazione di.......",
    " D - Rallentamneto N. ... e N. ...  sono contigui",
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:.........",
    "riferimento fine del file",
};
// clang-format on

}  // namespace

void Form1::dati_rallentamenti() {
    scrivi_testo(nome_scenario + "_" + numero_treno + "_rallentamenti.txt", righe_rallentamenti,
                 std::size(righe_rallentamenti));
}

}  // namespace compattatore
