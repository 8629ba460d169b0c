#include "platform/percorso.h"

namespace compattatore {

size_t inizio_nome(std::string_view percorso) {
    const size_t barra = percorso.rfind('/');
    return barra == std::string_view::npos ? 0 : barra + 1;
}

}  // namespace compattatore
