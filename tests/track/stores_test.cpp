#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "core/errori.h"
#include "core/form1.h"

using compattatore::cella;
using compattatore::ErroreLettura;
using compattatore::Form1;

namespace {

// The cells of the built-in 56000 m line: 0 to 1260.
struct Pista {
    Form1 f;
    Pista() {
        f.ultima_cella = 1260;
        f.celle_percorso.assign(1261, cella{});
    }
    cella& c(size_t i) { return f.celle_percorso.at(i); }
    // Cells that hold anything at all.
    std::vector<size_t> toccate() const {
        std::vector<size_t> r;
        for (size_t i = 0; i < f.celle_percorso.size(); ++i) {
            if (!(f.celle_percorso[i] == cella{})) r.push_back(i);
        }
        return r;
    }
};

struct Celle : ::testing::Test, Pista {};

// The reader's variables for one signal record.
struct Segnale {
    int32_t posizione = 3400, sx = 2, s1 = 4, s2 = 1, s3 = 1, rapp = 0, dx = 2, d1 = 2, d2 = 1,
            d3 = 1, tempo = 0;
    void memo(Form1& f) { f.memo_segnale(posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo); }
};

struct Rallentamento {
    int32_t inizio = 22750;
    int16_t v = 50;
    int32_t l = 150;
    int16_t f_tt = 0;
    int32_t f_ta = 1;
    int32_t d_v = 80;
    void memo(Form1& f) { f.memo_rallentamento(inizio, v, l, f_tt, f_ta, d_v); }
};

struct Indicatore {
    int32_t posizione = 900, vas = 125, vbs = 130, vcs = 135;
    int16_t strisces = 0;
    int32_t vad = 0, vbd = 0, vcd = 0;
    int16_t strisced = 0;
    void memo(Form1& f) {
        f.memo_indicatori_v_max(posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced);
    }
};

struct Montagna {
    int32_t inizio, fine, tipo;
    void memo(Form1& f) { f.memo_montagna(inizio, fine, tipo); }
};

// ---- signals ----------------------------------------------------------------------------

TEST_F(Celle, SignalAt3400) {
    Segnale s;
    s.memo(f);
    EXPECT_EQ(f.codice_errore, 0);
    const cella attesa{.codice = 1, .valore_1 = 42, .valore_2 = 11, .valore_3 = 11, .valore_4 = 8};
    EXPECT_EQ(c(69), attesa);
    uint8_t k = 81;
    for (size_t i : {67, 65, 63, 61}) EXPECT_EQ(c(i).avvicinamento, k++) << i;
    EXPECT_EQ(toccate(), (std::vector<size_t>{61, 63, 65, 67, 69}));
}

TEST_F(Celle, SignalTimeIsRaisedTo101AndStoredOnlyOnTheLeftSideTwo) {
    struct Caso {
        int32_t sx, tempo, tempo_dopo;
        uint8_t tempo_segnale;
    };
    const Caso casi[] = {
        {2, 0, 0, 0},        {2, 1, 101, 101},  {2, 50, 101, 101}, {2, 100, 101, 101},
        {2, 101, 101, 101},  {2, 300, 300, 44}, {2, -5, -5, 251},  {1, 50, 101, 0},
        {65538, 50, 101, 0},  // only the full value 2 counts, not its low 16 bits
    };
    for (const auto& k : casi) {
        Pista t;
        Segnale s;
        s.sx = k.sx;
        s.tempo = k.tempo;
        s.memo(t.f);
        EXPECT_EQ(s.tempo, k.tempo_dopo) << k.sx << " " << k.tempo;
        EXPECT_EQ(t.c(69).tempo_segnale, k.tempo_segnale) << k.sx << " " << k.tempo;
    }
}

TEST_F(Celle, SignalValuesAndApproachMarksWrap) {
    Segnale s;
    s.s1 = 4000;  // 40002 wraps to 40002 - 65536
    s.d1 = 2;
    s.rapp = 3277;  // 32770 + 6 + 2
    s.sx = 10;      // approach marks 300 + 20 + k, modulo 256
    s.tempo = 50;
    s.memo(f);
    EXPECT_EQ(c(69).valore_1, 40002 - 65536);
    EXPECT_EQ(c(69).valore_4, 32770 + 30 + 2 - 65536);
    EXPECT_EQ(c(69).tempo_segnale, 0);
    EXPECT_EQ(c(67).avvicinamento, 321 - 256);
    EXPECT_EQ(c(61).avvicinamento, 324 - 256);
}

TEST_F(Celle, SignalOnTakenCellIsRefusedButMountainMarkCountsAsFree) {
    c(69).codice = 11;
    Segnale primo;
    primo.memo(f);
    EXPECT_EQ(f.codice_errore, 0);
    EXPECT_EQ(c(69).codice, 1);

    const auto prima = f.celle_percorso;
    Segnale secondo;
    secondo.tempo = 50;
    secondo.dx = 7;
    secondo.memo(f);
    EXPECT_EQ(f.codice_errore, 16);
    EXPECT_EQ(secondo.tempo, 50);  // the caller's time is not touched either
    EXPECT_EQ(f.celle_percorso, prima);
}

TEST_F(Celle, SignalApproachMarksOverwriteWhateverTheCellHolds) {
    c(67).codice = 14;
    c(67).avvicinamento = 99;
    Segnale s;
    s.memo(f);
    EXPECT_EQ(f.codice_errore, 0);
    EXPECT_EQ(c(67).codice, 14);
    EXPECT_EQ(c(67).avvicinamento, 81);
}

// ---- cells outside the array: every store throws and changes nothing ------------------

TEST_F(Celle, StoresOutsideTheCellsThrowAndChangeNothing) {
    struct Caso {
        const char* nome;
        void (*memo)(Form1&);
    };
    const Caso casi[] = {
        // cell 7; its last approach cell would be -1
        {"signal near the origin", [](Form1& f) { Segnale{.posizione = 300}.memo(f); }},
        {"signal past the end", [](Form1& f) { Segnale{.posizione = 63000}.memo(f); }},
        {"slowdown ending past the end", [](Form1& f) { Rallentamento{.l = 50000}.memo(f); }},
        {"slowdown ending before the origin", [](Form1& f) { Rallentamento{.l = -23000}.memo(f); }},
        {"slowdown with a negative start", [](Form1& f) { Rallentamento{.inizio = -100}.memo(f); }},
        {"board past the end", [](Form1& f) { Indicatore{.posizione = 62999}.memo(f); }},
        {"board at a negative position", [](Form1& f) { Indicatore{.posizione = -100}.memo(f); }},
        {"mountain past the end",
         [](Form1& f) {
             Montagna{62000, 63100, 12}.memo(f);
         }},
        {"mountain before the origin",
         [](Form1& f) {
             Montagna{-200, 500, 12}.memo(f);
         }},
    };
    for (const auto& k : casi) {
        Pista t;
        t.c(69).codice = 11;
        const auto prima = t.f.celle_percorso;
        EXPECT_THROW(k.memo(t.f), ErroreLettura) << k.nome;
        EXPECT_EQ(t.f.celle_percorso, prima) << k.nome;
        EXPECT_EQ(t.f.codice_errore, 0) << k.nome;
        EXPECT_EQ(t.f.numero_montagne, 0) << k.nome;
    }

    // An array not yet dimensioned holds no cell.
    Form1 vuoto;
    Segnale s;
    EXPECT_THROW(s.memo(vuoto), ErroreLettura);
}

// ---- slowdowns --------------------------------------------------------------------------

TEST_F(Celle, SlowdownAt22750) {
    Rallentamento r;
    r.memo(f);
    EXPECT_EQ(f.codice_errore, 0);
    EXPECT_EQ(c(432), (cella{.codice = 4, .valore_1 = 50, .valore_2 = 80}));
    EXPECT_EQ(c(456), (cella{.codice = 3, .valore_1 = 50, .valore_2 = 80}));
    EXPECT_EQ(c(459), (cella{.codice = 2, .valore_1 = 50, .valore_2 = 80}));
    for (int16_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(c(static_cast<size_t>(432 - i)),
                  (cella{.codice = 5, .valore_1 = i, .valore_2 = i}));
    }
    EXPECT_EQ(toccate(), (std::vector<size_t>{428, 429, 430, 431, 432, 456, 459}));
}

TEST_F(Celle, SlowdownTypeSpeedDifferenceAndShortStart) {
    // The type goes to start and end only; a zero difference leaves valore_2 alone; the
    // difference is stored as its low 16 bits.
    Rallentamento r;
    r.f_tt = 7;
    r.d_v = 0;
    r.f_ta = 0;
    r.memo(f);
    EXPECT_EQ(c(432), (cella{.codice = 4, .valore_1 = 50}));
    EXPECT_EQ(c(456), (cella{.codice = 3, .valore_1 = 50, .valore_3 = 7}));
    EXPECT_EQ(c(459), (cella{.codice = 2, .valore_1 = 50, .valore_3 = 7}));
    EXPECT_EQ(toccate(), (std::vector<size_t>{432, 456, 459}));

    Pista t;
    Rallentamento lungo;
    lungo.d_v = 65536 + 80;
    lungo.memo(t.f);
    EXPECT_EQ(t.c(456).valore_2, 80);

    // Starting at 1500 m or less: no warning and no cells before it, whatever f_ta says.
    Pista u;
    Rallentamento corto;
    corto.inizio = 1500;
    corto.memo(u.f);
    EXPECT_EQ(u.f.codice_errore, 0);
    EXPECT_EQ(u.toccate(), (std::vector<size_t>{31, 34}));
}

TEST_F(Celle, SlowdownRefusalsComeInOrderAndChangeNothing) {
    struct Caso {
        std::vector<size_t> prese;
        int32_t codice;
    };
    const Caso casi[] = {
        {{432}, 17}, {{456}, 18}, {{459}, 19}, {{432, 456, 459}, 17}, {{456, 459}, 18},
    };
    for (const auto& k : casi) {
        Pista t;
        for (size_t i : k.prese) t.c(i).codice = 12;
        const auto prima = t.f.celle_percorso;
        Rallentamento r;
        r.memo(t.f);
        EXPECT_EQ(t.f.codice_errore, k.codice);
        EXPECT_EQ(t.f.celle_percorso, prima);
    }

    // Code 11 in every one of its cells counts as free and is replaced.
    for (size_t i : {428, 429, 430, 431, 432, 456, 459}) c(i).codice = 11;
    Rallentamento r;
    r.memo(f);
    EXPECT_EQ(f.codice_errore, 0);
    EXPECT_EQ(c(432).codice, 4);
    EXPECT_EQ(c(428).codice, 5);
}

TEST_F(Celle, SlowdownWithATakenCellBeforeTheWarningKeepsTheRest) {
    c(429).codice = 6;
    Rallentamento r;
    r.memo(f);
    EXPECT_EQ(f.codice_errore, 20);
    EXPECT_EQ(c(432).codice, 4);
    EXPECT_EQ(c(456).codice, 3);
    EXPECT_EQ(c(459).codice, 2);
    EXPECT_EQ(c(431), cella{});
    EXPECT_EQ(c(429).codice, 6);
}

// ---- speed-limit boards -----------------------------------------------------------------

TEST_F(Celle, SpeedBoardAt900) {
    Indicatore i;
    i.memo(f);
    EXPECT_EQ(f.codice_errore, 0);
    EXPECT_EQ(c(19), (cella{.codice = 6, .valore_1 = 2500, .valore_2 = 2600, .valore_3 = 2700}));
    EXPECT_EQ(toccate(), std::vector<size_t>{19});
}

TEST_F(Celle, SpeedBoardRoundsTheRightSideAndWrapsTheStripes) {
    Indicatore i;
    i.vas = 3;
    i.vad = 12;  // 2.4
    i.vbd = 13;  // 2.6
    i.vcs = -3;
    i.vcd = -13;  // -62.6
    i.strisces = 4000;
    i.strisced = 7;
    i.memo(f);
    EXPECT_EQ(c(19).valore_1, 62);
    EXPECT_EQ(c(19).valore_2, 130 * 20 + 3);
    EXPECT_EQ(c(19).valore_3, -63);
    EXPECT_EQ(c(19).valore_4, 40007 - 65536);
}

TEST_F(Celle, SpeedBoardRefusedOrNotFittingChangesNothing) {
    c(19).codice = 14;
    const auto prima = f.celle_percorso;
    Indicatore i;
    i.memo(f);
    EXPECT_EQ(f.codice_errore, 21);
    EXPECT_EQ(f.celle_percorso, prima);

    // The first two speeds fit, the third does not: none is stored.
    Pista t;
    t.c(19).codice = 11;
    const auto libera = t.f.celle_percorso;
    Indicatore grande;
    grande.vcs = 1639;  // 32780
    EXPECT_THROW(grande.memo(t.f), ErroreLettura);
    EXPECT_EQ(t.f.celle_percorso, libera);
    EXPECT_EQ(t.f.codice_errore, 0);

    grande.vcs = 1638;  // 32760 fits, and the mark 11 is replaced
    grande.memo(t.f);
    EXPECT_EQ(t.c(19).codice, 6);
    EXPECT_EQ(t.c(19).valore_3, 32760);
}

// ---- mountain ranges --------------------------------------------------------------------

TEST_F(Celle, MountainRange6250To6750MarksEveryFourthFreeCell) {
    c(132).codice = 6;  // a taken cell keeps its code but still gets the class
    Montagna m{6250, 6750, 11};
    m.memo(f);
    EXPECT_EQ(m.tipo, 1);
    EXPECT_EQ(f.numero_montagne, 1);
    EXPECT_EQ(f.inizio_montagne[1], 6250);
    EXPECT_EQ(f.fine_montagne[1], 6750);
    for (size_t i = 125; i <= 134; ++i) {
        EXPECT_EQ(c(i).montagna, 1) << i;
        EXPECT_EQ(c(i).codice, i == 128 ? 11 : i == 132 ? 6 : 0) << i;
    }
    EXPECT_EQ(c(124).montagna, 0);
    EXPECT_EQ(c(135).montagna, 0);
}

TEST_F(Celle, MountainRangeCloseToThePreviousOneIsClassThree) {
    struct Caso {
        int32_t inizio, tipo, tipo_dopo;
        uint8_t montagna;
    };
    const Caso casi[] = {
        {6900, 2, 3, 3},       // 150 m after the previous end
        {6950, 2, 2, 2},       // 200 m
        {6900, 12, 3, 3},      // class 3, still marked
        {6950, 300, 290, 34},  // marked, and the class is stored as its low byte
    };
    for (const auto& k : casi) {
        Pista t;
        Montagna prima{6250, 6750, 1};
        prima.memo(t.f);
        Montagna m{k.inizio, k.inizio + 500, k.tipo};
        m.memo(t.f);
        EXPECT_EQ(m.tipo, k.tipo_dopo) << k.inizio << " " << k.tipo;
        const size_t primo = static_cast<size_t>(k.inizio / 50);
        EXPECT_EQ(t.c(primo).montagna, k.montagna) << k.inizio << " " << k.tipo;
        EXPECT_EQ(t.c(primo + 3).codice, k.tipo > 10 ? 11 : 0) << k.inizio << " " << k.tipo;
    }
}

TEST_F(Celle, EightyFirstMountainRangeThrowsAndChangesNothing) {
    for (int32_t i = 0; i < 80; ++i) {
        Montagna m{i * 500, i * 500 + 100, 1};
        m.memo(f);
    }
    ASSERT_EQ(f.numero_montagne, 80);
    const auto celle = f.celle_percorso;
    const auto fine = f.fine_montagne;
    Montagna m{45000, 45500, 12};
    EXPECT_THROW(m.memo(f), ErroreLettura);
    EXPECT_EQ(m.tipo, 12);
    EXPECT_EQ(f.numero_montagne, 80);
    EXPECT_EQ(f.celle_percorso, celle);
    EXPECT_EQ(f.fine_montagne, fine);
}

// ---- kilometric progressives ------------------------------------------------------------

struct Terna {
    int32_t inizio, fine, posizione;
    bool operator==(const Terna&) const = default;
};

void metti(Form1& f, const Terna (&t)[3]) {
    for (size_t i = 0; i < 3; ++i) {
        f.record_treno[81 + i].inizio = t[i].inizio;
        f.record_treno[81 + i].fine = t[i].fine;
        f.record_treno[81 + i].posizione = t[i].posizione;
    }
}

Terna voce(const Form1& f, size_t i) {
    const auto& v = f.record_treno[i];
    return {v.inizio, v.fine, v.posizione};
}

TEST(ProgressiveOrdina, OrdersTheThreeProgressives) {
    struct Caso {
        const char* nome;
        Terna prima[3];
        Terna dopo[3];
    };
    const Terna A{10, 1, 2}, B{20, 3, 4}, C{10, 5, 6}, D{20, 7, 8};
    const Caso casi[] = {
        {"built-in line",
         {{0, 0, 0}, {0, 0, 0}, {0, 56000, 1}},
         {{0, 56100, 1}, {0, 0, 0}, {0, 0, 0}}},
        {"already in order", {B, A, {5, 9, 9}}, {B, A, {5, 9, 9}}},
        {"greatest second, equal others", {A, B, C}, {B, C, A}},
        {"tie for the greatest", {B, A, D}, {D, B, A}},
        {"all equal", {A, C, {10, 9, 9}}, {{10, 9, 9}, C, A}},
        {"negative starts",
         {{-5, 1, 0}, {-1, 2, 0}, {-9, 3, 0}},
         {{-1, 2, 0}, {-5, 1, 0}, {-9, 3, 0}}},
        {"sum 0, second has an end",
         {{0, 0, 0}, {0, 4, 0}, {0, 0, 7}},
         {{0, 4, 0}, {0, 0, 0}, {0, 0, 7}}},
        {"sum 0, first has an end",
         {{3, 4, 1}, {-3, 0, 0}, {0, 0, 0}},
         {{3, 104, 1}, {-3, 0, 0}, {0, 0, 0}}},
        {"sum 0, no end", {{3, 0, 1}, {-3, 0, 1}, {0, -4, 5}}, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {"third value 1 ends 100 m on",
         {{9, 5, 1}, {8, 6, 1}, {7, 7, 2}},
         {{9, 105, 1}, {8, 106, 1}, {7, 7, 2}}},
    };
    for (const auto& k : casi) {
        Form1 f;
        metti(f, k.prima);
        f.progressive_ordina();
        for (size_t i = 0; i < 3; ++i) EXPECT_EQ(voce(f, 81 + i), k.dopo[i]) << k.nome << " " << i;
    }
}

TEST(ProgressiveOrdina, AnEndThatNoLongerFitsThrowsAndMovesNothing) {
    Form1 f;
    const int32_t massimo = std::numeric_limits<int32_t>::max();
    const Terna prima[3] = {{1, 2, 0}, {5, massimo - 99, 1}, {3, 4, 0}};
    metti(f, prima);
    f.record_treno[82].testo = "due";
    EXPECT_THROW(f.progressive_ordina(), ErroreLettura);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(voce(f, 81 + i), prima[i]) << i;
    EXPECT_EQ(f.record_treno[82].testo, "due");
}

TEST(ProgressiveOrdina, OnlyThePlaceFieldsMove) {
    Form1 f;
    metti(f, {{0, 0, 0}, {0, 0, 0}, {0, 56000, 1}});
    f.record_treno[81].testo = "tre";
    f.record_treno[83].testo = "uno";
    f.record_treno[83].tipo = 4;
    f.progressive_ordina();
    EXPECT_EQ(f.record_treno[81].testo, "tre");
    EXPECT_EQ(f.record_treno[83].testo, "uno");
    EXPECT_EQ(f.record_treno[83].tipo, 4);
}

TEST(Minimo, ReturnsTheSmallerAndXOnATie) {
    EXPECT_EQ(Form1::minimo(3, 2), 2);
    EXPECT_EQ(Form1::minimo(int16_t{-4}, 7), -4);
    EXPECT_EQ(Form1::minimo(2.5, 2.5), 2.5);
    EXPECT_EQ(Form1::minimo(1.5, int64_t{1}), 1.0);
}

}  // namespace
