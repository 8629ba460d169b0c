#include "core/memoria.h"

#include <sys/mman.h>

namespace compattatore {

BloccoGrande blocco_grande(size_t byte) {
    // The slack before the aligned start is never touched.
    BloccoGrande b;
    b.memoria.reset(new uint8_t[byte + pagina_grande]);
    const auto inizio = reinterpret_cast<uintptr_t>(b.memoria.get());
    const uintptr_t allineato = (inizio + pagina_grande - 1) & ~(pagina_grande - 1);
    b.inizio = b.memoria.get() + (allineato - inizio);
#ifdef MADV_HUGEPAGE
    const size_t intere = byte & ~(pagina_grande - 1);
    if (intere > 0) ::madvise(b.inizio, intere, MADV_HUGEPAGE);
#endif
    return b;
}

}  // namespace compattatore
