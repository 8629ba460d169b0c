// The compactor: it prepares the run's state, calls the reader, places the abbattimento
// marks around the slowdowns, fills the reserved slots with the scenario codes and writes
// the three binary files.
#include <algorithm>
#include <string>

#include "core/errori.h"
#include "core/form1.h"
#include "platform/file_sostitutivo.h"
#include "track/codifica.h"

namespace compattatore {

namespace {

// A mark: an abbattimento (code 12) to 180 km/h.
constexpr uint8_t codice_abbattimento = 12;
constexpr int16_t valore_abbattimento = 180;
// Slowdowns at this speed or above get no rhythm marks inside them.
constexpr int16_t velocita_senza_ritmo = 110;
// The rhythm marks inside a slowdown stand this many cells apart.
constexpr int32_t passo_ritmo = 8;

// The reserved slots of entry 85 and cell 1.
constexpr int16_t valore_riservato_voce = 610;
constexpr int16_t valore_riservato_cella = 5121;
constexpr int indice_voce_riservata = 85;

// One pass over the cells. Every cell it looks at is checked against the array: a cell
// outside it is never free, never read and never marked.
class PassoMarcatori {
  public:
    explicit PassoMarcatori(Form1& f)
        : f_(f),
          ultima_(static_cast<int32_t>(std::min<int64_t>(
              f.ultima_cella, static_cast<int64_t>(f.celle_percorso.size()) - 1))) {}

    void esegui() {
        const int32_t ultima_da_esaminare = ultima_ - 2;
        for (int32_t i = 1; i <= ultima_da_esaminare; ++i) {
            if (codice(i) == 4) segnali_prima_dell_avviso(i);
            if (codice(i) == 3) intorno_al_rallentamento(i);
        }
    }

  private:
    bool dentro(int64_t c) const { return c >= 0 && c <= ultima_; }
    cella& at(int32_t c) { return f_.celle_percorso[static_cast<size_t>(c)]; }
    // The code of a cell inside the array; 0 (plain track) for one outside, which no test
    // of the pass looks for.
    uint8_t codice(int32_t c) { return dentro(c) ? at(c).codice : 0; }
    bool libera(int32_t c) { return dentro(c) && at(c).libera(); }

    void segna(int32_t c) {
        at(c).codice = codice_abbattimento;
        at(c).valore_1 = valore_abbattimento;
    }
    // An abbattimento already there keeps the lower of its speed and the mark's.
    void abbassa(int32_t c) {
        at(c).valore_1 = static_cast<int16_t>(Form1::minimo(valore_abbattimento, at(c).valore_1));
    }
    // `cella_origine` holds the signal or the slowdown's start that the mark was for.
    void registra(int32_t codice, int32_t posizione, int32_t cella_origine) {
        f_.codice_errore = codice;
        f_.posizione_errore = posizione;
        Registrazione r{codice, posizione};
        const auto& origini = f_.resoconto.origini;
        if (const auto o = origini.find(cella_origine); o != origini.end()) {
            r.origine = o->second;
        }
        f_.resoconto.registrazioni.push_back(r);
        f_.segnala_registrazione(r);
    }

    // A warning (code 4) in cell i: every signal in the 20 cells before it gets a mark in
    // one of its two front cells.
    void segnali_prima_dell_avviso(int32_t i) {
        for (int32_t k = 1; k <= 20; ++k) {
            const int32_t segnale = i - k;
            if (segnale < 3) break;
            if (codice(segnale) != 1) continue;
            const int32_t a = segnale - 1;
            const int32_t b = segnale - 2;
            if (libera(a)) {
                segna(a);
            } else if (libera(b)) {
                segna(b);
            } else if (codice(a) == codice_abbattimento) {
                abbassa(a);
            } else if (codice(b) == codice_abbattimento) {
                abbassa(b);
            } else {
                registra(11, segnale * 50, segnale);
            }
        }
    }

    // The start of a slowdown (code 3) in cell i.
    void intorno_al_rallentamento(int32_t i) {
        finestre_prima(i);
        const int32_t fine = at(i).valore_1 < velocita_senza_ritmo ? ritmo(i) : cella_fine(i);
        segnale_dopo(fine, i);
    }

    // Three windows of three cells, 250 to 350 m, 550 to 650 m and 900 to 1000 m before the
    // start: the first free cell of each gets a mark.
    void finestre_prima(int32_t i) {
        struct Finestra {
            int32_t oltre;   // the window is looked at only when i is above this
            int32_t vicina;  // distance in cells of its nearest cell
        };
        static constexpr Finestra finestre[] = {{7, 5}, {13, 11}, {20, 18}};
        for (const Finestra& w : finestre) {
            if (i <= w.oltre) continue;
            bool segnata = false;
            for (int32_t d = 0; d < 3 && !segnata; ++d) {
                const int32_t c = i - w.vicina - d;
                if (libera(c)) {
                    segna(c);
                    segnata = true;
                }
            }
            if (!segnata) registra(12, i * 50, i);
        }
    }

