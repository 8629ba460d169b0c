#include "tools/plot_svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

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

constexpr const char* colore_pendenza = "#6d4c41";
constexpr const char* colore_velocita = "#1565c0";

// The items the picture shows: those of the table and the cells, without the mountain
// ranges, the marks and the cells before a warning. An indication board is named by its
// lines as the driver reads them.
std::vector<Oggetto> raccogli(const ScenarioDaDisegnare& s) {
    std::vector<Oggetto> oggetti;
    for (Oggetto& o : oggetti_scenario(s.voci, s.celle)) {
        if (o.genere == GenereOggetto::montagna || o.genere == GenereOggetto::marca) continue;
        if (o.genere == GenereOggetto::avviso && s.celle[static_cast<size_t>(o.cella)].codice != 4)
            continue;
        if (o.genere == GenereOggetto::cartello && !o.righe.empty()) {
            o.etichetta.clear();
            for (const std::string& r : o.righe) {
                o.etichetta += (o.etichetta.empty() ? "" : " / ") + r;
            }
        }
        oggetti.push_back(std::move(o));
    }
    return oggetti;
}

// ---- texts and the room they take -------------------------------------------------------

// The advance of the printable ASCII characters (from the space) in thousandths of the font
// size, regular and bold, as DejaVu Sans draws them, the sans-serif font the picture asks for.
constexpr uint16_t larghezze[2][95] = {
    {318,  401, 460, 838, 637, 951, 780, 275, 391, 391, 500, 838, 318, 361, 318, 337,
     637,  637, 637, 637, 637, 637, 637, 637, 637, 637, 337, 337, 838, 838, 838, 531,
     1000, 685, 687, 699, 771, 632, 576, 775, 752, 295, 295, 656, 558, 863, 749, 788,
     604,  788, 695, 635, 611, 732, 685, 989, 686, 611, 686, 391, 337, 391, 838, 500,
     500,  613, 635, 550, 635, 616, 353, 635, 634, 278, 278, 580, 278, 975, 634, 612,
     635,  635, 412, 521, 393, 634, 592, 818, 592, 592, 525, 637, 337, 637, 838},
    {349,  457, 521, 838, 696, 1002, 873, 307,  458, 458, 523, 838, 380, 416,  380, 366,
     696,  696, 696, 696, 696, 696,  696, 696,  696, 696, 400, 400, 838, 838,  838, 581,
     1000, 774, 763, 734, 831, 684,  684, 821,  837, 373, 373, 775, 638, 996,  837, 851,
     733,  851, 771, 721, 683, 813,  774, 1104, 771, 725, 726, 458, 366, 458,  838, 500,
     500,  675, 716, 593, 716, 679,  436, 716,  712, 343, 343, 666, 343, 1042, 712, 688,
     716,  716, 494, 596, 479, 712,  652, 924,  646, 652, 583, 712, 366, 712,  838},
};

// A kind of text: its class in the style sheet, its size and weight.
struct Corpo {
    const char* classe;
    double px;
    bool grassetto;
};
constexpr Corpo corpo_titolo{"titolo", 20, true};
constexpr Corpo corpo_intestazione{"intestazione", 13, true};
constexpr Corpo corpo_asse{"asse", 13, false};
constexpr Corpo corpo_medio{"medio", 11, false};
constexpr Corpo corpo_piccolo{"piccolo", 10, false};
constexpr Corpo corpo_stazione{"stazione", 12, true};
constexpr Corpo corpo_nota{"nota", 14, false};

// The width of a line of text, a little wider than the font draws it (a character outside
// ASCII counts as the widest), so that boxes apart here stay apart in another sans-serif.
double larghezza_testo(std::string_view utf8, const Corpo& corpo) {
    double millesimi = 0;
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) == 0x80) continue;  // inside a multi-byte character
        if (c >= 32 && c < 127) {
            millesimi += larghezze[corpo.grassetto ? 1 : 0][c - 32];
        } else {
            millesimi += corpo.grassetto ? 1100 : 1000;
        }
    }
    return millesimi / 1000 * corpo.px * 1.04 + 1;
}

struct Scatola {
    double x0, y0, x1, y1;
};

