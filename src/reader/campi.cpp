#include "reader/campi.h"

#include <algorithm>
#include <limits>

namespace compattatore {

namespace {

constexpr size_t dimensione_blocco = size_t{64} * 1024;
// Any integer token at or above this magnitude fits no field; digits after it are not added.
constexpr uint64_t tetto_intero = 100000000000000000ULL;  // 10^17

inline bool spazio(int c) {
    return c == ' ' || c == '\t';
}
inline bool fine_riga(int c) {
    return c == '\r' || c == '\n';
}

}  // namespace

Campi::Campi(std::string_view testo)
    : inizio_(testo.data()),
      p_(testo.data()),
      fine_(testo.data() + testo.size()),
      dimensione_(testo.size()) {}

Campi::Campi(DaFile, const std::string& percorso) : percorso_(percorso) {
    std::string motivo;
    if (!file_.apri(percorso, motivo)) throw ErroreLettura(percorso + ": " + motivo);
    dimensione_ = file_.dimensione();
    blocco_ = std::make_unique<char[]>(dimensione_blocco);
    inizio_ = p_ = fine_ = blocco_.get();
}

Campi::~Campi() {
    chiudi();
}

void Campi::chiudi() {
    if (file_.aperto()) {
        file_.chiudi();
        // Nothing more can be read: the end of the file is where reading stopped.
        dimensione_ = posizione();
        base_ = dimensione_;
        inizio_ = p_ = fine_ = blocco_.get();
    }
}

bool Campi::ricarica() {
    if (p_ < fine_) return true;
    if (!file_.aperto()) return false;
    base_ += static_cast<uint64_t>(fine_ - inizio_);
    inizio_ = p_ = fine_ = blocco_.get();
    if (base_ >= dimensione_) return false;
    const uint64_t resto = dimensione_ - base_;
    const size_t voglio =
        resto < dimensione_blocco ? static_cast<size_t>(resto) : dimensione_blocco;
    std::string motivo;
    const std::ptrdiff_t n = file_.leggi(blocco_.get(), voglio, motivo);
    if (n < 0) throw ErroreLettura(percorso_ + ": " + motivo);
    if (n == 0) throw ErroreLettura(percorso_ + ": the file is shorter than its size");
    fine_ = inizio_ + n;
    return true;
}

void Campi::salta_spazi() {
    for (;;) {
        while (p_ < fine_ && spazio(*p_)) ++p_;
        if (p_ < fine_ || !ricarica()) return;
    }
}

void Campi::consuma_fine_riga() {
    const char c = *p_++;
    if (c == '\r' && guarda() == '\n') ++p_;
    if (riga_ < std::numeric_limits<int32_t>::max()) ++riga_;
    inizio_riga_ = posizione();
}

void Campi::segna_inizio_campo() {
    inizio_campo_ = posizione();
    riga_campo_ = riga_;
    const uint64_t colonna = posizione() - inizio_riga_ + 1;
    colonna_campo_ = colonna > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())
                         ? std::numeric_limits<int32_t>::max()
                         : static_cast<int32_t>(colonna);
}

void Campi::controlla_non_fine() {
    if (fine()) {
        throw ErroreCampo(ErroreCampo::Motivo::fine_del_file, {},
                          percorso_ + ": read past the end of the file");
    }
}

// The token that stands where a number was asked for, from the start of the field to the
// next comma, blank or line end (at most 40 bytes of it, enough for a message).
void Campi::non_numero() {
    constexpr size_t massimo = 40;
    std::string testo;
    if (inizio_campo_ >= base_) {
        const char* da = inizio_ + (inizio_campo_ - base_);
        testo.assign(da, static_cast<size_t>(std::min<ptrdiff_t>(p_ - da, massimo)));
    }
    // How far the reading goes on depends only on what follows, never on how much of the
    // field's start is still at hand (in a file read in pieces it may lie in an earlier one),
    // so the tokenizer stands at the same place whichever way the file is read.
    size_t dopo = 0;
    for (int c = guarda(); dopo < massimo && c >= 0 && c != ',' && !spazio(c) && !fine_riga(c);
         c = guarda()) {
        if (testo.size() < massimo) testo += static_cast<char>(c);
        ++dopo;
        ++p_;
    }
    throw ErroreCampo(ErroreCampo::Motivo::non_numero, std::move(testo),
                      percorso_ + ": a number was expected");
}

