#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "core/form1.h"

using compattatore::cella;
using compattatore::Form1;
using compattatore::InterfacciaMuta;
using compattatore::Registrazione;

namespace {

// A track of hand-placed cells and the pass run over it.
struct Binario {
    InterfacciaMuta muto;
    std::ostringstream messaggi;
    Form1 f;

    explicit Binario(int32_t ultima = 1260) {
        f.interfaccia = &muto;
        f.messaggi = &messaggi;
        f.ultima_cella = ultima;
        f.celle_percorso.assign(static_cast<size_t>(ultima) + 1, cella{});
    }
    cella& operator[](int32_t c) { return f.celle_percorso.at(static_cast<size_t>(c)); }
    void metti(int32_t c, uint8_t codice, int16_t valore_1 = 0) {
        (*this)[c].codice = codice;
        (*this)[c].valore_1 = valore_1;
    }
    void occupa(std::initializer_list<int32_t> celle) {
        for (int32_t c : celle) metti(c, 6, 1);
    }
    // A slowdown at speed v from cell `inizio` to cell `fine`.
    void rallentamento(int32_t inizio, int32_t fine, int16_t v = 50) {
        metti(inizio, 3, v);
        metti(fine, 2, v);
    }
    // Cells holding a mark placed by the pass (code 12 at 180).
    std::vector<int32_t> segni() const {
        std::vector<int32_t> r;
        for (size_t c = 0; c < f.celle_percorso.size(); ++c) {
            const cella& x = f.celle_percorso[c];
            if (x.codice == 12 && x.valore_1 == 180) r.push_back(static_cast<int32_t>(c));
        }
        return r;
    }
    std::vector<int32_t> passo() {
        f.passo_marcatori();
        return segni();
    }
};

using Celle = std::vector<int32_t>;
using Registrazioni = std::vector<Registrazione>;

}  // namespace

TEST(PassoMarcatori, BuiltInSlowdownGetsOnlyItsThreeLookBackMarks) {
    Binario b;
    // Warning with its four numbered cells, start, end, and the two signals around it.
    b.metti(432, 4, 50);
    for (int16_t i = 0; i < 4; ++i) b.metti(431 - i, 5, static_cast<int16_t>(i + 1));
    b.rallentamento(456, 459);
    b.metti(453, 1, 11);
    b.metti(480, 1, 11);
    // A few other items on the line, far from the slowdown.
    b.metti(69, 1, 42);
    b.metti(603, 10, 1);
    b.metti(128, 11);
    const auto prima = b.f.celle_percorso;

    EXPECT_EQ(b.passo(), (Celle{438, 445, 451}));
    EXPECT_TRUE(b.f.resoconto.registrazioni.empty());
    EXPECT_EQ(b.f.codice_errore, 0);
    // Nothing else changed.
    auto atteso = prima;
    for (int c : {438, 445, 451}) {
        atteso[static_cast<size_t>(c)].codice = 12;
        atteso[static_cast<size_t>(c)].valore_1 = 180;
    }
    EXPECT_EQ(b.f.celle_percorso, atteso);
}

TEST(PassoMarcatori, RhythmMarksInsideASlowdown) {
    constexpr int32_t s = 100;  // start cell; the windows take s-5, s-11, s-18
    struct Caso {
        const char* nome;
        int32_t fine;    // end cell, relative to the start
        int16_t v;       // speed
        Celle occupate;  // cells taken, relative to the start
        Celle montagne;  // mountain marks (code 11), relative to the start
        Celle ritmo;     // expected rhythm marks, relative to the start
        Registrazioni registrazioni;
    };
    const Caso casi[] = {
        {"all free", 38, 50, {}, {}, {8, 16, 24, 32}, {}},
        {"+8 taken: one cell back", 38, 50, {8}, {}, {7, 15, 23, 31}, {}},
        {"+7 and +8 taken: one cell on", 38, 50, {7, 8}, {}, {9, 17, 25, 33}, {}},
        {"+7, +8, +9 taken: recorded, no more marks",
         38,
         50,
         {7, 8, 9},
         {},
         {},
         {{13, (s + 8) * 50}}},
        {"count reaches 8 on the end cell", 40, 50, {}, {}, {8, 16, 24, 32, 39}, {}},
        {"end cell and the one before taken", 40, 50, {39}, {}, {8, 16, 24, 32, 41}, {}},
        {"mountain marks count as free", 38, 50, {}, {8, 16, 24, 32}, {8, 16, 24, 32}, {}},
        {"too short for a mark", 3, 50, {}, {}, {}, {}},
        {"109 km/h still gets them", 38, 109, {}, {}, {8, 16, 24, 32}, {}},
        {"110 km/h gets none", 38, 110, {}, {}, {}, {}},
        {"200 km/h gets none", 38, 200, {}, {}, {}, {}},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        Binario b;
        b.rallentamento(s, s + c.fine, c.v);
        for (int32_t o : c.occupate) b.occupa({s + o});
        for (int32_t o : c.montagne) b.metti(s + o, 11);
        Celle attesi{s - 18, s - 11, s - 5};
        for (int32_t o : c.ritmo) attesi.push_back(s + o);
        EXPECT_EQ(b.passo(), attesi);
        EXPECT_EQ(b.f.resoconto.registrazioni, c.registrazioni);
    }
}

