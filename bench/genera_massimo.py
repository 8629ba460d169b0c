#!/usr/bin/env python3
"""Writes the largest scenario the compactor takes: a 1000000 m line with thousands of curves,
gradients, speed-limit boards, signals, speed and adhesion changes and slowdowns, 80 mountain
ranges, 18 indication boards and 60 stations (boards and stations share 78 table entries).

    genera_massimo.py DIR      -> DIR/MASSIMO_linea.txt and DIR/MASSIMO_9999-.txt

The line is cut into 1000 m blocks of 20 cells. Every item has a fixed cell inside its
block, so no store ever finds its cell taken and the whole scenario reads without error:

    cell offset  what
    0            marker-pass mark ahead of the next block's signal
    1            signal (position B)
    3            speed-limit board (B + 100)
    5..8         the four cells before the next block's slowdown warning (one block in ten)
    9            that warning (1200 m before the next block's slowdown)
    13, 17       slowdown start (B + 600) and end (B + 800)
    15           end of a station (station at B + 500, 600 m long), some blocks
    18           indication board (B + 850), some blocks
"""

import os
import sys

LUNGHEZZA = 1000000
NOME = "MASSIMO"
TRENO = "9999"
BLOCCHI = range(2, 999)  # block b covers B = 1000 b to B + 999
BLOCCHI_STAZIONE = {16 * k for k in range(1, 60)}  # 59 stations after the origin
BLOCCHI_CARTELLO = {50 * k + 25 for k in range(18)}


def righe_linea():
    r = [
        "   Linea MASSIMO: la linea piu' lunga che il compattatore accetta.",
        "   Generata per le misure di velocita', non per la guida.",
        "[generale]",
        "lunghezza percorso,    %d" % LUNGHEZZA,
        "progressiva chilometrica uno,    0,    %d,    1" % LUNGHEZZA,
        "progressiva chilometrica due,    0,    0,    0",
        "progressiva chilometrica tre,    0,    0,    0",
        "sfondo uno,    1",
        "sfondo due,    0",
        "sfondo tre,    0",
        "ripetizione segnali 4 codici,    1200,    %d" % (LUNGHEZZA - 1000),
        "[curve]",
    ]
    # A curve every 250 m, 100 m long; the walk must stay below point 1000000.
    for i, inizio in enumerate(range(1000, LUNGHEZZA - 1000, 250)):
        lato = "s" if i % 2 else "d"
        r.append("curva%s%d,  %d,  100" % (lato, 1 + i % 6, inizio))
    r.append("[pendenze]")
    r.append("pendenza,   0,    0")
    for i, p in enumerate(range(200, LUNGHEZZA, 200)):
        r.append("pendenza,  %d,   %d" % (p, (i * 7) % 61 - 30))
    r.append("[montagne]")
    for k in range(80):
        inizio = 12000 * k + 3000
        r.append("montagna,   %d,  %d,  %d" % (inizio, inizio + 2000, 11 + k % 2))
    r.append("[cartelli]")
    for b in BLOCCHI:
        v = 60 + (b * 5) % 100
        r.append("indicatori_vmax,  %d,  %d,  %d,  %d,  0,  ,  ,  ,  0" % (1000 * b + 100, v, v + 5, v + 10))
    r.append("[indicazioni]")
    for b in sorted(BLOCCHI_CARTELLO):
        r.append("cartello_indicatore,  %d,   (GALLERIA %03d)(m. %d       )" % (1000 * b + 850, b, 100 + b))
    r.append("[fine]")
    return r


def righe_treno():
    r = [
        "[generale]",
        "numero vetture,    12",
        "percentuale massa frenata,    140",
        "sabbia,    250",
        "orologio,    6              0            0 ",
        "[aderenze]",
    ]
    for i, p in enumerate(range(0, LUNGHEZZA, 1000)):
        r.append("aderenza,   %d,    %d" % (p, 80 + i % 40))
    r.append("[vel_limite]")
    r.append("velocita,   0,    30")
    for i, p in enumerate(range(500, LUNGHEZZA, 500)):
        r.append("velocita,   %d,   %d" % (p, 60 + (i * 5) % 100))
    r.append("[stazioni]")
    r.append("stazione,       0,  8,  700,  0, 0, 0,  1,1,0,  4,1,1,    1,   6, 0, 0, ORIGINE")
    for n, b in enumerate(sorted(BLOCCHI_STAZIONE), start=1):
        secondi = 6 * 3600 + n * 480
        r.append(
            "stazione,   %d, 22,  600,  0, 1, 0,  0,0,0,  4,1,1,   60,  %d,%d, 0, STAZIONE %02d"
            % (1000 * b + 500, secondi // 3600, secondi // 60 % 60, n)
        )
    r.append("[rallentamenti]")
    for b in BLOCCHI:
        # Half of them slow enough for the marks inside the slowdown. Only one in ten marks
        # the four cells before its warning: those cells are the first look-back window of
        # the slowdown one block earlier, which then has no free cell there.
        v = 30 + (b * 10) % 120
        f_ta = 1 if b % 10 == 0 else 0
        r.append("rallentamento,   %d,    %d,  200, 0,  %d,  %d" % (1000 * b + 600, v, f_ta, v + 20))
    r.append("[segnali]")
    for b in BLOCCHI:
        r.append("segnale,    %d,   2, 4, 1,  1, 0,    2,  2,1,1, %d" % (1000 * b, b % 3 * 40))
    r.append("[codici]")
    r.append("[fine]")
    return r


def scrivi(percorso, righe):
    with open(percorso, "wb") as f:
        for riga in righe:
            f.write(riga.encode("cp1252") + b"\r\n")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: genera_massimo.py DIR")
    cartella = sys.argv[1]
    os.makedirs(cartella, exist_ok=True)
    scrivi(os.path.join(cartella, NOME + "_linea.txt"), righe_linea())
    scrivi(os.path.join(cartella, NOME + "_" + TRENO + "-.txt"), righe_treno())


if __name__ == "__main__":
    main()