void Campi::leggi_testo(std::string& campo) {
    controlla_non_fine();
    campo.clear();
    salta_spazi();
    segna_inizio_campo();

    if (guarda() == '"') {
        ++p_;
        // Up to the closing quote, or to the line end when there is none.
        while (p_ < fine_ || ricarica()) {
            const char* q = p_;
            while (q < fine_ && *q != '"' && *q != '\r' && *q != '\n') ++q;
            if (campo.size() + static_cast<size_t>(q - p_) > testo_massimo) {
                campo.clear();  // nothing of a refused text is kept
                throw ErroreCampo(ErroreCampo::Motivo::troppo_lungo, {},
                                  percorso_ + ": a text field is longer than 65535 bytes");
            }
            campo.append(p_, q);
            p_ = q;
            if (q < fine_) break;
        }
        if (guarda() == '"') ++p_;
        // The rest of the field, up to and including its comma or line end, is dropped.
        for (;;) {
            const int c = guarda();
            if (c < 0) break;
            if (c == ',') {
                ++p_;
                break;
            }
            if (fine_riga(c)) {
                consuma_fine_riga();
                break;
            }
            ++p_;
        }
        return;
    }

    while (p_ < fine_ || ricarica()) {
        const char* q = p_;
        while (q < fine_ && *q != ',' && *q != '\r' && *q != '\n') ++q;
        campo.append(p_, q);
        p_ = q;
        if (campo.size() > testo_massimo) {
            // Blanks past the limit are harmless only if they end the field: keep one of
            // them, so that any later non-blank byte still exceeds the limit.
            size_t significativi = campo.size();
            while (significativi > 0 && spazio(campo[significativi - 1])) --significativi;
            if (significativi > testo_massimo) {
                campo.clear();
                throw ErroreCampo(ErroreCampo::Motivo::troppo_lungo, {},
                                  percorso_ + ": a text field is longer than 65535 bytes");
            }
            campo.resize(testo_massimo + 1);
        }
        if (q < fine_) break;
    }
    const int c = guarda();
    if (c == ',') {
        ++p_;
    } else if (fine_riga(c)) {
        consuma_fine_riga();
    }
    size_t n = campo.size();
    while (n > 0 && spazio(campo[n - 1])) --n;
    campo.resize(n);
}

int64_t Campi::leggi_intero() {
    controlla_non_fine();
    salta_spazi();
    segna_inizio_campo();

    int c = guarda();
    if (c < 0) return 0;
    if (c == ',') {
        ++p_;
        return 0;
    }
    if (fine_riga(c)) {
        consuma_fine_riga();
        return 0;
    }
    bool negativo = false;
    if (c == '+' || c == '-') {
        negativo = c == '-';
        ++p_;
        c = guarda();
    }
    if (c < '0' || c > '9') non_numero();
    uint64_t v = 0;
    do {
        if (v < tetto_intero) v = v * 10 + static_cast<uint64_t>(c - '0');
        ++p_;
        c = guarda();
    } while (c >= '0' && c <= '9');
    if (c >= 0 && c != ',' && !spazio(c) && !fine_riga(c)) non_numero();
    salta_spazi();
    c = guarda();
    if (c == ',') {
        ++p_;
    } else if (fine_riga(c)) {
        consuma_fine_riga();
    }
    const auto valore = static_cast<int64_t>(v);
    return negativo ? -valore : valore;
}

}  // namespace compattatore
