#include "cli/comandi.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <sstream>
#include <string_view>
#include <tuple>
#include <utility>

#include "cli/incorporato.h"
#include "cli/uso.h"
#include "core/errori.h"
#include "core/form1.h"
#include "core/interfaccia.h"
#include "core/testo.h"
#include "core/utf8.h"
#include "platform/blocco_cartella.h"
#include "platform/file.h"
#include "platform/file_letto.h"
#include "platform/file_sostitutivo.h"
#include "platform/percorso.h"
#include "tools/plot_svg.h"
#include "tools/rapporto.h"
#include "tools/strumenti.h"

#ifndef COMPATTATORE_VERSION
#define COMPATTATORE_VERSION "0"
#endif

namespace compattatore {

namespace {

constexpr std::string_view suffisso_linea = "_linea.txt";
constexpr std::string_view suffisso_treno = "-.txt";
// How messages name a source read from standard input.
constexpr std::string_view nome_ingresso = "<stdin>";

// A name as the scenario table holds it: UTF-8 becomes Windows-1252, other bytes stay.
bool in_windows1252(std::string& nome) {
    auto c = da_utf8(nome);
    if (c.esito == ConversioneUtf8::Esito::senza_forma) return false;
    if (c.esito == ConversioneUtf8::Esito::convertito) nome = std::move(c.testo);
    return true;
}

std::string esadecimale(char32_t c) {
    std::ostringstream s;
    s << "U+" << std::uppercase << std::hex;
    s.width(4);
    s.fill('0');
    s << static_cast<uint32_t>(c);
    return s.str();
}

// The largest source file read: the line file of the largest scenario the compactor takes
// (1000 km with an item in every cell it can hold) is under 300 KB, so a bigger file is not
// a source, and a device or an endless pipe given by mistake ends at once.
constexpr uint64_t massimo_sorgente = uint64_t{64} << 20;

// Reads a source file that an author may have saved as UTF-8 and hands its Windows-1252 form
// to the reader, so each source is read from disk once. A file that cannot be read is a
// failure of the platform (status 4, with the system's reason), found before anything is
// written: an author's earlier output is never replaced by a compile of half the scenario.
// A character with no Windows-1252 form is an error in the source (status 1).
int prepara_sorgente(const std::string& file, std::optional<std::string>& testo,
                     std::ostream& err) {
    std::string byte;
    const bool standard = e_ingresso_standard(file);
    const std::string percorso = standard ? std::string(nome_ingresso) : file;
    try {
        byte = standard ? leggi_ingresso_standard(massimo_sorgente)
                        : leggi_file(file, Accetta::solo_regolare, massimo_sorgente);
    } catch (const ErrorePiattaforma& e) {
        err << "compattatore: " << e.what() << '\n';
        return uscita_piattaforma;
    }
    const bool utf16 = ha_bom_utf16(byte);
    auto c = utf16 ? da_utf16(byte) : da_utf8(byte);
    switch (c.esito) {
        case ConversioneUtf8::Esito::invariato:
            testo = std::move(byte);
            return uscita_ok;
        case ConversioneUtf8::Esito::convertito:
            testo = std::move(c.testo);
            return uscita_ok;
        case ConversioneUtf8::Esito::senza_forma:
            err << "compattatore:" << percorso << ':' << c.riga << ':' << c.colonna
                << ": error: the character " << esadecimale(c.carattere)
                << " has no Windows-1252 form; the file is read as "
                << (utf16 ? "UTF-16 because it begins with a byte-order mark\n"
                          : "UTF-8 because it is valid UTF-8\n");
            break;
        case ConversioneUtf8::Esito::non_valido:
            err << "compattatore:" << percorso << ':' << c.riga << ':' << c.colonna
                << ": error: the file begins with a UTF-16 byte-order mark but is not UTF-16 "
                << (c.carattere != 0 ? "here: the code unit " + esadecimale(c.carattere) +
                                           " is an unpaired surrogate\n"
                                     : "here: it ends in the middle of a character\n");
            break;
    }
    return uscita_sorgenti;
}

// A kilometre of the route as an option gives it: a plain decimal number, not below zero.
std::optional<double> chilometro(const std::string& testo) {
    double km = 0;
    const char* fine = testo.data() + testo.size();
    const auto r = std::from_chars(testo.data(), fine, km, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != fine || !std::isfinite(km) || km < 0) return std::nullopt;
    return km;
}

}  // namespace

constexpr const char* testo_versione =
    "compattatore " COMPATTATORE_VERSION
    "\n"
    "Copyright (C) 2026 the compattatore authors\n"
    "License: MIT (the file LICENSE; installed as /usr/share/doc/compattatore/copyright).\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.";

bool e_ingresso_standard(std::string_view file) {
    return file == "-";
}

std::optional<NomiScenario> nomi_scenario(const OpzioniCompila& o, std::string& errore) {
    NomiScenario n;
    if (e_ingresso_standard(o.file_linea) && e_ingresso_standard(o.file_treno)) {
        errore = "only one of LINE_FILE and TRAIN_FILE can be read from standard input";
        return std::nullopt;
    }
    if (o.nome) {
        n.nome_scenario = *o.nome;
    } else {
        const std::string f = nome_file(o.file_linea);
        if (e_ingresso_standard(f)) {
            errore = "the line file comes from standard input: give the scenario name with --name";
            return std::nullopt;
        }
        if (!finisce_con(f, suffisso_linea)) {
            errore = "cannot take the scenario name from '" + f +
                     "': expected a line file named NAME_linea.txt, or --name NAME";
            return std::nullopt;
        }
        n.nome_scenario = f.substr(0, f.size() - suffisso_linea.size());
    }
    if (o.numero) {
        n.numero_treno = *o.numero;
    } else {
        // NUMBER is what stands between NAME_ and -.txt; a train file not named after the
        // scenario gives what follows its last '_'.
        const std::string f = nome_file(o.file_treno);
        if (e_ingresso_standard(f)) {
            errore = "the train file comes from standard input: give the train number with --train";
            return std::nullopt;
        }
        const std::string prefisso = n.nome_scenario + "_";
        const auto trattino = f.size() - suffisso_treno.size();
        auto sottolineato = std::string::npos;
        if (finisce_con(f, suffisso_treno)) {
            sottolineato = f.size() >= prefisso.size() + suffisso_treno.size() &&
                                   f.compare(0, prefisso.size(), prefisso) == 0
                               ? prefisso.size() - 1
                               : f.rfind('_', trattino);
        }
        if (sottolineato == std::string::npos) {
            errore = "cannot take the train number from '" + f +
                     "': expected a train file named NAME_NUMBER-.txt, or --train NUMBER";
            return std::nullopt;
        }
        n.numero_treno = f.substr(sottolineato + 1, trattino - sottolineato - 1);
    }
    // Both become part of every file name; one taken from a file name is checked as well.
    errore = difetto_nome("scenario name", n.nome_scenario);
    if (errore.empty()) errore = difetto_nome("train number", n.numero_treno);
    if (!errore.empty()) return std::nullopt;
    if (!in_windows1252(n.nome_scenario)) {
        errore = "the scenario name has a character with no Windows-1252 form";
        return std::nullopt;
    }
    if (!in_windows1252(n.numero_treno)) {
        errore = "the train number has a character with no Windows-1252 form";
        return std::nullopt;
    }
    return n;
}

int comando_compile(const OpzioniCompila& o, std::ostream& err) {
    std::string errore;
    const auto nomi = nomi_scenario(o, errore);
    if (!nomi) return errore_uso(err, o.solo_controllo ? "check" : "compile", errore);

    InterfacciaMuta muta;
    Form1 form;
    form.interfaccia = &muta;
    form.messaggi = &err;
    form.silenzioso = o.silenzioso;
    form.senza_file_binari = o.solo_controllo;
    form.nome_scenario = nomi->nome_scenario;
    form.numero_treno = nomi->numero_treno;
    // The reader names a source in its messages; one from standard input is read here and
    // handed over as text, so the name is never opened.
    form.file_linea = e_ingresso_standard(o.file_linea) ? nome_ingresso : o.file_linea;
    form.file_treno = e_ingresso_standard(o.file_treno) ? nome_ingresso : o.file_treno;
    form.cancella_sorgenti = false;
    // An empty --output is the current directory, not the root.
    form.cartella_programma =
        o.uscita ? (o.uscita->empty() ? "." : *o.uscita) : cartella_di(o.file_linea);
    form.cartella_uscita = form.cartella_programma;
    // No output may fall on a source, whatever names lead there.
    std::vector<std::string> uscite;
    if (!o.senza_tracciato && !o.solo_controllo)
        uscite.push_back(form.percorso_uscita(form.nome_scenario + "_linea.dat"));
    if (!o.solo_controllo) {
        uscite.push_back(
            form.percorso_uscita(form.nome_scenario + "_" + form.numero_treno + ".sim"));
        uscite.push_back(
            form.percorso_uscita(form.nome_scenario + "_" + form.numero_treno + ".dat"));
        if (o.rapporto) uscite.push_back(*o.rapporto);
    }
    for (const auto& uscita : uscite) {
        for (const auto* sorgente : {&o.file_linea, &o.file_treno}) {
            if (scriverebbe_su(uscita, *sorgente)) {
                err << "compattatore: compile: the output " << uscita << " is the source "
                    << *sorgente << ", which is never written over\n";
                return uscita_uso;
            }
        }
    }
    if (o.uscita && !o.solo_controllo) {
        std::string motivo;
        if (!crea_cartelle(form.cartella_uscita, motivo)) {
            err << "compattatore: " << form.cartella_uscita << ": " << motivo << '\n';
            return uscita_piattaforma;
        }
    }
    std::optional<BloccoCartella> blocco;
    try {
        if (!o.solo_controllo) {
            blocco.emplace(form.cartella_uscita, !o.senza_attesa, [&] {
                err << "compattatore: " << messaggio_attesa(form.cartella_uscita) << '\n';
            });
        }
    } catch (const ErrorePiattaforma& e) {
        err << "compattatore: " << e.what() << '\n';
        return uscita_piattaforma;
    }
    for (const auto& [percorso, testo] : {std::pair{&o.file_linea, &form.testo_linea},
                                          std::pair{&o.file_treno, &form.testo_treno}}) {
        if (const int s = prepara_sorgente(*percorso, *testo, err); s != uscita_ok) return s;
    }

    int stato;
    Sostituzioni prodotti;
    form.uscite = &prodotti;
    try {
        int32_t j = o.senza_tracciato ? 0 : 1;
        form.memorizza_percorso(j);
        stato = form.resoconto.stato;
        form.uscite = nullptr;
        // A source error (or a warning, with --strict) keeps the last good build, unless the
        // author asks for what could be read.
        const bool fallita =
            stato != uscita_ok || (o.rigoroso && form.resoconto.numero_avvisi() > 0);
        if (!fallita || o.parziale) form.conferma_uscite(prodotti);
    } catch (const ErroreFatale& e) {
        err << "compattatore:" << e.what() << '\n';
        stato = uscita_fatale;
    } catch (const ErrorePiattaforma& e) {
        err << "compattatore: " << e.what() << '\n';
        stato = uscita_piattaforma;
    } catch (const std::bad_alloc&) {
        err << "compattatore: out of memory\n";
        stato = uscita_piattaforma;
    } catch (const std::exception& e) {
        err << "compattatore: " << e.what() << '\n';
        stato = uscita_piattaforma;
    }
    form.uscite = nullptr;
    prodotti.abbandona();

    // Every warning was printed as it was found; the count closes the run, and --strict
    // makes a run with warnings fail like one with an error in the sources.
    const size_t avvisi = form.resoconto.numero_avvisi();
    if (avvisi > 0 && !o.silenzioso) {
        err << "compattatore: " << avvisi << (avvisi == 1 ? " warning\n" : " warnings\n");
    }
    if (avvisi > 0 && o.rigoroso && stato == uscita_ok) stato = uscita_sorgenti;

    // The report tells every ending in which the reader ran, a fatal one included.
    if (o.rapporto && !o.solo_controllo) {
        try {
            scrivi_rapporto(form, *o.rapporto);
        } catch (const ErrorePiattaforma& e) {
            err << "compattatore: " << e.what() << '\n';
            stato = uscita_piattaforma;
        }
    }
    return stato;
}

int comando_sources(const std::string& cartella_data, std::ostream& err, const OpzioniSorgenti& o) {
    const std::string cartella = cartella_data.empty() ? "." : cartella_data;
    std::string motivo;
    if (!crea_cartelle(cartella, motivo)) {
        err << "compattatore: " << cartella << ": " << motivo << '\n';
        return uscita_piattaforma;
    }
    InterfacciaMuta muta;
    Form1 form;
    form.interfaccia = &muta;
    form.messaggi = &err;
    form.cartella_programma = cartella;
    form.nome_scenario = "VALCRESTINA_TORVE";
    form.numero_treno = "325";
    const std::string sorgenti[] = {form.percorso_linea(), form.percorso_treno()};
    try {
        const BloccoCartella blocco(cartella, !o.senza_attesa, [&] {
            err << "compattatore: " << messaggio_attesa(cartella) << '\n';
        });
        // An author edits these files: none is replaced unless asked, and nothing is written
        // when either is there.
        if (!o.forza) {
            bool presente = false;
            for (const auto& f : sorgenti) {
                const StatoFile stato = stato_file(f);
                if (stato == StatoFile::assente) continue;
                err << "compattatore: sources: " << f
                    << (stato == StatoFile::presente ? " already exists"
                                                     : ": cannot tell whether it exists")
                    << " (--force replaces it)\n";
                presente = true;
            }
            if (presente) return uscita_piattaforma;
        }
        Sostituzioni scritte;
        form.uscite = &scritte;
        form.dati_linea();
        form.dati_treno();
        form.uscite = nullptr;
        if (!o.utf8) {
            form.conferma_uscite(scritte);
            return uscita_ok;
        }
        // For editors that expect UTF-8 with bare line feeds; compile reads it back to the same
        // bytes.
        Sostituzioni in_utf8;
        for (size_t k = 0; k < scritte.quanti(); ++k) {
            const std::string testo = a_utf8(scritte.file(k).leggi_tutto());
            FileSostitutivo& file = in_utf8.nuovo(sorgenti[k], nome_file(sorgenti[k]));
            for (size_t i = 0; i < testo.size(); ++i) {
                if (testo[i] == '\r' && i + 1 < testo.size() && testo[i + 1] == '\n') continue;
                file.scrivi_byte(static_cast<uint8_t>(testo[i]));
            }
            file.completa();
        }
        form.conferma_uscite(in_utf8);
    } catch (const ErrorePiattaforma& e) {
        err << "compattatore: " << e.what() << '\n';
        return uscita_piattaforma;
    }
    return uscita_ok;
}

std::string messaggio_attesa(const std::string& cartella) {
    return "waiting for another run in " + cartella + " to finish";
}

int esegui_comandi(const std::vector<std::string>& argomenti, std::ostream& out,
                   std::ostream& err) {
    CLI::App app(
        "Compacts a train-driving scenario into the files the simulator loads.\n"
        "Run without arguments, it writes the built-in scenario's source files and documents\n"
        "next to the program and compiles them there. The commands let authors compile their\n"
        "own scenarios and look at the result.",
        "compattatore");
    // Options are "--name" on every system: an argument that begins with '/' is a path (on
    // Windows, from the root of the drive), never an option, and the commands inherit that.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", testo_versione);
    app.require_subcommand(1);
    app.footer(
        "Each command describes itself: compattatore COMMAND --help\n"
        "The line and train source files are described in: man 5 compattatore\n"
        "\n"
        "Exit status:\n"
        "  0  success (warnings allowed)\n"
        "  1  the scenario's source files had an error (reported; compile then\n"
        "     replaces no file unless --partial, the no-argument run writes what\n"
        "     could be written), or --strict and a warning\n"
        "  2  usage error\n"
        "  3  fatal error 1250 or 1251 (no binary file written)\n"
        "  4  a file could not be read or written");

    // compile and check read the same sources with the same options; check writes nothing.
    struct Lettura {
        OpzioniCompila opzioni;
        std::string nome;
        std::string numero;
        CLI::Option* opzione_nome = nullptr;
        CLI::Option* opzione_numero = nullptr;
        CLI::App* comando = nullptr;
    };
    const auto opzioni_lettura = [](CLI::App* a, Lettura& l) {
        l.comando = a;
        a->add_option("LINE_FILE", l.opzioni.file_linea,
                      "Line source file, NAME_linea.txt, or - for standard\n"
                      "input (the scenario name must then be given)")
            ->required();
        a->add_option("TRAIN_FILE", l.opzioni.file_treno,
                      "Train source file, NAME_NUMBER-.txt, or - for standard\n"
                      "input (the train number must then be given)")
            ->required();
        l.opzione_nome = a->add_option("--name", l.nome, "Scenario name (default: from LINE_FILE)")
                             ->type_name("NAME")
                             ->check(nome_per_file("scenario name"));
        l.opzione_numero =
            a->add_option("--train", l.numero, "Train number (default: from TRAIN_FILE)")
                ->type_name("NUMBER")
                ->check(nome_per_file("train number"));
        a->add_flag("--no-track-plan", l.opzioni.senza_tracciato,
                    "Build no track plan: no NAME_linea.dat, and curve\n"
                    "records are not read as records");
        a->add_flag("-q,--quiet", l.opzioni.silenzioso,
                    "Print no warnings (--strict still counts them)");
        a->add_flag("--strict", l.opzioni.rigoroso, "End with status 1 when there is a warning");
    };
    constexpr const char* sorgenti_lette =
        "A source is a regular file of at most 64 MiB, or - for standard input.\n"
        "A source that is valid UTF-8, or UTF-16 with a byte-order mark, is converted to\n"
        "Windows-1252 (a character with no Windows-1252 form is an error); any other is read\n"
        "as Windows-1252. What the reader passes over although it looks meant (a keyword\n"
        "that names no record, fields beyond a record's, a station name cut at a comma, a\n"
        "train file without [generale]) is a warning: FILE:LINE:COL: warning: TEXT.\n"
        "NUMBER is what stands between NAME_ and -.txt in the name of TRAIN_FILE; a train\n"
        "file whose name does not begin with NAME_ gives what follows its last '_'.";

    Lettura compila;
    std::string uscita;
    std::string rapporto;
    auto* c = app.add_subcommand("compile", "Compile an author's line and train source files");
    c->footer(std::string("Writes NAME_linea.dat (the track plan), NAME_NUMBER.sim (the scenario "
                          "table) and\nNAME_NUMBER.dat (the track cells). The source files are "
                          "read, never changed or\ndeleted. ") +
              sorgenti_lette +
              "\nNUMBER is what stands between NAME_ and -.txt in the name of TRAIN_FILE; a "
              "train\nfile whose name does not begin with NAME_ gives what follows its last "
              "'_'.\nThe source format, record by record, and every error: man 5 compattatore");
    opzioni_lettura(c, compila);
    auto* opzione_uscita = c->add_option("--output", uscita,
                                         "Directory for the binary files, created when\n"
                                         "missing (default: the directory of LINE_FILE)")
                               ->type_name("DIR");
    auto* opzione_rapporto =
        c->add_option("--report", rapporto, "Write a JSON report of the run to FILE")
            ->type_name("FILE");
    c->add_flag("--partial", compila.opzioni.parziale,
                "After an error in the sources, write what could be\n"
                "read (by default the earlier files are kept)");
    c->add_flag("--no-wait", compila.opzioni.senza_attesa,
                "When another run works in the output directory, end at\n"
                "once with status 4 instead of waiting for it");

    Lettura controlla;
    controlla.opzioni.solo_controllo = true;
    auto* k = app.add_subcommand("check", "Check an author's source files without writing a file");
    k->footer(std::string("Reports everything compile finds (errors, warnings, the places where "
                          "no mark fits,\na fatal ending) and ends with the status compile "
                          "would; writes no file. ") +
              sorgenti_lette);
    opzioni_lettura(k, controlla);

    std::string cartella_run = ".";
    auto* r = app.add_subcommand("run", "Run the built-in scenario in a directory");
    r->footer(
        "Does exactly what the program does when run without arguments, in DIR instead of\n"
        "beside the program: writes the built-in sources and the three documents, reads the\n"
        "sources back, deletes them and writes the three binary files. DIR is created when\n"
        "missing.");
    r->add_option("DIR", cartella_run, "Directory to run in (default: the current one)");

    std::string cartella_sorgenti;
    OpzioniSorgenti sorgenti;
    auto* s = app.add_subcommand("sources", "Write the built-in source files into a directory");
    s->footer(
        "Writes VALCRESTINA_TORVE_linea.txt and VALCRESTINA_TORVE_325-.txt, a starting point\n"
        "for a scenario of your own. The directory is created when missing; files already\n"
        "there are left alone (nothing is written) unless --force is given.");
    s->add_option("DIR", cartella_sorgenti, "Directory to write into")->required();
    s->add_flag("--force", sorgenti.forza, "Replace source files that are already there");
    s->add_flag("--utf8", sorgenti.utf8,
                "Write the files as UTF-8 with LF line ends (default:\n"
                "Windows-1252 with CR LF, as the built-in run does)");
    s->add_flag("--no-wait", sorgenti.senza_attesa,
                "When another run works in DIR, end at once with status 4");

    std::string file_dump;
    std::string json_dump = "-";
    auto* d = app.add_subcommand("dump", "Decode a compiled file to JSON");
    d->footer(
        "FILE is recognised by its name: NAME_linea.dat (track plan), NAME_NUMBER.sim\n"
        "(scenario table), any other .dat (track cells).");
    d->add_option("FILE", file_dump, "Compiled file")->required();
    d->add_option("-o,--output", json_dump, "JSON file to write; - is standard output (default)")
        ->type_name("FILE");

    std::string file_sim;
    std::string file_svg;
    auto* p = app.add_subcommand("plot", "Draw a compiled scenario as an SVG picture");
    p->footer(
        "Draws a legend, the route with its stations, signals, slowdowns and boards, and below\n"
        "it the profiles along the route, on a page 1600 pixels wide; a stretch longer than\n"
        "60 km as an overview and detail strips of 50 km. KM counts kilometres from the start\n"
        "of the route. NAME_NUMBER.dat and NAME_linea.dat must lie beside SIM_FILE.");
    p->add_option("SIM_FILE", file_sim, "Scenario table, NAME_NUMBER.sim")->required();
    p->add_option("-o,--output", file_svg,
                  "Picture to write; - is standard output\n"
                  "(default: SIM_FILE with .svg)")
        ->type_name("SVG");
    std::string da_km, a_km;
    auto* opzione_da =
        p->add_option("--from", da_km, "Draw the route from this kilometre")->type_name("KM");
    auto* opzione_a =
        p->add_option("--to", a_km, "Draw the route up to this kilometre")->type_name("KM");

    std::string file_sim_vista;
    std::string file_html;
    auto* v = app.add_subcommand("view", "Write a compiled scenario as an interactive page");
    v->footer(
        "Writes one HTML file that any browser opens, with no connection: the route, the\n"
        "profiles along it, every item as a layer, the timetable, and each cell's values.\n"
        "NAME_NUMBER.dat and NAME_linea.dat must lie beside SIM_FILE; without the track plan\n"
        "the page shows the profiles only.");
    v->add_option("SIM_FILE", file_sim_vista, "Scenario table, NAME_NUMBER.sim")->required();
    v->add_option("-o,--output", file_html,
                  "Page to write; - is standard output\n"
                  "(default: SIM_FILE with .html)")
        ->type_name("HTML");

    std::vector<const char*> argv{"compattatore"};
    for (const auto& a : argomenti) argv.push_back(a.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        return esito_analisi(app, e, out, err);
    }

    for (Lettura* l : {&compila, &controlla}) {
        if (!l->comando->parsed()) continue;
        if (l->opzione_nome->count()) l->opzioni.nome = l->nome;
        if (l->opzione_numero->count()) l->opzioni.numero = l->numero;
        if (l == &compila && opzione_uscita->count()) l->opzioni.uscita = uscita;
        if (l == &compila && opzione_rapporto->count()) l->opzioni.rapporto = rapporto;
        return comando_compile(l->opzioni, err);
    }
    if (r->parsed()) return esegui_incorporato(cartella_run.empty() ? "." : cartella_run, false);
    if (s->parsed()) return comando_sources(cartella_sorgenti, err, sorgenti);
    if (d->parsed()) return comando_dump(file_dump, json_dump, out, err);
    if (v->parsed()) return comando_view(file_sim_vista, file_html, out, err);
    TrattoDaDisegnare tratto;
    for (const auto& [opzione, testo, km] : {std::tuple{opzione_da, &da_km, &tratto.da_km},
                                             std::tuple{opzione_a, &a_km, &tratto.a_km}}) {
        if (opzione->count() == 0) continue;
        *km = chilometro(*testo);
        if (!*km) {
            return errore_uso(err, "plot",
                              opzione->get_name() + ": '" + *testo +
                                  "' is not a kilometre of the route (a number, 0 or more)");
        }
    }
    if (tratto.a_km && !(*tratto.a_km > tratto.da_km.value_or(0))) {
        return errore_uso(err, "plot",
                          tratto.da_km ? "--to " + a_km + " must lie beyond --from " + da_km
                                       : std::string("--to must lie beyond kilometre 0"));
    }
    return comando_plot(file_sim, file_svg, tratto, out, err);
}

}  // namespace compattatore
