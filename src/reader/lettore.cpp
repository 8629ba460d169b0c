// The reader's machinery: the tables of record kinds, the loop that offers each keyword to
// them, the files, the errors and the fills of the cells.
#include "reader/lettore.h"

#include "core/arrotonda.h"
#include "core/errori.h"
#include "platform/file.h"

namespace compattatore {

namespace {

// ---- the record kinds ---------------------------------------------------------------------
// Their fields, named as the format's reference names them, in the order they are read.

constexpr std::string_view campi_lunghezza[] = {"lunghezza"};
constexpr std::string_view campi_progressiva[] = {"inizio", "fine", "valore"};
constexpr std::string_view campi_sfondo[] = {"valore"};
constexpr std::string_view campi_ripetizione[] = {"inizio", "fine"};

constexpr std::string_view campi_pendenza[] = {"posizione", "pendenza"};
constexpr std::string_view campi_curva[] = {"inizio", "lunghezza"};
constexpr std::string_view campi_montagna[] = {"inizio", "fine", "tipo"};
constexpr std::string_view campi_indicatori[] = {"posizione", "vas", "vbs", "vcs",     "strisces",
                                                 "vad",       "vbd", "vcd", "strisced"};
constexpr std::string_view campi_cartello[] = {"posizione", "testo"};

constexpr std::string_view campi_massa[] = {"percentuale"};
constexpr std::string_view campi_vetture[] = {"vetture"};
constexpr std::string_view campi_velocita[] = {"posizione", "velocita"};
constexpr std::string_view campi_aderenza[] = {"posizione", "aderenza"};
constexpr std::string_view campi_orologio[] = {"ore", "minuti", "secondi"};
constexpr std::string_view campi_sabbia[] = {"sabbia"};
constexpr std::string_view campi_segnale[] = {"posizione", "sx", "s1", "s2", "s3",   "rapp",
                                              "dx",        "d1", "d2", "d3", "tempo"};
constexpr std::string_view campi_rallentamento[] = {"inizio", "v", "l", "f_tt", "f_ta", "d_v"};
constexpr std::string_view campi_abbattimento[] = {"posizione", "valore"};
constexpr std::string_view campi_stazione[] = {
    "posizione", "tipo", "lunghezza", "opzione_1", "opzione_2", "opzione_3", "a1",      "a2",  "a3",
    "b1",        "b2",   "b3",        "sosta",     "ore",       "minuti",    "secondi", "nome"};

using L = Lettore;
constexpr Sezione G = Sezione::generale;
constexpr Sezione C = Sezione::linea;
constexpr Sezione T = Sezione::treno;

// "[generale]": the route length in any letter case, the others as written.
const TipoRecord tipi_generale[] = {
    {"lunghezza percorso", G, "lunghezza", "percorso", false, false, campi_lunghezza,
     &L::lunghezza_percorso},
    {"progressiva chilometrica tre", G, "tre", "progressiva", true, false, campi_progressiva,
     &L::progressiva_tre},
    {"progressiva chilometrica due", G, "due", "progressiva", true, false, campi_progressiva,
     &L::progressiva_due},
    {"progressiva chilometrica uno", G, "uno", "progressiva", true, false, campi_progressiva,
     &L::progressiva_uno},
    {"sfondo uno", G, "sfondo", "uno", true, false, campi_sfondo, &L::sfondo_uno},
    {"sfondo due", G, "sfondo", "due", true, false, campi_sfondo, &L::sfondo_due},
    {"sfondo tre", G, "sfondo", "tre", true, false, campi_sfondo, &L::sfondo_tre},
    {"ripetizione segnali", G, "segnali", "ripetizione", true, false, campi_ripetizione,
     &L::ripetizione_segnali},
};

const TipoRecord tipi_linea[] = {
    {"pendenza", C, "pendenza", "", false, false, campi_pendenza, &L::pendenza},
    {"curva", C, "curva", "", false, true, campi_curva, &L::curva},
    {"montagna", C, "montagna", "", false, false, campi_montagna, &L::montagna},
    {"indicatori_vmax", C, "indicatori_v", "", false, false, campi_indicatori, &L::indicatori_vmax},
    {"cartello_indicatore", C, "cartello", "indicat", false, false, campi_cartello,
     &L::cartello_indicatore},
};

const TipoRecord tipi_treno[] = {
    {"percentuale massa frenata", T, "frenata", "massa", false, false, campi_massa,
     &L::massa_frenata},
    {"numero vetture", T, "vetture", "", false, false, campi_vetture, &L::numero_vetture},
    {"velocita", T, "velocit", "", false, false, campi_velocita, &L::velocita},
    {"aderenza", T, "aderenza", "", false, false, campi_aderenza, &L::aderenza},
    {"orologio", T, "orologio", "", false, false, campi_orologio, &L::orologio},
    {"sabbia", T, "sabbia", "", false, false, campi_sabbia, &L::sabbia},
    {"segnale", T, "segnale", "", false, false, campi_segnale, &L::segnale},
    {"rallentamento", T, "rallentamento", "", false, false, campi_rallentamento, &L::rallentamento},
    {"abbattimento", T, "abbattimento", "", false, false, campi_abbattimento, &L::abbattimento},
    {"stazione", T, "stazione", "", false, false, campi_stazione, &L::stazione},
};

}  // namespace

std::span<const TipoRecord> tipi_record(Sezione sezione) {
    switch (sezione) {
        case Sezione::generale:
            return tipi_generale;
        case Sezione::linea:
            return tipi_linea;
        case Sezione::treno:
            break;
    }
    return tipi_treno;
}

// ---- files and errors -------------------------------------------------------------------

void Lettore::apri(const std::string& percorso, const std::optional<std::string>& testo) {
    file_ = percorso;
    riga_ = colonna_ = 0;
    ultimo_record_ = {};
    riga_avvisata_ = 0;
    if (testo) {
        campi_.emplace(std::string_view(*testo));
    } else {
        campi_.emplace(Campi::DaFile{}, percorso);
    }
}

void Lettore::chiudi_e_cancella() {
    campi_.reset();
    if (!f_.cancella_sorgenti) return;
    std::string motivo;
    if (!cancella_file(file_, motivo)) throw ErroreLettura(file_ + ": " + motivo);
}

void Lettore::imposta_errore(int32_t codice, std::optional<int32_t> posizione, bool record) {
    f_.codice_errore = codice;
    if (posizione) f_.posizione_errore = *posizione;
    ErroreSorgente& e = f_.resoconto.lettore;
    e.file = file_;
    e.riga = record ? riga_ : 0;
    e.colonna = record ? colonna_ : 0;
}

Esito Lettore::esci(int32_t codice, std::optional<int32_t> posizione, bool record) {
    chiudi_e_cancella();
    imposta_errore(codice, posizione, record);
    return Esito::esci;
}

Esito Lettore::oltre_le_celle(int32_t posizione) {
    imposta_errore(15, posizione, true);
    return Esito::fine_corpo;
}

bool Lettore::oltre(int32_t posizione, int64_t margine) const {
    return static_cast<int64_t>(posizione) + margine > 50 * static_cast<int64_t>(f_.ultima_cella);
}

void Lettore::fallimento() {
    campi_.reset();
    if (f_.cancella_sorgenti) {
        std::string motivo;
        cancella_file(linea_, motivo);
        cancella_file(treno_, motivo);
    }
    imposta_errore(25, std::nullopt, riga_ > 0);
}

cella& Lettore::cella_in(int64_t indice) {
    if (indice < 0 || static_cast<uint64_t>(indice) >= f_.celle_percorso.size()) {
        throw ErroreLettura("a cell outside the route");
    }
    return f_.celle_percorso[static_cast<size_t>(indice)];
}

void Lettore::riempi(Riempimento& r, uint8_t cella::*campo, int64_t fino,
                     uint8_t (*in_cella)(int64_t), bool fino_all_ultima) {
    do {
        if (fino_all_ultima && r.indice >= f_.ultima_cella) break;
        const uint8_t v = in_cella(r.valore);
        cella_in(r.indice).*campo = v;
        ++r.indice;
    } while (r.indice < fino);
}

// ---- keywords and fields ------------------------------------------------------------------

void Lettore::leggi_chiave() {
    campi_->leggi_testo(f_.campo_letto);
    riga_ = campi_->riga();
    colonna_ = campi_->colonna();
    chiave_.assign(f_.campo_letto);
    for (char& c : chiave_) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    controlla_oltre_il_record();
}

bool Lettore::ha_trattino() const {
    return contiene(f_.campo_letto, "-");
}

bool Lettore::riconosce(const TipoRecord& tipo) const {
    if (tipo.solo_con_tracciato && f_.calcola_tracciato == 0) return false;
    return chiave_di(tipo);
}

bool Lettore::chiave_di(const TipoRecord& tipo) const {
    const std::string_view chiave = tipo.maiuscole ? f_.campo_letto : chiave_;
    return contiene(chiave, tipo.frammento_1) &&
           (tipo.frammento_2.empty() || contiene(chiave, tipo.frammento_2));
}

Esito Lettore::offri(Sezione sezione) {
    sezione_ = sezione;
    riconosciuti_ = 0;
    for (const TipoRecord& tipo : tipi_record(sezione)) {
        if (!riconosce(tipo)) continue;
        if (riconosciuti_++ == 0) ultimo_record_ = {riga_, "", 0, false};
        ultimo_record_.nomi += (ultimo_record_.nomi.empty() ? "'" : " and '");
        ultimo_record_.nomi += std::string(tipo.nome) + "'";
        ultimo_record_.campi += tipo.campi.size();
        ultimo_record_.stazione = tipo.leggi == &Lettore::stazione;
        const Esito e = (this->*tipo.leggi)();
        if (e != Esito::avanti) return e;
    }
    if (riconosciuti_ == 0) controlla_sconosciuta(sezione);
    return Esito::avanti;
}

Esito Lettore::leggi_corpo(Sezione sezione) {
    for (;;) {
        if (fine()) return Esito::avanti;
        leggi_chiave();
        if (fine()) return Esito::avanti;
        for (int i = 0; i < 2 && ha_trattino(); ++i) {
            leggi_chiave();
            if (fine()) return Esito::avanti;
        }
        const Esito e = offri(sezione);
        if (e == Esito::esci) return e;
        if (e == Esito::fine_corpo) return Esito::avanti;
        // With riconosciuti_ 0 the keyword matched no record kind: its line is passed over.
    }
}

}  // namespace compattatore
