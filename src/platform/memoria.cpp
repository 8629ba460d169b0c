#include "core/memoria.h"

#include "platform/pagine_grandi.h"

namespace compattatore {

BloccoGrande blocco_grande(size_t byte) {
    // The slack before the aligned start is never touched.
    BloccoGrande b;
    b.memoria.reset(new uint8_t[byte + pagina_grande]);
    const auto inizio = reinterpret_cast<uintptr_t>(b.memoria.get());
    const uintptr_t allineato = (inizio + pagina_grande - 1) & ~(pagina_grande - 1);
    b.inizio = b.memoria.get() + (allineato - inizio);
    const size_t intere = byte & ~(pagina_grande - 1);
    if (intere > 0) consiglia_pagine_grandi(b.inizio, intere);
    return b;
}

}  // namespace compattatore
