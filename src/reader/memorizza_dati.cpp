// The scenario reader's main sequence: the line file ("[generale]", then its body), the
// fills that close it, the train file, and the check of the kilometric progressives.
#include <new>
#include <stdexcept>

#include "core/arrotonda.h"
#include "core/errori.h"
#include "platform/file.h"
#include "reader/lettore.h"

namespace compattatore {

void Lettore::esegui() {
    f_.record_treno[voce_scenario].testo = f_.nome_scenario;
    f_.record_treno[voce_del_treno].testo = f_.numero_treno;
    linea_ = f_.percorso_linea();
    treno_ = f_.percorso_treno();
    if (!f_.testo_linea && stato_file(linea_) != StatoFile::presente) {
        file_ = linea_;
        imposta_errore(101, std::nullopt, {}, {});
        return;
    }
    try {
        if (leggi_linea() == Esito::esci) return;
        if (leggi_treno() == Esito::esci) return;
        controlla_progressive();
    } catch (const ErroreLettura& e) {
        fallimento(e.what());
    } catch (const std::bad_alloc&) {
        fallimento("out of memory");
    } catch (const std::length_error& e) {
        fallimento(e.what());
    }
}

// ---- line file ------------------------------------------------------------------------------

Esito Lettore::leggi_linea() {
    apri(linea_, f_.testo_linea);
    for (;;) {
        if (fine()) return esci(102, std::nullopt, {}, {});
        leggi_chiave();
        if (fine()) return esci(102, std::nullopt, {}, {});
        if (contiene(chiave_, "[generale]")) break;
    }
    if (leggi_generale() == Esito::esci) return Esito::esci;

    f_.progressive_ordina();
    prepara_corpo_linea();
    if (leggi_corpo(Sezione::linea) == Esito::esci) return Esito::esci;
    chiudi_e_cancella();
    chiave_posto_ = {};

    // Every cell from the fill index to three before the last gets the gradient in force; at
    // least one cell is written.
    riempi(pendenze_, misura_pendenza, static_cast<int64_t>(f_.ultima_cella) - 2);

    if (f_.calcola_tracciato != 0) {
        const int64_t ultimo = static_cast<int64_t>(f_.record_treno[voce_generale].fine) + 7000;
        cammina(ultimo - 2, 0.0, false);
    }
    return Esito::avanti;
}

Esito Lettore::leggi_generale() {
    for (;;) {
        if (fine()) break;
        leggi_chiave();
        if (fine()) break;
        // Inside the section up to ten dash fields are passed over, with no test for the end
        // of the file between them.
        for (int i = 0; i < 10 && ha_trattino(); ++i) {
            if (fine()) {
                causa(chiave_posto_,
                      "the line file ends among the fields with '-' that [generale] passes over");
            }
            leggi_chiave();
        }
        if (offri(Sezione::generale) == Esito::esci) return Esito::esci;
        if (fine_sezione()) break;
    }
    chiave_posto_ = {};
    return Esito::avanti;
}

bool Lettore::fine_sezione() const {
    const std::string& c = f_.campo_letto;
    if (!contiene(c, "[") || !contiene(c, "]")) return false;
    size_t i = 0;
    while (i < c.size() && (c[i] == ' ' || c[i] == '\t')) ++i;
    return i >= c.size() || c[i] != '-';
}

// The body starts with no mountain range, the first board entry, the first cell and the
// first two points of the track plan.
void Lettore::prepara_corpo_linea() {
    f_.numero_montagne = 0;
    contatore_cartelli_ = voce_primo_cartello;
    pendenze_.indice = 0;
    k_ = 2;
    if (f_.calcola_tracciato != 0) {
        if (!f_.tracciato.contiene(1)) {
            if (lunghezza_) {
                causa(posto_lunghezza_,
                      "field 'lunghezza' of 'lunghezza percorso' leaves the "
                      "track plan fewer than 2 points: " +
                          std::to_string(*lunghezza_) + " m");
            } else {
                senza_lunghezza();
            }
            throw ErroreLettura("no track plan to start");
        }
        f_.tracciato.imposta_intero(0, 0, 0);
        f_.tracciato.imposta_intero(0, 1, 0);
        f_.tracciato.imposta_intero(1, 0, 0);
        f_.tracciato.imposta_intero(1, 1, 1);
    }
}

// ---- train file -----------------------------------------------------------------------------

Esito Lettore::leggi_treno() {
    apri(treno_, f_.testo_treno);
    bool generale = false;
    while (!fine() && !generale) {
        leggi_chiave();
        generale = contiene(chiave_, "[generale]");
    }
    // A train file saved in an encoding the reader does not know looks like this too.
    if (!generale) {
        avvisa("no-generale", "no field holds '[generale]', so nothing of the train file is read",
               false);
    }
    if (leggi_corpo(Sezione::treno) == Esito::esci) return Esito::esci;
    chiudi_e_cancella();
    chiave_posto_ = {};

    // Speeds and adhesion in force up to three cells before the last, at least one cell each.
    const int64_t limite = static_cast<int64_t>(f_.ultima_cella) - 2;
    riempi(velocita_, misura_velocita, limite);
    riempi(aderenze_, misura_aderenza, limite);
    return Esito::avanti;
}

// ---- after both files -----------------------------------------------------------------------

void Lettore::controlla_progressive() {
    for (int i = voce_progressiva_tre; i <= voce_progressiva_uno; ++i) {
        const voce_treno& v = f_.record_treno[static_cast<size_t>(i)];
        if (!multiplo(v.inizio, 50) || !multiplo(v.fine, 50)) {
            file_ = linea_;
            if (primo_progressivo_errato_) {
                imposta_errore(2, std::nullopt, primo_progressivo_errato_->first,
                               primo_progressivo_errato_->second);
            } else {
                imposta_errore(2, std::nullopt, {}, {});
            }
            return;
        }
    }
}

void Form1::memorizza_dati() {
    // Nothing of an earlier reading is kept: the cells and the track plan exist only once a
    // route length has been read.
    celle_percorso.clear();
    ultima_cella = 0;
    tracciato.libera();
    Lettore(*this).esegui();
}

}  // namespace compattatore
