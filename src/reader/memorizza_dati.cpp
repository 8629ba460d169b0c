// The scenario reader: reads the line file and then the train file, field by field, into
// the scenario table (record_treno), the track cells (celle_percorso) and the track plan
// (tracciato), calling the record stores for mountain ranges, speed-limit boards, signals and
// slowdowns. Each source file is deleted once it has been read (when cancella_sorgenti).
//
// Errors in the sources are left in codice_errore and posizione_errore; where a record is
// involved, the run's record (resoconto.lettore) says where its keyword stands. Any
// run-time failure (a field that is not a number or does not fit, a cell or a point of the
// track plan outside its array, a file that cannot be read) becomes code 25.
#include <algorithm>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/arrotonda.h"
#include "core/errori.h"
#include "core/form1.h"
#include "platform/file.h"
#include "reader/campi.h"

namespace compattatore {

namespace {

// The biggest track plan the walk may build before the curve record is refused (103).
constexpr int64_t punti_massimi = 1000000;
constexpr int32_t lunghezza_massima = 1000000;

enum class Esito {
    avanti,      // go on with the next keyword
    fine_corpo,  // the body of the current file ends here (error 15)
    esci         // the reader returns: the file has been closed and deleted, the code set
};

bool contiene(std::string_view testo, std::string_view parte) {
    return testo.find(parte) != std::string_view::npos;
}

bool multiplo(int64_t valore, int64_t passo) {
    return valore % passo == 0;
}

class Lettore {
  public:
    explicit Lettore(Form1& f) : f_(f) {}

    void esegui() {
        f_.record_treno[85].testo = f_.nome_scenario;
        f_.record_treno[86].testo = f_.numero_treno;
        linea_ = f_.percorso_linea();
        treno_ = f_.percorso_treno();
        if (!f_.testo_linea && stato_file(linea_) != StatoFile::presente) {
            file_ = linea_;
            imposta_errore(101, std::nullopt, false);
            return;
        }
        try {
            if (leggi_linea() == Esito::esci) return;
            if (leggi_treno() == Esito::esci) return;
            controlla_progressive();
        } catch (const ErroreLettura&) {
            fallimento();
        } catch (const std::bad_alloc&) {
            fallimento();
        } catch (const std::length_error&) {
            fallimento();
        }
    }

  private:
    // ---- files and errors -------------------------------------------------------------

    void apri(const std::string& percorso, const std::optional<std::string>& testo) {
        file_ = percorso;
        riga_ = colonna_ = 0;
        if (testo) {
            campi_.emplace(std::string_view(*testo));
        } else {
            campi_.emplace(Campi::DaFile{}, percorso);
        }
    }

    bool fine() const { return campi_->fine(); }

    void chiudi_e_cancella() {
        campi_.reset();
        if (!f_.cancella_sorgenti) return;
        std::string motivo;
        if (!cancella_file(file_, motivo)) throw ErroreLettura(file_ + ": " + motivo);
    }

    void imposta_errore(int32_t codice, std::optional<int32_t> posizione, bool record) {
        f_.codice_errore = codice;
        if (posizione) f_.posizione_errore = *posizione;
        ErroreSorgente& e = f_.resoconto.lettore;
        e.file = file_;
        e.riga = record ? riga_ : 0;
        e.colonna = record ? colonna_ : 0;
    }

    // Closes and deletes the open file and leaves the reader with `codice`.
    Esito esci(int32_t codice, std::optional<int32_t> posizione, bool record = true) {
        chiudi_e_cancella();
        imposta_errore(codice, posizione, record);
        return Esito::esci;
    }

    // A record beyond the cells: the body of the file ends, the file stays open.
    Esito oltre_le_celle(int32_t posizione) {
        imposta_errore(15, posizione, true);
        return Esito::fine_corpo;
    }

    // Whether a record at `posizione` lies beyond the cells: (p + margine) / 50 above
    // ultima_cella, exactly.
    bool oltre(int32_t posizione, int64_t margine) const {
        return static_cast<int64_t>(posizione) + margine >
               50 * static_cast<int64_t>(f_.ultima_cella);
    }

    void fallimento() {
        campi_.reset();
        if (f_.cancella_sorgenti) {
            std::string motivo;
            cancella_file(linea_, motivo);
            cancella_file(treno_, motivo);
        }
        imposta_errore(25, std::nullopt, riga_ > 0);
    }

