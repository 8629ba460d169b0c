// The timetable sheet of train 325: the boxes with the train's particulars, then one row per
// location from VALCRESTINA to TORVE with speed limits, progressives, block posts, times and
// recovery margins. The content is fixed; only the file name follows the scenario.
#include <iterator>

#include "core/form1.h"

namespace compattatore {

namespace {

// One entry per line of the file, in order; a long line goes on in the indented literals
// under it. The end marker closes the table and is not written.
// clang-format off
constexpr const char* righe_scheda[] = {
    "",
    "",
    "  ___________________                                               ______________",
    " |                   |                    SCHEDA                   |              |",
    " |   TRENO n. 325    |                   da: VALCRESTINA           |    V200 C    |",
    " |___________________|                    a: TORVE                 |     125 %    |",
    "                                                                   |______________|",
    "  ___________________                ___________________            ______________",
    " |                   |              |                   |          |              |",
    " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |          |     E 444    |",
    " |  IC  'MONTE ROSA' |              |       400T        |          |              |",
    " |___________________|              |___________________|          |______________|",
    "",
    "  ________________________________________________________________________________",
    " | Vel.| Vel.| Progr Km |Posto|   Localita' di  Servizio   |     Orario     | Rec |",
    " | Lim.|Marc.|          |  di |                            |                |     |",
    " |_____|_____|__________|Blocco____________________________|___a_______p____|_____|",
    " |     |     |          |     |                            |                |     |",
    " | 135 |  95 |  55+547  | 837 |   VALCRESTINA              |         17.21  |     |",
    " |     |     |  54+245  |P 835|                            |                |     |",
    " |     |     |  54+421  | 833 |           (Bivio TOCE)     |      17.24     |     |",
    " |     |     |  50+246  | 831 |   BEURA CARDEZZA           |      17.25     |     |",
    " |     |     |  47+672  | 829 |           (Bivio VALLE)    |      17.26     |     |",
    " | 115 |     |  46+235  |P 827|                            |                |     |",
    " |     |     |  45+019  |P 825|                            |                |     |",
    " | 135 |     |  42+612  | 823 |   VOGOGNA OSSOLA           |      17.29     |     |",
    " |     |     |  40+016  | 821 |   PREMOSELLO Ch.           |      17.32     | 1.5 |",
    " |     |     |  38+638  |P 819|                            |                |     |",
    " |     |     |  36+329  | 817 |   CUZZAGO                  |      17.35     |     |",
    " | 115 |     |  34+767  |P 815|                            |                |     |",
    " |     |     |  33+389  |P 813|                            |                |     |",
    " |     |     |  32+039  |P 811|                            |                |     |",
    " |     |     |  31+766  |     |   Candoglia Ornavasso      |      17.39     | 1.5 |",
    " | 110 |     |  29+291  | 809 |   MERGOZZO                 |      17.41     | 1.0 |",
    " |     |     |  28+072  |P 807|                            |                |     |",
    " | 115 | 115 |  26+074  | 805 |   VERBANIA PALLANZA        | 17.44   17.45  | 0.5 |",
    " |     |     |  24+708  |P 803|                            |                |     |",
    " |     |     |  23+348  |P 801|                            |                |     |",
    " |     |     |  21+144  | 799 |   BAVENO                   |      17.48     |     |",
    " |     |     |  19+592  |P 797|                            |                |     |",
    " |     |     |  17+339  | 795 |   STRESA                   | 17.51   17.52  | 0.5 |",
    " |     |     |  15+216  |P 793|                            |                |     |",
    " |     |     |  13+738  |P 791|                            |                |     |",
    " |     |     |  11+160  | 789 |   BELGIRATE                |      17.56     |     |",
    " |     |     |   9+671  |P 787|                            |                |     |",
    " |     |     |   8+921  |     |   Lesa                     |      17.57     |     |",
    " |     |     |   7+871  |P 785|                            |                |     |",
    " | 110 | 110 |   4+854  | 783 |   MEINA                    |      18.00     |     |",
    " |     |     |   3+778  |P 781|                            |                |     |",
    " |     |     |   2+760  |P 779|                            |                |     |",
    " |     |     |   1+837  |P 777|                            |                |     |",
    " |     |     |   0+000  | 775 |   TORVE                    | 18.03  (18.04) |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
    "   Ferrotrama",
    "riferimento fine del file",
};
// clang-format on

}  // namespace

void Form1::dati_scheda() {
    scrivi_testo(nome_scenario + "_" + numero_treno + "_scheda_treno.txt", righe_scheda,
                 std::size(righe_scheda));
}

}  // namespace compattatore