TEST(PassoMarcatori, LookBackWindows) {
    struct Caso {
        const char* nome;
        int32_t inizio;
        Celle occupate;
        Celle segni;
        Registrazioni registrazioni;
    };
    const Caso casi[] = {
        {"start in cell 7: none", 7, {}, {}, {}},
        {"start in cell 8: the first only", 8, {}, {3}, {}},
        {"start in cell 13: the first only", 13, {}, {8}, {}},
        {"start in cell 14: the first two", 14, {}, {3, 9}, {}},
        {"start in cell 21: all three", 21, {}, {3, 10, 16}, {}},
        {"taken cells push the mark back", 40, {35, 29, 22}, {21, 28, 34}, {}},
        {"a full window is recorded", 40, {33, 34, 35}, {22, 29}, {{12, 2000}}},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        Binario b;
        b.rallentamento(c.inizio, c.inizio + 3, 150);  // fast: no rhythm marks
        for (int32_t o : c.occupate) b.occupa({o});
        EXPECT_EQ(b.passo(), c.segni);
        EXPECT_EQ(b.f.resoconto.registrazioni, c.registrazioni);
    }
}

TEST(PassoMarcatori, SignalsBeforeAWarning) {
    // Warning in cell 200; signals in the 20 cells before it get a mark in front of them.
    struct Caso {
        const char* nome;
        Celle segnali;
        Celle occupate;
        Celle segni;
        Registrazioni registrazioni;
    };
    const Caso casi[] = {
        {"two signals, both treated", {190, 181}, {}, {180, 189}, {}},
        {"21 cells before: not looked at", {179}, {}, {}, {}},
        {"first front cell taken", {190}, {189}, {188}, {}},
        {"both front cells taken: recorded, the search goes on",
         {195, 190},
         {194, 193},
         {189},
         {{11, 195 * 50}}},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        Binario b;
        b.metti(200, 4, 50);
        for (int32_t x : c.segnali) b.metti(x, 1, 11);
        for (int32_t x : c.occupate) b.occupa({x});
        EXPECT_EQ(b.passo(), c.segni);
        EXPECT_EQ(b.f.resoconto.registrazioni, c.registrazioni);
    }
}

TEST(PassoMarcatori, AnAbbattimentoInFrontOfASignalKeepsTheLowerSpeed) {
    struct Caso {
        int16_t davanti;  // valore_1 of the code-12 cell in front of the signal
        int16_t dopo;
    };
    for (const Caso c : {Caso{270, 180}, Caso{120, 120}, Caso{180, 180}}) {
        for (const bool seconda : {false, true}) {
            SCOPED_TRACE(std::to_string(c.davanti) + (seconda ? " two cells before" : ""));
            Binario b;
            b.metti(200, 4, 50);
            b.metti(190, 1, 11);
            // The abbattimento in the first or second front cell, the other one taken.
            const int32_t abbattimento = seconda ? 188 : 189;
            b.metti(abbattimento, 12, c.davanti);
            b.occupa({seconda ? 189 : 188});
            b.f.passo_marcatori();
            EXPECT_EQ(b[abbattimento].codice, 12);
            EXPECT_EQ(b[abbattimento].valore_1, c.dopo);
            EXPECT_TRUE(b.f.resoconto.registrazioni.empty());
        }
    }
}

