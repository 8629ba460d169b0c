#include "tools/campi_json.h"

#include "core/utf8.h"

namespace compattatore {

nlohmann::ordered_json voce_json(const voce_treno& v) {
    nlohmann::ordered_json j;
    j["tipo"] = v.tipo;
    j["inizio"] = v.inizio;
    j["fine"] = v.fine;
    j["posizione"] = v.posizione;
    j["opzione_1"] = v.opzione_1;
    j["testo"] = a_utf8(v.testo);
    j["a1"] = v.a1;
    j["a2"] = v.a2;
    j["b1"] = v.b1;
    j["b2"] = v.b2;
    j["b3"] = v.b3;
    j["a3"] = v.a3;
    j["sosta"] = v.sosta;
    j["opzione_3"] = v.opzione_3;
    j["opzione_2"] = v.opzione_2;
    j["orario"] = v.orario;
    return j;
}

nlohmann::ordered_json cella_json(const cella& c) {
    nlohmann::ordered_json j;
    j["codice"] = c.codice;
    j["valore_1"] = c.valore_1;
    j["valore_2"] = c.valore_2;
    j["valore_3"] = c.valore_3;
    j["valore_4"] = c.valore_4;
    j["tempo_segnale"] = c.tempo_segnale;
    j["avvicinamento"] = c.avvicinamento;
    j["montagna"] = c.montagna;
    j["velocita"] = c.velocita;
    j["pendenza"] = c.pendenza;
    j["aderenza"] = c.aderenza;
    return j;
}

}  // namespace compattatore
