#include "tools/rapporto.h"

#include <nlohmann/json.hpp>

#include "core/form1.h"
#include "core/utf8.h"
#include "platform/file_sostitutivo.h"

namespace compattatore {

namespace {

// A file name as the system gave it, or a message: UTF-8 stays, other bytes are taken as
// Windows-1252.
std::string in_utf8(const std::string& testo) {
    return da_utf8(testo).esito == ConversioneUtf8::Esito::invariato ? a_utf8(testo) : testo;
}

// The reader's error: code, position, and for an error the message, the file, and the line
// and column of the field concerned (null when there is none).
nlohmann::ordered_json lettore(const ErroreSorgente& e) {
    using json = nlohmann::ordered_json;
    const bool errore = e.codice != 0;
    json j = {{"code", e.codice}, {"position", e.posizione}};
    j["message"] = errore ? json(in_utf8(e.messaggio)) : json(nullptr);
    j["file"] = errore && !e.file.empty() ? json(in_utf8(e.file)) : json(nullptr);
    j["line"] = errore && e.riga > 0 ? json(e.riga) : json(nullptr);
    j["column"] = errore && e.riga > 0 ? json(e.colonna) : json(nullptr);
    return j;
}

}  // namespace

std::string rapporto_json(const Form1& form) {
    using json = nlohmann::ordered_json;
    const Resoconto& resoconto = form.resoconto;
    json registrazioni = json::array();
    for (const auto& r : resoconto.registrazioni) {
        json voce = {{"code", r.codice}, {"position", r.posizione}};
        // The record the mark was for, when known: the signal (11) or the slowdown (12, 13).
        if (r.origine) {
            voce["source"] = {{"record", r.origine->record},
                              {"position", r.origine->posizione},
                              {"file", r.origine->file},
                              {"line", r.origine->riga},
                              {"column", r.origine->colonna}};
        }
        registrazioni.push_back(std::move(voce));
    }
    // Line and column are null for a warning about a whole file.
    json avvisi = json::array();
    for (const auto& a : resoconto.avvisi) {
        const auto posto = [&a](int32_t n) { return a.riga > 0 ? json(n) : json(nullptr); };
        avvisi.push_back({{"kind", a.tipo},
                          {"file", a.file},
                          {"line", posto(a.riga)},
                          {"column", posto(a.colonna)},
                          {"text", a.testo}});
    }
    // File names carry the scenario name in Windows-1252; JSON text is UTF-8.
    json scritti = json::array();
    for (const auto& nome : resoconto.scritti) scritti.push_back(a_utf8(nome));

    json rapporto;
    rapporto["reader"] = lettore(resoconto.lettore);
    rapporto["marks"] = std::move(registrazioni);
    rapporto["final"] = {{"code", form.codice_errore}, {"position", form.posizione_errore}};
    rapporto["fatal"] = resoconto.fatale != 0 ? json(resoconto.fatale) : json(nullptr);
    rapporto["written"] = std::move(scritti);
    rapporto["warnings"] = std::move(avvisi);
    // A file name given on the command line need not be UTF-8: such bytes become U+FFFD
    // rather than stop the report.
    return rapporto.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

void scrivi_rapporto(const Form1& form, const std::string& percorso) {
    const std::string testo = rapporto_json(form);
    FileSostitutivo file(percorso);
    file.scrivi(testo);
    file.chiudi();
}

}  // namespace compattatore
