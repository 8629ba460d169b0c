// The fields of a scenario table entry and of a cell under the names `dump` gives them, so
// that every tool shows them alike.
#pragma once

#include <nlohmann/json.hpp>

#include "core/cella.h"
#include "core/voce_treno.h"

namespace compattatore {

// The entry's sixteen fields in their order; the text as UTF-8.
nlohmann::ordered_json voce_json(const voce_treno& v);

// The cell's eleven fields in their order.
nlohmann::ordered_json cella_json(const cella& c);

}  // namespace compattatore