TEST(PassoMarcatori, SignalAfterTheEnd) {
    constexpr int32_t s = 100, e = 104;  // no rhythm marks in so short a slowdown
    struct Caso {
        const char* nome;
        int16_t v;
        int32_t segnale;
        Celle occupate;
        Celle segni;  // besides the three look-back marks
        Registrazioni registrazioni;
    };
    const Caso casi[] = {
        {"signal 12 cells after the end", 50, e + 12, {}, {e + 11}, {}},
        {"signal 13 cells after the end: too far", 50, e + 13, {}, {}, {}},
        {"its front cell taken", 50, e + 5, {e + 4}, {e + 3}, {}},
        {"both front cells taken", 50, e + 5, {e + 4, e + 3}, {}, {{13, e * 50}}},
        // A fast slowdown looks after its own end just the same.
        {"fast slowdown", 150, e + 6, {}, {e + 5}, {}},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        Binario b;
        b.rallentamento(s, e, c.v);
        b.metti(c.segnale, 1, 11);
        for (int32_t x : c.occupate) b.occupa({x});
        Celle attesi{s - 18, s - 11, s - 5};
        attesi.insert(attesi.end(), c.segni.begin(), c.segni.end());
        EXPECT_EQ(b.passo(), attesi);
        EXPECT_EQ(b.f.resoconto.registrazioni, c.registrazioni);
    }
}

TEST(PassoMarcatori, FastSlowdownDoesNotLookAtAnEarlierSlowdownsEnd) {
    // An earlier slowdown ends at 120 with a signal right after it; a later fast one
    // (200 to 210) must look after its own end, where there is no signal.
    Binario b;
    b.rallentamento(110, 120, 50);
    b.metti(122, 1, 11);
    b.rallentamento(200, 210, 150);
    b.f.passo_marcatori();
    EXPECT_EQ(b.segni(), (Celle{92, 99, 105, 118, 121, 182, 189, 195}));
    EXPECT_TRUE(b.f.resoconto.registrazioni.empty());
}

TEST(PassoMarcatori, StaysInsideTheCells) {
    // Every case walks to the last cells; under the address sanitizer a read or a mark
    // outside the array would fail the test run.
    {
        SCOPED_TRACE("a slowdown shorter than a cell: the walk stops at the last cell");
        Binario b(60);
        b.metti(40, 3, 50);  // no end cell follows
        EXPECT_EQ(b.passo(), (Celle{22, 29, 35, 48, 56}));
    }
    {
        SCOPED_TRACE("rhythm count reaching 8 on the last cell, the cell before it taken");
        Binario b(60);
        b.metti(52, 3, 50);
        b.occupa({59, 60});
        EXPECT_EQ(b.passo(), (Celle{34, 41, 47}));
        EXPECT_EQ(b.f.resoconto.registrazioni, (Registrazioni{{13, 60 * 50}}));
    }
    {
        SCOPED_TRACE("a slowdown ending within 12 cells of the last cell");
        Binario b(60);
        b.rallentamento(50, 55, 50);
        b.metti(60, 1, 11);
        EXPECT_EQ(b.passo(), (Celle{32, 39, 45, 59}));
    }
    {
        SCOPED_TRACE("a start on the last cell the pass looks at, with no end");
        Binario b(60);
        b.metti(58, 3, 150);
        EXPECT_EQ(b.passo(), (Celle{40, 47, 53}));
    }
    {
        SCOPED_TRACE("no cells beyond the first ones");
        Binario b(2);
        b.metti(1, 3, 50);
        EXPECT_TRUE(b.passo().empty());
    }
}

TEST(PassoMarcatori, RecordsAreWarningsAndTheLastOneStaysInTheErrorCode) {
    Binario b;
    b.rallentamento(40, 50, 150);
    b.occupa({33, 34, 35});  // the first look-back window
    b.metti(200, 4, 50);
    b.metti(190, 1, 11);
    b.occupa({189, 188});
    b.f.passo_marcatori();
    EXPECT_EQ(b.f.resoconto.registrazioni, (Registrazioni{{12, 2000}, {11, 9500}}));
    EXPECT_EQ(b.f.codice_errore, 11);
    EXPECT_EQ(b.f.posizione_errore, 9500);
    EXPECT_EQ(b.f.resoconto.stato, 0);
    const std::string m = b.messaggi.str();
    EXPECT_NE(m.find("warning 12"), std::string::npos) << m;
    EXPECT_NE(m.find("2000 m"), std::string::npos) << m;
    EXPECT_NE(m.find("warning 11"), std::string::npos) << m;
    EXPECT_NE(m.find("9500 m"), std::string::npos) << m;
}
