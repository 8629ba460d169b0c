// The line notes for the driver: the train, a paragraph on the line, and who wrote the
// scenario. The train and the names are fixed text; only the file name follows the scenario.
#include <iterator>

#include "core/form1.h"

namespace compattatore {

namespace {

// One entry per line of the file, in order; a long line goes on in the indented literals
// under it. The end marker closes the table and is not written.
// clang-format off
constexpr const char* righe_note[] = {
    "TRENO 325 INTERCITY Valcrestina - Milano C.",
    "Proveniente da Ginevra/Berna. Loc. E444R",
    "Percorre la linea Valcrestina Torve,che \xE8" " il tratto iniziale della linea Valcrestina",
    "Milano. La linea \xE8" " a doppio binario, elettrificata e senza passaggi a livello.",
    "Nella prima parte si snoda nel fondo valle della Val d'Ossola, poi costeggia il lago "
        "Maggiore",
    "fino ad Torve. Attrezzata con Blocco automatico a correnti codificate, Dirigente Centrale "
        "con ",
    "sede a Milano Porta Garibaldi. ",
    "",
    "",
    "",
    "",
    "",
    "",
    "   AUTORE:",
    "   Redazione scenari",
    "   e-mail:  redazione@scenari.example",
    "riferimento fine del file",
};
// clang-format on

}  // namespace

void Form1::dati_note() {
    scrivi_testo(nome_scenario + "_" + numero_treno + "_note.txt", righe_note,
                 std::size(righe_note));
}

}  // namespace compattatore