    cella& cella_in(int64_t indice) {
        if (indice < 0 || static_cast<uint64_t>(indice) >= f_.celle_percorso.size()) {
            throw ErroreLettura("a cell outside the route");
        }
        return f_.celle_percorso[static_cast<size_t>(indice)];
    }

    // ---- fields -----------------------------------------------------------------------

    void leggi_chiave() {
        campi_->leggi_testo(f_.campo_letto);
        riga_ = campi_->riga();
        colonna_ = campi_->colonna();
        chiave_.assign(f_.campo_letto);
        for (char& c : chiave_) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
    }
    bool ha_trattino() const { return contiene(f_.campo_letto, "-"); }

    int32_t leggi_32() { return campi_->leggi<int32_t>(); }
    int16_t leggi_16() { return campi_->leggi<int16_t>(); }
    uint8_t leggi_byte() { return campi_->leggi<uint8_t>(); }

    // The loop over the keywords of a body: two fields with a dash in a row are skipped.
    template <class Record>
    Esito leggi_corpo(Record record) {
        for (;;) {
            if (fine()) return Esito::avanti;
            leggi_chiave();
            if (fine()) return Esito::avanti;
            for (int i = 0; i < 2 && ha_trattino(); ++i) {
                leggi_chiave();
                if (fine()) return Esito::avanti;
            }
            const Esito e = (this->*record)();
            if (e == Esito::esci) return e;
            if (e == Esito::fine_corpo) return Esito::avanti;
        }
    }

    // ---- line file --------------------------------------------------------------------

    Esito leggi_linea() {
        apri(linea_, f_.testo_linea);
        for (;;) {
            if (fine()) return esci(102, std::nullopt, false);
            leggi_chiave();
            if (fine()) return esci(102, std::nullopt, false);
            if (contiene(chiave_, "[generale]")) break;
        }

        for (;;) {
            if (fine()) break;
            leggi_chiave();
            if (fine()) break;
            // Inside the section up to ten dash fields are passed over, with no test for
            // the end of the file between them.
            for (int i = 0; i < 10 && ha_trattino(); ++i) leggi_chiave();
            if (record_generale() == Esito::esci) return Esito::esci;
            if (fine_sezione()) break;
        }
        riga_ = colonna_ = 0;

        f_.progressive_ordina();
        f_.numero_montagne = 0;
        contatore_cartelli_ = 80;
        indice_pendenza_ = 0;
        k_ = 2;
        if (f_.calcola_tracciato != 0) {
            if (!f_.tracciato.contiene(1)) throw ErroreLettura("no track plan to start");
            f_.tracciato.imposta_intero(0, 0, 0);
            f_.tracciato.imposta_intero(0, 1, 0);
            f_.tracciato.imposta_intero(1, 0, 0);
            f_.tracciato.imposta_intero(1, 1, 1);
        }

        if (leggi_corpo(&Lettore::record_linea) == Esito::esci) return Esito::esci;
        chiudi_e_cancella();
        riga_ = colonna_ = 0;

        // Every cell from the fill index to three before the last gets the gradient in
        // force; at least one cell is written.
        do {
            cella_in(indice_pendenza_).pendenza = in_byte(pendenza_ + 100);
            ++indice_pendenza_;
        } while (indice_pendenza_ < static_cast<int64_t>(f_.ultima_cella) - 2);

        if (f_.calcola_tracciato != 0) {
            const int64_t ultimo = static_cast<int64_t>(f_.record_treno[84].fine) + 7000;
            cammina(ultimo - 2, 0.0, false);
        }
        return Esito::avanti;
    }

    // The end of "[generale]": a field with "[" and "]" that does not begin with a dash.
    bool fine_sezione() const {
        const std::string& c = f_.campo_letto;
        if (!contiene(c, "[") || !contiene(c, "]")) return false;
        size_t i = 0;
        while (i < c.size() && (c[i] == ' ' || c[i] == '\t')) ++i;
        return i >= c.size() || c[i] != '-';
    }

