// The byte layouts of the three binary files, written field by field, little-endian.
#pragma once

#include <array>
#include <vector>

#include "core/cella.h"
#include "core/tracciato.h"
#include "core/voce_treno.h"
#include "platform/file_sostitutivo.h"

namespace compattatore {

// The scenario table (.sim): the 87 entries in index order; a text is a 16-bit length and
// its bytes.
void scrivi_sim(FileSostitutivo& file, const std::array<voce_treno, voci_record_treno>& voci);
// The track plan (_linea.dat): coordinate 0 of every point, then coordinate 1; each value a
// 16-bit tag (0 empty, 2 integer, 5 double) and its data.
void scrivi_linea_dat(FileSostitutivo& file, const Tracciato& tracciato);
// The cell array (.dat): 15 bytes a cell.
void scrivi_celle(FileSostitutivo& file, const std::vector<cella>& celle);

}  // namespace compattatore
