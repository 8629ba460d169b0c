#include "tools/vista.h"

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/campi_json.h"
#include "core/utf8.h"
#include "tools/decodifica.h"
#include "tools/oggetti.h"
#include "tools/plot_svg.h"

namespace compattatore {

// The page's own files, embedded by the build.
extern const char vista_html[];
extern const char vista_css[];
extern const char vista_js[];

namespace {

using nlohmann::ordered_json;

// One field of every cell as runs: value, count, value, count...
template <typename Campo>
ordered_json a_tratti(const std::vector<cella>& celle, Campo campo) {
    ordered_json tratti = ordered_json::array();
    size_t i = 0;
    while (i < celle.size()) {
        const int v = campo(celle[i]);
        size_t j = i + 1;
        while (j < celle.size() && campo(celle[j]) == v) ++j;
        tratti.push_back(v);
        tratti.push_back(j - i);
        i = j;
    }
    return tratti;
}

ordered_json celle_json(const std::vector<cella>& celle) {
    ordered_json j;
    j["codice"] = a_tratti(celle, [](const cella& c) { return int{c.codice}; });
    j["valore_1"] = a_tratti(celle, [](const cella& c) { return int{c.valore_1}; });
    j["valore_2"] = a_tratti(celle, [](const cella& c) { return int{c.valore_2}; });
    j["valore_3"] = a_tratti(celle, [](const cella& c) { return int{c.valore_3}; });
    j["valore_4"] = a_tratti(celle, [](const cella& c) { return int{c.valore_4}; });
    j["tempo_segnale"] = a_tratti(celle, [](const cella& c) { return int{c.tempo_segnale}; });
    j["avvicinamento"] = a_tratti(celle, [](const cella& c) { return int{c.avvicinamento}; });
    j["montagna"] = a_tratti(celle, [](const cella& c) { return int{c.montagna}; });
    j["velocita"] = a_tratti(celle, [](const cella& c) { return int{c.velocita}; });
    j["pendenza"] = a_tratti(celle, [](const cella& c) { return int{c.pendenza}; });
    j["aderenza"] = a_tratti(celle, [](const cella& c) { return int{c.aderenza}; });
    return j;
}

// A station's times as the timetable gives them: the first station departs at its time, the
// last arrives at it; a stop in between arrives its dwell before the time and departs at it;
// a station with no dwell and a time is passed at that time; one with no time has none.
void orari(ordered_json& j, const voce_treno& v, bool prima, bool ultima) {
    j["arrivo"] = nullptr;
    j["partenza"] = nullptr;
    j["transito"] = nullptr;
    if (v.orario == 0 && v.sosta == 0) return;
    if (prima) {
        j["partenza"] = v.orario;
    } else if (ultima) {
        j["arrivo"] = v.orario;
    } else if (v.sosta > 0) {
        j["arrivo"] = v.orario - v.sosta;
        j["partenza"] = v.orario;
    } else {
        j["transito"] = v.orario;
    }
}

int intero(double m) {
    return static_cast<int>(std::lround(m));
}

// The points of the track plan a picture needs: the route thinned so that no dropped point
// lies farther than `tolleranza` metres from the line through the points kept around it.
// Each kept point is [metre, coordinate 1, coordinate 0] in centimetres, every value after
// the first as the difference from the one before.
ordered_json tracciato_json(const Tracciato& t) {
    constexpr double tolleranza = 0.05;
    ordered_json m = ordered_json::array(), x = ordered_json::array(), y = ordered_json::array();
    const int32_t n = t.ultimo_punto();
    std::vector<double> px, py;
    std::vector<char> tenuto;
    int64_t prec_m = 0, prec_x = 0, prec_y = 0;
    auto valido = [&](int32_t p) {
        return t.tipo(p, 0) != Tracciato::vuoto && t.tipo(p, 1) != Tracciato::vuoto &&
               std::isfinite(t.valore(p, 0)) && std::isfinite(t.valore(p, 1)) &&
               std::fabs(t.valore(p, 0)) < 1e9 && std::fabs(t.valore(p, 1)) < 1e9;
    };
    // Each stretch of valid points is thinned on its own; a null in each list separates two
    // stretches.
    int32_t p = 0;
    bool primo_tratto = true;
    while (p <= n) {
        while (p <= n && !valido(p)) ++p;
        if (p > n) break;
        const int32_t inizio = p;
        px.clear();
        py.clear();
        while (p <= n && valido(p)) {
            px.push_back(t.valore(p, 1));
            py.push_back(t.valore(p, 0));
            ++p;
        }
        const size_t k = px.size();
        tenuto.assign(k, 0);
        tenuto[0] = tenuto[k - 1] = 1;
        std::vector<std::pair<size_t, size_t>> pila;
        if (k > 2) pila.emplace_back(0, k - 1);
        while (!pila.empty()) {
            const auto [i, j] = pila.back();
            pila.pop_back();
            const double dx = px[j] - px[i], dy = py[j] - py[i];
            const double l2 = dx * dx + dy * dy;
            double peggiore = -1;
            size_t dove = i;
            for (size_t q = i + 1; q < j; ++q) {
                const double ex = px[q] - px[i], ey = py[q] - py[i];
                // Squared distance from the chord (from point i when the chord has no length).
                const double d2 =
                    l2 > 0 ? (ex * dy - ey * dx) * (ex * dy - ey * dx) / l2 : ex * ex + ey * ey;
                if (d2 > peggiore) {
                    peggiore = d2;
                    dove = q;
                }
            }
            if (peggiore > tolleranza * tolleranza) {
                tenuto[dove] = 1;
                if (dove - i > 1) pila.emplace_back(i, dove);
                if (j - dove > 1) pila.emplace_back(dove, j);
            }
        }
        if (!primo_tratto) {
            m.push_back(nullptr);
            x.push_back(nullptr);
            y.push_back(nullptr);
        }
        primo_tratto = false;
        for (size_t q = 0; q < k; ++q) {
            if (!tenuto[q]) continue;
            const int64_t vm = inizio + static_cast<int64_t>(q);
            const auto vx = static_cast<int64_t>(std::llround(px[q] * 100));
            const auto vy = static_cast<int64_t>(std::llround(py[q] * 100));
            m.push_back(vm - prec_m);
            x.push_back(vx - prec_x);
            y.push_back(vy - prec_y);
            prec_m = vm;
            prec_x = vx;
            prec_y = vy;
        }
    }
    ordered_json j;
    j["m"] = std::move(m);
    j["x"] = std::move(x);
    j["y"] = std::move(y);
    return j;
}

const char* nome_genere(GenereOggetto g) {
    switch (g) {
        case GenereOggetto::stazione:
            return "stazioni";
        case GenereOggetto::segnale:
            return "segnali";
        case GenereOggetto::rallentamento:
        case GenereOggetto::avviso:
            return "rallentamenti";
        case GenereOggetto::velocita_max:
            return "velocita";
        case GenereOggetto::cartello:
            return "cartelli";
        case GenereOggetto::montagna:
            return "montagne";
        case GenereOggetto::marca:
            return "marche";
        case GenereOggetto::curva:
            return "curve";
    }
    return "";
}

// JSON for the inside of a <script> element: every '<' written as its escape, so that
// nothing in a text ("</script>", "<!--") can end the element early.
std::string sicuro_in_script(const std::string& json) {
    std::string s;
    s.reserve(json.size() + 64);
    for (const char c : json) {
        if (c == '<') {
            s += "\\u003c";
        } else {
            s += c;
        }
    }
    return s;
}

}  // namespace

std::string dati_vista_json(const ScenarioDaDisegnare& s) {
    ordered_json j;
    j["scenario"] = a_utf8(s.voci[85].testo);
    j["treno"] = a_utf8(s.voci[86].testo);
    j["lunghezza"] = lunghezza_percorso(s.voci, s.celle);
    j["ultima_cella"] = s.celle.size() - 1;
    ordered_json progressive = ordered_json::array();
    for (size_t i = 81; i <= 83; ++i) {
        const voce_treno& v = s.voci[i];
        if (v.inizio != 0 || v.fine != 0) progressive.push_back({v.inizio, v.fine, v.posizione});
    }
    j["progressive"] = std::move(progressive);
    j["celle"] = celle_json(s.celle);

    ordered_json strati;
    for (const char* nome : {"stazioni", "segnali", "rallentamenti", "velocita", "cartelli",
                             "montagne", "curve", "marche"}) {
        strati[nome] = ordered_json::array();
    }
    const auto oggetti = oggetti_scenario(s.voci, s.celle);
    size_t stazioni = 0;
    for (const Oggetto& o : oggetti) stazioni += o.genere == GenereOggetto::stazione;
    size_t stazione = 0;
    for (const Oggetto& o : oggetti) {
        ordered_json e;
        e["c"] = o.cella;
        e["da"] = intero(o.da);
        if (o.a != o.da) e["a"] = intero(o.a);
        e["t"] = o.etichetta;
        switch (o.genere) {
            case GenereOggetto::stazione: {
                const voce_treno& v = s.voci[static_cast<size_t>(o.voce)];
                e["voce"] = o.voce;
                e["da"] = v.inizio;
                e["a"] = v.fine;
                e["p"] = v.posizione;
                orari(e, v, stazione == 0, stazione + 1 == stazioni);
                ++stazione;
                e["campi"] = voce_json(v);
                break;
            }
            case GenereOggetto::cartello:
                e["voce"] = o.voce;
                e["righe"] = o.righe;
                break;
            case GenereOggetto::avviso:
                e["k"] = s.celle[static_cast<size_t>(o.cella)].codice;
                e["v"] = o.valore;
                break;
            case GenereOggetto::rallentamento:
            case GenereOggetto::montagna:
            case GenereOggetto::marca:
                e["v"] = o.valore;
                break;
            default:
                break;
        }
        strati[nome_genere(o.genere)].push_back(std::move(e));
    }
    if (s.tracciato) {
        for (const Oggetto& o : curve_del_tracciato(*s.tracciato)) {
            strati["curve"].push_back({{"da", intero(o.da)},
                                       {"a", intero(o.a)},
                                       {"v", o.valore},
                                       {"lato", std::string(1, o.lato)},
                                       {"t", o.etichetta}});
        }
        j["tracciato"] = tracciato_json(*s.tracciato);
    } else {
        j["tracciato"] = nullptr;
        j["nota_tracciato"] = s.nota_tracciato;
    }
    j["strati"] = std::move(strati);
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string pagina_vista(const ScenarioDaDisegnare& s) {
    const std::string titolo = "Scenario " + a_utf8(s.voci[85].testo) +
                               " \xE2\x80\x94 train " + a_utf8(s.voci[86].testo);
    const std::string titolo_html = testo_xml(titolo);
    // The page's file holds places to fill, each a comment of its own. They are found in the
    // file itself, from its start on, so that nothing put in can be taken for one.
    const std::pair<std::string_view, std::string> parti[] = {
        {"<!--TITOLO-->", titolo_html},
        {"/*STILE*/", vista_css},
        {"/*DATI*/", sicuro_in_script(dati_vista_json(s))},
        {"/*CODICE*/", vista_js},
    };
    const std::string_view modello(vista_html);
    std::string pagina;
    size_t da = 0;
    for (;;) {
        size_t primo = std::string_view::npos;
        const std::pair<std::string_view, std::string>* quale = nullptr;
        for (const auto& parte : parti) {
            const size_t dove = modello.find(parte.first, da);
            if (dove < primo) {
                primo = dove;
                quale = &parte;
            }
        }
        if (quale == nullptr) break;
        pagina.append(modello.substr(da, primo - da));
        pagina += quale->second;
        da = primo + quale->first.size();
    }
    pagina.append(modello.substr(da));
    return pagina;
}

}  // namespace compattatore
