// The authors' commands: compile a scenario of one's own, write the built-in sources as a
// starting point, and the inspection tools. The no-argument run is not here (esegui.cpp).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace compattatore {

struct OpzioniCompila {
    std::string file_linea;
    std::string file_treno;
    std::optional<std::string> nome;      // --name
    std::optional<std::string> numero;    // --train
    std::optional<std::string> uscita;    // --output
    std::optional<std::string> rapporto;  // --report
    bool senza_tracciato = false;         // --no-track-plan
    bool silenzioso = false;              // -q, --quiet
    bool rigoroso = false;                // --strict
    bool solo_controllo = false;          // `check`: no file is written
    bool parziale = false;                // --partial: after a source error, write anyway
    bool senza_attesa = false;            // --no-wait
};

// Scenario name and train number, as Windows-1252 bytes.
struct NomiScenario {
    std::string nome_scenario;
    std::string numero_treno;
};

// The names a compile uses: --name / --train when given, otherwise taken from the file names
// `NAME_linea.txt` and `NAME_NUMBER-.txt` (the directory part is not looked at). A name that
// is UTF-8 becomes Windows-1252. On failure returns nothing and puts what is expected into
// `errore`.
std::optional<NomiScenario> nomi_scenario(const OpzioniCompila& opzioni, std::string& errore);

// "-" as a source file: that source is read from standard input.
bool e_ingresso_standard(std::string_view file);

struct OpzioniSorgenti {
    bool forza = false;  // --force: replace source files already there
    bool utf8 = false;   // --utf8: UTF-8 with LF line ends in place of Windows-1252 with CR LF
    bool senza_attesa = false;  // --no-wait
};

// What a run says, once, when another run holds its folder.
std::string messaggio_attesa(const std::string& cartella);

// Each returns the exit status; messages go to `err`. `comando_compile` also serves `check`
// (opzioni.solo_controllo), which finds and reports the same and writes nothing.
int comando_compile(const OpzioniCompila& opzioni, std::ostream& err);
int comando_sources(const std::string& cartella, std::ostream& err,
                    const OpzioniSorgenti& opzioni = {});

// The command line without the program name; at least one argument.
int esegui_comandi(const std::vector<std::string>& argomenti, std::ostream& out, std::ostream& err);

}  // namespace compattatore
