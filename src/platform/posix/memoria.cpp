#include <sys/mman.h>

#include "platform/pagine_grandi.h"

namespace compattatore {

void consiglia_pagine_grandi([[maybe_unused]] void* inizio, [[maybe_unused]] size_t byte) {
#ifdef MADV_HUGEPAGE
    ::madvise(inizio, byte, MADV_HUGEPAGE);
#endif
}

}  // namespace compattatore
