// The two source files: every line's length, the bytes and the lines that the reader depends
// on, and the whole replacement of an earlier file.
#include <gtest/gtest.h>

#include "testo_fisso_prova.h"

using compattatore::Form1;
using testo_fisso::TestoAtteso;

TEST(FileSorgenti, WrittenExactlyAndReplaceEarlierFiles) {
    const TestoAtteso casi[] = {
        {&Form1::dati_linea,
         "VALCRESTINA_TORVE_linea.txt",
         "ALTRA_LINEA_linea.txt",
         {27, 65, 103, 60, 40, 240, 91, 107, 83, 216, 10, 28, 50, 46, 46, 16, 16, 16,
          47, 7,  20,  20, 21, 21,  21, 21,  21, 21,  21, 21, 21, 21, 21, 21, 21, 21,
          21, 21, 21,  21, 21, 21,  21, 21,  21, 21,  21, 21, 21, 21, 10, 19, 22, 20,
          21, 21, 22,  21, 21, 21,  21, 21,  22, 21,  10, 28, 30, 30, 30, 30, 30, 30,
          30, 30, 30,  30, 30, 10,  56, 57,  58, 58,  58, 58, 58, 58, 58, 58, 13, 58,
          54, 69, 56,  79, 53, 70,  70, 73,  76, 70,  70, 79, 70, 53, 53, 67, 70, 6},
         4605,
         {{7, 19}},
         {{1, "   Linea Valcrestina Torve:"},
          {5, "   Il tratto non ha passaggi a livello. "},
          {6,
           "   Nella prima parte  percorre le Val d'Ossola,  a sinistra del fiume Toce che lo "
           "attraversa in due punti, fino alla    stazione di  Verbania, dopo di che si snoda "
           "a mezza costa a lato della sponda destra  (piemontese) del lago    Maggiore."},
          {7,
           "   La linea citata \xE8"
           " stata trasformata a doppio binario nel 1940 ed elettirficata nel 1947."},
          {12, "lunghezza percorso,    56000"},
          {79, "indicatori_vmax,  900,  125,  130,  135,  0,  ,  ,  ,  0"},
          {90, "cartello_indicatore,  3300,   (BIVIO  TOCE )(PER  ZEMA II)"},
          {108, "[fine]"}}},
        {&Form1::dati_treno,
         "VALCRESTINA_TORVE_325-.txt",
         "ALTRA_LINEA_7-.txt",
         {10, 20, 33, 14, 46, 10, 21, 12, 20, 24, 24, 24, 24, 24, 24, 24, 24, 10, 83, 80, 84, 87,
          79, 85, 80, 90, 78, 78, 81, 76, 77, 77, 15, 47, 9,  51, 51, 51, 51, 51, 51, 51, 51, 51,
          51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 51, 8,  6},
         3219,
         {},
         {{1, "[generale]"},
          {5, "orologio,    17              20            30 "},
          {21,
           "stazione,   13400, 24,  500,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, VOGOGNA   O."},
          {34, "rallentamento,   22750,    50,  150, 0,  1,  80"},
          {36, "segnale,    3400,   2, 4, 1,  1, 0,    2,  2,1,1, 0"},
          {65, "[codici]"},
          {66, "[fine]"}}},
    };
    for (const auto& caso : casi) testo_fisso::verifica_testo(caso);
}
