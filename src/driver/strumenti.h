// The authors' inspection tools: `dump` decodes a compiled file to JSON, `plot` draws a
// compiled scenario as an SVG picture. Each returns the exit status (StatoUscita): 0 done,
// 2 a file name the tool does not recognise, 4 a file that cannot be read, does not decode
// or cannot be written; the reason goes to `err`.
#pragma once

#include <iosfwd>
#include <string>

namespace compattatore {

// Decodes `file` (recognised by its name: `*_linea.dat` track plan, `*.sim` scenario table,
// any other `*.dat` cells) and writes it as JSON to `out`.
int comando_dump(const std::string& file, std::ostream& out, std::ostream& err);

// Draws the scenario compiled as `sim` (`<scenario>_<train>.sim`, with `<scenario>_<train>.dat`
// and `<scenario>_linea.dat` beside it) into `output`; an empty `output` means `sim` with
// ".svg" in place of ".sim".
int comando_plot(const std::string& sim, const std::string& output, std::ostream& err);

}  // namespace compattatore
