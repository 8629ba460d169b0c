// The field tokenizer of the two scenario source files.
//
// A source file is read once, front to back, as a stream of comma-separated fields, each
// asked for either as text or as an integer. The bytes come from the file in chunks (the
// file is never held whole in memory) or from a buffer the caller already holds.
//
// Rules:
//  - A line ends with CR LF, a lone CR or a lone LF. Blanks are space and tab.
//  - Text: leading blanks are skipped. A field that then begins with `"` is what stands up
//    to the next `"` on the same line (or to the line end), and everything up to and
//    including the next comma or line end is discarded. Otherwise the field runs to the
//    next comma or line end, trailing blanks removed, and that comma or line end is
//    consumed. A text longer than 65535 bytes is a read failure.
//  - Integer: leading blanks are skipped; a comma, a line end or the end of the file right
//    there makes an empty field, which reads 0 (the comma or line end is consumed).
//    Otherwise the token runs to the next comma, blank or line end and must be an optional
//    sign followed by ASCII digits. Then blanks are skipped and one comma or one line end,
//    if next, is consumed: "17   20" reads 17 then 20, "5 ,6" reads 5 then 6.
//  - A field read that starts at the end of the file is a read failure.
//  - The end of the file is reached when the position has reached the size.
// Every read failure throws ErroreLettura; a field that cannot be read throws ErroreCampo,
// which says why and, for a number, what stood there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "core/arrotonda.h"
#include "core/errori.h"
#include "platform/file_letto.h"

namespace compattatore {

class ErroreCampo : public ErroreLettura {
  public:
    enum class Motivo {
        fine_del_file,  // the field would start at the end of the file
        non_numero,     // a number was asked for and something else stands there
        troppo_lungo    // a text longer than 65535 bytes
    };
    ErroreCampo(Motivo motivo, std::string testo, const std::string& messaggio)
        : ErroreLettura(messaggio), motivo(motivo), testo(std::move(testo)) {}
    Motivo motivo;
    std::string testo;  // the token that is not a number (at most 40 bytes of it)
};

class Campi {
  public:
    static constexpr size_t testo_massimo = 65535;

    // Reads the bytes of `testo`, which must outlive the tokenizer.
    explicit Campi(std::string_view testo);
    // Opens the file at `percorso`; throws ErroreLettura when it cannot be opened.
    struct DaFile {};
    Campi(DaFile, const std::string& percorso);
    ~Campi();
    Campi(const Campi&) = delete;
    Campi& operator=(const Campi&) = delete;

    // Releases the file; later reads see the end of the file.
    void chiudi();

    bool fine() const { return posizione() >= dimensione_; }
    uint64_t posizione() const { return base_ + static_cast<uint64_t>(p_ - inizio_); }
    uint64_t dimensione() const { return dimensione_; }

    // The next field as text, into `campo` (its old content is replaced).
    void leggi_testo(std::string& campo);
    // The next field as an integer; a value beyond 64 bits reads as a value no field holds.
    int64_t leggi_intero();
    // The next integer field, which must fit T.
    template <class T>
    T leggi() {
        return in_campo<T>(leggi_intero());
    }

    // Line and column (from 1, in bytes) where the last field read began, its leading blanks
    // skipped.
    int32_t riga() const { return riga_campo_; }
    int32_t colonna() const { return colonna_campo_; }

  private:
    // Next byte without consuming it; -1 at the end of the file.
    int guarda() {
        if (p_ < fine_) return static_cast<unsigned char>(*p_);
        return ricarica() ? static_cast<unsigned char>(*p_) : -1;
    }
    // Makes at least one byte available at p_; false at the end of the file.
    bool ricarica();
    void salta_spazi();
    // Consumes the line end that starts at p_ (CR LF, CR or LF).
    void consuma_fine_riga();
    void segna_inizio_campo();
    void controlla_non_fine();
    [[noreturn]] void non_numero();

    const char* inizio_ = nullptr;  // start of the bytes in hand
    const char* p_ = nullptr;       // next byte
    const char* fine_ = nullptr;    // end of the bytes in hand
    uint64_t base_ = 0;             // file offset of inizio_
    uint64_t dimensione_ = 0;

    FileInLettura file_;
    std::unique_ptr<char[]> blocco_;
    std::string percorso_;

    int32_t riga_ = 1;          // line of p_
    uint64_t inizio_riga_ = 0;  // offset where that line begins
    int32_t riga_campo_ = 0;
    int32_t colonna_campo_ = 0;
    uint64_t inizio_campo_ = 0;  // offset where the last field began
};

}  // namespace compattatore
