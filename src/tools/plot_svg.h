// The picture of a compiled scenario for its author: the route as the track plan draws it,
// with stations, signals, slowdowns and boards marked and named, and below it the profile
// along the route (gradient, the train's speed limit in force, slowdowns and speed boards).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/cella.h"
#include "core/tracciato.h"
#include "core/voce_treno.h"

namespace compattatore {

struct ScenarioDaDisegnare {
    std::array<voce_treno, voci_record_treno> voci{};
    std::vector<cella> celle;
    // Absent when there is no track plan: the picture then holds the profile only and says
    // why, with `nota_tracciato` (UTF-8).
    std::optional<Tracciato> tracciato;
    std::string nota_tracciato;
};

// The whole SVG document, UTF-8.
std::string disegna_svg(const ScenarioDaDisegnare& scenario);

}  // namespace compattatore
