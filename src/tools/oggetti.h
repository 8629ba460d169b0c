// What the pictures of a compiled scenario show, read out of its scenario table, its cells
// and its track plan: stations, signals, slowdowns and their warnings, speed boards,
// indication boards, mountain ranges, the marks ahead of slowdowns and signals, and the
// curves of the track plan. Texts are UTF-8; positions are metres from the start of the
// route.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cella.h"
#include "core/tracciato.h"
#include "core/voce_treno.h"

namespace compattatore {

inline constexpr double metri_per_cella = 50;

// A compiled scenario as its three files hold it.
struct ScenarioDaDisegnare {
    std::array<voce_treno, voci_record_treno> voci{};
    std::vector<cella> celle;
    // Absent when there is no track plan: the pictures then hold the profiles only and say
    // why, with `nota_tracciato` (UTF-8).
    std::optional<Tracciato> tracciato;
    std::string nota_tracciato;
};

enum class GenereOggetto {
    stazione,
    segnale,
    rallentamento,
    avviso,        // a slowdown's warning, and the four cells before it
    velocita_max,  // speed board
    cartello,      // indication board
    montagna,
    marca,  // a mark ahead of a slowdown or a signal (codes 12 and 13)
    curva,
};

struct Oggetto {
    GenereOggetto genere = GenereOggetto::segnale;
    int64_t cella = -1;     // the item's cell; a station's end cell; -1 for a curve
    double da = 0;          // metres
    double a = 0;           // end: a slowdown, a station, a mountain range, a curve; otherwise da
    int valore = 0;         // slowdown or warning speed (km/h), mountain class, mark value,
                            // curve class
    int voce = -1;          // entry of the scenario table: station, indication board
    std::string etichetta;  // short label
    std::vector<std::string> righe;  // an indication board's text as the driver reads it
    char lato = 0;                   // a curve: 's' left, 'd' right
};

// Where a point item of cell c lies: its cell is round(p / 50 + 1).
inline double metri_di_cella(int64_t c) {
    return (static_cast<double>(c) - 1) * metri_per_cella;
}

// A position as the railway writes it: kilometres + metres ("12+350").
std::string km(double metri);

// The station entries of the table: from entry 1 upward until the first cleared entry or the
// first board text, and every entry a station end cell names.
std::vector<int> voci_stazione(const std::array<voce_treno, voci_record_treno>& voci,
                               const std::vector<cella>& celle);

// An indication board's text cut into the lines the driver reads: "(PONTE SUL )(FIUME TOCE)"
// gives "PONTE SUL" and "FIUME TOCE"; text outside parentheses is a line of its own.
std::vector<std::string> righe_cartello(std::string_view testo);

// A speed board's label: "V 125/130/135", with " | right speeds" when the right side is set.
std::string etichetta_velocita(const cella& c);

// Every item of the table and the cells, sorted by position (curves are not there).
std::vector<Oggetto> oggetti_scenario(const std::array<voce_treno, voci_record_treno>& voci,
                                      const std::vector<cella>& celle);

// The curves of the track plan: each run of points turning at one class's rate to one side.
std::vector<Oggetto> curve_del_tracciato(const Tracciato& t);

// The route's length: the general value, bounded by the cells.
double lunghezza_percorso(const std::array<voce_treno, voci_record_treno>& voci,
                          const std::vector<cella>& celle);

}  // namespace compattatore
