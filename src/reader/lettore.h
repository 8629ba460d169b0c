// The scenario reader at work: one Lettore reads the line file and then the train file, field
// by field, into the scenario table (record_treno), the track cells (celle_percorso) and the
// track plan (tracciato), calling the record stores for mountain ranges, speed-limit boards,
// signals and slowdowns. Each source file is deleted once it has been read (when
// cancella_sorgenti).
//
// Every keyword field is offered, in a fixed order, to the record kinds of the part of the
// file being read (the tables of tipi_record). Each kind whose test the keyword passes reads
// its own fields, one after the other, so a keyword that passes several tests reads the
// fields of each in turn.
//
// Errors in the sources are left in codice_errore and posizione_errore; where a record is
// involved, the run's record (resoconto.lettore) says where its keyword stands. Any run-time
// failure (a field that is not a number or does not fit, a cell or a point of the track plan
// outside its array, a file that cannot be read) becomes code 25.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "core/arrotonda.h"
#include "core/cella.h"
#include "core/form1.h"
#include "reader/campi.h"

namespace compattatore {

class Lettore;

inline bool contiene(std::string_view testo, std::string_view parte) {
    return testo.find(parte) != std::string_view::npos;
}
// A multiple of `passo` as a zero remainder of integer division: negative multiples pass.
inline bool multiplo(int64_t valore, int64_t passo) {
    return valore % passo == 0;
}

// What a record kind tells the loop that offered it the keyword.
enum class Esito {
    avanti,      // go on with the next keyword
    fine_corpo,  // the body of the current file ends here (error 15)
    esci         // the reader returns: the file has been closed and deleted, the code set
};

// The part of the sources in which a record kind is recognised.
enum class Sezione {
    generale,  // the "[generale]" section of the line file
    linea,     // the body of the line file
    treno      // the body of the train file
};

// One record kind: its name, the test its keyword must pass, its fields in file order and the
// function that reads them.
struct TipoRecord {
    std::string_view nome;  // as authors know the record
    Sezione sezione;
    // The keyword contains both fragments (the second may be empty); letters compared as
    // written when `maiuscole`, else with capitals taken as small letters.
    std::string_view frammento_1;
    std::string_view frammento_2;
    bool maiuscole;
    // Recognised only when the track plan is built (a curve's numbers are otherwise read as
    // keywords of their own).
    bool solo_con_tracciato;
    std::span<const std::string_view> campi;
    Esito (Lettore::*leggi)();
};

// The record kinds of one part of the sources, in the order a keyword is offered to them.
std::span<const TipoRecord> tipi_record(Sezione sezione);

// `testo` (Windows-1252, as read) in single quotes and in UTF-8, for a message.
std::string citato(std::string_view testo);

// Where a field begins in its file: line and column from 1, 0 when no field is concerned.
struct Posto {
    int32_t riga = 0;
    int32_t colonna = 0;
};

// A value that fills the cells from where the previous record of its kind stopped: the next
// cell to receive it, the value in force and the field it was read from.
struct Riempimento {
    int64_t indice = 0;
    int64_t valore = 0;
    Posto dove;
};

// How a value in force goes into the cells: the cell's field, the record and field it comes
// from, the values a cell can take (in the record's own unit) and the byte a cell holds.
struct Misura {
    uint8_t cella::*campo;
    std::string_view record;
    std::string_view nome_campo;
    int64_t minimo;
    int64_t massimo;
    uint8_t (*in_cella)(int64_t);
};

// The gradient (per mille, stored + 100), the speed (km/h, stored / 5) and the adhesion (its
// low byte) in force, as the cells hold them.
inline uint8_t pendenza_in_cella(int64_t g) {
    return static_cast<uint8_t>(g + 100);
}
inline uint8_t velocita_in_cella(int64_t v) {
    return static_cast<uint8_t>(arrotonda(static_cast<double>(v) / 5.0));
}
inline constexpr Misura misura_pendenza{&cella::pendenza, "pendenza", "pendenza", -100, 155,
                                        pendenza_in_cella};
inline constexpr Misura misura_velocita{&cella::velocita, "velocita", "velocita", -2, 1277,
                                        velocita_in_cella};
inline constexpr Misura misura_aderenza{&cella::aderenza,
                                        "aderenza",
                                        "aderenza",
                                        std::numeric_limits<int64_t>::min(),
                                        std::numeric_limits<int64_t>::max(),
                                        basso_byte};

class Lettore {
  public:
    explicit Lettore(Form1& f) : f_(f) {}

