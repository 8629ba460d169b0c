#include "reader/tracciato.h"

#include <new>

#include "driver/errori.h"

namespace compattatore {

void Tracciato::dimensiona(int64_t ultimo_punto) {
    libera();
    if (ultimo_punto < 0 || ultimo_punto > 2000000000) {
        throw ErroreLettura("the track plan cannot be dimensioned");
    }
    try {
        const auto n = static_cast<size_t>(ultimo_punto) + 1;
        for (int c = 0; c < 2; ++c) {
            tipi_[c].assign(n, vuoto);
            valori_[c].assign(n, 0.0);
        }
    } catch (const std::bad_alloc&) {
        libera();
        throw ErroreLettura("no memory for the track plan");
    }
}

void Tracciato::libera() {
    for (int c = 0; c < 2; ++c) {
        std::vector<uint8_t>().swap(tipi_[c]);
        std::vector<double>().swap(valori_[c]);
    }
}

}  // namespace compattatore
