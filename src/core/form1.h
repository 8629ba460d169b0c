// Form1: the one state object of a run. Every stage of the compactor is an operation of it,
// and the stages share its fields rather than passing data along. The operations are
// declared here, in core/, and defined across the subsystem folders:
//   driver/     Form_Load, errore, file names, reporting
//   writers/    dati_linea, dati_treno
//   documents/  dati_note, dati_rallentamenti, dati_scheda
//   reader/     memorizza_dati
//   track/      the stores, progressive_ordina, minimo, memorizza_percorso (marker pass,
//               reserved slots, binary files), codice_gara_og, codice_gara_st
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/cella.h"
#include "core/interfaccia.h"
#include "core/tracciato.h"
#include "core/voce_treno.h"

namespace compattatore {

class Sostituzioni;

// The source record that put a signal or a slowdown into the cells: its keyword as the
// author wrote it, its position in metres and where its keyword stands.
struct OrigineRecord {
    std::string record;  // "segnale" or "rallentamento"
    int32_t posizione = 0;
    std::string file;
    int32_t riga = 0;  // from 1
    int32_t colonna = 0;
    bool operator==(const OrigineRecord&) const = default;
};

// A place where the marker pass could not put a mark (codes 11, 12, 13), in metres, and the
// record it was placing marks for (the signal for 11, the slowdown for 12 and 13), when the
// reader stored one there.
struct Registrazione {
    int32_t codice = 0;
    int32_t posizione = 0;
    std::optional<OrigineRecord> origine = std::nullopt;
    bool operator==(const Registrazione&) const = default;
};

// Something in a source that the reader passes over although an author most likely meant
// it: a keyword that names no record, fields beyond a record's, a station name cut at a
// comma, a train file without "[generale]". A warning never changes what is written.
struct Avviso {
    std::string tipo;  // the kind, a short fixed name such as "unknown-keyword"
    std::string file;
    int32_t riga = 0;  // from 1; 0 when the warning is about the whole file
    int32_t colonna = 0;
    std::string testo;  // UTF-8
    bool operator==(const Avviso&) const = default;
};

// The reader's error as messages and reports tell it: the code and position it left, the
// file it was reading, the line and column (from 1) of the field concerned (0 when no field
// is) and the message in UTF-8: the cause in words, or, when the reader gave none, the
// code's meaning (filled in as the error is reported).
struct ErroreSorgente {
    int32_t codice = 0;
    int32_t posizione = 0;
    std::string file;
    int32_t riga = 0;
    int32_t colonna = 0;
    std::string messaggio;
};

// What a run found and did, for its messages, its report and its exit status.
struct Resoconto {
    ErroreSorgente lettore;  // the reader's error, as it stood after it
    // The reader's warnings, in the order found, and the cells of the signals and the
    // slowdowns' starts with the records that stored them.
    std::vector<Avviso> avvisi;
    std::map<int32_t, OrigineRecord> origini;
    // Every record of the marker pass, and the lines printed for them: the same line is
    // printed once.
    std::vector<Registrazione> registrazioni;
    std::set<std::string> righe_registrazioni;
    int32_t fatale = 0;                // the fatal ending (1250, 1251); 0 if none
    std::vector<std::string> scritti;  // the files written, in order
    int stato = 0;                     // exit status so far: 0, or 1 after a reader error

    // The warnings of the run: the reader's and the distinct lines of the marker pass.
    size_t numero_avvisi() const { return avvisi.size() + righe_registrazioni.size(); }
    // Clears what the compactor finds, as it starts. The files written stay listed: the
    // no-argument run writes its text files before the compactor starts.
    void nuovo_compattamento() {
        lettore = {};
        avvisi.clear();
        origini.clear();
        registrazioni.clear();
        righe_registrazioni.clear();
        fatale = 0;
        stato = 0;
    }
};

class Form1 {
  public:
    // ---- driver ---------------------------------------------------------------------
    std::string nome_scenario;  // Windows-1252 bytes
    std::string numero_treno;
    // The directory that holds the program; the five text files are written here.
    std::string cartella_programma = ".";
    // Where the binary files go; empty means cartella_programma.
    std::string cartella_uscita;
    // The two source files the reader reads; empty means the built-in names in
    // cartella_programma. When testo_linea / testo_treno hold bytes, the reader reads those
    // bytes in place of the file (the name then only serves messages and existence).
    std::string file_linea;
    std::string file_treno;
    std::optional<std::string> testo_linea;
    std::optional<std::string> testo_treno;
    // The built-in run deletes the sources after reading them; an author's files are kept.
    bool cancella_sorgenti = true;