    Esito record_generale() {
        const std::string& c = f_.campo_letto;  // exact letter case
        auto& voci = f_.record_treno;

        if (contiene(chiave_, "lunghezza") && contiene(chiave_, "percorso")) {
            const int32_t l = leggi_32();
            voci[84].fine = l;
            if (l > lunghezza_massima) return esci(1, std::nullopt);
            dimensiona(l);
        }
        if (contiene(c, "tre") && contiene(c, "progressiva")) leggi_progressiva(voci[81]);
        if (contiene(c, "due") && contiene(c, "progressiva")) leggi_progressiva(voci[82]);
        if (contiene(c, "uno") && contiene(c, "progressiva")) leggi_progressiva(voci[83]);
        if (contiene(c, "sfondo") && contiene(c, "uno")) voci[85].inizio = leggi_32();
        if (contiene(c, "sfondo") && contiene(c, "due")) voci[85].posizione = leggi_32();
        if (contiene(c, "sfondo") && contiene(c, "tre")) voci[85].fine = leggi_32();
        if (contiene(c, "segnali") && contiene(c, "ripetizione")) {
            voci[86].inizio = leggi_32();
            voci[86].fine = leggi_32();
            if (!multiplo(voci[86].inizio, 50)) return esci(3, std::nullopt);
            if (!multiplo(voci[86].fine, 50)) return esci(4, std::nullopt);
            if (contiene(c, "4")) {
                voci[86].posizione = 4;
            } else if (contiene(c, "9")) {
                voci[86].posizione = 9;
            } else {
                return esci(5, std::nullopt);
            }
            if (voci[86].fine == 0) voci[86].posizione = 0;
        }
        return Esito::avanti;
    }

    void dimensiona(int32_t lunghezza) {
        const int64_t ultimo_punto = static_cast<int64_t>(lunghezza) + 7000;
        const int64_t ultima = arrotonda(static_cast<double>(ultimo_punto) / 50.0);
        if (ultima < 0) throw ErroreLettura("the cells cannot be dimensioned");
        f_.celle_percorso.assign(static_cast<size_t>(ultima) + 1, cella{});
        f_.ultima_cella = static_cast<int32_t>(ultima);
        if (f_.calcola_tracciato != 0) f_.tracciato.dimensiona(ultimo_punto);
    }

    void leggi_progressiva(voce_treno& voce) {
        voce.inizio = leggi_32();
        voce.fine = leggi_32();
        voce.posizione = leggi_32();
        if (!primo_progressivo_errato_ &&
            (!multiplo(voce.inizio, 50) || !multiplo(voce.fine, 50))) {
            primo_progressivo_errato_ = {riga_, colonna_};
        }
    }