    // Stops the walk from a slowdown's start: its end cell (code 2), or the last cell when
    // no end follows (a slowdown shorter than a cell leaves only its start).
    bool fine_cammino(int32_t p) { return codice(p) == 2 || p >= ultima_; }

    // Marks every 8 cells from the start to the end, each counted from the mark actually
    // placed; returns the cell where the walk stopped.
    int32_t ritmo(int32_t i) {
        int32_t p = i;
        int32_t n = 0;
        do {
            ++p;
            ++n;
            if (n == passo_ritmo) {
                if (libera(p)) {
                    segna(p);
                    n = 0;
                } else if (libera(p - 1)) {
                    segna(p - 1);
                    n = 1;
                } else if (libera(p + 1)) {
                    segna(p + 1);
                    n = -1;
                } else {
                    // n stays past 8: no more rhythm marks in this slowdown.
                    registra(13, p * 50, i);
                }
            }
        } while (!fine_cammino(p));
        return p;
    }

    // The same walk without marks, for slowdowns too fast for rhythm marks.
    int32_t cella_fine(int32_t i) {
        int32_t p = i;
        do {
            ++p;
        } while (!fine_cammino(p));
        return p;
    }

    // A signal within 12 cells from the end of the slowdown that starts in cell i gets a mark
    // in front of it.
    void segnale_dopo(int32_t t, int32_t i) {
        int32_t s = 0;
        const int32_t ultima_q = std::min(t + 12, ultima_);
        for (int32_t q = t; q <= ultima_q; ++q) {
            if (codice(q) == 1) {
                s = q - 1;
                break;
            }
        }
        if (s <= 0) return;
        if (libera(s)) {
            segna(s);
        } else if (libera(s - 1)) {
            segna(s - 1);
        } else {
            registra(13, t * 50, i);
        }
    }

    Form1& f_;
    int32_t ultima_;  // the last cell that is both in the array and on the route
};

}  // namespace

void Form1::memorizza_percorso(int32_t& j) {
    calcola_tracciato = j;
    codice_errore = 0;
    posizione_errore = 0;
    record_treno.fill(voce_treno{});
    // The reader dimensions these when it reads the route length; until then there are none,
    // so a run that stops earlier never works on an earlier run's cells.
    celle_percorso.clear();
    ultima_cella = 0;
    tracciato.libera();
    resoconto.nuovo_compattamento();

    try {
        memorizza_dati();
    } catch (const ErroreLettura&) {
        // The reader traps its own failures; one that slips out still counts as code 25.
        codice_errore = 25;
    }
    resoconto.lettore.codice = codice_errore;
    resoconto.lettore.posizione = posizione_errore;
    if (codice_errore != 0) {
        segnala_errore_lettore();
        resoconto.stato = uscita_sorgenti;
    }

    // Without cells (no line file, no length, a length out of range) there is nothing to
    // mark, no slot to fill and no file to write: the error above says why.
    if (celle_percorso.empty()) return;

    passo_marcatori();
    riempi_slot_riservati();
    if (!senza_file_binari) scrivi_file_binari();
}

void Form1::passo_marcatori() {
    PassoMarcatori(*this).esegui();
}

void Form1::riempi_slot_riservati() {
    // Cell 1 carries a reserved slot: a route whose cells end before it cannot hold the codes.
    if (ultima_cella < 1 || celle_percorso.size() < 2) {
        throw ErrorePiattaforma("the route is too short for the scenario codes: its last cell is " +
                                std::to_string(ultima_cella) +
                                ", and the codes go into cell 1; no binary file written");
    }
    voce_treno& voce = record_treno[indice_voce_riservata];
    cella& prima = celle_percorso[1];
    if (voce.a1 != 0 || prima.valore_1 != 0) errore("1250");
    voce.a1 = valore_riservato_voce;
    prima.valore_1 = valore_riservato_cella;
    if (voce.orario != 0 || prima.valore_2 != 0) errore("1251");
    voce.orario = codice_gara_st();
    prima.valore_2 = codice_gara_og();
}

void Form1::scrivi_file_binari() {
    const auto scrivi = [this](const std::string& nome, auto&& codifica) {
        if (uscite != nullptr) {
            FileSostitutivo& file = uscite->nuovo(percorso_uscita(nome), nome);
            codifica(file);
            file.completa();
            return;
        }
        FileSostitutivo file(percorso_uscita(nome));
        codifica(file);
        file.chiudi();
        resoconto.scritti.push_back(nome);
    };
    if (calcola_tracciato != 0) {
        scrivi(nome_scenario + "_linea.dat",
               [this](FileSostitutivo& file) { scrivi_linea_dat(file, tracciato); });
    }
    scrivi(nome_scenario + "_" + numero_treno + ".sim",
           [this](FileSostitutivo& file) { scrivi_sim(file, record_treno); });
    scrivi(nome_scenario + "_" + numero_treno + ".dat",
           [this](FileSostitutivo& file) { scrivi_celle(file, celle_percorso); });
}

}  // namespace compattatore
