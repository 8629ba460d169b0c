#include "core/codici_errore.h"

#include <array>

namespace compattatore {

namespace {

constexpr std::array<DescrizioneCodice, 27> codici{{
    {1, "the route length (lunghezza percorso) is above 1000000 m", false},
    {2, "a kilometric progressive starts or ends off the 50 m grid", false},
    {3, "the signal repetition starts off the 50 m grid", false},
    {4, "the signal repetition ends off the 50 m grid", false},
    {5, "the signal repetition keyword names neither 4 nor 9 codes", false},
    {6, "an indication board falls on a cell that is already taken", true},
    {7, "an abbattimento falls on a cell that is already taken", true},
    {8, "a station's position is not a multiple of 50 m", true},
    {9, "a station's length is not a multiple of 100 m", true},
    {10, "too many stations for the entries left by the boards", false},
    {11, "no free cell for the mark in front of a signal before a slowdown warning", true},
    {12, "no free cell for a mark ahead of a slowdown", true},
    {13, "no free cell for a mark inside or after a slowdown", true},
    {15, "a position lies beyond the last cell of the route", true},
    {16, "a signal falls on a cell that is already taken", true},
    {17, "a slowdown's warning falls on a cell that is already taken", true},
    {18, "a slowdown's start falls on a cell that is already taken", true},
    {19, "a slowdown's end falls on a cell that is already taken", true},
    {20, "a cell before a slowdown's warning is already taken", true},
    {21, "a speed-limit board falls on a cell that is already taken", true},
    {22, "a station starts less than 350 m after the end of the previous one", true},
    {24, "a station ends at or before 100 m from the start of the route", false},
    {25,
     "the source files could not be read (a missing train file, a malformed or "
     "out-of-range field, a missing route length, or a record outside the route)",
     false},
    {101, "the line file does not exist", false},
    {102, "the line file has no [generale] section", false},
    {103, "a curve has no class digit 1 to 6, or the track plan runs beyond 1000000 points", false},
    {0, "no error", false},
}};

}  // namespace

DescrizioneCodice descrivi_codice(int32_t codice) {
    for (const auto& d : codici) {
        if (d.codice == codice) return d;
    }
    return {codice, "unknown error", false};
}

}  // namespace compattatore
