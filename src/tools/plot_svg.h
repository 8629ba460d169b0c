// The picture of a compiled scenario for its author: the route as the track plan draws it,
// with stations, signals, slowdowns and boards marked and named, and below it the profile
// along the route (gradient, the train's speed limit in force, slowdowns and speed boards).
#pragma once

#include <string>
#include <string_view>

#include "tools/oggetti.h"

namespace compattatore {

// Text for an XML (or HTML) element or attribute, from UTF-8: the five special characters
// escaped and the control characters XML does not allow replaced.
std::string testo_xml(std::string_view utf8);

// The whole SVG document, UTF-8.
std::string disegna_svg(const ScenarioDaDisegnare& scenario);

}  // namespace compattatore
