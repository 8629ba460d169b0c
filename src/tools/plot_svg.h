// The picture of a compiled scenario for its author, one page 1600 pixels wide: a legend,
// the route as the track plan draws it, fitted to the page, with stations, signals,
// slowdowns and boards marked and named where there is room (every station always), and
// below it the profiles along the route (gradient, the train's speed limit in force,
// slowdowns and speed boards) with a kilometre axis and a scale bar. A stretch longer than
// 60 km is drawn as an overview followed by detail strips of 50 km. No two texts overlap.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/oggetti.h"

namespace compattatore {

// Text for an XML (or HTML) element or attribute, from UTF-8: the five special characters
// escaped and the control characters XML does not allow replaced.
std::string testo_xml(std::string_view utf8);

// The stretch of the route to draw, in kilometres from its start; the whole route by default.
struct TrattoDaDisegnare {
    std::optional<double> da_km;
    std::optional<double> a_km;
};

// What is wrong with asking for `tratto` of this scenario's route (one line naming the
// option), or empty when the stretch lies inside the route.
std::string difetto_tratto(const ScenarioDaDisegnare& scenario, const TrattoDaDisegnare& tratto);

// A text of the picture and the box it takes on the page, in pixels, y downward; the box
// errs on the wide side of what a browser lays out.
struct TestoDisegnato {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    std::string testo;  // UTF-8
};

struct Disegnato {
    std::string svg;  // the whole SVG document, UTF-8
    std::vector<TestoDisegnato> testi;
};

// The picture of the stretch `richiesto` (kept inside the route), and its texts.
Disegnato disegna_plot(const ScenarioDaDisegnare& scenario,
                       const TrattoDaDisegnare& richiesto = {});

// The SVG document alone.
std::string disegna_svg(const ScenarioDaDisegnare& scenario, const TrattoDaDisegnare& tratto = {});

}  // namespace compattatore