    Esito record_linea() {
        if (contiene(chiave_, "pendenza")) {
            const int32_t p = leggi_32();
            const int32_t g = leggi_32();
            if (oltre(p, 100)) return oltre_le_celle(p);
            const int64_t n = arrotonda(static_cast<double>(p) / 50.0);
            if (n > 0) {
                do {
                    cella_in(indice_pendenza_).pendenza = in_byte(pendenza_ + 100);
                    ++indice_pendenza_;
                } while (indice_pendenza_ < n);
            }
            pendenza_ = g;
        }
        if (contiene(chiave_, "curva") && f_.calcola_tracciato != 0) {
            const int32_t s = leggi_32();
            const int32_t l = leggi_32();
            if (oltre(s, 100)) return oltre_le_celle(s);
            double c = 0.0;
            if (contiene(chiave_, "1")) {
                c = 0.0001;
            } else if (contiene(chiave_, "2")) {
                c = 0.0002;
            } else if (contiene(chiave_, "3")) {
                c = 0.0004;
            } else if (contiene(chiave_, "4")) {
                c = 0.001;
            } else if (contiene(chiave_, "5")) {
                c = 0.002;
            } else if (contiene(chiave_, "6")) {
                c = 0.003;
            } else {
                return esci(103, std::nullopt);
            }
            if (contiene(chiave_, "s")) c = -c;
            // The walk stops with 103 once it has filled the last point a plan may have.
            if (k_ <= s) {
                cammina(std::min<int64_t>(s, punti_massimi), 0.0, false);
                if (k_ > punti_massimi) return esci(103, std::nullopt);
            }
            const int64_t fine_curva = static_cast<int64_t>(s) + l;
            if (k_ <= fine_curva) {
                cammina(std::min(fine_curva, punti_massimi), c, true);
                if (k_ > punti_massimi) return esci(103, std::nullopt);
            }
        }
        if (contiene(chiave_, "montagna")) {
            int32_t inizio = leggi_32();
            int32_t fine_m = leggi_32();
            int32_t tipo = leggi_32();
            if (oltre(inizio, 100)) return oltre_le_celle(inizio);
            f_.memo_montagna(inizio, fine_m, tipo);
            if (f_.codice_errore > 0) return esci(f_.codice_errore, inizio);
        }
        if (contiene(chiave_, "indicatori_v")) {
            const int32_t posizione = leggi_32();
            int32_t vas = leggi_32();
            int32_t vbs = leggi_32();
            int32_t vcs = leggi_32();
            int16_t strisces = leggi_16();
            int32_t vad = leggi_32();
            int32_t vbd = leggi_32();
            int32_t vcd = leggi_32();
            int16_t strisced = leggi_16();
            if (oltre(posizione, 100)) return oltre_le_celle(posizione);
            f_.memo_indicatori_v_max(posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced);
            if (f_.codice_errore > 0) return esci(f_.codice_errore, posizione);
        }
        if (contiene(chiave_, "cartello") && contiene(chiave_, "indicat")) {
            const int32_t p = leggi_32();
            campi_->leggi_testo(f_.campo_letto);
            if (oltre(p, 100)) return oltre_le_celle(p);
            cella& c = cella_in(cella_punto(p));
            if (contatore_cartelli_ < 0) throw ErroreLettura("no entry left for a board text");
            if (!c.libera()) return esci(6, p);
            c.codice = 14;
            c.valore_1 = static_cast<int16_t>(contatore_cartelli_);
            f_.record_treno[static_cast<size_t>(contatore_cartelli_)].testo = f_.campo_letto;
            --contatore_cartelli_;
        }
        return Esito::avanti;
    }

    // Points k_ to `ultimo` of the track plan, each from the two before it: straight on, or
    // turned by c radians. Each bracketed term is formed on its own before it is added to
    // the previous point, so the plan comes out the same on every machine. A point beyond
    // the plan is a failure, after every point up to the plan's end has been filled.
    void cammina(int64_t ultimo, double c, bool curva) {
        if (k_ > ultimo) return;
        Tracciato& t = f_.tracciato;
        if (k_ < 2 || !t.contiene(k_) || t.primo_vuoto() != k_) {
            throw ErroreLettura("beyond the last point of the track plan");
        }
        const auto da = static_cast<int32_t>(k_);
        const auto a = static_cast<int32_t>(std::min<int64_t>(ultimo, t.ultimo_punto()));
        double x0 = t.valore(da - 2, 0);
        double y0 = t.valore(da - 2, 1);
        double x1 = t.valore(da - 1, 0);
        double y1 = t.valore(da - 1, 1);
        constexpr size_t n = Tracciato::byte_valore;
        uint8_t* xs = t.slot_di(0) + n * static_cast<size_t>(da);
        uint8_t* ys = t.slot_di(1) + n * static_cast<size_t>(da);
        if (curva) {
            for (int32_t k = da; k <= a; ++k, xs += n, ys += n) {
                const double dx = x1 - x0;
                const double dy = y1 - y0;
                const double tx = dx + c * dy;
                const double ty = dy - c * dx;
                x0 = x1;
                y0 = y1;
                x1 = x1 + tx;
                y1 = y1 + ty;
                Tracciato::metti_reale(xs, x1);
                Tracciato::metti_reale(ys, y1);
            }
        } else {
            for (int32_t k = da; k <= a; ++k, xs += n, ys += n) {
                const double dx = x1 - x0;
                const double dy = y1 - y0;
                x0 = x1;
                y0 = y1;
                x1 = x1 + dx;
                y1 = y1 + dy;
                Tracciato::metti_reale(xs, x1);
                Tracciato::metti_reale(ys, y1);
            }
        }
        t.segna_reali(da, a + 1);
        k_ = static_cast<int64_t>(a) + 1;
        if (ultimo > a) throw ErroreLettura("beyond the last point of the track plan");
    }

    // ---- train file -------------------------------------------------------------------

