#include "tools/oggetti.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "core/utf8.h"
#include "tools/decodifica.h"

namespace compattatore {

std::string km(double metri) {
    const auto m = static_cast<int64_t>(std::llround(metri));
    const int64_t a = m < 0 ? -m : m;
    std::string metri_txt = std::to_string(a % 1000);
    metri_txt.insert(0, 3 - metri_txt.size(), '0');
    return std::string(m < 0 ? "-" : "") + std::to_string(a / 1000) + "+" + metri_txt;
}

std::vector<int> voci_stazione(const std::array<voce_treno, voci_record_treno>& voci,
                               const std::vector<cella>& celle) {
    std::set<int> cartelli;
    std::set<int> fini_stazione;
    for (const cella& c : celle) {
        if (c.codice == 14 && c.valore_1 >= 0 && c.valore_1 < voci_record_treno) {
            cartelli.insert(c.valore_1);
        }
        if (c.codice == 10 && c.valore_1 >= 1 && c.valore_1 <= 80) fini_stazione.insert(c.valore_1);
    }
    std::set<int> stazioni;
    for (int i = 1; i <= 80; ++i) {
        if (cartelli.count(i) != 0 || voci[static_cast<size_t>(i)] == voce_treno{}) break;
        stazioni.insert(i);
    }
    for (int i : fini_stazione) {
        if (cartelli.count(i) == 0) stazioni.insert(i);
    }
    return {stazioni.begin(), stazioni.end()};
}

std::vector<std::string> righe_cartello(std::string_view testo) {
    std::vector<std::string> righe;
    auto aggiungi = [&](std::string_view r) {
        while (!r.empty() && r.front() == ' ') r.remove_prefix(1);
        while (!r.empty() && r.back() == ' ') r.remove_suffix(1);
        if (!r.empty()) righe.emplace_back(r);
    };
    size_t i = 0;
    while (i < testo.size()) {
        if (testo[i] == '(') {
            const size_t chiusa = testo.find(')', i + 1);
            const size_t fine = chiusa == std::string_view::npos ? testo.size() : chiusa;
            aggiungi(testo.substr(i + 1, fine - i - 1));
            i = fine + 1;
        } else {
            const size_t aperta = std::min(testo.find('(', i), testo.size());
            aggiungi(testo.substr(i, aperta - i));
            i = aperta;
        }
    }
    return righe;
}

std::string etichetta_velocita(const cella& c) {
    // Each value is left speed * 20 + right speed / 5.
    const int16_t v[3] = {c.valore_1, c.valore_2, c.valore_3};
    std::string sinistra, destra;
    bool ha_destra = false;
    for (int i = 0; i < 3; ++i) {
        const int s = v[i] / 20;
        const int d = (v[i] % 20) * 5;
        if (i > 0) {
            sinistra += "/";
            destra += "/";
        }
        sinistra += std::to_string(s);
        destra += std::to_string(d);
        ha_destra = ha_destra || d != 0;
    }
    return "V " + sinistra + (ha_destra ? " | " + destra : "");
}

std::vector<Oggetto> oggetti_scenario(const std::array<voce_treno, voci_record_treno>& voci,
                                      const std::vector<cella>& celle) {
    std::vector<Oggetto> oggetti;
    std::vector<int64_t> fine_di_stazione(voci_record_treno, -1);
    for (size_t c = 0; c < celle.size(); ++c) {
        if (celle[c].codice == 10 && celle[c].valore_1 >= 0 &&
            celle[c].valore_1 < voci_record_treno) {
            fine_di_stazione[static_cast<size_t>(celle[c].valore_1)] = static_cast<int64_t>(c);
        }
    }
    for (int i : voci_stazione(voci, celle)) {
        const voce_treno& v = voci[static_cast<size_t>(i)];
        Oggetto o;
        o.genere = GenereOggetto::stazione;
        o.cella = fine_di_stazione[static_cast<size_t>(i)];
        o.da = v.posizione;
        o.a = v.posizione;
        o.voce = i;
        o.etichetta = a_utf8(v.testo);
        oggetti.push_back(std::move(o));
    }

    const auto n = static_cast<int64_t>(celle.size());
    for (int64_t c = 0; c < n; ++c) {
        const cella& x = celle[static_cast<size_t>(c)];
        Oggetto o;
        o.genere = GenereOggetto::segnale;
        o.cella = c;
        o.da = o.a = metri_di_cella(c);
        switch (x.codice) {
            case 1:
                o.etichetta = "S " + km(o.da);
                break;
            case 3:
                // The slowdown runs to the next end cell.
                o.genere = GenereOggetto::rallentamento;
                for (int64_t e = c + 1; e < n; ++e) {
                    if (celle[static_cast<size_t>(e)].codice == 2) {
                        o.a = metri_di_cella(e);
                        break;
                    }
                }
                o.valore = x.valore_1;
                o.etichetta = "R " + std::to_string(x.valore_1) + " km/h";
                break;
            case 4:
                o.genere = GenereOggetto::avviso;
                o.valore = x.valore_1;
                o.etichetta = "A " + std::to_string(x.valore_1);
                break;
            case 5:
                o.genere = GenereOggetto::avviso;
                o.valore = x.valore_1;
                o.etichetta = "A-" + std::to_string(x.valore_1);
                break;
            case 6:
                o.genere = GenereOggetto::velocita_max;
                o.etichetta = etichetta_velocita(x);
                break;
            case 12:
            case 13:
                o.genere = GenereOggetto::marca;
                o.valore = x.codice == 12 ? x.valore_1 : 0;
                o.etichetta = x.codice == 12 ? "M " + std::to_string(x.valore_1) : "M";
                break;
            case 14: {
                o.genere = GenereOggetto::cartello;
                std::string testo = "?";
                if (x.valore_1 >= 0 && x.valore_1 < voci_record_treno) {
                    o.voce = x.valore_1;
                    testo = a_utf8(voci[static_cast<size_t>(x.valore_1)].testo);
                }
                o.righe = righe_cartello(testo);
                o.etichetta = testo;
                break;
            }
            default:
                continue;
        }
        oggetti.push_back(std::move(o));
    }

    // Mountain ranges: runs of cells of one class.
    for (int64_t c = 0; c < n;) {
        const uint8_t classe = celle[static_cast<size_t>(c)].montagna;
        int64_t e = c + 1;
        while (e < n && celle[static_cast<size_t>(e)].montagna == classe) ++e;
        if (classe != 0) {
            Oggetto o;
            o.genere = GenereOggetto::montagna;
            o.cella = c;
            o.da = metri_di_cella(c);
            o.a = metri_di_cella(e);
            o.valore = classe;
            o.etichetta = "mountain " + std::to_string(classe);
            oggetti.push_back(std::move(o));
        }
        c = e;
    }
    std::stable_sort(oggetti.begin(), oggetti.end(),
                     [](const Oggetto& p, const Oggetto& q) { return p.da < q.da; });
    return oggetti;
}

std::vector<Oggetto> curve_del_tracciato(const Tracciato& t) {
    // Turning rate per metre of each curve class, 1 to 6.
    static constexpr double curvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
    std::vector<Oggetto> curve;
    auto valido = [&](int32_t p) {
        return t.tipo(p, 0) != Tracciato::vuoto && t.tipo(p, 1) != Tracciato::vuoto &&
               std::isfinite(t.valore(p, 0)) && std::isfinite(t.valore(p, 1));
    };
    int classe_in_corso = 0;
    char lato_in_corso = 0;
    int32_t inizio = 0;
    auto chiudi = [&](int32_t fine) {
        if (classe_in_corso != 0) {
            Oggetto o;
            o.genere = GenereOggetto::curva;
            o.da = inizio;
            o.a = fine;
            o.valore = classe_in_corso;
            o.lato = lato_in_corso;
            o.etichetta = std::string("C") + std::to_string(classe_in_corso) + lato_in_corso;
            curve.push_back(std::move(o));
        }
        classe_in_corso = 0;
        lato_in_corso = 0;
    };
    const int32_t ultimo = t.ultimo_punto();
    for (int32_t p = 2; p <= ultimo; ++p) {
        int classe = 0;
        char lato = 0;
        if (valido(p) && valido(p - 1) && valido(p - 2)) {
            // The step into p is the step into p - 1 turned by c: b - a = c * (a1, -a0).
            const double a0 = t.valore(p - 1, 0) - t.valore(p - 2, 0);
            const double a1 = t.valore(p - 1, 1) - t.valore(p - 2, 1);
            const double b0 = t.valore(p, 0) - t.valore(p - 1, 0);
            const double b1 = t.valore(p, 1) - t.valore(p - 1, 1);
            const double norma = a0 * a0 + a1 * a1;
            const double c = norma > 0 ? ((b0 - a0) * a1 - (b1 - a1) * a0) / norma : 0;
            for (int k = 0; k < 6; ++k) {
                if (std::fabs(std::fabs(c) - curvature[k]) < curvature[k] * 0.2) {
                    classe = k + 1;
                    lato = c > 0 ? 'd' : 's';
                }
            }
        }
        if (classe != classe_in_corso || lato != lato_in_corso) {
            chiudi(p - 1);
            classe_in_corso = classe;
            lato_in_corso = lato;
            inizio = p - 1;
        }
    }
    chiudi(ultimo);
    return curve;
}

double lunghezza_percorso(const std::array<voce_treno, voci_record_treno>& voci,
                          const std::vector<cella>& celle) {
    double lunghezza = voci[84].fine;
    const double massimo =
        !celle.empty() ? static_cast<double>(celle.size() - 1) * metri_per_cella : 0;
    if (!(lunghezza > 0 && lunghezza <= massimo)) lunghezza = massimo;
    if (lunghezza <= 0) lunghezza = metri_per_cella;
    return lunghezza;
}

}  // namespace compattatore
