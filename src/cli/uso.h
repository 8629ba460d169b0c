// Usage errors of the authors' commands. A fault on the command line is told in one line,
// followed by where the help is; a command or option that is not known is answered with the
// nearest one that is, when one is close enough to be a slip of the keyboard.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace compattatore {

// The candidate nearest to `parola`: one or two letters missing, extra, wrong or swapped
// (one for a short word), or `parola` the start of exactly one candidate. Empty when none
// is that close.
std::string piu_vicino(std::string_view parola, const std::vector<std::string>& candidati);

// Prints "compattatore: COMMAND: TEXT" and "Try 'compattatore COMMAND --help'" (without
// COMMAND when it is empty) and returns the usage status.
int errore_uso(std::ostream& err, std::string_view comando, std::string_view testo);

// A failed parse of `app` as a usage error (with a suggestion for an unknown command or
// option); help and version requests are printed to `out` and give status 0.
int esito_analisi(const CLI::App& app, const CLI::ParseError& e, std::ostream& out,
                  std::ostream& err);

// What is wrong with a scenario name or a train number (`cosa` says which), which become part
// of file names: a path separator or a control character. Empty when nothing is.
std::string difetto_nome(std::string_view cosa, std::string_view nome);

// The same as a check of an option's value: `--name` and `--train` are refused while the
// command line is read, before anything is opened.
CLI::Validator nome_per_file(std::string cosa);

}  // namespace compattatore
