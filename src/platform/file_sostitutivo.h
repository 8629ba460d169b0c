// Output files that never leave anything half-written under their final names.
//
// A FileSostitutivo is the bytes of one output on their way to its final name: they go to a
// temporary file beside it (one without a name while it is written, where the file system
// allows it), and only a complete temporary takes the final name. Until then an earlier file
// of that name is untouched; abandoned, the temporary goes and leaves nothing behind.
//
// An output whose name is not a file of its own (a terminal, a pipe, a socket, the null
// device, the program's standard output) is never replaced: the bytes wait in an anonymous
// temporary and are written into it when the file is named.
//
// Sostituzioni is the outputs of one run as a set: each is written whole first; then every
// final name is checked to be replaceable, and the files take their names one right after
// the other, in a step that a signal does not cut short. A failure before that step leaves
// every earlier file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace compattatore {

// The state that the platform keeps for one temporary (its own definition on each system).
struct Temporaneo;

class FileSostitutivo {
  public:
    // Creates the temporary for the final name `percorso`. A name that cannot be replaced (a
    // directory stands there) or whose directory cannot take a file is refused here, before
    // any byte is written. Throws ErrorePiattaforma.
    explicit FileSostitutivo(std::string percorso);
    // Abandons a file not yet named: its temporary goes, the final name is untouched.
    ~FileSostitutivo();
    FileSostitutivo(const FileSostitutivo&) = delete;
    FileSostitutivo& operator=(const FileSostitutivo&) = delete;

    // Sequential writes, through a buffer.
    void scrivi(const void* dati, size_t quanti);
    void scrivi(std::string_view testo) { scrivi(testo.data(), testo.size()); }
    void scrivi_byte(uint8_t b) {
        if (buffer_.size() == capacita) svuota();
        buffer_.push_back(b);
    }
    // Where the next sequential byte goes.
    uint64_t posizione() const { return scritti_ + buffer_.size(); }
    // Writes at `offset` from the start of the file without moving the sequential position
    // (a hole left before it reads as zeros).
    void scrivi_in(uint64_t offset, const void* dati, size_t quanti);
    // Appends every byte of `altro`, a complete file not yet named, at the sequential
    // position (in the kernel where the system can); `altro` is left as it was.
    void accoda(FileSostitutivo& altro);

    // Every byte written and checked: the file is complete and takes no more writes.
    // Throws ErrorePiattaforma.
    void completa();
    bool completo() const { return completo_; }
    // The bytes of a complete file, read back from its temporary.
    std::string leggi_tutto();
    // completa(), then the final name: a set of one file. Throws ErrorePiattaforma.
    void chiudi();

    const std::string& percorso() const { return percorso_; }

  private:
    friend class Sostituzioni;
    static constexpr size_t capacita = 1 << 16;
    // Gives the complete files their final names as one step; calls `nominato` with the
    // index of each file named.
    static void nomina(std::span<FileSostitutivo* const> pronti,
                       const std::function<void(size_t)>& nominato);
    void svuota();
    // Writes every byte at `offset` of the temporary (the system's own step). Throws
    // ErrorePiattaforma, and the temporary goes.
    void scrivi_al_posto(const uint8_t* dati, size_t quanti, uint64_t offset);
    [[noreturn]] void fallisci(const char* azione, int err);

    std::string percorso_;
    std::unique_ptr<Temporaneo> t_;
    std::vector<uint8_t> buffer_;
    uint64_t scritti_ = 0;  // bytes already handed to the temporary
    bool completo_ = false;
};

class Sostituzioni {
  public:
    Sostituzioni();
    // Abandons every file not yet named.
    ~Sostituzioni();
    Sostituzioni(const Sostituzioni&) = delete;
    Sostituzioni& operator=(const Sostituzioni&) = delete;

    // A new output of the set, for the final name `percorso`; `nome` is how reports call it.
    // Throws ErrorePiattaforma.
    FileSostitutivo& nuovo(std::string percorso, std::string nome);
    // Names every complete file of the set, in the order they were begun; files not complete
    // are abandoned. Every final name is checked before the first is given. Throws
    // ErrorePiattaforma; the names given before a failure are in nominati().
    void conferma();
    // Abandons every file not yet named.
    void abbandona();
    // The `nome` of each file named, in order.
    const std::vector<std::string>& nominati() const { return nominati_; }
    // The files of the set, in the order they were begun.
    size_t quanti() const { return file_.size(); }
    FileSostitutivo& file(size_t i) { return *file_.at(i).file; }

  private:
    struct Voce {
        std::unique_ptr<FileSostitutivo> file;
        std::string nome;
    };
    std::vector<Voce> file_;
    std::vector<std::string> nominati_;
};

// Whether writing the output `uscita` would write over the file `sorgente`: the same file
// (through any link), or the same name once resolved.
bool scriverebbe_su(const std::string& uscita, const std::string& sorgente);

}  // namespace compattatore
