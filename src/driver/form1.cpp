#include "core/form1.h"

#include <iostream>
#include <string>
#include <utility>

#include "core/codici_errore.h"
#include "core/errori.h"
#include "platform/file_sostitutivo.h"
#include "platform/nomi_file.h"
#include "platform/percorso.h"

namespace compattatore {

namespace {
constexpr std::string_view marcatore_fine = "riferimento fine del file";
}

int Form1::Form_Load() {
    nome_scenario = "VALCRESTINA_TORVE";
    numero_treno = "325";
    interfaccia->mostra_attesa();

    // The two sources are written whole, read back from where they were written and never
    // named, so that a run that stops anywhere leaves neither of them behind. The documents
    // and the binary files wait, complete, and take their names together at the end.
    Sostituzioni sorgenti;
    Sostituzioni prodotti;
    struct Ripristina {
        Sostituzioni*& uscite;
        ~Ripristina() { uscite = nullptr; }
    } ripristina{uscite};
    uscite = &sorgenti;
    dati_linea();
    dati_treno();
    testo_linea = sorgenti.file(0).leggi_tutto();
    testo_treno = sorgenti.file(1).leggi_tutto();

    uscite = &prodotti;
    dati_note();
    dati_rallentamenti();
    dati_scheda();

    int32_t j = 1;
    try {
        memorizza_percorso(j);
    } catch (const ErroreFatale&) {
        // The fatal ending comes before any binary file: the documents stay, as they always did.
        conferma_uscite(prodotti);
        throw;
    }
    // After a reader error too: what could be written is written.
    conferma_uscite(prodotti);

    interfaccia->chiudi_attesa();
    return resoconto.stato;
}

void Form1::conferma_uscite(Sostituzioni& insieme) {
    struct Annota {
        Form1& f;
        Sostituzioni& s;
        ~Annota() {
            f.resoconto.scritti.insert(f.resoconto.scritti.end(), s.nominati().begin(),
                                       s.nominati().end());
        }
    } annota{*this, insieme};
    insieme.conferma();
}

void Form1::errore(const std::string& a) {
    const std::string testo = " Errore n. " + a;
    interfaccia->mostra_errore(testo);
    int numero = 0;
    for (char c : a) {
        if (c >= '0' && c <= '9') numero = numero * 10 + (c - '0');
    }
    resoconto.fatale = numero;
    throw ErroreFatale(numero);
}

std::string Form1::unisci(const std::string& cartella, std::string_view nome) {
    std::string percorso = cartella;
    percorso += separatore_cartelle();
    percorso += nome_per_il_sistema(nome);
    return percorso;
}

std::string Form1::percorso_programma(std::string_view nome) const {
    return unisci(cartella_programma, nome);
}

std::string Form1::percorso_uscita(std::string_view nome) const {
    return unisci(cartella_uscita.empty() ? cartella_programma : cartella_uscita, nome);
}

std::string Form1::percorso_linea() const {
    return file_linea.empty() ? percorso_programma(nome_scenario + "_linea.txt") : file_linea;
}

std::string Form1::percorso_treno() const {
    return file_treno.empty() ? percorso_programma(nome_scenario + "_" + numero_treno + "-.txt")
                              : file_treno;
}

void Form1::scrivi_testo(std::string_view nome, const char* const* righe, size_t quante) {
    const auto scrivi_righe = [&](FileSostitutivo& file) {
        for (size_t i = 0; i < quante; ++i) {
            const std::string_view riga = righe[i];
            if (riga == marcatore_fine) break;
            file.scrivi(riga);
            file.scrivi("\r\n");
        }
    };
    if (uscite != nullptr) {
        FileSostitutivo& file = uscite->nuovo(percorso_programma(nome), std::string(nome));
        scrivi_righe(file);
        file.completa();
        return;
    }
    FileSostitutivo file(percorso_programma(nome));
    scrivi_righe(file);
    file.chiudi();
    resoconto.scritti.emplace_back(nome);
}

std::ostream& Form1::uscita_messaggi() {
    return messaggi ? *messaggi : std::cerr;
}

void Form1::segnala_errore_lettore() {
    ErroreSorgente& e = resoconto.lettore;
    if (e.messaggio.empty()) {
        // No cause in words: the code's meaning, with the position where the code has one.
        const auto d = descrivi_codice(e.codice);
        e.messaggio = d.significato;
        if (d.con_posizione) e.messaggio += " (position " + std::to_string(e.posizione) + " m)";
    }
    auto& out = uscita_messaggi();
    out << "compattatore:";
    if (!e.file.empty()) {
        out << e.file << ':';
        if (e.riga > 0) out << e.riga << ':' << e.colonna << ':';
    }
    out << " error " << e.codice << ": " << e.messaggio << '\n';
}

void Form1::segnala_registrazione(const Registrazione& r) {
    const auto d = descrivi_codice(r.codice);
    std::string riga = "compattatore:";
    if (r.origine) {
        riga += r.origine->file + ':' + std::to_string(r.origine->riga) + ':' +
                std::to_string(r.origine->colonna) + ':';
    }
    riga += " warning " + std::to_string(r.codice) + ": " + std::string(d.significato) +
            " (position " + std::to_string(r.posizione) + " m";
    if (r.origine) {
        riga +=
            "; for the " + r.origine->record + " at " + std::to_string(r.origine->posizione) + " m";
    }
    riga += ")";
    // A slowdown whose windows are all taken gives the same record several times over.
    if (!resoconto.righe_registrazioni.insert(riga).second || silenzioso) return;
    uscita_messaggi() << riga << '\n';
}

void Form1::avvisa(Avviso a) {
    if (!silenzioso) {
        auto& out = uscita_messaggi();
        out << "compattatore:" << a.file << ':';
        if (a.riga > 0) out << a.riga << ':' << a.colonna << ':';
        out << " warning: " << a.testo << '\n';
    }
    resoconto.avvisi.push_back(std::move(a));
}

}  // namespace compattatore
