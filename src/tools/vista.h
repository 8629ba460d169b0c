// The interactive view of a compiled scenario: one HTML page with its script, its style and
// the scenario's decoded data inside, so that it opens from a folder with no connection.
#pragma once

#include <string>

#include "tools/oggetti.h"

namespace compattatore {

// The data the page draws, as compact JSON (UTF-8): the cells as runs of equal values per
// field, the items of every layer, the curves, the timetable and the track plan thinned to
// the points a picture needs.
std::string dati_vista_json(const ScenarioDaDisegnare& scenario);

// The whole page.
std::string pagina_vista(const ScenarioDaDisegnare& scenario);

}  // namespace compattatore
