// The authors' inspection tools: `dump` decodes a compiled file to JSON, `plot` draws a
// compiled scenario as an SVG picture, `view` writes it as an interactive page. Each returns the
// exit status (StatoUscita): 0 done, 2 a file name the tool does not recognise, 4 a file that
// cannot be read, does not decode or cannot be written; the reason goes to `err`.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace compattatore {

// Decodes `file` (recognised by its name: `*_linea.dat` track plan, `*.sim` scenario table,
// any other `*.dat` cells) and writes it as JSON to `output` ("-" is `out`, standard output).
int comando_dump(const std::string& file, const std::string& output, std::ostream& out,
                 std::ostream& err);

// Draws the scenario compiled as `sim` (`<scenario>_<train>.sim`, with `<scenario>_<train>.dat`
// and `<scenario>_linea.dat` beside it) into `output` ("-" is `out`, standard output); an
// empty `output` means `sim` with ".svg" in place of ".sim".
int comando_plot(const std::string& sim, const std::string& output, std::ostream& out,
                 std::ostream& err);

// The same, drawing only the stretch `tratto` of the route; a stretch that does not lie
// inside the route is a usage error (status 2) and nothing is written.
struct TrattoDaDisegnare;
int comando_plot(const std::string& sim, const std::string& output, const TrattoDaDisegnare& tratto,
                 std::ostream& out, std::ostream& err);

// Writes the scenario compiled as `sim` as one HTML page into `output` ("-" is `out`,
// standard output); an empty `output` means `sim` with ".html" in place of ".sim".
int comando_view(const std::string& sim, const std::string& output, std::ostream& out,
                 std::ostream& err);

struct ScenarioDaDisegnare;

// What `plot` and `view` share: reads the scenario compiled as `sim` (with its cells and, when
// it is there, its track plan beside it) and writes what `disegna` makes of it into `output`,
// by default `sim` with `estensione_uscita` in place of ".sim". `comando` names the command in
// messages. When `difetto` says what is wrong with drawing this scenario as asked, that is
// told in one line as a usage error (status 2) and nothing is written.
int disegna_scenario(const char* comando, const std::string& sim, const std::string& output,
                     const char* estensione_uscita,
                     const std::function<std::string(const ScenarioDaDisegnare&)>& disegna,
                     std::ostream& out, std::ostream& err,
                     const std::function<std::string(const ScenarioDaDisegnare&)>& difetto = {});

// Inside a tool's catch handler, while `file` was being read as `cosa` ("a scenario table",
// ...): tells `err` why it failed and returns status 4. Failures other than a file that does
// not decode, cannot be read or written, is too large or does not fit in memory go on up.
int segnala_guasto(const std::string& file, const char* cosa, std::ostream& err);

}  // namespace compattatore