bool si_toccano(const Scatola& a, const Scatola& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

// The boxes taken on the page, texts and marks, in a grid of 64-pixel squares so that a
// label of a long route looks only at its neighbours.
class Occupato {
  public:
    bool libera(const Scatola& b) const {
        bool ok = true;
        per_quadro(b, [&](int64_t k) {
            const auto it = quadri_.find(k);
            if (it == quadri_.end()) return;
            for (const size_t i : it->second) {
                if (si_toccano(b, scatole_[i])) ok = false;
            }
        });
        return ok;
    }
    void occupa(const Scatola& b) {
        scatole_.push_back(b);
        per_quadro(b, [&](int64_t k) { quadri_[k].push_back(scatole_.size() - 1); });
    }

  private:
    template <typename F>
    static void per_quadro(const Scatola& b, F f) {
        const auto gx1 = static_cast<int64_t>(std::floor(b.x1 / 64));
        const auto gy1 = static_cast<int64_t>(std::floor(b.y1 / 64));
        for (auto gx = static_cast<int64_t>(std::floor(b.x0 / 64)); gx <= gx1; ++gx) {
            for (auto gy = static_cast<int64_t>(std::floor(b.y0 / 64)); gy <= gy1; ++gy) {
                f(gx * 1000003 + gy);
            }
        }
    }
    std::vector<Scatola> scatole_;
    std::unordered_map<int64_t, std::vector<size_t>> quadri_;
};

enum class Ancora { inizio, mezzo, fine };

struct Disegno {
    std::string svg;
    std::vector<TestoDisegnato> testi;
    Occupato occupato;

    Disegno& operator<<(std::string_view s) {
        svg += s;
        return *this;
    }
    void linea(double x1, double y1, double x2, double y2, const char* attributi) {
        *this << "<line x1=\"" << num(x1) << "\" y1=\"" << num(y1) << "\" x2=\"" << num(x2)
              << "\" y2=\"" << num(y2) << "\"" << attributi << "/>\n";
    }
    // The box of `testo` (UTF-8) with its baseline at y, anchored at x.
    static Scatola scatola(double x, double y, std::string_view testo, const Corpo& corpo,
                           Ancora ancora = Ancora::inizio) {
        const double w = larghezza_testo(testo, corpo);
        const double x0 = ancora == Ancora::inizio  ? x
                          : ancora == Ancora::mezzo ? x - w / 2
                                                    : x - w;
        return {x0 - 1, y - corpo.px * 0.96, x0 + w + 1, y + corpo.px * 0.26};
    }
    // A text whose place is fixed: it takes its box whatever is there.
    void testo(double x, double y, std::string_view utf8, const Corpo& corpo,
               Ancora ancora = Ancora::inizio, const char* colore = nullptr) {
        scrivi(x, y, scatola(x, y, utf8, corpo, ancora), utf8, corpo, ancora, colore);
    }
    // A label: written only where its box is free; true when it was.
    bool etichetta(double x, double y, std::string_view utf8, const Corpo& corpo,
                   Ancora ancora = Ancora::inizio, const char* colore = nullptr) {
        const Scatola b = scatola(x, y, utf8, corpo, ancora);
        if (!occupato.libera(b)) return false;
        scrivi(x, y, b, utf8, corpo, ancora, colore);
        return true;
    }
    void scrivi(double x, double y, const Scatola& b, std::string_view utf8, const Corpo& corpo,
                Ancora ancora, const char* colore) {
        occupato.occupa(b);
        testi.push_back({b.x0, b.y0, b.x1, b.y1, std::string(utf8)});
        *this << "<text x=\"" << num(x) << "\" y=\"" << num(y) << "\" class=\"" << corpo.classe
              << "\"";
        if (colore != nullptr) *this << " fill=\"" << colore << "\"";
        if (ancora == Ancora::mezzo) *this << " text-anchor=\"middle\"";
        if (ancora == Ancora::fine) *this << " text-anchor=\"end\"";
        *this << ">" << testo_xml(utf8) << "</text>\n";
    }
    // An axis title, upright, centred on (x, y).
    void titolo_verticale(double x, double y, std::string_view utf8) {
        const double w = larghezza_testo(utf8, corpo_asse);
        const Scatola b{x - corpo_asse.px * 0.96 - 1, y - w / 2 - 1, x + corpo_asse.px * 0.26 + 1,
                        y + w / 2 + 1};
        occupato.occupa(b);
        testi.push_back({b.x0, b.y0, b.x1, b.y1, std::string(utf8)});
        *this << "<text class=\"asse\" text-anchor=\"middle\" transform=\"translate(" << num(x)
              << "," << num(y) << ") rotate(-90)\">" << testo_xml(utf8) << "</text>\n";
    }
};

// ---- the page ---------------------------------------------------------------------------

constexpr double larghezza_pagina = 1600;
constexpr double margine_sinistro = 80;
constexpr double margine_destro = 40;
constexpr double larghezza_utile = larghezza_pagina - margine_sinistro - margine_destro;
// A stretch longer than this and a fifth is drawn as an overview and detail strips this long.
constexpr double metri_per_striscia = 50000;

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

// A round length (1, 2 or 5 times a power of ten metres) for a scale bar of at most `pixel`
// pixels at `scala` pixels per metre.
double lunghezza_scala(double pixel, double scala) {
    const double metri = pixel / scala;
    const double p = std::pow(10.0, std::floor(std::log10(std::max(metri, 1e-3))));
    for (double f : {5.0, 2.0, 1.0}) {
        if (p * f <= metri) return p * f;
    }
    return p;
}

std::string metri_txt(double m) {
    if (m >= 1000) return std::to_string(std::llround(m / 1000)) + " km";
    return std::to_string(std::llround(m)) + " m";
}

// A scale bar of about 120 pixels at `scala` pixels per metre, ending at x, its length
// written before it.
void barra_scala(Disegno& d, double x, double y, double scala, const std::string& nome) {
    const double metri = lunghezza_scala(120, scala);
    const double pixel = metri * scala;
    d << "<g class=\"scala\">\n<rect x=\"" << num(x - pixel) << "\" y=\"" << num(y - 7)
      << "\" width=\"" << num(pixel) << "\" height=\"5\" fill=\"#212121\"/>\n";
    d.occupato.occupa({x - pixel - 1, y - 8, x + 1, y});
    d.testo(x - pixel - 6, y, nome + " " + metri_txt(metri), corpo_medio, Ancora::fine);
    d << "</g>\n";
}

struct Tratto {
    double da = 0, a = 0;  // metres
};

// The mark of an item, centred on (x, y).
void segno(Disegno& d, GenereOggetto g, double x, double y) {
    const char* colore = stile(g).colore;
    switch (g) {
        case GenereOggetto::stazione:
            d << "<circle cx=\"" << num(x) << "\" cy=\"" << num(y)
              << "\" r=\"5\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"2\"/>\n";
            break;
        case GenereOggetto::avviso:
            d << "<path fill=\"" << colore << "\" d=\"M" << num(x) << "," << num(y - 5) << " L"
              << num(x + 5) << "," << num(y + 4) << " L" << num(x - 5) << "," << num(y + 4)
              << " Z\"/>\n";
            break;
        case GenereOggetto::rallentamento:
            d << "<rect x=\"" << num(x - 6) << "\" y=\"" << num(y - 3)
              << "\" width=\"12\" height=\"6\" fill=\"" << colore << "\" fill-opacity=\"0.7\"/>\n";
            break;
        default:
            d << "<rect x=\"" << num(x - 3) << "\" y=\"" << num(y - 3)
              << "\" width=\"6\" height=\"6\" fill=\"" << colore << "\"/>\n";
            break;
    }
}

// The legend, one row from x at baseline y: the marks, then the two profile lines.
void legenda(Disegno& d, double x, double y) {
    d << "<g class=\"legenda\">\n";
    for (GenereOggetto g :
         {GenereOggetto::stazione, GenereOggetto::segnale, GenereOggetto::rallentamento,
          GenereOggetto::avviso, GenereOggetto::velocita_max, GenereOggetto::cartello}) {
        segno(d, g, x + 6, y - 4);
        d.testo(x + 16, y, stile(g).nome, corpo_medio);
        x += 36 + larghezza_testo(stile(g).nome, corpo_medio);
    }
    for (const auto& [colore, nome] : {std::pair{colore_pendenza, "gradient"},
                                       std::pair{colore_velocita, "speed limit in force"}}) {
        d << "<line x1=\"" << num(x) << "\" y1=\"" << num(y - 4) << "\" x2=\"" << num(x + 16)
          << "\" y2=\"" << num(y - 4) << "\" stroke=\"" << colore << "\" stroke-width=\"2\"/>\n";
        d.testo(x + 20, y, nome, corpo_medio);
        x += 40 + larghezza_testo(nome, corpo_medio);
    }
    d << "</g>\n";
}

// The route seen from above, the stretch fitted to the page. Returns the height used.
double disegna_mappa(Disegno& d, const Tracciato& t, const std::vector<Oggetto>& oggetti,
                     const Tratto& tratto, double y0) {
    auto valido = [&](int64_t p) {
        if (!t.contiene(p)) return false;
        const auto q = static_cast<int32_t>(p);
        return t.tipo(q, 0) != Tracciato::vuoto && t.tipo(q, 1) != Tracciato::vuoto &&
               std::isfinite(t.valore(q, 0)) && std::isfinite(t.valore(q, 1)) &&
               std::fabs(t.valore(q, 0)) < 1e9 && std::fabs(t.valore(q, 1)) < 1e9;
    };
    // One point per cell is plenty for the eye and keeps a long line light.
    const auto passo_punti = static_cast<int64_t>(metri_per_cella);
    const auto primo = static_cast<int64_t>(std::floor(tratto.da));
    const auto ultimo =
        std::min(static_cast<int64_t>(std::ceil(tratto.a)), static_cast<int64_t>(t.ultimo_punto()));
    std::vector<int64_t> punti;
    for (int64_t p = primo; p < ultimo; p += passo_punti) punti.push_back(p);
    punti.push_back(ultimo);

    constexpr double infinito = std::numeric_limits<double>::infinity();
    double min_x = infinito, max_x = -infinito, min_y = infinito, max_y = -infinito;
    for (const int64_t p : punti) {
        if (!valido(p)) continue;
        const auto q = static_cast<int32_t>(p);
        min_x = std::min(min_x, t.valore(q, 1));
        max_x = std::max(max_x, t.valore(q, 1));
        min_y = std::min(min_y, t.valore(q, 0));
        max_y = std::max(max_y, t.valore(q, 0));
    }
    if (!(min_x <= max_x)) {
        d.testo(margine_sinistro, y0 + 20, "The track plan holds no point to draw here.",
                corpo_nota);
        return 40;
    }
    // Coordinate 1 runs along the first straight: it goes across the page, coordinate 0
    // down it, which turns the plan a quarter without mirroring it.
    const double ampiezza_x = std::max(max_x - min_x, 1.0);
    const double ampiezza_y = std::max(max_y - min_y, 1.0);
    const double bordo = 50;  // room for the labels
    const double altezza =
        std::clamp(larghezza_utile * ampiezza_y / ampiezza_x + 2 * bordo, 320.0, 620.0);
    const double sc =
        std::min((larghezza_utile - 2 * bordo) / ampiezza_x, (altezza - 2 * bordo) / ampiezza_y);
    const double ox = margine_sinistro + (larghezza_utile - ampiezza_x * sc) / 2;
    const double oy = y0 + (altezza - ampiezza_y * sc) / 2;
    auto X = [&](int64_t p) { return ox + (t.valore(static_cast<int32_t>(p), 1) - min_x) * sc; };
    auto Y = [&](int64_t p) { return oy + (t.valore(static_cast<int32_t>(p), 0) - min_y) * sc; };

    d << "<g class=\"mappa\">\n";
    d << "<rect x=\"" << num(margine_sinistro) << "\" y=\"" << num(y0) << "\" width=\""
      << num(larghezza_utile) << "\" height=\"" << num(altezza)
      << "\" fill=\"#fafafa\" stroke=\"#cccccc\"/>\n";
    d << "<path class=\"percorso\" fill=\"none\" stroke=\"#555555\" stroke-width=\"2\" d=\"";
    bool nuovo = true;
    for (const int64_t p : punti) {
        if (!valido(p)) {
            nuovo = true;
            continue;
        }
        d << (nuovo ? "M" : "L") << num(X(p)) << "," << num(Y(p)) << " ";
        nuovo = false;
    }
    d << "\"/>\n";
    barra_scala(d, margine_sinistro + larghezza_utile - 10, y0 + altezza - 10, sc, "map");

    // The marks first, each taking its own small box; then the labels by importance.
    struct Segno {
        const Oggetto* o;
        double x, y;
    };
    std::vector<Segno> segni;
    for (const Oggetto& o : oggetti) {
        if (o.da < tratto.da || o.da > tratto.a) continue;
        const auto p = std::llround(o.da);
        if (!valido(p)) continue;
        segni.push_back({&o, X(p), Y(p)});
    }
    for (const Segno& s : segni) {
        if (s.o->genere == GenereOggetto::rallentamento) {
            d << "<path fill=\"none\" stroke=\"" << stile(s.o->genere).colore
              << "\" stroke-width=\"6\" stroke-opacity=\"0.7\" d=\"M" << num(s.x) << ","
              << num(s.y);
            const auto fine = std::llround(std::min(s.o->a, tratto.a));
            for (int64_t r = std::llround(s.o->da) + 10; r <= fine; r += 10) {
                if (valido(r)) d << " L" << num(X(r)) << "," << num(Y(r));
            }
            d << "\"/>\n";
        } else {
            segno(d, s.o->genere, s.x, s.y);
        }
        d.occupato.occupa({s.x - 5, s.y - 5, s.x + 5, s.y + 5});
    }
    // A station's name goes beside its mark or, when that is taken, farther out on rings
    // with a leader line, until it finds room; another item's label beside its mark or not
    // at all. Leader lines go under every label.
    const size_t sotto_le_etichette = d.svg.size();
    std::string linee;
    const GenereOggetto ordine[] = {GenereOggetto::stazione,      GenereOggetto::cartello,
                                    GenereOggetto::rallentamento, GenereOggetto::avviso,
                                    GenereOggetto::segnale,       GenereOggetto::velocita_max};
    const Scatola riquadro{margine_sinistro + 2, y0 + 2, margine_sinistro + larghezza_utile - 2,
                           y0 + altezza - 2};
    for (const GenereOggetto g : ordine) {
        const bool stazione = g == GenereOggetto::stazione;
        const Corpo& corpo = stazione ? corpo_stazione : corpo_piccolo;
        const char* colore = stile(g).colore;
        for (const Segno& s : segni) {
            if (s.o->genere != g) continue;
            const std::string& testo = s.o->etichetta;
            const int anelli = stazione ? 40 : 1;
            bool posto = false;
            for (int anello = 0; anello < anelli && !posto; ++anello) {
                const double r = 9 + anello * 14.0;
                const int direzioni = anello < 4 ? 8 : 16;
                for (int k = 0; k < direzioni && !posto; ++k) {
                    const double angolo = (k * 8.0 / direzioni - 1) * 0.7853981633974483;
                    const double cs = std::cos(angolo), sn = std::sin(angolo);
                    const double cx = s.x + r * cs, cy = s.y + r * sn;
                    const Ancora ancora = cs < -0.1  ? Ancora::fine
                                          : cs > 0.1 ? Ancora::inizio
                                                     : Ancora::mezzo;
                    const double by = cy + (sn > 0.1    ? corpo.px * 0.96
                                            : sn < -0.1 ? -corpo.px * 0.26
                                                        : corpo.px * 0.35);
                    const Scatola b = Disegno::scatola(cx, by, testo, corpo, ancora);
                    if (b.x0 < riquadro.x0 || b.x1 > riquadro.x1 || b.y0 < riquadro.y0 ||
                        b.y1 > riquadro.y1 || !d.occupato.libera(b)) {
                        continue;
                    }
                    if (anello > 0) {
                        linee += "<line x1=\"" + num(s.x) + "\" y1=\"" + num(s.y) + "\" x2=\"" +
                                 num(std::clamp(s.x, b.x0, b.x1)) + "\" y2=\"" +
                                 num(std::clamp(s.y, b.y0, b.y1)) +
                                 "\" stroke=\"#9e9e9e\" stroke-width=\"0.8\"/>\n";
                    }
                    d.scrivi(cx, by, b, testo, corpo, ancora, colore);
                    posto = true;
                }
            }
        }
    }
    d.svg.insert(sotto_le_etichette, linee);
    d << "</g>\n";
    return altezza;
}

// The profiles along the stretch: station names, the gradient, the labels of slowdowns and
// speed boards (`con_etichette`), the speed limit in force and the kilometre axis. Returns
// the height used.
double disegna_profili(Disegno& d, const ScenarioDaDisegnare& s,
                       const std::vector<Oggetto>& oggetti, const Tratto& tratto, double y0,
                       bool con_etichette) {
    const auto& celle = s.celle;
    const double lunghezza = tratto.a - tratto.da;
    const double per_metro = larghezza_utile / lunghezza;
    auto X = [&](double m) { return margine_sinistro + (m - tratto.da) * per_metro; };
    auto dentro = [&](double m) { return m >= tratto.da && m <= tratto.a; };
    // The cells drawn: those of the stretch, without the last three (always empty).
    const size_t n_celle = celle.size() >= 3 ? celle.size() - 3 : 0;
    const auto prima_cella = std::min(
        n_celle, static_cast<size_t>(std::max(0.0, std::floor(tratto.da / metri_per_cella))));
    const size_t fine_celle =
        std::min(n_celle, static_cast<size_t>(std::ceil(tratto.a / metri_per_cella)));

    // Every station named, in as many rows as the names need.
    struct Nome {
        double x;
        size_t riga;
        const Oggetto* o;
        Ancora ancora;
    };
    std::vector<Nome> nomi;
    std::vector<double> fine_riga;
    for (const Oggetto& o : oggetti) {
        if (o.genere != GenereOggetto::stazione || !dentro(o.da)) continue;
        const double x = X(o.da);
        const double w = larghezza_testo(o.etichetta, corpo_stazione);
        const bool indietro = x + 3 + w > margine_sinistro + larghezza_utile;
        const double x0 = indietro ? x - 3 - w : x + 3;
        size_t r = 0;
        while (r < fine_riga.size() && fine_riga[r] > x0 - 6) ++r;
        if (r == fine_riga.size()) fine_riga.push_back(0);
        fine_riga[r] = x0 + w;
        nomi.push_back({x, r, &o, indietro ? Ancora::fine : Ancora::inizio});
    }
    const double riga_nomi = 15;
    const double h_nomi =
        static_cast<double>(std::max<size_t>(1, fine_riga.size())) * riga_nomi + 6;
    const double y_pendenza = y0 + h_nomi;
    const double h_pendenza = 120;
    const double riga_etichette = 13;
    const double h_etichette = con_etichette ? 3 * riga_etichette + 6 : 6;
    const double y_velocita = y_pendenza + h_pendenza + 14 + h_etichette;
    const double h_velocita = 170;
    const double y_asse = y_velocita + h_velocita;
    auto y_nome = [&](const Nome& n) { return y0 + riga_nomi * (static_cast<double>(n.riga) + 1); };
    for (const Nome& n : nomi) {
        d.linea(n.x, y_nome(n) + 3, n.x, y_asse,
                " stroke=\"#9e9e9e\" stroke-dasharray=\"4,3\" stroke-width=\"1\"");
    }
    for (const Nome& n : nomi) {
        d.testo(n.ancora == Ancora::fine ? n.x - 3 : n.x + 3, y_nome(n), n.o->etichetta,
                corpo_stazione, n.ancora);
    }

    // A band's value line and its label in the left margin.
    auto griglia = [&](double v, double yv, bool zero) {
        d.linea(margine_sinistro, yv, margine_sinistro + larghezza_utile, yv,
                zero ? " stroke=\"#616161\"" : " stroke=\"#e0e0e0\"");
        d.etichetta(margine_sinistro - 8, yv + 4, std::to_string(std::llround(v)), corpo_piccolo,
                    Ancora::fine);
    };
    // A band's line: a step per change of the cells' value, or, where the cells are denser
    // than the pixels, the lowest and highest value under each pixel.
    auto profilo = [&](auto valore, auto Y, const char* colore) {
        d << "<path fill=\"none\" stroke=\"" << colore << "\" stroke-width=\"1.5\" d=\"";
        if (prima_cella < fine_celle && metri_per_cella * per_metro < 1) {
            bool primo = true;
            size_t c = prima_cella;
            for (int px = 0; px < static_cast<int>(larghezza_utile) && c < fine_celle; ++px) {
                const double fino = tratto.da + (px + 1) / per_metro;
                double basso = valore(c), alto = basso;
                for (; c < fine_celle && static_cast<double>(c) * metri_per_cella < fino; ++c) {
                    basso = std::min(basso, valore(c));
                    alto = std::max(alto, valore(c));
                }
                const double x = margine_sinistro + px + 0.5;
                d << (primo ? "M" : " L") << num(x) << "," << num(Y(basso));
                if (alto != basso) d << " L" << num(x) << "," << num(Y(alto));
                primo = false;
            }
        } else if (prima_cella < fine_celle) {
            for (size_t c = prima_cella; c < fine_celle; ++c) {
                const double x1 = X(std::max(static_cast<double>(c) * metri_per_cella, tratto.da));
                if (c == prima_cella) {
                    d << "M" << num(x1) << "," << num(Y(valore(c)));
                } else if (valore(c) != valore(c - 1)) {
                    d << " L" << num(x1) << "," << num(Y(valore(c - 1))) << " L" << num(x1) << ","
                      << num(Y(valore(c)));
                }
                if (c + 1 == fine_celle) {
                    const double x2 =
                        X(std::min(static_cast<double>(c + 1) * metri_per_cella, tratto.a));
                    d << " L" << num(x2) << "," << num(Y(valore(c)));
                }
            }
        }
        d << "\"/>\n";
    };

    // Gradient, per mille.
    auto pendenza = [&](size_t c) { return static_cast<double>(celle[c].pendenza) - 100; };
    double g_max = 5;
    for (size_t c = prima_cella; c < fine_celle; ++c)
        g_max = std::max(g_max, std::fabs(pendenza(c)));
    const double g_passo = passo(g_max, 2);
    g_max = std::ceil(g_max / g_passo) * g_passo;
    auto Yg = [&](double g) {
        return y_pendenza + h_pendenza / 2 - g / g_max * (h_pendenza / 2 - 6);
    };
    d << "<g class=\"pendenza\">\n";
    d.titolo_verticale(18, y_pendenza + h_pendenza / 2, "gradient (\xE2\x80\xB0)");
    for (double g = -g_max; g <= g_max + 1e-9; g += g_passo) griglia(g, Yg(g), g == 0);
    profilo(pendenza, Yg, colore_pendenza);
    d << "</g>\n";

    // Speed limit in force, slowdowns and speed boards, km/h.
    auto velocita = [&](size_t c) { return celle[c].velocita * 5.0; };
    double v_max = 50;
    for (size_t c = prima_cella; c < fine_celle; ++c) v_max = std::max(v_max, velocita(c));
    for (const Oggetto& o : oggetti) {
        if (o.genere == GenereOggetto::rallentamento && dentro(o.da)) {
            v_max = std::max(v_max, static_cast<double>(o.valore));
        }
    }
    const double v_passo = passo(v_max, 4);
    v_max = std::ceil(v_max / v_passo) * v_passo;
    auto Yv = [&](double v) { return y_velocita + h_velocita - v / v_max * (h_velocita - 8); };
    d << "<g class=\"velocita\">\n";
    d.titolo_verticale(18, y_velocita + h_velocita / 2, "speed limit (km/h)");
    for (double v = 0; v <= v_max + 1e-9; v += v_passo) griglia(v, Yv(v), v == 0);
    profilo(velocita, Yv, colore_velocita);
    // Slowdowns as areas, speed boards as marks (not in an overview, where they would be a
    // hatching); their labels on three rows above the band where there is room.
    for (const Oggetto& o : oggetti) {
        if (!dentro(o.da)) continue;
        const double x = X(o.da);
        const char* colore = stile(o.genere).colore;
        if (o.genere == GenereOggetto::rallentamento) {
            const double v = std::clamp(static_cast<double>(o.valore), 0.0, v_max);
            const double x2 = X(std::clamp(o.a, o.da, tratto.a));
            d << "<rect x=\"" << num(x) << "\" y=\"" << num(Yv(v)) << "\" width=\""
              << num(std::max(x2 - x, 2.0)) << "\" height=\"" << num(Yv(0) - Yv(v)) << "\" fill=\""
              << colore << "\" fill-opacity=\"0.35\"/>\n";
        } else if (o.genere == GenereOggetto::velocita_max && con_etichette) {
            d.linea(x, y_velocita - 2, x, Yv(0), " stroke=\"#1565c0\" stroke-dasharray=\"2,2\"");
        } else {
            continue;
        }
        if (!con_etichette) continue;
        // Before the mark where the label would leave the page.
        const bool indietro =
            x + 2 + larghezza_testo(o.etichetta, corpo_piccolo) + 1 > larghezza_pagina - 2;
        for (int riga = 0; riga < 3; ++riga) {
            const double yt = y_velocita - 4 - riga_etichette * riga;
            if (d.etichetta(indietro ? x - 2 : x + 2, yt, o.etichetta, corpo_piccolo,
                            indietro ? Ancora::fine : Ancora::inizio, colore)) {
                break;
            }
        }
    }
    d << "</g>\n";

    // Kilometre ticks, labelled where they fit: whole kilometres, or as the railway writes
    // positions when the step is shorter.
    const double m_passo = passo(lunghezza, larghezza_utile / 90);
    d << "<g class=\"asse_km\">\n";
    d.testo(margine_sinistro - 8, y_asse + 20, "km", corpo_asse, Ancora::fine);
    for (double m = std::ceil(tratto.da / m_passo - 1e-9) * m_passo; m <= tratto.a + 1e-6;
         m += m_passo) {
        const double x = X(m);
        d.linea(x, y_asse, x, y_asse + 6, " stroke=\"#000000\"");
        const std::string t = m_passo >= 1000 ? std::to_string(std::llround(m / 1000)) : km(m);
        const double w = larghezza_testo(t, corpo_piccolo);
        d.etichetta(std::clamp(x, margine_sinistro - 4 + w / 2,
                               margine_sinistro + larghezza_utile + margine_destro - 2 - w / 2),
                    y_asse + 20, t, corpo_piccolo, Ancora::mezzo);
    }
    barra_scala(d, margine_sinistro + larghezza_utile, y_asse + 40, per_metro, "profile");
    d << "</g>\n";
    return y_asse + 46 - y0;
}

}  // namespace

