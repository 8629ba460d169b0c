#include "tools/plot_svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string_view>
#include <utility>

#include "core/utf8.h"
#include "tools/decodifica.h"

namespace compattatore {

namespace {

// ---- text -------------------------------------------------------------------------------

// A number with one decimal, independent of the locale.
std::string num(double v) {
    if (!std::isfinite(v)) v = 0;
    char testo[64];
    const auto r = std::to_chars(testo, testo + sizeof testo, v, std::chars_format::fixed, 1);
    return std::string(testo, r.ptr);
}

}  // namespace

std::string testo_xml(std::string_view u) {
    std::string x;
    x.reserve(u.size());
    for (const char ch : u) {
        switch (ch) {
            case '&':
                x += "&amp;";
                break;
            case '<':
                x += "&lt;";
                break;
            case '>':
                x += "&gt;";
                break;
            case '"':
                x += "&quot;";
                break;
            case '\'':
                x += "&apos;";
                break;
            default:
                if (static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\n' &&
                    ch != '\r') {
                    x += "\xEF\xBF\xBD";
                } else {
                    x += ch;
                }
        }
    }
    return x;
}

namespace {

std::string xml(std::string_view windows_1252) {
    return testo_xml(a_utf8(windows_1252));
}

// ---- what is drawn ----------------------------------------------------------------------

struct Stile {
    const char* colore;
    const char* nome;  // legend
};

Stile stile(GenereOggetto g) {
    switch (g) {
        case GenereOggetto::stazione:
            return {"#000000", "station"};
        case GenereOggetto::segnale:
            return {"#c62828", "signal"};
        case GenereOggetto::rallentamento:
            return {"#ef6c00", "slowdown"};
        case GenereOggetto::avviso:
            return {"#f9a825", "slowdown warning"};
        case GenereOggetto::velocita_max:
            return {"#1565c0", "speed board"};
        case GenereOggetto::cartello:
            return {"#2e7d32", "indication board"};
        default:
            break;
    }
    return {"#000000", ""};
}

// The items the picture shows: those of the table and the cells, without the mountain
// ranges, the marks and the cells before a warning.
std::vector<Oggetto> raccogli(const ScenarioDaDisegnare& s) {
    std::vector<Oggetto> oggetti;
    for (Oggetto& o : oggetti_scenario(s.voci, s.celle)) {
        if (o.genere == GenereOggetto::montagna || o.genere == GenereOggetto::marca) continue;
        if (o.genere == GenereOggetto::avviso && s.celle[static_cast<size_t>(o.cella)].codice != 4)
            continue;
        oggetti.push_back(std::move(o));
    }
    return oggetti;
}

// ---- the picture ------------------------------------------------------------------------

constexpr double margine_sinistro = 80;
constexpr double margine_destro = 60;

struct Disegno {
    std::string svg;
    Disegno& operator<<(std::string_view s) {
        svg += s;
        return *this;
    }
    void testo(double x, double y, const std::string& t, const char* attributi = "") {
        *this << "<text x=\"" << num(x) << "\" y=\"" << num(y) << "\"" << attributi << ">" << t
              << "</text>\n";
    }
    void linea(double x1, double y1, double x2, double y2, const char* attributi) {
        *this << "<line x1=\"" << num(x1) << "\" y1=\"" << num(y1) << "\" x2=\"" << num(x2)
              << "\" y2=\"" << num(y2) << "\"" << attributi << "/>\n";
    }
};

// An axis title, upright in the left margin, centred on `y`.
void titolo_verticale(Disegno& d, double y, const std::string& t) {
    d << "<text class=\"asse\" text-anchor=\"middle\" transform=\"translate(18," << num(y)
      << ") rotate(-90)\">" << t << "</text>\n";
}

// A step of a tick scale that gives at most `quanti` ticks over `ampiezza`.
double passo(double ampiezza, double quanti) {
    static const double passi[] = {1,     2,     5,     10,     20,     25,     50,
                                   100,   200,   250,   500,    1000,   2000,   5000,
                                   10000, 20000, 50000, 100000, 200000, 500000, 1000000};
    for (double p : passi) {
        if (ampiezza / p <= quanti) return p;
    }
    return passi[std::size(passi) - 1];
}

// The route seen from above. Returns the height used.
double disegna_mappa(Disegno& d, const Tracciato& t, const std::vector<Oggetto>& oggetti, double y0,
                     double larghezza) {
    auto valido = [&](int64_t p) {
        if (!t.contiene(p)) return false;
        const auto q = static_cast<int32_t>(p);
        return t.tipo(q, 0) != Tracciato::vuoto && t.tipo(q, 1) != Tracciato::vuoto &&
               std::isfinite(t.valore(q, 0)) && std::isfinite(t.valore(q, 1));
    };
    // Coordinate 1 runs along the first straight: it goes across the page, coordinate 0
    // down it, which turns the plan a quarter without mirroring it.
    int32_t ultimo = -1;
    for (int32_t p = t.ultimo_punto(); p >= 0; --p) {
        if (valido(p)) {
            ultimo = p;
            break;
        }
    }
    if (ultimo < 0) {
        d.testo(margine_sinistro, y0 + 20, "The track plan holds no point to draw.",
                " class=\"nota\"");
        return 40;
    }
    // One point per cell is plenty for the eye and keeps a long line light.
    std::vector<int32_t> punti;
    for (int32_t p = 0; p < ultimo; p += static_cast<int32_t>(metri_per_cella)) punti.push_back(p);
    punti.push_back(ultimo);

    constexpr double infinito = std::numeric_limits<double>::infinity();
    double min_x = infinito, max_x = -infinito, min_y = infinito, max_y = -infinito;
    for (int32_t p : punti) {
        if (!valido(p)) continue;
        min_x = std::min(min_x, t.valore(p, 1));
        max_x = std::max(max_x, t.valore(p, 1));
        min_y = std::min(min_y, t.valore(p, 0));
        max_y = std::max(max_y, t.valore(p, 0));
    }
    const double ampiezza_x = std::max(max_x - min_x, 1.0);
    const double ampiezza_y = std::max(max_y - min_y, 1.0);
    const double bordo = 40;  // room for the labels
    const double altezza =
        std::clamp(larghezza * ampiezza_y / ampiezza_x + 2 * bordo, 240.0, 720.0);
    const double scala = std::min(larghezza / ampiezza_x, (altezza - 2 * bordo) / ampiezza_y);
    const double ox = margine_sinistro + (larghezza - ampiezza_x * scala) / 2;
    const double oy = y0 + (altezza - ampiezza_y * scala) / 2;
    auto X = [&](int32_t p) { return ox + (t.valore(p, 1) - min_x) * scala; };
    auto Y = [&](int32_t p) { return oy + (t.valore(p, 0) - min_y) * scala; };

    d << "<g class=\"mappa\">\n";
    d << "<rect x=\"" << num(margine_sinistro - 10) << "\" y=\"" << num(y0) << "\" width=\""
      << num(larghezza + 20) << "\" height=\"" << num(altezza)
      << "\" fill=\"#fafafa\" stroke=\"#cccccc\"/>\n";
    d << "<path class=\"percorso\" fill=\"none\" stroke=\"#555555\" stroke-width=\"2\" d=\"";
    bool nuovo_tratto = true;
    for (int32_t p : punti) {
        if (!valido(p)) {
            nuovo_tratto = true;
            continue;
        }
        d << (nuovo_tratto ? "M" : "L") << num(X(p)) << "," << num(Y(p)) << " ";
        nuovo_tratto = false;
    }
    d << "\"/>\n";
    d.testo(X(0) + 6, Y(0) - 6, "km 0", " class=\"piccolo\"");

    // Labels take turns at four distances from the route so that neighbours do not overlap.
    static const double scarti[] = {-10, 18, -24, 32};
    size_t turno = 0;
    for (const Oggetto& o : oggetti) {
        const auto p = std::llround(o.da);
        if (!valido(p)) continue;
        const auto q = static_cast<int32_t>(p);
        const double x = X(q), y = Y(q);
        const char* colore = stile(o.genere).colore;
        switch (o.genere) {
            case GenereOggetto::stazione:
                d << "<circle cx=\"" << num(x) << "\" cy=\"" << num(y)
                  << "\" r=\"5\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"2\"/>\n";
                break;
            case GenereOggetto::rallentamento: {
                d << "<path fill=\"none\" stroke=\"" << colore
                  << "\" stroke-width=\"6\" stroke-opacity=\"0.7\" d=\"M" << num(x) << ","
                  << num(y);
                const auto fine = std::llround(o.a);
                for (int64_t r = p + 10; r <= fine; r += 10) {
                    if (valido(r)) {
                        const auto s = static_cast<int32_t>(r);
                        d << " L" << num(X(s)) << "," << num(Y(s));
                    }
                }
                d << "\"/>\n";
                break;
            }
            case GenereOggetto::avviso:
                d << "<path fill=\"" << colore << "\" d=\"M" << num(x) << "," << num(y - 5) << " L"
                  << num(x + 5) << "," << num(y + 4) << " L" << num(x - 5) << "," << num(y + 4)
                  << " Z\"/>\n";
                break;
            default:
                d << "<rect x=\"" << num(x - 3) << "\" y=\"" << num(y - 3)
                  << "\" width=\"6\" height=\"6\" fill=\"" << colore << "\"/>\n";
                break;
        }
        const double dy = scarti[turno++ % std::size(scarti)];
        d << "<text x=\"" << num(x + 6) << "\" y=\"" << num(y + dy) << "\" fill=\"" << colore
          << "\" class=\"" << (o.genere == GenereOggetto::stazione ? "stazione" : "piccolo")
          << "\">" << testo_xml(o.etichetta) << "</text>\n";
    }
    d << "</g>\n";
    return altezza;
}

}  // namespace

std::string disegna_svg(const ScenarioDaDisegnare& s) {
    const auto oggetti = raccogli(s);
    const auto& celle = s.celle;
    const size_t n_celle = celle.size();

    // The route's length from the general values; the cells bound it.
    double lunghezza = s.voci[84].fine;
    const double massimo = n_celle > 0 ? static_cast<double>(n_celle - 1) * metri_per_cella : 0;
    if (!(lunghezza > 0 && lunghezza <= massimo)) lunghezza = massimo;
    if (lunghezza <= 0) lunghezza = metri_per_cella;
    // The cells the profile covers: the route, without the last three cells (always empty).
    const size_t fine_profilo = std::min(n_celle >= 3 ? n_celle - 3 : 0,
                                         static_cast<size_t>(lunghezza / metri_per_cella) + 1);

    const double larghezza = std::clamp(lunghezza / 1000 * 12, 1400.0, 6000.0);
    const double larghezza_totale = margine_sinistro + larghezza + margine_destro;
    auto X = [&](double m) { return margine_sinistro + m / lunghezza * larghezza; };
    auto dentro = [&](double m) { return m >= 0 && m <= lunghezza; };

    Disegno d;
    double y = 0;

    // Title.
    const std::string scenario = xml(s.voci[85].testo);
    const std::string treno = xml(s.voci[86].testo);
    d.testo(margine_sinistro, 30, "Scenario " + scenario + " \xE2\x80\x94 train " + treno,
            " class=\"titolo\"");
    d.testo(margine_sinistro, 50,
            "route " + num(lunghezza / 1000) + " km, " + std::to_string(n_celle) + " cells",
            " class=\"piccolo\"");
    y = 70;

    // The route.
    if (s.tracciato) {
        y += disegna_mappa(d, *s.tracciato, oggetti, y, larghezza) + 20;
    } else {
        d.testo(margine_sinistro, y + 20, testo_xml(s.nota_tracciato), " class=\"nota\"");
        y += 40;
    }

    // Station names above the profile, slanted so that close stations stay readable.
    const double banda_nomi = 130;
    const double y_pendenza = y + banda_nomi;
    const double h_pendenza = 160;
    const double y_velocita = y_pendenza + h_pendenza + 70;
    const double h_velocita = 220;
    const double y_asse = y_velocita + h_velocita;

    for (const Oggetto& o : oggetti) {
        if (o.genere != GenereOggetto::stazione || !dentro(o.da)) continue;
        const double x = X(o.da);
        d.linea(x, y_pendenza - 4, x, y_asse,
                " stroke=\"#9e9e9e\" stroke-dasharray=\"4,3\" stroke-width=\"1\"");
        d << "<text class=\"stazione\" transform=\"translate(" << num(x + 3) << ","
          << num(y_pendenza - 8) << ") rotate(-50)\">" << testo_xml(o.etichetta) << "</text>\n";
    }

    // Gradient, per mille.
    double g_max = 5;
    for (size_t c = 0; c < fine_profilo; ++c) {
        g_max = std::max(g_max, std::fabs(static_cast<double>(celle[c].pendenza) - 100));
    }
    const double g_passo = passo(g_max, 3);
    g_max = std::ceil(g_max / g_passo) * g_passo;
    auto Yg = [&](double g) { return y_pendenza + h_pendenza / 2 - g / g_max * (h_pendenza / 2); };
    d << "<g class=\"pendenza\">\n";
    titolo_verticale(d, y_pendenza + h_pendenza / 2, "gradient (\xE2\x80\xB0)");
    for (double g = -g_max; g <= g_max + 1e-9; g += g_passo) {
        d.linea(margine_sinistro, Yg(g), margine_sinistro + larghezza, Yg(g),
                g == 0 ? " stroke=\"#616161\"" : " stroke=\"#e0e0e0\"");
        d.testo(margine_sinistro - 8, Yg(g) + 4, num(g), " class=\"piccolo\" text-anchor=\"end\"");
    }
    // One step per change of the gradient in force.
    d << "<path fill=\"none\" stroke=\"#6d4c41\" stroke-width=\"1.5\" d=\"";
    for (size_t c = 0; c < fine_profilo; ++c) {
        const double g = static_cast<double>(celle[c].pendenza) - 100;
        const double x1 = X(static_cast<double>(c) * metri_per_cella);
        if (c == 0) {
            d << "M" << num(x1) << "," << num(Yg(g));
        } else if (celle[c].pendenza != celle[c - 1].pendenza) {
            d << " L" << num(x1) << "," << num(Yg(static_cast<double>(celle[c - 1].pendenza) - 100))
              << " L" << num(x1) << "," << num(Yg(g));
        }
        if (c + 1 == fine_profilo) {
            const double x2 = X(std::min(static_cast<double>(c + 1) * metri_per_cella, lunghezza));
            d << " L" << num(x2) << "," << num(Yg(g));
        }
    }
    d << "\"/>\n</g>\n";

    // Speed limit in force, slowdowns and speed boards, km/h.
    double v_max = 50;
    for (size_t c = 0; c < fine_profilo; ++c) v_max = std::max(v_max, celle[c].velocita * 5.0);
    for (const Oggetto& o : oggetti) {
        if (o.genere == GenereOggetto::rallentamento)
            v_max = std::max(v_max, static_cast<double>(o.valore));
    }
    const double v_passo = passo(v_max, 6);
    v_max = std::ceil(v_max / v_passo) * v_passo;
    auto Yv = [&](double v) { return y_velocita + h_velocita - v / v_max * h_velocita; };
    d << "<g class=\"velocita\">\n";
    titolo_verticale(d, y_velocita + h_velocita / 2, "speed limit in force (km/h)");
    for (double v = 0; v <= v_max + 1e-9; v += v_passo) {
        d.linea(margine_sinistro, Yv(v), margine_sinistro + larghezza, Yv(v),
                v == 0 ? " stroke=\"#616161\"" : " stroke=\"#e0e0e0\"");
        d.testo(margine_sinistro - 8, Yv(v) + 4, num(v), " class=\"piccolo\" text-anchor=\"end\"");
    }
    d << "<path fill=\"none\" stroke=\"#1565c0\" stroke-width=\"2\" d=\"";
    for (size_t c = 0; c < fine_profilo; ++c) {
        const double v = celle[c].velocita * 5.0;
        const double x1 = X(static_cast<double>(c) * metri_per_cella);
        if (c == 0) {
            d << "M" << num(x1) << "," << num(Yv(v));
        } else if (celle[c].velocita != celle[c - 1].velocita) {
            d << " L" << num(x1) << "," << num(Yv(celle[c - 1].velocita * 5.0)) << " L" << num(x1)
              << "," << num(Yv(v));
        }
        if (c + 1 == fine_profilo) {
            const double x2 = X(std::min(static_cast<double>(c + 1) * metri_per_cella, lunghezza));
            d << " L" << num(x2) << "," << num(Yv(v));
        }
    }
    d << "\"/>\n";
    size_t turno = 0;
    for (const Oggetto& o : oggetti) {
        if (!dentro(o.da)) continue;
        const double x = X(o.da);
        const char* colore = stile(o.genere).colore;
        if (o.genere == GenereOggetto::rallentamento) {
            const double x2 = X(std::clamp(o.a, o.da, lunghezza));
            d << "<rect x=\"" << num(x) << "\" y=\"" << num(Yv(static_cast<double>(o.valore)))
              << "\" width=\"" << num(std::max(x2 - x, 2.0)) << "\" height=\""
              << num(Yv(0) - Yv(static_cast<double>(o.valore))) << "\" fill=\"" << colore
              << "\" fill-opacity=\"0.35\"/>\n";
            d.testo(x, Yv(static_cast<double>(o.valore)) - 4, testo_xml(o.etichetta),
                    (std::string(" class=\"piccolo\" fill=\"") + colore + "\"").c_str());
        } else if (o.genere == GenereOggetto::velocita_max) {
            // Board labels take turns on three rows above the panel.
            const double riga = y_velocita - 30 + 12 * static_cast<double>(turno++ % 3);
            d.linea(x, riga + 2, x, Yv(0), " stroke=\"#1565c0\" stroke-dasharray=\"2,2\"");
            d.testo(x + 2, riga, testo_xml(o.etichetta), " class=\"piccolo\" fill=\"#1565c0\"");
        }
    }
    d << "</g>\n";

    // Kilometre ticks.
    const double km_passo = passo(lunghezza / 1000, larghezza / 80);
    d << "<g class=\"asse_km\">\n";
    for (double k = 0; k * 1000 <= lunghezza + 1e-6; k += km_passo) {
        const double x = X(k * 1000);
        d.linea(x, y_asse, x, y_asse + 6, " stroke=\"#000000\"");
        d.testo(x, y_asse + 20, std::to_string(std::llround(k)),
                " class=\"piccolo\" text-anchor=\"middle\"");
    }
    d.testo(margine_sinistro + larghezza, y_asse + 36, "km", " class=\"asse\" text-anchor=\"end\"");
    d << "</g>\n";

    // Legend.
    double x_legenda = margine_sinistro;
    const double y_legenda = y_asse + 60;
    for (GenereOggetto g :
         {GenereOggetto::stazione, GenereOggetto::segnale, GenereOggetto::rallentamento,
          GenereOggetto::avviso, GenereOggetto::velocita_max, GenereOggetto::cartello}) {
        const Stile st = stile(g);
        d << "<rect x=\"" << num(x_legenda) << "\" y=\"" << num(y_legenda - 9)
          << "\" width=\"10\" height=\"10\" fill=\"" << st.colore << "\"/>\n";
        d.testo(x_legenda + 14, y_legenda, st.nome, " class=\"piccolo\"");
        x_legenda += 130;
    }
    const double altezza_totale = y_legenda + 20;

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(larghezza_totale) +
           "\" height=\"" + num(altezza_totale) + "\" viewBox=\"0 0 " + num(larghezza_totale) +
           " " + num(altezza_totale) + "\" font-family=\"sans-serif\">\n";
    svg += "<title>Scenario " + scenario + " \xE2\x80\x94 train " + treno + "</title>\n";
    svg +=
        "<style>.titolo{font-size:20px;font-weight:bold}.asse{font-size:13px}"
        ".piccolo{font-size:10px}.stazione{font-size:12px;font-weight:bold}"
        ".nota{font-size:14px;fill:#b71c1c}</style>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    svg += d.svg;
    svg += "</svg>\n";
    return svg;
}

}  // namespace compattatore
