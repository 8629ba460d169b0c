#include "core/tracciato.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/errori.h"
#include "platform/file_sostitutivo.h"
#include "prova_comune.h"
#include "tools/decodifica.h"
#include "track/codifica.h"

namespace compattatore {
namespace {

// A plain model of the plan: a tag and a value for every value.
struct Modello {
    std::vector<Tracciato::Tipo> tipi[2];
    std::vector<double> valori[2];
    explicit Modello(size_t punti) {
        for (int c = 0; c < 2; ++c) {
            tipi[c].assign(punti, Tracciato::vuoto);
            valori[c].assign(punti, 0.0);
        }
    }
};

struct Scrittura {
    int32_t punto;
    int coordinata;
    Tracciato::Tipo tipo;
    double valore;
};

void applica(Tracciato& t, Modello& m, const Scrittura& s) {
    if (s.tipo == Tracciato::intero) {
        t.imposta_intero(s.punto, s.coordinata, static_cast<int16_t>(s.valore));
    } else {
        t.imposta_reale(s.punto, s.coordinata, s.valore);
    }
    m.tipi[s.coordinata][static_cast<size_t>(s.punto)] = s.tipo;
    m.valori[s.coordinata][static_cast<size_t>(s.punto)] = s.valore;
}

// Every tag and value of the plan agree with the model, and so does every run of values
// of one tag, as the writer asks for them: from the run's first point.
void confronta(const Tracciato& t, const Modello& m) {
    const auto punti = static_cast<int32_t>(m.tipi[0].size());
    ASSERT_EQ(t.ultimo_punto(), punti - 1);
    for (int c = 0; c < 2; ++c) {
        const auto& tipi = m.tipi[c];
        int32_t inizio_tratto = 0;
        for (int32_t p = 0; p < punti; ++p) {
            const auto i = static_cast<size_t>(p);
            ASSERT_EQ(t.tipo(p, c), tipi[i]) << "point " << p << ", coordinate " << c;
            ASSERT_EQ(t.valore(p, c), m.valori[c][i]) << "point " << p << ", coordinate " << c;
            if (p + 1 == punti || tipi[i + 1] != tipi[i]) {
                ASSERT_EQ(t.fine_tratto(inizio_tratto, c), p + 1)
                    << "run from " << inizio_tratto << ", coordinate " << c;
                inizio_tratto = p + 1;
            }
        }
    }
}

// The _linea.dat bytes written value by value, as the file's layout reads.
std::string attesi(const Modello& m) {
    std::string b;
    for (int c = 0; c < 2; ++c) {
        for (size_t p = 0; p < m.tipi[c].size(); ++p) {
            const auto tipo = m.tipi[c][p];
            b.push_back(static_cast<char>(tipo));
            b.push_back('\0');
            uint64_t u = 0;
            size_t quanti = 0;
            if (tipo == Tracciato::intero) {
                u = static_cast<uint16_t>(static_cast<int16_t>(m.valori[c][p]));
                quanti = 2;
            } else if (tipo == Tracciato::reale) {
                std::memcpy(&u, &m.valori[c][p], sizeof u);
                quanti = 8;
            }
            for (size_t k = 0; k < quanti; ++k) b.push_back(static_cast<char>(u >> (8 * k)));
        }
    }
    return b;
}

std::string codifica(const Tracciato& t) {
    prova::CartellaTemporanea dir;
    const auto p = dir.percorso / "P_linea.dat";
    FileSostitutivo f(p.string());
    scrivi_linea_dat(f, t);
    f.chiudi();
    return prova::leggi(p);
}

// How a walk fills a plan: 0 and 1 as integers, then reals point after point.
std::vector<Scrittura> cammino(int32_t fino) {
    std::vector<Scrittura> s;
    for (int32_t p = 0; p <= fino; ++p) {
        for (int c = 0; c < 2; ++c) {
            if (p < 2) {
                s.push_back({p, c, Tracciato::intero, static_cast<double>(p * c)});
            } else {
                s.push_back({p, c, Tracciato::reale, p * 0.1 - c * 1e-300});
            }
        }
    }
    return s;
}

// Plans filled in order and filled in every other way read back as they were written,
// through copies and moves, and come out of the writer value by value.
TEST(Tracciato, ReadsBackWhateverOrderItWasFilledIn) {
    struct Caso {
        const char* nome;
        int32_t ultimo;
        std::vector<Scrittura> scritture;
    };
    std::vector<Caso> casi = {
        {"nothing filled", 5, {}},
        {"walk part way", 9, cammino(4)},
        {"walk to the last point", 6, cammino(6)},
        {"one coordinate ahead of the other", 6, {{0, 0, Tracciato::intero, 3}}},
    };
    auto con = [](std::vector<Scrittura> s, std::vector<Scrittura> poi) {
        s.insert(s.end(), poi.begin(), poi.end());
        return s;
    };
    casi.push_back({"a gap before a value", 8, con(cammino(2), {{5, 0, Tracciato::reale, 7.5}})});
    casi.push_back({"an integer after reals", 8, con(cammino(3), {{4, 1, Tracciato::intero, -9}})});
    casi.push_back(
        {"a real overwritten by an integer", 8, con(cammino(4), {{3, 0, Tracciato::intero, 12}})});
    casi.push_back(
        {"an integer overwritten by a real", 8, con(cammino(4), {{1, 1, Tracciato::reale, 0.5}})});
    casi.push_back(
        {"same tags overwritten in order", 8,
         con(cammino(4), {{1, 1, Tracciato::intero, -2}, {3, 0, Tracciato::reale, 4.25}})});
    casi.push_back(
        {"filled from the end", 4, {{4, 0, Tracciato::reale, 1.0}, {3, 1, Tracciato::intero, 2}}});

    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        Tracciato t;
        t.dimensiona(c.ultimo);
        Modello m(static_cast<size_t>(c.ultimo) + 1);
        for (const Scrittura& s : c.scritture) applica(t, m, s);
        confronta(t, m);
        const Tracciato copia = t;
        confronta(copia, m);
        Tracciato spostato = std::move(t);
        confronta(spostato, m);
        EXPECT_FALSE(t.dimensionato());
        EXPECT_EQ(codifica(spostato), attesi(m));
        EXPECT_EQ(codifica(decodifica_linea_dat(attesi(m))), attesi(m));
    }
}

// The columns are never cleared: a plan dimensioned again over memory that held values
// still reads empty beyond what has been filled, small plans and large ones.
TEST(Tracciato, NewPlanReadsEmptyOverEarlierValues) {
    for (const int32_t ultimo : {1000, 600000}) {
        Tracciato t;
        for (int volta = 0; volta < 3; ++volta) {
            t.dimensiona(ultimo);
            for (int c = 0; c < 2; ++c) {
                EXPECT_EQ(t.tipo(2, c), Tracciato::vuoto);
                EXPECT_EQ(t.valore(2, c), 0.0);
                EXPECT_EQ(t.valore(ultimo, c), 0.0);
                EXPECT_EQ(t.fine_tratto(0, c), ultimo + 1);
            }
            for (int c = 0; c < 2; ++c) {
                for (int32_t p = 0; p <= ultimo; ++p) {
                    Tracciato::metti_reale(t.slot_di(c) + Tracciato::byte_valore * p, 1.0 + p);
                }
            }
            t.libera();
        }
    }
}

// The walk's direct access: values written into the slots count once they are tagged,
// in order or not; long runs cross the writer's pieces whole.
TEST(Tracciato, WalkFillsThroughTheColumns) {
    const int32_t ultimo = 120000;  // more than one piece of the writer in each coordinate
    Tracciato t;
    t.dimensiona(ultimo);
    Modello m(static_cast<size_t>(ultimo) + 1);
    for (const Scrittura& s : cammino(1)) applica(t, m, s);
    ASSERT_EQ(t.primo_vuoto(), 2);
    const int32_t fino = ultimo - 3;
    for (int c = 0; c < 2; ++c) {
        for (int32_t p = 2; p < fino; ++p) {
            const double v = p * (c == 0 ? 0.999 : -1.001);
            Tracciato::metti_reale(t.slot_di(c) + Tracciato::byte_valore * p, v);
            m.tipi[c][static_cast<size_t>(p)] = Tracciato::reale;
            m.valori[c][static_cast<size_t>(p)] = v;
        }
    }
    t.segna_reali(2, fino);
    EXPECT_EQ(t.primo_vuoto(), fino);
    confronta(t, m);
    EXPECT_EQ(codifica(t), attesi(m));

    // Tagging out of order keeps every value already there.
    Tracciato u = t;
    Tracciato::metti_reale(u.slot_di(0) + Tracciato::byte_valore * (fino + 1), 3.5);
    Tracciato::metti_reale(u.slot_di(1) + Tracciato::byte_valore * (fino + 1), -3.5);
    u.segna_reali(fino + 1, fino + 2);
    EXPECT_EQ(u.primo_vuoto(), -1);
    for (int c = 0; c < 2; ++c) {
        m.tipi[c][static_cast<size_t>(fino) + 1] = Tracciato::reale;
        m.valori[c][static_cast<size_t>(fino) + 1] = c == 0 ? 3.5 : -3.5;
    }
    confronta(u, m);
    EXPECT_EQ(codifica(u), attesi(m));
}

// A walk into the model, point after point from the two points before, as the plan's
// values are defined: straight on, or turned by c radians.
void cammina(Tracciato& t, Modello& m, int32_t da, int32_t a, double c, bool curva) {
    t.cammina(da, a, c, curva);
    for (int32_t k = da; k <= a; ++k) {
        const auto i = static_cast<size_t>(k);
        const double dx = m.valori[0][i - 1] - m.valori[0][i - 2];
        const double dy = m.valori[1][i - 1] - m.valori[1][i - 2];
        const double tx = curva ? dx + c * dy : dx;
        const double ty = curva ? dy - c * dx : dy;
        m.valori[0][i] = m.valori[0][i - 1] + tx;
        m.valori[1][i] = m.valori[1][i - 1] + ty;
        m.tipi[0][i] = m.tipi[1][i] = Tracciato::reale;
    }
}

// A plan filled by the walk keeps only its stretches, yet reads, copies and writes as the
// same values put in point by point: walks that stop part way or reach the last point,
// stretches that join, a walk that starts from reals, longer than the writer's pieces; and
// a value put in afterwards turns the walk into values with nothing lost.
TEST(Tracciato, WalkReadsAndWritesAsItsValues) {
    struct Tratto {
        int32_t da, a;
        double c;
        bool curva;
    };
    struct Caso {
        const char* nome;
        int32_t ultimo;
        int32_t inizio;  // the walk starts here, the points before it put in as by a reader
        std::vector<Tratto> tratti;
    };
    const Caso casi[] = {
        {"straight to the last point", 9, 2, {{2, 9, 0.0, false}}},
        {"curves and straights stopping part way",
         40,
         2,
         {{2, 5, 0.0, false},
          {6, 9, -0.0001, true},
          {10, 10, -0.0001, true},
          {11, 30, 0.003, true}}},
        {"from reals put in by hand", 20, 5, {{5, 18, 0.002, true}}},
        {"longer than the writer's pieces",
         60000,
         2,
         {{2, 20000, 0.0, false}, {20001, 39000, 0.0004, true}, {39001, 59998, 0.0, false}}},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        Tracciato t;
        t.dimensiona(caso.ultimo);
        Modello m(static_cast<size_t>(caso.ultimo) + 1);
        for (const Scrittura& s : cammino(caso.inizio - 1)) applica(t, m, s);
        for (const Tratto& w : caso.tratti) cammina(t, m, w.da, w.a, w.c, w.curva);
        EXPECT_EQ(t.inizio_cammino(), caso.inizio);
        EXPECT_EQ(t.primo_vuoto(), caso.tratti.back().a + 1);
        // A point of the walk is worked out from the walk's start: every point is read
        // only on the short walks.
        if (caso.ultimo <= 100) confronta(t, m);
        EXPECT_EQ(t.valore(caso.tratti.back().a, 1), m.valori[1].at(caso.tratti.back().a));
        EXPECT_EQ(codifica(t), attesi(m));
        const Tracciato copia = t;
        EXPECT_EQ(codifica(copia), attesi(m));
        Tracciato spostato = std::move(t);
        EXPECT_FALSE(t.dimensionato());
        EXPECT_EQ(codifica(spostato), attesi(m));

        // A value after the walk, and one inside it.
        const int32_t dopo = spostato.primo_vuoto();
        if (dopo <= caso.ultimo) applica(spostato, m, {dopo, 0, Tracciato::reale, 0.25});
        applica(spostato, m, {caso.inizio + 1, 1, Tracciato::reale, -7.0});
        EXPECT_EQ(spostato.inizio_cammino(), caso.ultimo + 1);
        confronta(spostato, m);
        EXPECT_EQ(codifica(spostato), attesi(m));
    }
}

// The walk goes only where a walk can: from the first empty point of both coordinates, with
// two points before it, within the plan.
TEST(Tracciato, WalkRefusesToStartOutOfPlace) {
    Tracciato t;
    t.dimensiona(10);
    Modello m(11);
    for (const Scrittura& s : cammino(2)) applica(t, m, s);
    EXPECT_THROW(t.cammina(4, 5, 0.0, false), ErroreLettura);   // a gap before it
    EXPECT_THROW(t.cammina(2, 5, 0.0, false), ErroreLettura);   // over filled points
    EXPECT_THROW(t.cammina(3, 11, 0.0, false), ErroreLettura);  // beyond the last point
    EXPECT_THROW(t.cammina(3, 2, 0.0, false), ErroreLettura);   // ends before it starts
    t.imposta_reale(3, 0, 1.0);
    EXPECT_THROW(t.cammina(3, 5, 0.0, false), ErroreLettura);  // one coordinate ahead
    Tracciato vuoto;
    vuoto.dimensiona(10);
    EXPECT_THROW(vuoto.cammina(0, 5, 0.0, false), ErroreLettura);  // no two points before it
    confronta(vuoto, Modello(11));
}

}  // namespace
}  // namespace compattatore
