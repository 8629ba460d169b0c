// The record kinds of the train file: the train's general values, speeds and adhesion along
// the route, signals, slowdowns, marked cells and stations.
#include <algorithm>
#include <limits>

#include "core/arrotonda.h"
#include "core/errori.h"
#include "reader/lettore.h"

namespace compattatore {

namespace {

std::string metri(int64_t m) {
    return std::to_string(m) + " m";
}

}  // namespace

Esito Lettore::massa_frenata() {
    f_.record_treno[voce_generale].inizio = leggi_32();
    return Esito::avanti;
}

Esito Lettore::numero_vetture() {
    f_.record_treno[voce_generale].posizione = leggi_32();
    return Esito::avanti;
}

// The speed in force fills the cells up to the record's (never the last cell), then the
// record's takes over; cells hold km/h divided by 5.
Esito Lettore::velocita() {
    return valore_in_vigore(velocita_, misura_velocita, true);
}

// The adhesion in force fills the cells up to the record's (its low byte), then the
// record's takes over.
Esito Lettore::aderenza() {
    return valore_in_vigore(aderenze_, misura_aderenza, false);
}

Esito Lettore::orologio() {
    voce_treno& v = f_.record_treno[voce_del_treno];
    v.b1 = leggi_16();
    v.b2 = leggi_16();
    v.b3 = leggi_16();
    return Esito::avanti;
}

Esito Lettore::sabbia() {
    f_.record_treno[voce_del_treno].a1 = leggi_16();
    return Esito::avanti;
}

Esito Lettore::segnale() {
    const int32_t posizione = leggi_32();
    int32_t v[10];
    for (int32_t& x : v) x = leggi_32();
    if (oltre(posizione, 100)) return oltre_le_celle(0, posizione, 100);
    const int32_t prima = f_.codice_errore;
    f_.memo_segnale(posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
    ricorda_origine("segnale", posizione, cella_punto(posizione), 1);  // code 1: a signal
    if (f_.codice_errore > 0) return rifiuto_del_deposito(posizione, prima);
    return Esito::avanti;
}

Esito Lettore::rallentamento() {
    const int32_t inizio = leggi_32();
    int16_t v = leggi_16();
    int32_t l = leggi_32();
    int16_t f_tt = leggi_16();
    const int32_t f_ta = leggi_32();
    int32_t d_v = leggi_32();
    if (oltre(inizio, 100)) return oltre_le_celle(0, inizio, 100);
    const int32_t prima = f_.codice_errore;
    f_.memo_rallentamento(inizio, v, l, f_tt, f_ta, d_v);
    ricorda_origine("rallentamento", inizio, cella_punto(inizio), 3);  // 3: its start
    if (f_.codice_errore > 0) return rifiuto_del_deposito(inizio, prima);
    return Esito::avanti;
}

// A marked cell at round(p / 50), on a free cell: code 13 for a value below 1, else code 12
// with the value.
Esito Lettore::abbattimento() {
    const int32_t p = leggi_32();
    const int32_t w = leggi_32();
    if (oltre(p, 100)) return oltre_le_celle(0, p, 100);
    const int64_t n = arrotonda(static_cast<double>(p) / 50.0);
    cella& c = cella_del_campo(n, 0);
    if (!c.libera()) {
        return esci(7, p, posto_campo(0),
                    del_campo(0) + " falls on cell " + std::to_string(n) +
                        ", which is already taken (code " + std::to_string(c.codice) +
                        "): " + std::to_string(p) + " m");
    }
    if (w < 1) {
        c.codice = 13;
    } else {
        c.codice = 12;
        c.valore_1 = basso_16(w);
    }
    return Esito::avanti;
}

// ---- stations -------------------------------------------------------------------------------

// A station fills the next station entry. Its position and length are checked as soon as
// they are read; a rejected station keeps in its entry what was read before.
Esito Lettore::stazione() {
    if (contatore_stazioni_ < voce_prima_stazione || contatore_stazioni_ > voce_primo_cartello) {
        causa(chiave_posto_, "'stazione' finds no entry left for it");
        throw ErroreLettura("no entry left for a station");
    }
    voce_treno& e = f_.record_treno[static_cast<size_t>(contatore_stazioni_)];

    e.posizione = leggi_32();
    if (oltre(e.posizione, 800)) return oltre_le_celle(0, e.posizione, 800);
    if (!multiplo(e.posizione, 50)) {
        return esci(8, e.posizione, posto_campo(0),
                    del_campo(0) + " is not a multiple of 50 m: " + metri(e.posizione));
    }

    e.tipo = leggi_byte();
    const int32_t l = leggi_32();
    if (!multiplo(l, 100)) {
        return esci(9, e.posizione, posto_campo(2),
                    del_campo(2) + " is not a multiple of 100 m: " + metri(l));
    }

    leggi_campi_stazione(e);
    estensione_stazione(e, l);
    if (e.tipo < 25 && segna_stazione(e) == Esito::esci) return Esito::esci;

    return spazio_e_posto(e);
}

// A station starts at least 350 m after the end of the one before; after it, the next
// station's entry must stay below the board texts' entries.
Esito Lettore::spazio_e_posto(const voce_treno& e) {
    if (contatore_stazioni_ > voce_prima_stazione) {
        const voce_treno& prima = f_.record_treno[static_cast<size_t>(contatore_stazioni_ - 1)];
        if (static_cast<int64_t>(e.inizio) - 350 < prima.fine) {
            return esci(22, e.posizione, posto_campo(0),
                        "'stazione' at " + metri(e.posizione) + " starts at " + metri(e.inizio) +
                            ", less than 350 m after the end of the station before it, at " +
                            metri(prima.fine));
        }
    }
    ++contatore_stazioni_;
    if (contatore_stazioni_ >= contatore_cartelli_) {
        const int cartelli = voce_primo_cartello - contatore_cartelli_;
        return esci(10, std::nullopt, chiave_posto_,
                    "'stazione' is station " + std::to_string(contatore_stazioni_ - 1) + ": with " +
                        std::to_string(cartelli) +
                        " boards in the line file, the scenario table holds at most " +
                        std::to_string(std::max(0, 78 - cartelli)) + " stations");
    }
    return Esito::avanti;
}

// The fields after the length, in file order. The time is computed once the name too has
// been read: a station cut before its name keeps only the fields read, and its time stays 0.
void Lettore::leggi_campi_stazione(voce_treno& e) {
    e.opzione_1 = leggi_byte();
    e.opzione_2 = leggi_byte();
    e.opzione_3 = leggi_byte();
    e.a1 = leggi_16();
    e.a2 = leggi_16();
    e.a3 = leggi_byte();
    e.b1 = leggi_16();
    e.b2 = leggi_16();
    e.b3 = leggi_16();
    e.sosta = leggi_byte();
    const int64_t ore = leggi_32();
    const int64_t minuti = leggi_32();
    const int64_t secondi = leggi_32();
    std::string nome;
    leggi_testo(nome);
    nome_stazione_ = nome;
    const int64_t orario = (ore * 60 + minuti) * 60 + secondi;
    if (orario < std::numeric_limits<int32_t>::min() ||
        orario > std::numeric_limits<int32_t>::max()) {
        causa(posto_campo(13), "the time of 'stazione' (ore, minuti, secondi) is beyond 32 bits: " +
                                   std::to_string(orario) + " s");
    }
    e.orario = in_32(orario);
    e.testo = std::move(nome);
}

// The station's start and end from its position, type and length L; L is a multiple of 100,
// so L / 2 is exact. Short stations and the first one lose their second option.
void Lettore::estensione_stazione(voce_treno& e, int32_t l) {
    const int64_t p = e.posizione;
    const int64_t mezza = l / 2;
    causa(posto_campo(2), del_campo(2) + " puts the station's ends beyond 32 bits: " + metri(l));
    if (e.tipo == 5 || e.tipo == 6) {
        e.fine = in_32(p + 150);
        e.inizio = in_32(p - l);
        e.opzione_3 = 0;
    } else if (e.tipo == 7 || e.tipo == 8) {
        e.inizio = in_32(p - l);
        e.fine = in_32(p + l);
        e.opzione_3 = 0;
    } else {
        e.inizio = in_32(p - mezza);
        e.fine = in_32(p + mezza + (e.opzione_3 != 0 ? 50 : 0));
    }
    causa({}, {});
    if (l < 600) e.opzione_2 = 0;
    if (contatore_stazioni_ == voce_prima_stazione) {
        e.opzione_3 = 0;
        e.opzione_2 = 0;
    }
}

// The cells of a station of type below 25: its end cell (code 10, the entry's index) and,
// except for types 5 and 6, the four approach marks before it (81 nearest the end). Every
// mark cell is checked before any is written.
Esito Lettore::segna_stazione(const voce_treno& e) {
    const double fine_in_celle = static_cast<double>(e.fine) / 50.0;
    const double x_fine = fine_in_celle - 1;
    if (x_fine <= 1) {
        return esci(24, std::nullopt, posto_campo(0),
                    "'stazione' at " + metri(e.posizione) + " ends at " + metri(e.fine) +
                        ": a station of type below 25 must end beyond 100 m");
    }
    int64_t avvicinamento[4] = {-1, -1, -1, -1};
    if (e.tipo != 5 && e.tipo != 6) {
        for (int i = 1; i <= 4; ++i) {
            const double x = fine_in_celle - i - 1;
            if (x > 1) {
                avvicinamento[i - 1] = arrotonda(x);
                cella_del_campo(avvicinamento[i - 1], 2);
            }
        }
    }
    cella& fine_stazione = cella_del_campo(arrotonda(x_fine), 2);
    for (int i = 1; i <= 4; ++i) {
        if (avvicinamento[i - 1] >= 0) {
            cella_in(avvicinamento[i - 1]).avvicinamento = static_cast<uint8_t>(80 + i);
        }
    }
    fine_stazione.codice = 10;
    fine_stazione.valore_1 = static_cast<int16_t>(contatore_stazioni_);
    return Esito::avanti;
}

}  // namespace compattatore
