#include "platform/pagine_grandi.h"

namespace compattatore {

// Large pages on Windows need a privilege (locking pages in memory) that a user's program
// does not hold: the block stays on ordinary pages.
void consiglia_pagine_grandi(void*, size_t) {}

}  // namespace compattatore
