// The record kinds of the line file: the general values of "[generale]", then the gradients,
// curves, mountain ranges, speed-limit boards and indication boards of its body.
#include <algorithm>

#include "core/arrotonda.h"
#include "core/errori.h"
#include "core/utf8.h"
#include "reader/lettore.h"

namespace compattatore {

namespace {

// The biggest track plan the walk may build before the curve record is refused (103).
constexpr int64_t punti_massimi = 1000000;
constexpr int32_t lunghezza_massima = 1000000;

// The change of direction per metre of a curve of each class, 1 to 6.
constexpr double curvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

std::string metri(int64_t m) {
    return std::to_string(m) + " m";
}

}  // namespace

// ---- "[generale]" -------------------------------------------------------------------------

Esito Lettore::lunghezza_percorso() {
    const int32_t l = leggi_32();
    f_.record_treno[voce_generale].fine = l;
    if (l > lunghezza_massima) {
        return esci(1, std::nullopt, posto_campo(0),
                    del_campo(0) + " is above " + metri(lunghezza_massima) + ": " + metri(l));
    }
    dimensiona(l);
    lunghezza_ = l;
    posto_lunghezza_ = posto_campo(0);
    return Esito::avanti;
}

// The cells 0 to ultima_cella and, when it is built, the track plan's points 0 to L + 7000,
// all anew.
void Lettore::dimensiona(int32_t lunghezza) {
    const int64_t ultimo_punto = static_cast<int64_t>(lunghezza) + 7000;
    const int64_t ultima = arrotonda(static_cast<double>(ultimo_punto) / 50.0);
    if (ultima < 0) {
        causa(posto_campo(0), del_campo(0) + " leaves the route no cell: " + metri(lunghezza) +
                                  " (at least -7025 m)");
        throw ErroreLettura("the cells cannot be dimensioned");
    }
    f_.celle_percorso.assign(static_cast<size_t>(ultima) + 1, cella{});
    f_.ultima_cella = static_cast<int32_t>(ultima);
    if (f_.calcola_tracciato != 0) f_.tracciato.dimensiona(ultimo_punto);
}

std::string Lettore::lunghezza_in_vigore() const {
    if (!lunghezza_) return "(the line file has no 'lunghezza percorso')";
    return "(a route of " + metri(*lunghezza_) + ", set by 'lunghezza percorso' on line " +
           std::to_string(posto_lunghezza_.riga) + ", column " +
           std::to_string(posto_lunghezza_.colonna) + " of the line file)";
}

Esito Lettore::progressiva_tre() {
    leggi_progressiva(f_.record_treno[voce_progressiva_tre]);
    return Esito::avanti;
}

Esito Lettore::progressiva_due() {
    leggi_progressiva(f_.record_treno[voce_progressiva_due]);
    return Esito::avanti;
}

Esito Lettore::progressiva_uno() {
    leggi_progressiva(f_.record_treno[voce_progressiva_uno]);
    return Esito::avanti;
}

// A progressive off the 50 m grid is an error only once both files have been read; the
// first such record is remembered for the message.
void Lettore::leggi_progressiva(voce_treno& voce) {
    voce.inizio = leggi_32();
    voce.fine = leggi_32();
    voce.posizione = leggi_32();
    if (primo_progressivo_errato_) return;
    const bool inizio = !multiplo(voce.inizio, 50);
    if (inizio || !multiplo(voce.fine, 50)) {
        const size_t campo = inizio ? 0 : 1;
        primo_progressivo_errato_ = {posto_campo(campo),
                                     del_campo(campo) + " is not a multiple of 50 m: " +
                                         metri(inizio ? voce.inizio : voce.fine)};
    }
}

Esito Lettore::sfondo_uno() {
    f_.record_treno[voce_scenario].inizio = leggi_32();
    return Esito::avanti;
}

Esito Lettore::sfondo_due() {
    f_.record_treno[voce_scenario].posizione = leggi_32();
    return Esito::avanti;
}

Esito Lettore::sfondo_tre() {
    f_.record_treno[voce_scenario].fine = leggi_32();
    return Esito::avanti;
}

// Start and end of the repetition; the keyword names the number of codes, 4 or 9 (4 when it
// names both), and an end at 0 means no repetition.
Esito Lettore::ripetizione_segnali() {
    voce_treno& v = f_.record_treno[voce_del_treno];
    v.inizio = leggi_32();
    v.fine = leggi_32();
    if (!multiplo(v.inizio, 50)) {
        return esci(3, std::nullopt, posto_campo(0),
                    del_campo(0) + " is not a multiple of 50 m: " + metri(v.inizio));
    }
    if (!multiplo(v.fine, 50)) {
        return esci(4, std::nullopt, posto_campo(1),
                    del_campo(1) + " is not a multiple of 50 m: " + metri(v.fine));
    }
    const std::string& c = f_.campo_letto;
    if (contiene(c, "4")) {
        v.posizione = 4;
    } else if (contiene(c, "9")) {
        v.posizione = 9;
    } else {
        return esci(5, std::nullopt, chiave_posto_,
                    "the keyword of 'ripetizione segnali' names neither 4 nor 9 codes: '" +
                        a_utf8(c) + "'");
    }
    if (v.fine == 0) v.posizione = 0;
    return Esito::avanti;
}

// ---- the body ---------------------------------------------------------------------------------

// The gradient in force fills the cells up to the record's, then the record's takes over.
Esito Lettore::pendenza() {
    return valore_in_vigore(pendenze_, misura_pendenza, false);
}

// The track runs straight up to the curve's start, then turns by the class's curvature per
// metre over its length; a keyword with "s" turns the other way.
Esito Lettore::curva() {
    const int32_t s = leggi_32();
    const int32_t l = leggi_32();
    if (oltre(s, 100)) return oltre_le_celle(0, s, 100);
    double c = 0.0;
    for (char classe = '1'; classe <= '6'; ++classe) {
        if (contiene(chiave_, std::string_view(&classe, 1))) {
            c = curvature[classe - '1'];
            break;
        }
    }
    if (c == 0.0) {
        return esci(
            103, std::nullopt, chiave_posto_,
            "the keyword of 'curva' has no class digit 1 to 6: '" + a_utf8(f_.campo_letto) + "'");
    }
    if (contiene(chiave_, "s")) c = -c;
    return cammina_curva(s, l, c);
}

// The walk stops with 103 once it has filled the last point a plan may have; a curve beyond
// the last point of the plan is a failure.
Esito Lettore::cammina_curva(int32_t s, int32_t l, double c) {
    // Put into words only for a message: a line has thousands of curves.
    const auto curva = [&] { return "'curva' at " + metri(s) + ", " + metri(l) + " long,"; };
    const int64_t fine_curva = static_cast<int64_t>(s) + l;
    for (const size_t campo : {size_t{0}, size_t{1}}) {
        const int64_t fino = campo == 0 ? s : fine_curva;
        if (k_ > fino) continue;
        try {
            cammina(std::min(fino, punti_massimi), campo == 0 ? 0.0 : c, campo == 1);
        } catch (...) {
            causa(posto_campo(campo), curva() + " runs beyond the last point " +
                                          std::to_string(f_.tracciato.ultimo_punto()) +
                                          " of the track plan " + lunghezza_in_vigore());
            throw;
        }
        if (k_ > punti_massimi) {
            return esci(103, std::nullopt, posto_campo(campo),
                        curva() + " takes the track plan beyond " + std::to_string(punti_massimi) +
                            " points");
        }
    }
    causa({}, {});
    return Esito::avanti;
}

Esito Lettore::montagna() {
    int32_t inizio = leggi_32();
    int32_t fine_m = leggi_32();
    int32_t tipo = leggi_32();
    if (oltre(inizio, 100)) return oltre_le_celle(0, inizio, 100);
    const int32_t prima = f_.codice_errore;
    f_.memo_montagna(inizio, fine_m, tipo);
    if (f_.codice_errore > 0) return rifiuto_del_deposito(inizio, prima);
    return Esito::avanti;
}

Esito Lettore::indicatori_vmax() {
    const int32_t posizione = leggi_32();
    int32_t vas = leggi_32();
    int32_t vbs = leggi_32();
    int32_t vcs = leggi_32();
    int16_t strisces = leggi_16();
    int32_t vad = leggi_32();
    int32_t vbd = leggi_32();
    int32_t vcd = leggi_32();
    int16_t strisced = leggi_16();
    if (oltre(posizione, 100)) return oltre_le_celle(0, posizione, 100);
    const int32_t prima = f_.codice_errore;
    f_.memo_indicatori_v_max(posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced);
    if (f_.codice_errore > 0) return rifiuto_del_deposito(posizione, prima);
    return Esito::avanti;
}

// A board takes a free cell (plain track or a mountain mark) and the next board entry, from
// 80 downward, for its text.
Esito Lettore::cartello_indicatore() {
    const int32_t p = leggi_32();
    leggi_testo(f_.campo_letto);
    if (oltre(p, 100)) return oltre_le_celle(0, p, 100);
    const int64_t n = cella_punto(p);
    cella& c = cella_del_campo(n, 0);
    if (contatore_cartelli_ < 0) {
        causa(chiave_posto_,
              "'cartello_indicatore' finds no entry left for its text: a line holds at most 81 "
              "boards");
        throw ErroreLettura("no entry left for a board text");
    }
    if (!c.libera()) {
        return esci(6, p, posto_campo(0),
                    del_campo(0) + " falls on cell " + std::to_string(n) +
                        ", which is already taken (code " + std::to_string(c.codice) +
                        "): " + metri(p));
    }
    c.codice = 14;
    c.valore_1 = static_cast<int16_t>(contatore_cartelli_);
    f_.record_treno[static_cast<size_t>(contatore_cartelli_)].testo = f_.campo_letto;
    --contatore_cartelli_;
    return Esito::avanti;
}

}  // namespace compattatore
