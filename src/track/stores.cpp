// The four stores that place a record in the cells, and the ordering of the three kilometric
// progressives.
//
// Every store works in three phases and writes nothing until all three have passed:
//   1. every cell it would test or write (and the mountain table's last slot) lies inside the
//      cells; otherwise ErroreLettura, which the reader turns into code 25;
//   2. its free-cell tests, in the order of the refusal codes 16 to 21; a refusal sets
//      codice_errore and returns;
//   3. every conversion into a narrow field fits; otherwise ErroreLettura.
// The one exception is code 20 (a slowdown's four cells before the warning are taken): the
// slowdown's warning, start and end are already stored and stay.
#include <algorithm>
#include <array>

#include "core/arrotonda.h"
#include "core/errori.h"
#include "core/form1.h"

namespace compattatore {

namespace {

// A cell index that the store may test or write: inside celle_percorso and not beyond
// ultima_cella. An array that has not been dimensioned holds no cell at all.
bool dentro(const Form1& f, int64_t c) {
    return c >= 0 && c <= f.ultima_cella && c < static_cast<int64_t>(f.celle_percorso.size());
}

void richiedi_cella(const Form1& f, int64_t c) {
    if (!dentro(f, c)) throw ErroreLettura("cell outside the track");
}

// The cell of a slowdown warning and the first of the four cells before it.
int64_t cella_avviso(int64_t inizio) {
    return arrotonda(static_cast<double>(inizio - 1200) / 50.0 + 1.0);
}
int64_t prima_prima_avviso(int64_t inizio) {
    return arrotonda(static_cast<double>(inizio - 1200) / 50.0);
}

}  // namespace

void Form1::memo_montagna(int32_t& inizio, int32_t& fine, int32_t& tipo) {
    // Phase 1: the table's slot and the range's cells.
    const int32_t n = numero_montagne + 1;
    if (n < 1 || n >= static_cast<int32_t>(inizio_montagne.size())) {
        throw ErroreLettura("more mountain ranges than the table holds");
    }
    const int64_t prima = arrotonda(static_cast<double>(inizio) / 50.0);
    const int64_t ultima = arrotonda(static_cast<double>(fine) / 50.0 - 1.0);
    if (prima <= ultima) {
        richiedi_cella(*this, prima);
        richiedi_cella(*this, ultima);
    }

    // Nothing is refused and nothing needs a checked conversion: the class is stored as its
    // low byte. A class above 10 stands for class - 10 with a mark every fourth cell; a range
    // that begins 150 m or less after the previous one's end is class 3.
    const bool segna = tipo > 10;
    int32_t classe = segna ? tipo - 10 : tipo;
    if (n > 1 && static_cast<int64_t>(inizio) - fine_montagne[static_cast<size_t>(n - 1)] <= 150) {
        classe = 3;
    }

    numero_montagne = n;
    inizio_montagne[static_cast<size_t>(n)] = inizio;
    fine_montagne[static_cast<size_t>(n)] = fine;
    tipo = classe;
    const uint8_t montagna = basso_byte(classe);
    int64_t k = 0;
    for (int64_t c = prima; c <= ultima; ++c) {
        cella& x = celle_percorso[static_cast<size_t>(c)];
        ++k;
        x.montagna = montagna;
        if (segna && k % 4 == 0 && x.codice == 0) x.codice = 11;
    }
}

void Form1::memo_rallentamento(int32_t inizio, int16_t& v, int32_t& l, int16_t& f_tt, int32_t f_ta,
                               int32_t& d_v) {
    const int64_t s = inizio;
    const int64_t e = s + l;
    // A slowdown that starts within 1500 m has no warning and no cells before it.
    const bool con_avviso = s > 1500;
    const bool con_preavviso = con_avviso && f_ta != 0;
    const int64_t a = cella_punto(s);
    const int64_t b = cella_punto(e);
    const int64_t w = con_avviso ? cella_avviso(s) : 0;
    const int64_t h = con_preavviso ? prima_prima_avviso(s) : 0;

    // Phase 1.
    if (con_avviso) richiedi_cella(*this, w);
    richiedi_cella(*this, a);
    richiedi_cella(*this, b);
    if (con_preavviso) {
        for (int64_t i = 0; i < 4; ++i) richiedi_cella(*this, h - i);
    }
    auto in = [this](int64_t c) -> cella& { return celle_percorso[static_cast<size_t>(c)]; };

    // Phase 2.
    if (con_avviso && !in(w).libera()) {
        codice_errore = 17;
        return;
    }
    if (!in(a).libera()) {
        codice_errore = 18;
        return;
    }
    if (!in(b).libera()) {
        codice_errore = 19;
        return;
    }

    // Phase 3: the speed and the type come as 16-bit values; the speed difference is stored
    // as its low 16 bits. Nothing can fail.
    const int16_t dv = basso_16(d_v);

    cella& fine = in(b);
    fine.codice = 2;
    if (d_v != 0) fine.valore_2 = dv;
    cella& partenza = in(a);
    partenza.codice = 3;
    if (d_v != 0) partenza.valore_2 = dv;
    if (con_avviso) {
        cella& avviso = in(w);
        avviso.codice = 4;
        if (d_v != 0) avviso.valore_2 = dv;
        avviso.valore_1 = v;
    }
    // The start and the end may share a cell; both get the same values.
    in(a).valore_1 = v;
    in(a).valore_3 = f_tt;
    in(b).valore_1 = v;
    in(b).valore_3 = f_tt;

    if (!con_preavviso) return;
    // The four cells before the warning are tested after the slowdown itself is stored, so
    // a taken one leaves the slowdown in place and only reports code 20.
    for (int64_t i = 0; i < 4; ++i) {
        if (!in(h - i).libera()) {
            codice_errore = 20;
            return;
        }
    }
    for (int16_t i = 0; i < 4; ++i) {
        cella& x = in(h - i);
        x.codice = 5;
        x.valore_1 = static_cast<int16_t>(i + 1);
        if (d_v != 0) x.valore_2 = static_cast<int16_t>(i + 1);
    }
}

void Form1::memo_segnale(int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2, int32_t& s3,
                         int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3,
                         int32_t& tempo) {
    const int64_t c = cella_punto(posizione);

    // Phase 1: the signal's cell and its four approach cells, 2, 4, 6 and 8 cells before it.
    richiedi_cella(*this, c);
    for (int64_t k = 1; k <= 4; ++k) richiedi_cella(*this, c - 2 * k);

    // Phase 2.
    cella& x = celle_percorso[static_cast<size_t>(c)];
    if (!x.libera()) {
        codice_errore = 16;
        return;
    }

    // Phase 3: the values are 16-bit sums that wrap and the approach marks bytes that wrap,
    // so nothing can fail. A time of 1 to 100 s becomes 101 in the caller's variable too.
    const auto lato = [](int64_t s, int64_t d) { return basso_16(s * 10 + d); };
    x.codice = 1;
    x.valore_4 = basso_16(static_cast<int64_t>(rapp) * 10 + static_cast<int64_t>(sx) * 3 + dx);
    x.valore_1 = lato(s1, d1);
    x.valore_2 = lato(s2, d2);
    x.valore_3 = lato(s3, d3);
    if (tempo >= 1 && tempo <= 100) tempo = 101;
    x.tempo_segnale = sx == 2 ? basso_byte(tempo) : 0;
    for (int64_t k = 1; k <= 4; ++k) {
        celle_percorso[static_cast<size_t>(c - 2 * k)].avvicinamento =
            basso_byte(static_cast<int64_t>(sx) * 30 + static_cast<int64_t>(dx) * 10 + k);
    }
}

void Form1::memo_indicatori_v_max(int32_t posizione, int32_t& vas, int32_t& vbs, int32_t& vcs,
                                  int16_t& strisces, int32_t& vad, int32_t& vbd, int32_t& vcd,
                                  int16_t& strisced) {
    const int64_t c = cella_punto(posizione);

    // Phase 1.
    richiedi_cella(*this, c);

    // Phase 2.
    cella& x = celle_percorso[static_cast<size_t>(c)];
    if (!x.libera()) {
        codice_errore = 21;
        return;
    }

    // Phase 3: each speed pair is the right-side speed / 5 plus the left-side one × 20,
    // rounded half to even into 16 bits; the stripes wrap.
    const auto velocita = [](int32_t s, int32_t d) {
        return in_16(arrotonda(static_cast<double>(d) / 5.0 + static_cast<double>(s) * 20.0));
    };
    const int16_t v1 = velocita(vas, vad);
    const int16_t v2 = velocita(vbs, vbd);
    const int16_t v3 = velocita(vcs, vcd);
    const int16_t v4 = basso_16(static_cast<int64_t>(strisces) * 10 + strisced);

    x.codice = 6;
    x.valore_1 = v1;
    x.valore_2 = v2;
    x.valore_3 = v3;
    x.valore_4 = v4;
}

void Form1::progressive_ordina() {
    struct Progressiva {
        int32_t inizio, fine, posizione;
    };
    std::array<Progressiva, 3> p{};
    for (size_t i = 0; i < 3; ++i) {
        const voce_treno& v = record_treno[81 + i];
        p[i] = {v.inizio, v.fine, v.posizione};
    }

    const int64_t somma = static_cast<int64_t>(p[0].inizio) + p[1].inizio + p[2].inizio;
    if (somma != 0) {
        // Greatest start first; of two equal starts the later entry comes first. This also
        // orders a tie for the greatest, so no progressive is ever lost.
        std::array<size_t, 3> ordine{2, 1, 0};
        std::stable_sort(ordine.begin(), ordine.end(),
                         [&p](size_t x, size_t y) { return p[x].inizio > p[y].inizio; });
        p = {p[ordine[0]], p[ordine[1]], p[ordine[2]]};
    } else if (p[2].fine > 0) {
        std::swap(p[0], p[2]);
    } else if (p[1].fine > 0) {
        std::swap(p[0], p[1]);
    } else if (p[0].fine > 0) {
        // already in place
    } else {
        p = {};
    }

    // A progressive whose third value is 1 ends 100 m further on; the end must still fit.
    for (auto& x : p) {
        if (x.posizione == 1) x.fine = in_32(static_cast<int64_t>(x.fine) + 100);
    }

    for (size_t i = 0; i < 3; ++i) {
        voce_treno& v = record_treno[81 + i];
        v.inizio = p[i].inizio;
        v.fine = p[i].fine;
        v.posizione = p[i].posizione;
    }
}

}  // namespace compattatore