    // The whole reading: the line file, the train file, then the progressives' check.
    void esegui();

    // ---- record kinds of "[generale]" (record_linea.cpp) --------------------------------
    Esito lunghezza_percorso();
    Esito progressiva_tre();
    Esito progressiva_due();
    Esito progressiva_uno();
    Esito sfondo_uno();
    Esito sfondo_due();
    Esito sfondo_tre();
    Esito ripetizione_segnali();

    // ---- record kinds of the line body (record_linea.cpp) --------------------------------
    Esito pendenza();
    Esito curva();
    Esito montagna();
    Esito indicatori_vmax();
    Esito cartello_indicatore();

    // ---- record kinds of the train body (record_treno.cpp) -------------------------------
    Esito massa_frenata();
    Esito numero_vetture();
    Esito velocita();
    Esito aderenza();
    Esito orologio();
    Esito sabbia();
    Esito segnale();
    Esito rallentamento();
    Esito abbattimento();
    Esito stazione();

  private:
    // ---- the two files (memorizza_dati.cpp) -------------------------------------------
    Esito leggi_linea();
    Esito leggi_generale();
    void prepara_corpo_linea();
    Esito leggi_treno();
    void controlla_progressive();
    // The end of "[generale]": a field with "[" and "]" that does not begin with a dash.
    bool fine_sezione() const;

    // ---- files and errors (lettore.cpp) ---------------------------------------------
    void apri(const std::string& percorso, const std::optional<std::string>& testo);
    bool fine() const { return campi_->fine(); }
    void chiudi_e_cancella();
    // Leaves `codice` (and the position, where the code has one) with the field concerned
    // and the cause in words (empty: the code's meaning).
    void imposta_errore(int32_t codice, std::optional<int32_t> posizione, Posto dove,
                        std::string testo);
    // Closes and deletes the open file and leaves the reader with `codice`.
    Esito esci(int32_t codice, std::optional<int32_t> posizione, Posto dove, std::string testo);
    // Whether a record at `posizione` lies beyond the cells: (p + margine) / 50 above
    // ultima_cella, exactly.
    bool oltre(int32_t posizione, int64_t margine) const;
    // A record whose field `campo` (a position) lies beyond the cells: the body of the file
    // ends, the file stays open.
    Esito oltre_le_celle(size_t campo, int32_t posizione, int64_t margine);
    // A store refused the current record at `posizione` (field 0), or an earlier error still
    // in force (`prima`) made it look so.
    Esito rifiuto_del_deposito(int32_t posizione, int32_t prima);
    // A run-time failure (code 25); `motivo` is the failure's own words, used when no cause
    // was given before it was thrown.
    void fallimento(std::string_view motivo);
    // The cause of a run-time failure, given just before it is thrown.
    void causa(Posto dove, std::string testo);
    // The cause of a failure for want of cells: no route length was read.
    void senza_lunghezza();
    cella& cella_in(int64_t indice);
    // The cell of field `campo` (a position) of the current record.
    cella& cella_del_campo(int64_t indice, size_t campo);

    // ---- keywords and fields (lettore.cpp) --------------------------------------------
    void leggi_chiave();
    bool ha_trattino() const;
    // The loop over the keywords of a body: two fields with a dash in a row are skipped.
    Esito leggi_corpo(Sezione sezione);
    // Offers the keyword to each record kind of `sezione` in order; each kind it passes
    // reads its fields. `riconosciuti_` then tells how many did.
    Esito offri(Sezione sezione);
    bool riconosce(const TipoRecord& tipo) const;
    // Whether the keyword passes the kind's test, whether or not the kind is read now.
    bool chiave_di(const TipoRecord& tipo) const;

