// Memory for the track plan's columns, which run to tens of megabytes on a long line. Getting
// large pages is the system's business: the platform layer provides this function
// (platform/memoria.cpp), for the track plan below it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace compattatore {

// The size of a large page, to which a large block is aligned.
inline constexpr size_t pagina_grande = size_t{1} << 21;

struct BloccoGrande {
    std::unique_ptr<uint8_t[]> memoria;  // holds the block
    uint8_t* inizio = nullptr;           // its first byte, aligned to pagina_grande
};

// At least `byte` bytes, left uncleared, from an address aligned to a large page, backed by
// large pages where the system offers them (a few faults in place of thousands while the walk
// runs through them). Throws std::bad_alloc.
BloccoGrande blocco_grande(size_t byte);

}  // namespace compattatore
