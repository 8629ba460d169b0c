// Backing a block with large pages, where the system offers them to a program of the user.
#pragma once

#include <cstddef>

namespace compattatore {

// Asks the system to back the `byte` bytes at `inizio` (aligned to pagina_grande, a whole
// number of large pages) with large pages. A hint: nothing fails when it is not taken.
void consiglia_pagine_grandi(void* inizio, size_t byte);

}  // namespace compattatore