    // The next field of the current record, as a whole number within [minimo, massimo], or
    // as text; each read names the field and remembers where it begins.
    int64_t leggi_numero(int64_t minimo, int64_t massimo);
    template <class T>
    T leggi() {
        return static_cast<T>(
            leggi_numero(std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
    }
    int32_t leggi_32() { return leggi<int32_t>(); }
    int16_t leggi_16() { return leggi<int16_t>(); }
    uint8_t leggi_byte() { return leggi<uint8_t>(); }
    void leggi_testo(std::string& testo);
    // The cause of a field that could not be read.
    [[noreturn]] void campo_illeggibile(const ErroreCampo& e, int32_t riga_prima);
    // "field 'NAME' of 'RECORD'", for field `campo` of the current record.
    std::string del_campo(size_t campo) const;
    std::string_view nome_record() const;
    Posto posto_campo(size_t campo) const { return posti_[campo]; }

    // Writes the value in force, as `m` turns it into a cell's byte, into the cells from the
    // fill index on: at least one cell, then on while the index is below `fino`. With
    // `fino_all_ultima` the fill stops once the index reaches ultima_cella.
    void riempi(Riempimento& r, const Misura& m, int64_t fino, bool fino_all_ultima = false);
    // A record of a value in force from its position (field 0) on: the value in force fills
    // the cells up to the record's cell, then the record's value (field 1) takes over.
    Esito valore_in_vigore(Riempimento& r, const Misura& m, bool fino_all_ultima);

    // ---- warnings (avvisi.cpp) ----------------------------------------------------------
    // What the reader passes over although an author most likely meant it, reported through
    // Form1::avvisa; the reading itself is never changed. A line warned about once is passed
    // over quietly for the rest of it.
    //
    // After a keyword is read: a field on the line of the record before it lies beyond that
    // record's fields (for a station, its name was cut at a comma).
    void controlla_oltre_il_record();
    // After a keyword has been offered to the record kinds: one that none took, that is no
    // written section header and no dash comment.
    void controlla_sconosciuta(Sezione sezione);
    // Whether some record kind of the section being read would take the keyword.
    bool preso_da_un_record() const;
    void avvisa(std::string_view tipo, std::string testo, bool con_posto = true);
    // A signal or a slowdown's start that the record just read put in `cella` (whose code is
    // then `codice`): the marker pass names the record when it cannot place a mark for it.
    void ricorda_origine(std::string_view record, int32_t posizione, int64_t cella, uint8_t codice);

    // ---- the track plan (cammina.cpp) -------------------------------------------------
    // Points k_ to `ultimo` of the track plan, each from the two before it: straight on, or
    // turned by c radians.
    void cammina(int64_t ultimo, double c, bool curvo);

    // ---- record helpers (record_linea.cpp, record_treno.cpp) -----------------------------
    void leggi_progressiva(voce_treno& voce);
    void dimensiona(int32_t lunghezza);
    // Where the route length was set, for errors about positions beyond it.
    std::string lunghezza_in_vigore() const;
    Esito cammina_curva(int32_t s, int32_t l, double c);
    void leggi_campi_stazione(voce_treno& e);
    void estensione_stazione(voce_treno& e, int32_t l);
    Esito segna_stazione(const voce_treno& e);
    Esito spazio_e_posto(const voce_treno& e);

    Form1& f_;
    std::optional<Campi> campi_;
    std::string linea_;
    std::string treno_;
    std::string file_;    // the file being read, or the last one
    std::string chiave_;  // the keyword, letters lower-cased
    Posto chiave_posto_;  // where the current record's keyword stands; 0 outside records
    const TipoRecord* record_ = nullptr;  // the record kind reading its fields, if any
    size_t campo_ = 0;                    // fields it has read
    std::array<Posto, 17> posti_{};       // where each of them begins
    int riconosciuti_ = 0;                // record kinds that took the last keyword offered
    // The cause of a run-time failure about to be thrown, and its field.
    std::string causa_;
    Posto posto_causa_;
    // The first kilometric progressive off the 50 m grid: its field and the cause.
    std::optional<std::pair<Posto, std::string>> primo_progressivo_errato_;
    // The route length as read, and its field in the line file.
    std::optional<int32_t> lunghezza_;
    Posto posto_lunghezza_;

    // The last record read: the line of its keyword (0 before the first of a file), the
    // names of the kinds that took it and how many fields they read, and whether it was a
    // station.
    struct RecordLetto {
        int32_t riga = 0;
        std::string nomi;
        size_t campi = 0;
        bool stazione = false;
    };
    RecordLetto ultimo_record_;
    Sezione sezione_ = Sezione::generale;  // the part of the file being read
    int32_t riga_avvisata_ = 0;            // the line of the last warning
    std::string nome_stazione_;            // the name the last station record read

    int32_t contatore_stazioni_ = voce_prima_stazione;
    int32_t contatore_cartelli_ = voce_primo_cartello;
    Riempimento pendenze_;
    Riempimento velocita_;
    Riempimento aderenze_;
    int64_t k_ = 2;  // next point of the track plan
};

}  // namespace compattatore
