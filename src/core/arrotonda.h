// Conversions of real numbers and wide integers into the narrow fields of cells and entries.
// Every rounding goes to the nearest integer, a half to the even neighbour (75 / 50 gives 2,
// 125 / 50 gives 2). A checked conversion that does not fit is a run-time failure of the
// reader (ErroreLettura); a truncation keeps the low bits (two's complement).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/errori.h"

namespace compattatore {

inline int64_t arrotonda(double x) {
    // 2^62 bounds every value the reader can produce and keeps the cast defined.
    if (!(std::fabs(x) < 4611686018427387904.0)) throw ErroreLettura("value out of range");
    const double r = std::nearbyint(x);  // the default rounding mode: half to even
    return static_cast<int64_t>(r);
}

template <class T>
inline T in_campo(int64_t v) {
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) {
        throw ErroreLettura("value does not fit its field");
    }
    return static_cast<T>(v);
}
inline int32_t in_32(int64_t v) {
    return in_campo<int32_t>(v);
}
inline int16_t in_16(int64_t v) {
    return in_campo<int16_t>(v);
}
inline uint8_t in_byte(int64_t v) {
    return in_campo<uint8_t>(v);
}

// Low bits of the exact value.
inline int16_t basso_16(int64_t v) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(v) & 0xFFFFu));
}
inline uint8_t basso_byte(int64_t v) {
    return static_cast<uint8_t>(static_cast<uint64_t>(v) & 0xFFu);
}

// The cell of a point item at p metres: round(p / 50 + 1).
inline int64_t cella_punto(int64_t p) {
    return arrotonda(static_cast<double>(p) / 50.0 + 1.0);
}

}  // namespace compattatore
