// Reading the three compiled files back: the scenario table (.sim), the track plan
// (_linea.dat) and the cells (.dat). The decoders are strict: every length is checked
// against the bytes that are there, and bytes that do not form the layout are refused with
// ErroreDecodifica, never read past.
#pragma once

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/cella.h"
#include "core/tracciato.h"
#include "core/voce_treno.h"

namespace compattatore {

// The bytes do not form the layout of their file; what() says why and at which byte.
class ErroreDecodifica : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The 87 entries of the scenario table, walked in order; bytes left after entry 86 are an
// error.
std::array<voce_treno, voci_record_treno> decodifica_sim(std::string_view byte);

// The track plan: coordinate 0 of points 0 to N, then coordinate 1 of the same points. The
// tagged values are walked one by one; the two columns hold the same number of values, so N
// follows from the count. A file with no value at all is refused.
Tracciato decodifica_linea_dat(std::string_view byte);

// The cells 0 to ultima_cella, 15 bytes each; a size that is not a whole, non-zero number of
// cells is refused.
std::vector<cella> decodifica_celle(std::string_view byte);

}  // namespace compattatore
