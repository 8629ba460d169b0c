// What the reader passes over although an author most likely meant it: a keyword that names
// no record, fields beyond a record's (a station name cut at a comma among them), a train file
// without "[generale]". Each becomes a warning with the file, line and column of the field;
// the reading goes on exactly as without it.
#include <array>
#include <string>
#include <string_view>

#include "reader/lettore.h"

namespace compattatore {

namespace {

// The section headers the built-in sources are written with; the reader passes them over by
// design. (The "[generale]" of the line file, and its end, are read as headers.)
constexpr std::array<std::string_view, 12> intestazioni_scritte{
    "[curve]",    "[pendenze]",   "[montagne]",      "[cartelli]", "[indicazioni]", "[fine]",
    "[aderenze]", "[vel_limite]", "[rallentamenti]", "[segnali]",  "[stazioni]",    "[codici]"};

bool intestazione_scritta(std::string_view chiave) {
    for (const auto h : intestazioni_scritte) {
        if (chiave == h) return true;
    }
    return false;
}

}  // namespace

void Lettore::avvisa(std::string_view tipo, std::string testo, bool con_posto) {
    f_.avvisa({std::string(tipo), file_, con_posto ? chiave_posto_.riga : 0,
               con_posto ? chiave_posto_.colonna : 0, std::move(testo)});
}

bool Lettore::preso_da_un_record() const {
    for (const TipoRecord& tipo : tipi_record(sezione_)) {
        if (riconosce(tipo)) return true;
    }
    return false;
}

void Lettore::controlla_oltre_il_record() {
    if (ultimo_record_.riga == 0 || chiave_posto_.riga != ultimo_record_.riga ||
        chiave_posto_.riga == riga_avvisata_) {
        return;
    }
    // A comma that ends a record's line leaves an empty field, which does nothing.
    if (f_.campo_letto.empty()) return;
    riga_avvisata_ = chiave_posto_.riga;
    const std::string poi = preso_da_un_record() ? "is read as the keyword of another record"
                                                 : "is ignored with the rest of the line";
    if (ultimo_record_.stazione) {
        avvisa("station-name-cut", "the station name " + citato(nome_stazione_) +
                                       " ends at a comma; " + citato(f_.campo_letto) +
                                       " after it is not part of the name and " + poi);
        return;
    }
    avvisa("extra-fields", citato(f_.campo_letto) + " follows the " +
                               std::to_string(ultimo_record_.campi) + " fields of " +
                               ultimo_record_.nomi + " and " + poi);
}

void Lettore::controlla_sconosciuta(Sezione sezione) {
    const std::string& campo = f_.campo_letto;
    if (campo.empty() || ha_trattino() || chiave_posto_.riga == riga_avvisata_) return;
    if (intestazione_scritta(chiave_)) return;
    if (sezione == Sezione::generale && fine_sezione()) return;
    riga_avvisata_ = chiave_posto_.riga;
    // A curve is a record even when no track plan is built and the reader passes it over
    // with its numbers.
    for (const TipoRecord& tipo : tipi_record(sezione)) {
        if (tipo.solo_con_tracciato && chiave_di(tipo)) return;
    }
    avvisa("unknown-keyword", citato(campo) + " is not a record keyword; the line is ignored");
}

void Lettore::ricorda_origine(std::string_view record, int32_t posizione, int64_t cella,
                              uint8_t codice) {
    if (cella < 0 || static_cast<uint64_t>(cella) >= f_.celle_percorso.size()) return;
    if (f_.celle_percorso[static_cast<size_t>(cella)].codice != codice) return;
    // The first record in a cell is the one there; a later one was refused.
    f_.resoconto.origini.emplace(static_cast<int32_t>(cella),
                                 OrigineRecord{std::string(record), posizione, file_,
                                               chiave_posto_.riga, chiave_posto_.colonna});
}

}  // namespace compattatore
