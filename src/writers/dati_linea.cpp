// The line source file: the description of the line from Valcrestina to Torve followed by its
// sections (general values, curves, gradients, mountain ranges, speed-limit boards, indication
// boards), in the line format that the scenario reader reads back later in the run.
#include <iterator>

#include "core/form1.h"

namespace compattatore {

namespace {

// One entry per line of the file, in order; a long line goes on in the indented literals
// under it. The end marker closes the table and is not written.
// clang-format off
constexpr const char* righe_linea[] = {
    "   Linea Valcrestina Torve:",
    "   Tratto iniziale della linea   (Sempione) - Valcrestina Milano ",
    "   Doppio binario, trazione elettrica a 3 kV cc attrezzata con blocco automatico a "
        "correnti codificate.",
    "   Esercita con Dirigente Centrale a Milano Porta Garibaldi.",
    "   Il tratto non ha passaggi a livello. ",
    "   Nella prima parte  percorre le Val d'Ossola,  a sinistra del fiume Toce che lo "
        "attraversa in due punti, fino alla    stazione di  Verbania, dopo di che si snoda a mezza "
        "costa a lato della sponda destra  (piemontese) del lago    Maggiore.",
    "   La linea citata \xE8" " stata trasformata a doppio binario nel 1940 ed elettirficata nel "
        "1947.",
    "   Attraverso i bivi VALLE e TOCE, tra le stazioni di Vogogna e Valcrestina, si accede al "
        "parco merci Zema2",
    "  di recente realizzazione utilizzato come scalo di confine con la vicina Svizzera.",
    "  A Valcrestina sono installati  tratti neutri per separare le due alimentazioni della "
        "linea di contatto da 3 kV   cc (FS) a 15 kV  monofase c.a.  (SBB). I mezzi di trazione "
        "entrano tutti con i pantografi abbassati. ",
    "[generale]",
    "lunghezza percorso,    56000",
    "progressiva chilometrica uno,    0,    56000,    1",
    "progressiva chilometrica due,    0,    0,    0",
    "progressiva chilometrica tre,    0,    0,    0",
    "sfondo uno,    1",
    "sfondo due,    0",
    "sfondo tre,    0",
    "ripetizione segnali 4 codici,    1200,    55000",
    "[curve]",
    "curvad5,  5800,  300",
    "curvas4,  9750,  300",
    "curvad4,  10800,  300",
    "curvas5,  11250,  300",
    "curvas4,  13050,  300",
    "curvas4,  18650,  300",
    "curvas4,  19650,  300",
    "curvad4,  20400,  300",
    "curvad5,  22950,  300",
    "curvad4,  25300,  300",
    "curvas5,  27000,  300",
    "curvas6,  28100,  300",
    "curvad5,  29800,  600",
    "curvad4,  31550,  300",
    "curvas4,  33100,  300",
    "curvad4,  34450,  300",
    "curvas4,  35550,  300",
    "curvas5,  37300,  300",
    "curvas4,  39150,  300",
    "curvad4,  40500,  300",
    "curvad4,  41900,  300",
    "curvas4,  44000,  300",
    "curvas5,  46700,  300",
    "curvad4,  47700,  300",
    "curvad4,  48400,  750",
    "curvas4,  49450,  500",
    "curvas4,  51700,  300",
    "curvas4,  53000,  300",
    "curvad4,  54450,  400",
    "curvad4,  55250,  300",
    "[pendenze]",
    "pendenza,   0,    0",
    "pendenza,  1100,   -10",
    "pendenza,  5000,   0",
    "pendenza,  9550,   -3",
    "pendenza,  16200,   0",
    "pendenza,  20250,   -2",
    "pendenza,  26400,   0",
    "pendenza,  30900,   6",
    "pendenza,  34600,   0",
    "pendenza,  39800,   5",
    "pendenza,  43500,   0",
    "pendenza,  45150,   -2",
    "pendenza,  54700,   0",
    "[montagne]",
    "montagna,   6250,  6750,  11",
    "montagna,   11000,  11300,  11",
    "montagna,   22850,  23050,  11",
    "montagna,   27250,  27600,  12",
    "montagna,   28200,  28600,  12",
    "montagna,   29200,  29300,  11",
    "montagna,   32200,  32550,  12",
    "montagna,   35350,  36050,  12",
    "montagna,   37000,  37500,  12",
    "montagna,   39400,  40500,  12",
    "montagna,   52000,  53200,  12",
    "montagna,   54550,  55200,  12",
    "[cartelli]",
    "indicatori_vmax,  900,  125,  130,  135,  0,  ,  ,  ,  0",
    "indicatori_vmax,  4350,  110,  115,  145,  0,  ,  ,  ,  0",
    "indicatori_vmax,  14150,  125,  135,  135,  0,  ,  ,  ,  0",
    "indicatori_vmax,  22050,  110,  115,  125,  0,  ,  ,  ,  0",
    "indicatori_vmax,  26150,  105,  105,  110,  0,  ,  ,  ,  0",
    "indicatori_vmax,  30850,  110,  115,  140,  0,  ,  ,  ,  0",
    "indicatori_vmax,  33950,  110,  115,  115,  2,  ,  ,  ,  0",
    "indicatori_vmax,  34100,  110,  110,  115,  1,  ,  ,  ,  0",
    "indicatori_vmax,  34200,  110,  115,  115,  0,  ,  ,  ,  0",
    "indicatori_vmax,  50200,  105,  110,  110,  0,  ,  ,  ,  0",
    "[indicazioni]",
    "cartello_indicatore,  3300,   (BIVIO  TOCE )(PER  ZEMA II)",
    "cartello_indicatore,  4450,   (PONTE SUL )(FIUME TOCE)",
    "cartello_indicatore,  6200,   (GALLERIA DI)(BEURA      )(m. 500     )",
    "cartello_indicatore,  8200,   (BIVIO VALLE)(DA ZEMA II )",
    "cartello_indicatore,  10950,   (GALLERIA DELLA)(MASONE        )(m. 310        )",
    "cartello_indicatore,  17950,   (PONTE SUL)(T. CROTTO)",
    "cartello_indicatore,  22800,   (GALLERIA DI)(BETTOLA    )(m. 155     )",
    "cartello_indicatore,  27200,   (GALLERIA DI)(MERGOZZO   )(m. 350     )",
    "cartello_indicatore,  28150,   (GALLERIA    )(MONTORFANO I)(m. 400      )",
    "cartello_indicatore,  29150,   (GALLERIA     )(MONTORFANO II)(m. 80        )",
    "cartello_indicatore,  32125,   (GALLERIA DI)(FERIOLO    )(m. 350     )",
    "cartello_indicatore,  35300,   (GALLERIA DI)(BAVENO     )(m. 700     )",
    "cartello_indicatore,  36950,   (GALLERIA      )(SCUD. BORROMEO)(m. 525        )",
    "cartello_indicatore,  39350,   (GALLERIA DI)(STRESA     )(m. 1072    )",
    "cartello_indicatore,  47450,   (PONTE SUL)(T. ERNO  )",
    "cartello_indicatore,  51550,   (PONTE SUL)(T. TIASCA)",
    "cartello_indicatore,  51950,   (GALLERIA  )(FARAGGIANA)(m.1183    )",
    "cartello_indicatore,  54500,   (GALLERIA DI)(TORVE      )(m. 673     )",
    "[fine]",
    "riferimento fine del file",
};
// clang-format on

}  // namespace

void Form1::dati_linea() {
    scrivi_testo(nome_scenario + "_linea.txt", righe_linea, std::size(righe_linea));
}

}  // namespace compattatore