std::string difetto_tratto(const ScenarioDaDisegnare& s, const TrattoDaDisegnare& t) {
    const double lunghezza = lunghezza_percorso(s.voci, s.celle);
    auto breve = [](double v) {
        char testo[64];
        const auto r = std::to_chars(testo, testo + sizeof testo, v);
        return std::string(testo, r.ptr);
    };
    const std::string fine = "the route ends at km " + breve(lunghezza / 1000);
    if (t.da_km && !(*t.da_km * 1000 < lunghezza)) {
        return "--from " + breve(*t.da_km) + " is not before the end of the route: " + fine;
    }
    if (t.a_km && *t.a_km * 1000 > lunghezza + 0.5) {
        return "--to " + breve(*t.a_km) + " is beyond the end of the route: " + fine;
    }
    return {};
}

Disegnato disegna_plot(const ScenarioDaDisegnare& s, const TrattoDaDisegnare& richiesto) {
    const auto oggetti = raccogli(s);
    const double lunghezza = lunghezza_percorso(s.voci, s.celle);
    Tratto tratto{0, lunghezza};
    if (richiesto.da_km) tratto.da = std::clamp(*richiesto.da_km * 1000, 0.0, lunghezza);
    if (richiesto.a_km) tratto.a = std::clamp(*richiesto.a_km * 1000, 0.0, lunghezza);
    const bool vuoto = !(tratto.a > tratto.da);

    Disegno d;
    const std::string scenario = a_utf8(s.voci[85].testo);
    const std::string treno = a_utf8(s.voci[86].testo);
    d.testo(margine_sinistro, 30, "Scenario " + scenario + " \xE2\x80\x94 train " + treno,
            corpo_titolo);
    std::string sottotitolo =
        "route " + num(lunghezza / 1000) + " km, " + std::to_string(s.celle.size()) + " cells";
    if (richiesto.da_km || richiesto.a_km) {
        sottotitolo += vuoto ? "; the stretch asked for lies outside the route"
                             : "; drawn from " + km(tratto.da) + " to " + km(tratto.a);
    }
    d.testo(margine_sinistro, 50, sottotitolo, corpo_medio);
    legenda(d, margine_sinistro, 74);
    double y = 92;

    if (vuoto) {
        d.testo(margine_sinistro, y + 20, "Nothing to draw in this stretch.", corpo_nota);
        y += 40;
    } else {
        if (s.tracciato) {
            y += disegna_mappa(d, *s.tracciato, oggetti, tratto, y) + 24;
        } else {
            d.testo(margine_sinistro, y + 16, s.nota_tracciato, corpo_nota);
            y += 36;
        }
        // A long stretch: the overview, then strips of 50 km.
        const bool a_strisce = tratto.a - tratto.da > metri_per_striscia * 1.2;
        if (a_strisce) {
            d.testo(margine_sinistro, y + 14,
                    "Overview " + km(tratto.da) + " \xE2\x80\x93 " + km(tratto.a),
                    corpo_intestazione);
            y += 22;
        }
        y += disegna_profili(d, s, oggetti, tratto, y, !a_strisce) + 20;
        if (a_strisce) {
            for (double da = tratto.da; da < tratto.a - 1; da += metri_per_striscia) {
                const Tratto striscia{da, std::min(da + metri_per_striscia, tratto.a)};
                d.testo(margine_sinistro, y + 14,
                        "Detail " + km(striscia.da) + " \xE2\x80\x93 " + km(striscia.a),
                        corpo_intestazione);
                y += 22;
                y += disegna_profili(d, s, oggetti, striscia, y, true) + 20;
            }
        }
    }
    const double altezza_totale = y + 10;

    Disegnato fatto;
    std::string& svg = fatto.svg;
    svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(larghezza_pagina) +
           "\" height=\"" + num(altezza_totale) + "\" viewBox=\"0 0 " + num(larghezza_pagina) +
           " " + num(altezza_totale) + "\" font-family=\"DejaVu Sans, sans-serif\">\n";
    svg += "<title>Scenario " + testo_xml(scenario) + " \xE2\x80\x94 train " + testo_xml(treno) +
           "</title>\n";
    svg +=
        "<style>text{paint-order:stroke;stroke:#ffffff;stroke-width:3px;stroke-linejoin:round}"
        ".titolo{font-size:20px;font-weight:bold}.intestazione{font-size:13px;font-weight:bold}"
        ".asse{font-size:13px}.medio{font-size:11px}.piccolo{font-size:10px}"
        ".stazione{font-size:12px;font-weight:bold}.nota{font-size:14px;fill:#b71c1c}</style>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    svg += d.svg;
    svg += "</svg>\n";
    fatto.testi = std::move(d.testi);
    return fatto;
}

std::string disegna_svg(const ScenarioDaDisegnare& s, const TrattoDaDisegnare& tratto) {
    return disegna_plot(s, tratto).svg;
}

}  // namespace compattatore
