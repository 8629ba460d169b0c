// The train source file: composition, clock, adhesion, speed limits, stations and timetable,
// slowdowns and signals of train 325, in the train format that the scenario reader reads back
// later in the run.
#include <iterator>

#include "core/form1.h"

namespace compattatore {

namespace {

// One entry per line of the file, in order; a long line goes on in the indented literals
// under it. The end marker closes the table and is not written.
// clang-format off
constexpr const char* righe_treno[] = {
    "[generale]",
    "numero vetture,    8",
    "percentuale massa frenata,    130",
    "sabbia,    250",
    "orologio,    17              20            30 ",
    "[aderenze]",
    "aderenza,   0,    100",
    "[vel_limite]",
    "velocita,   0,    30",
    "velocita,     900,   135",
    "velocita,    4350,   145",
    "velocita,   14150,   135",
    "velocita,   22050,   125",
    "velocita,   26150,   110",
    "velocita,   30850,   140",
    "velocita,   33950,   115",
    "velocita,   50200,   110",
    "[stazioni]",
    "stazione,       0,  8,  700,  0, 0, 0,  1,1,0,  4,1,1,    1,  17,21, 0, VALCRESTINA",
    "stazione,    5750, 24,  500,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, BEURA C.",
    "stazione,   13400, 24,  500,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, VOGOGNA   O.",
    "stazione,   16000,  4,  800,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, PREMOSELLO  Ch.",
    "stazione,   19700, 22,  500,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, CUZZAGO",
    "stazione,   24250, 28,  500,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, Candoglia  O.",
    "stazione,   26700, 22,  600,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, MERGOZZO",
    "stazione,   29900, 12,  600,  0, 1, 0,  1,1,0,  4,1,1,   60,  17,45, 0, VERBANIA  PALLANZA",
    "stazione,   34850, 22,  600,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, BAVENO",
    "stazione,   38650, 12,  800,  1, 1, 0,  4,1,1,  2,1,1,   60,  17,52, 0, STRESA",
    "stazione,   44850, 22,  600,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, BELGIRATE",
    "stazione,   47100, 28,  600,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, Lesa",
    "stazione,   51150, 22,  600,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, MEINA",
    "stazione,   56000,  2,  700,  1, 1, 0,  1,1,0,  2,1,1,    0,  18, 3, 0, TORVE",
    "[rallentamenti]",
    "rallentamento,   22750,    50,  150, 0,  1,  80",
    "[segnali]",
    "segnale,    3400,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
    "segnale,    5150,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,    8300,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
    "segnale,    9750,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   11000,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   12250,   2, 4, 1,  1, 0,    0,  0,0,0, 0",
    "segnale,   12800,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   17400,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   19100,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   22600,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   23950,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   26000,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   27900,   2, 5, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   29200,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   31300,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   32650,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   34050,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   36400,   2, 5, 6,  0, 0,    1,  3,0,0, 0",
    "segnale,   37850,   2, 2, 3,  0, 1,    2,  2,0,0, 0",
    "segnale,   40800,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   42250,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   43950,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   46350,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   48150,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   50450,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   52200,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   53250,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   54150,   2, 5, 6,  0, 0,    1,  3,0,0, 0",
    "segnale,   55100,   2, 2, 3,  0, 1,    2,  2,0,0, 0",
    "[codici]",
    "[fine]",
    "riferimento fine del file",
};
// clang-format on

}  // namespace

void Form1::dati_treno() {
    scrivi_testo(nome_scenario + "_" + numero_treno + "-.txt", righe_treno, std::size(righe_treno));
}

}  // namespace compattatore
