#include "platform/percorso.h"

namespace compattatore {

char separatore_cartelle() {
    return '\\';
}

// Windows takes both '\' and '/' between the parts of a path.
size_t inizio_nome(std::string_view percorso) {
    const size_t barra = percorso.find_last_of("\\/");
    return barra == std::string_view::npos ? 0 : barra + 1;
}

}  // namespace compattatore