    Esito leggi_treno() {
        apri(treno_, f_.testo_treno);
        while (!fine()) {
            leggi_chiave();
            if (contiene(chiave_, "[generale]")) break;
        }
        if (leggi_corpo(&Lettore::record_treno) == Esito::esci) return Esito::esci;
        chiudi_e_cancella();
        riga_ = colonna_ = 0;

        const int64_t limite = static_cast<int64_t>(f_.ultima_cella) - 2;
        do {
            cella_in(indice_velocita_).velocita =
                in_byte(arrotonda(static_cast<double>(velocita_) / 5.0));
            ++indice_velocita_;
        } while (indice_velocita_ < limite);
        do {
            cella_in(indice_aderenza_).aderenza = basso_byte(aderenza_);
            ++indice_aderenza_;
        } while (indice_aderenza_ < limite);
        return Esito::avanti;
    }

    Esito record_treno() {
        auto& voci = f_.record_treno;
        if (contiene(chiave_, "frenata") && contiene(chiave_, "massa"))
            voci[84].inizio = leggi_32();
        if (contiene(chiave_, "vetture")) voci[84].posizione = leggi_32();
        if (contiene(chiave_, "velocit")) {
            const int32_t p = leggi_32();
            const int32_t v = leggi_32();
            if (oltre(p, 100)) return oltre_le_celle(p);
            const int64_t n = arrotonda(static_cast<double>(p) / 50.0);
            if (n > 0) {
                do {
                    if (indice_velocita_ >= f_.ultima_cella) break;
                    cella_in(indice_velocita_).velocita =
                        in_byte(arrotonda(static_cast<double>(velocita_) / 5.0));
                    ++indice_velocita_;
                } while (indice_velocita_ < n);
            }
            velocita_ = v;
        }
        if (contiene(chiave_, "aderenza")) {
            const int32_t p = leggi_32();
            const int32_t a = leggi_32();
            if (oltre(p, 100)) return oltre_le_celle(p);
            const int64_t n = arrotonda(static_cast<double>(p) / 50.0);
            if (n > 0) {
                do {
                    cella_in(indice_aderenza_).aderenza = basso_byte(aderenza_);
                    ++indice_aderenza_;
                } while (indice_aderenza_ < n);
            }
            aderenza_ = a;
        }
        if (contiene(chiave_, "orologio")) {
            voci[86].b1 = leggi_16();
            voci[86].b2 = leggi_16();
            voci[86].b3 = leggi_16();
        }
        if (contiene(chiave_, "sabbia")) voci[86].a1 = leggi_16();
        if (contiene(chiave_, "segnale")) {
            const int32_t posizione = leggi_32();
            int32_t v[10];
            for (int32_t& x : v) x = leggi_32();
            if (oltre(posizione, 100)) return oltre_le_celle(posizione);
            f_.memo_segnale(posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
            if (f_.codice_errore > 0) return esci(f_.codice_errore, posizione);
        }
        if (contiene(chiave_, "rallentamento")) {
            const int32_t inizio = leggi_32();
            int16_t v = leggi_16();
            int32_t l = leggi_32();
            int16_t f_tt = leggi_16();
            const int32_t f_ta = leggi_32();
            int32_t d_v = leggi_32();
            if (oltre(inizio, 100)) return oltre_le_celle(inizio);
            f_.memo_rallentamento(inizio, v, l, f_tt, f_ta, d_v);
            if (f_.codice_errore > 0) return esci(f_.codice_errore, inizio);
        }
        if (contiene(chiave_, "abbattimento")) {
            const int32_t p = leggi_32();
            const int32_t w = leggi_32();
            if (oltre(p, 100)) return oltre_le_celle(p);
            cella& c = cella_in(arrotonda(static_cast<double>(p) / 50.0));
            if (!c.libera()) return esci(7, p);
            if (w < 1) {
                c.codice = 13;
            } else {
                c.codice = 12;
                c.valore_1 = basso_16(w);
            }
        }
        if (contiene(chiave_, "stazione")) return stazione();
        return Esito::avanti;
    }

    Esito stazione() {
        if (contatore_stazioni_ < 1 || contatore_stazioni_ > 80) {
            throw ErroreLettura("no entry left for a station");
        }
        voce_treno& e = f_.record_treno[static_cast<size_t>(contatore_stazioni_)];

        e.posizione = leggi_32();
        if (oltre(e.posizione, 800)) return oltre_le_celle(e.posizione);
        if (!multiplo(e.posizione, 50)) return esci(8, e.posizione);

        e.tipo = leggi_byte();
        const int32_t l = leggi_32();
        if (!multiplo(l, 100)) return esci(9, e.posizione);

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
        // The time is computed once the name too has been read: a station cut before its
        // name keeps only the fields read, and its time stays 0.
        std::string nome;
        campi_->leggi_testo(nome);
        e.orario = in_32((ore * 60 + minuti) * 60 + secondi);
        e.testo = std::move(nome);

        // The station's extent; L is a multiple of 100, so L / 2 is exact.
        const int64_t p = e.posizione;
        const int64_t mezza = l / 2;
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
        if (l < 600) e.opzione_2 = 0;
        if (contatore_stazioni_ == 1) {
            e.opzione_3 = 0;
            e.opzione_2 = 0;
        }

        if (e.tipo < 25) {
            const double fine_in_celle = static_cast<double>(e.fine) / 50.0;
            const double x_fine = fine_in_celle - 1;
            if (x_fine <= 1) return esci(24, std::nullopt);
            // Every mark cell is checked before any is written.
            int64_t avvicinamento[4] = {-1, -1, -1, -1};
            if (e.tipo != 5 && e.tipo != 6) {
                for (int i = 1; i <= 4; ++i) {
                    const double x = fine_in_celle - i - 1;
                    if (x > 1) {
                        avvicinamento[i - 1] = arrotonda(x);
                        cella_in(avvicinamento[i - 1]);
                    }
                }
            }
            cella& fine_stazione = cella_in(arrotonda(x_fine));
            for (int i = 1; i <= 4; ++i) {
                if (avvicinamento[i - 1] >= 0) {
                    cella_in(avvicinamento[i - 1]).avvicinamento = static_cast<uint8_t>(80 + i);
                }
            }
            fine_stazione.codice = 10;
            fine_stazione.valore_1 = static_cast<int16_t>(contatore_stazioni_);
        }

        if (contatore_stazioni_ > 1) {
            const voce_treno& prima = f_.record_treno[static_cast<size_t>(contatore_stazioni_ - 1)];
            if (static_cast<int64_t>(e.inizio) - 350 < prima.fine) return esci(22, e.posizione);
        }
        ++contatore_stazioni_;
        if (contatore_stazioni_ >= contatore_cartelli_) return esci(10, std::nullopt);
        return Esito::avanti;
    }

    // ---- after both files -------------------------------------------------------------

    void controlla_progressive() {
        for (int i = 81; i <= 83; ++i) {
            const voce_treno& v = f_.record_treno[static_cast<size_t>(i)];
            if (!multiplo(v.inizio, 50) || !multiplo(v.fine, 50)) {
                file_ = linea_;
                riga_ = primo_progressivo_errato_ ? primo_progressivo_errato_->first : 0;
                colonna_ = primo_progressivo_errato_ ? primo_progressivo_errato_->second : 0;
                imposta_errore(2, std::nullopt, riga_ > 0);
                return;
            }
        }
    }

    Form1& f_;
    std::optional<Campi> campi_;
    std::string linea_;
    std::string treno_;
    std::string file_;    // the file being read, or the last one
    std::string chiave_;  // the keyword, letters lower-cased
    int32_t riga_ = 0;    // where the current record's keyword stands; 0 outside records
    int32_t colonna_ = 0;
    std::optional<std::pair<int32_t, int32_t>> primo_progressivo_errato_;

    int32_t contatore_stazioni_ = 1;
    int32_t contatore_cartelli_ = 80;
    int64_t indice_pendenza_ = 0;
    int64_t pendenza_ = 0;
    int64_t indice_velocita_ = 0;
    int64_t velocita_ = 0;
    int64_t indice_aderenza_ = 0;
    int64_t aderenza_ = 0;
    int64_t k_ = 2;  // next point of the track plan
};

}  // namespace

void Form1::memorizza_dati() {
    // Nothing of an earlier reading is kept: the cells and the track plan exist only once
    // a route length has been read.
    celle_percorso.clear();
    ultima_cella = 0;
    tracciato.libera();
    Lettore(*this).esegui();
}

}  // namespace compattatore
