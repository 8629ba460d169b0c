// The machine-readable account of a compile: what the reader reported, the records of the
// marker pass, the state after the pass, a fatal ending and the files written.
#pragma once

#include <string>

namespace compattatore {

class Form1;

// The report as JSON text (ends with a line feed).
std::string rapporto_json(const Form1& form);

// Writes the report to `percorso`, replacing it whole. Throws ErrorePiattaforma.
void scrivi_rapporto(const Form1& form, const std::string& percorso);

}  // namespace compattatore
