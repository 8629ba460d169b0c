// The error codes that the reader, the stores and the marker pass leave in codice_errore,
// with what each means in plain words and whether it reports a position.
#pragma once

#include <cstdint>
#include <string_view>

namespace compattatore {

struct DescrizioneCodice {
    int32_t codice;
    std::string_view significato;
    bool con_posizione;  // the code sets posizione_errore
};

// The description of a code; an unknown code gets a generic one.
DescrizioneCodice descrivi_codice(int32_t codice);

}  // namespace compattatore
