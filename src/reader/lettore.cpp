// The reader's machinery: the tables of record kinds, the loop that offers each keyword to
// them, the files, the errors and the fills of the cells.
#include "reader/lettore.h"

#include <cassert>

#include "core/arrotonda.h"
#include "core/codici_errore.h"
#include "core/errori.h"
#include "core/utf8.h"
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

// Built by appending: g++ 12 at -O3 warns falsely (-Wrestrict) on a literal + a temporary.
std::string citato(std::string_view testo) {
    std::string c(1, '\'');
    c += a_utf8(testo);
    c += '\'';
    return c;
}

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
    chiave_posto_ = {};
    ultimo_record_ = {};
    riga_avvisata_ = 0;
    if (testo) {
        campi_.emplace(std::string_view(*testo));
        return;
    }
    try {
        campi_.emplace(Campi::DaFile{}, percorso);
    } catch (const ErroreLettura& e) {
        // The system's reason, without the file's name, which the message carries apart.
        std::string_view motivo = e.what();
        if (motivo.starts_with(percorso + ": ")) motivo.remove_prefix(percorso.size() + 2);
        causa({}, "the file cannot be read: " + std::string(motivo));
        throw;
    }
}

void Lettore::chiudi_e_cancella() {
    campi_.reset();
    if (!f_.cancella_sorgenti) return;
    std::string motivo;
    if (!cancella_file(file_, motivo)) {
        causa({}, "the file cannot be deleted: " + motivo);
        throw ErroreLettura(file_ + ": " + motivo);
    }
}

void Lettore::imposta_errore(int32_t codice, std::optional<int32_t> posizione, Posto dove,
                             std::string testo) {
    f_.codice_errore = codice;
    if (posizione) f_.posizione_errore = *posizione;
    ErroreSorgente& e = f_.resoconto.lettore;
    e.file = file_;
    e.riga = dove.riga;
    e.colonna = dove.colonna;
    e.messaggio = std::move(testo);
}

Esito Lettore::esci(int32_t codice, std::optional<int32_t> posizione, Posto dove,
                    std::string testo) {
    chiudi_e_cancella();
    imposta_errore(codice, posizione, dove, std::move(testo));
    return Esito::esci;
}

bool Lettore::oltre(int32_t posizione, int64_t margine) const {
    return static_cast<int64_t>(posizione) + margine > 50 * static_cast<int64_t>(f_.ultima_cella);
}

Esito Lettore::oltre_le_celle(size_t campo, int32_t posizione, int64_t margine) {
    const int64_t massimo = 50 * static_cast<int64_t>(f_.ultima_cella) - margine;
    imposta_errore(15, posizione, posto_campo(campo),
                   del_campo(campo) + " lies beyond the route: " + std::to_string(posizione) +
                       " m, above the " + std::to_string(massimo) + " m allowed " +
                       lunghezza_in_vigore());
    return Esito::fine_corpo;
}

Esito Lettore::rifiuto_del_deposito(int32_t posizione, int32_t prima) {
    const int32_t codice = f_.codice_errore;
    std::string testo =
        citato(nome_record()) + " at " + std::to_string(posizione) + " m is refused: ";
    if (codice == prima) {
        testo += "error " + std::to_string(codice) + " of an earlier record is still in force";
    } else {
        testo += descrivi_codice(codice).significato;
    }
    return esci(codice, posizione, posto_campo(0), std::move(testo));
}

void Lettore::causa(Posto dove, std::string testo) {
    posto_causa_ = dove;
    causa_ = std::move(testo);
}

void Lettore::fallimento(std::string_view motivo) {
    campi_.reset();
    if (f_.cancella_sorgenti) {
        std::string motivo_cancella;
        cancella_file(linea_, motivo_cancella);
        cancella_file(treno_, motivo_cancella);
    }
    if (!causa_.empty()) {
        imposta_errore(25, std::nullopt, posto_causa_, std::move(causa_));
    } else if (record_ != nullptr) {
        imposta_errore(25, std::nullopt, chiave_posto_,
                       citato(nome_record()) + " cannot be read: " + std::string(motivo));
    } else {
        imposta_errore(25, std::nullopt, chiave_posto_, std::string(motivo));
    }
}

void Lettore::senza_lunghezza() {
    causa({},
          "the line file has no 'lunghezza percorso' record in [generale], so the route has "
          "no cells");
}

cella& Lettore::cella_in(int64_t indice) {
    if (indice < 0 || static_cast<uint64_t>(indice) >= f_.celle_percorso.size()) {
        if (f_.celle_percorso.empty()) senza_lunghezza();
        throw ErroreLettura("a cell outside the route");
    }
    return f_.celle_percorso[static_cast<size_t>(indice)];
}

