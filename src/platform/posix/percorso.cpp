#include "platform/percorso.h"

namespace compattatore {

char separatore_cartelle() {
    return '/';
}

size_t inizio_nome(std::string_view percorso) {
    const size_t barra = percorso.rfind('/');
    return barra == std::string_view::npos ? 0 : barra + 1;
}

}  // namespace compattatore
