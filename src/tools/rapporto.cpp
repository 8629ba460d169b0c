#include "tools/rapporto.h"

#include <nlohmann/json.hpp>

#include "core/form1.h"
#include "platform/file_sostitutivo.h"
#include "reader/utf8.h"

namespace compattatore {

std::string rapporto_json(const Form1& form) {
    using json = nlohmann::ordered_json;
    json registrazioni = json::array();
    for (const auto& r : form.registrazioni) {
        registrazioni.push_back({{"code", r.codice}, {"position", r.posizione}});
    }
    // File names carry the scenario name in Windows-1252; JSON text is UTF-8.
    json scritti = json::array();
    for (const auto& nome : form.scritti) scritti.push_back(a_utf8(nome));

    json rapporto;
    rapporto["reader"] = {{"code", form.codice_lettore}, {"position", form.posizione_lettore}};
    rapporto["marks"] = std::move(registrazioni);
    rapporto["final"] = {{"code", form.codice_errore}, {"position", form.posizione_errore}};
    rapporto["fatal"] = form.fatale != 0 ? json(form.fatale) : json(nullptr);
    rapporto["written"] = std::move(scritti);
    return rapporto.dump(2) + "\n";
}

void scrivi_rapporto(const Form1& form, const std::string& percorso) {
    const std::string testo = rapporto_json(form);
    FileSostitutivo file(percorso);
    file.scrivi(testo);
    file.chiudi();
}

}  // namespace compattatore