cella& Lettore::cella_del_campo(int64_t indice, size_t campo) {
    if (lunghezza_ && (indice < 0 || static_cast<uint64_t>(indice) >= f_.celle_percorso.size())) {
        causa(posto_campo(campo), del_campo(campo) + " falls on cell " + std::to_string(indice) +
                                      ", outside the cells 0 to " +
                                      std::to_string(f_.ultima_cella) + " of the route");
    }
    return cella_in(indice);
}

void Lettore::riempi(Riempimento& r, const Misura& m, int64_t fino, bool fino_all_ultima) {
    do {
        if (fino_all_ultima && r.indice >= f_.ultima_cella) break;
        if (r.valore < m.minimo || r.valore > m.massimo) {
            causa(r.dove, "field '" + std::string(m.nome_campo) + "' of '" + std::string(m.record) +
                              "' is out of range (" + std::to_string(m.minimo) + " to " +
                              std::to_string(m.massimo) + "): " + std::to_string(r.valore));
            throw ErroreLettura("value does not fit its field");
        }
        cella_in(r.indice).*m.campo = m.in_cella(r.valore);
        ++r.indice;
    } while (r.indice < fino);
}

Esito Lettore::valore_in_vigore(Riempimento& r, const Misura& m, bool fino_all_ultima) {
    const int32_t p = leggi_32();
    const int32_t v = leggi_32();
    if (oltre(p, 100)) return oltre_le_celle(0, p, 100);
    const int64_t n = arrotonda(static_cast<double>(p) / 50.0);
    if (n > 0) riempi(r, m, n, fino_all_ultima);
    r.valore = v;
    r.dove = posto_campo(1);
    return Esito::avanti;
}

// ---- keywords and fields ------------------------------------------------------------------

void Lettore::leggi_chiave() {
    campi_->leggi_testo(f_.campo_letto);
    chiave_posto_ = {campi_->riga(), campi_->colonna()};
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
        if (riconosciuti_++ == 0) ultimo_record_ = {chiave_posto_.riga, "", 0, false};
        ultimo_record_.nomi += (ultimo_record_.nomi.empty() ? "'" : " and '");
        ultimo_record_.nomi += std::string(tipo.nome) + "'";
        ultimo_record_.campi += tipo.campi.size();
        ultimo_record_.stazione = tipo.leggi == &Lettore::stazione;
        record_ = &tipo;
        campo_ = 0;
        const Esito e = (this->*tipo.leggi)();
        record_ = nullptr;
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

std::string_view Lettore::nome_record() const {
    return record_ != nullptr ? record_->nome : std::string_view();
}

std::string Lettore::del_campo(size_t campo) const {
    const std::string_view nome =
        record_ != nullptr && campo < record_->campi.size() ? record_->campi[campo] : "";
    return "field '" + std::string(nome) + "' of '" + std::string(nome_record()) + "'";
}

int64_t Lettore::leggi_numero(int64_t minimo, int64_t massimo) {
    assert(record_ != nullptr && campo_ < record_->campi.size());
    const int32_t riga_prima = campi_->riga();
    int64_t v = 0;
    try {
        v = campi_->leggi_intero();
    } catch (const ErroreCampo& e) {
        campo_illeggibile(e, riga_prima);
    }
    posti_[campo_] = {campi_->riga(), campi_->colonna()};
    ++campo_;
    if (v < minimo || v > massimo) {
        causa(posti_[campo_ - 1], del_campo(campo_ - 1) + " is out of range (" +
                                      std::to_string(minimo) + " to " + std::to_string(massimo) +
                                      "): " + std::to_string(v));
        throw ErroreLettura("value does not fit its field");
    }
    return v;
}

void Lettore::leggi_testo(std::string& testo) {
    assert(record_ != nullptr && campo_ < record_->campi.size());
    const int32_t riga_prima = campi_->riga();
    try {
        campi_->leggi_testo(testo);
    } catch (const ErroreCampo& e) {
        campo_illeggibile(e, riga_prima);
    }
    posti_[campo_] = {campi_->riga(), campi_->colonna()};
    ++campo_;
}

// A field that starts at the end of the file, or on a later line than the field before it
// and is not a number, means the record's line ended too soon.
void Lettore::campo_illeggibile(const ErroreCampo& e, int32_t riga_prima) {
    const size_t n = record_->campi.size();
    const Posto qui{campi_->riga(), campi_->colonna()};
    const bool a_capo = e.motivo == ErroreCampo::Motivo::non_numero && qui.riga > riga_prima;
    if (e.motivo == ErroreCampo::Motivo::fine_del_file || a_capo) {
        causa(chiave_posto_, citato(nome_record()) + " ends after " + std::to_string(campo_) +
                                 " of its " + std::to_string(n) + " fields (" + del_campo(campo_) +
                                 " is missing)");
    } else if (e.motivo == ErroreCampo::Motivo::non_numero) {
        causa(qui, del_campo(campo_) + " is not a whole number: '" + a_utf8(e.testo) + "'");
    } else {
        causa(qui, del_campo(campo_) + " is longer than 65535 bytes");
    }
    throw;
}

}  // namespace compattatore