    // Where the outputs wait, complete, to be named together at the end of the run; null
    // means each file takes its name as soon as it is complete.
    Sostituzioni* uscite = nullptr;

    Interfaccia* interfaccia = nullptr;  // never null during a run
    std::ostream* messaggi = nullptr;    // warnings and error reports; null means std::cerr
    // Warnings are kept and counted but not printed (--quiet).
    bool silenzioso = false;
    // Everything but the binary files (`check`): the compactor runs to its end and writes
    // nothing.
    bool senza_file_binari = false;

    // The whole no-argument run. Returns the exit status (0 or 1); throws ErroreFatale
    // after `errore` (the documents are named), ErrorePiattaforma when a file cannot be
    // written (no output is replaced).
    int Form_Load();
    // Shows " Errore n. " followed by `a` and ends the run (throws ErroreFatale).
    [[noreturn]] void errore(const std::string& a);

    // cartella + the system's separator ("/", "\" on Windows) + name, without looking at how
    // the directory ends; the name, in Windows-1252, as the system spells it.
    static std::string unisci(const std::string& cartella, std::string_view nome);
    std::string percorso_programma(std::string_view nome) const;
    std::string percorso_uscita(std::string_view nome) const;
    std::string percorso_linea() const;  // file_linea or the built-in name
    std::string percorso_treno() const;  // file_treno or the built-in name

    // Replaces a text file in cartella_programma with the lines of a table ended by the
    // end marker (a table without it stops at its end). With `uscite` the file waits there.
    void scrivi_testo(std::string_view nome, const char* const* righe, size_t quante);

    // ---- writers and documents --------------------------------------------------------
    void dati_linea();
    void dati_treno();
    void dati_note();
    void dati_rallentamenti();
    void dati_scheda();

    // ---- reader -------------------------------------------------------------------------
    std::string campo_letto;
    std::array<voce_treno, voci_record_treno> record_treno{};
    Tracciato tracciato;
    std::vector<cella> celle_percorso;  // empty until the line length is read
    int32_t ultima_cella = 0;
    int32_t calcola_tracciato = 0;
    int32_t codice_errore = 0;
    int32_t posizione_errore = 0;

    void memorizza_dati();

    // Keeps and prints a warning.
    void avvisa(Avviso a);

    // ---- track ------------------------------------------------------------------------
    int32_t numero_montagne = 0;
    std::array<int32_t, 81> inizio_montagne{};
    std::array<int32_t, 81> fine_montagne{};

    void memo_montagna(int32_t& inizio, int32_t& fine, int32_t& tipo);
    void memo_rallentamento(int32_t inizio, int16_t& v, int32_t& l, int16_t& f_tt, int32_t f_ta,
                            int32_t& d_v);
    void memo_segnale(int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2, int32_t& s3,
                      int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3,
                      int32_t& tempo);
    void memo_indicatori_v_max(int32_t posizione, int32_t& vas, int32_t& vbs, int32_t& vcs,
                               int16_t& strisces, int32_t& vad, int32_t& vbd, int32_t& vcd,
                               int16_t& strisced);
    void progressive_ordina();
    template <class X, class Y>
    static auto minimo(const X& x, const Y& y) {
        using R = decltype(x + y);
        return (x > y) ? static_cast<R>(y) : static_cast<R>(x);
    }

    // The compactor: reader, marker pass, reserved slots, codes, binary files.
    void memorizza_percorso(int32_t& j);
    // Its stages after the reader, each usable on its own: the marker pass over the cells,
    // the reserved slots with the two codes (may end in `errore`), the binary files.
    void passo_marcatori();
    void riempi_slot_riservati();
    void scrivi_file_binari();
    int16_t codice_gara_og();
    int32_t codice_gara_st();

    // What the run found and did. The reader fills in where and why it set codice_errore
    // and its warnings; the compactor the rest.
    Resoconto resoconto;

    // Names every complete file of `insieme` (Sostituzioni::conferma) and adds their names
    // to `scritti`, those named before a failure included.
    void conferma_uscite(Sostituzioni& insieme);

    // Reports the reader's error (file, line and column, number and message) and a
    // marker-pass record as a warning.
    void segnala_errore_lettore();
    void segnala_registrazione(const Registrazione& r);
    std::ostream& uscita_messaggi();
};

}  // namespace compattatore
