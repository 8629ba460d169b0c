// Values as they stand in the binary files: little-endian, whatever the host's byte order.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace compattatore {

// Lays `u` down at `o` as sizeof(U) little-endian bytes.
template <class U>
inline void metti_le(uint8_t* o, U u) {
    static_assert(std::is_unsigned_v<U>);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(o, &u, sizeof u);
    } else {
        for (size_t i = 0; i < sizeof u; ++i) o[i] = static_cast<uint8_t>(u >> (8 * i));
    }
}

// The value of the sizeof(U) little-endian bytes at `i`.
template <class U>
inline U leggi_le(const uint8_t* i) {
    static_assert(std::is_unsigned_v<U>);
    U u = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&u, i, sizeof u);
    } else {
        for (size_t k = 0; k < sizeof u; ++k) u = static_cast<U>(u | (U{i[k]} << (8 * k)));
    }
    return u;
}

}  // namespace compattatore
