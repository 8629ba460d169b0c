// Reading files: a file read from the front in pieces (the tokenizer's sources), and the
// whole content of a file at once (a source before it is converted, a compiled file before it
// is decoded). Messages carry the system's own reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace compattatore {

// What an opening accepts: anything the system opens for reading (a pipe, a device), or only
// a regular file (a folder or a device is refused with the system's reason).
enum class Accetta { ogni_file, solo_regolare };

// A file open for reading, closed when the object goes.
class FileInLettura {
  public:
    FileInLettura() = default;
    ~FileInLettura() { chiudi(); }
    FileInLettura(const FileInLettura&) = delete;
    FileInLettura& operator=(const FileInLettura&) = delete;

    // Opens `percorso`; false with the system's reason in `motivo` when it cannot.
    bool apri(const std::string& percorso, std::string& motivo,
              Accetta accetta = Accetta::ogni_file);
    bool aperto() const { return maniglia_ != chiuso; }
    // As the system told at the opening: whether a regular file, and its size in bytes (0 when
    // the system gives none).
    bool regolare() const { return regolare_; }
    uint64_t dimensione() const { return dimensione_; }
    // Reads up to `quanti` bytes into `dove`: how many were read, 0 at the end of the file,
    // -1 with the system's reason in `motivo`.
    std::ptrdiff_t leggi(char* dove, size_t quanti, std::string& motivo);
    void chiudi();

  private:
    static constexpr std::intptr_t chiuso = -1;
    std::intptr_t maniglia_ = chiuso;  // the system's handle of the open file
    bool regolare_ = false;
    uint64_t dimensione_ = 0;
};

// No bound on what a reading takes.
constexpr uint64_t senza_limite = UINT64_MAX;

// The whole content of the file at `percorso`. Throws ErrorePiattaforma, "cannot read PATH:
// reason"; a file of more than `massimo` bytes is refused before it is read (or, where the
// system gives no size, as soon as it passes the bound), so a huge or endless file costs
// neither time nor memory.
std::string leggi_file(const std::string& percorso, Accetta accetta = Accetta::solo_regolare,
                       uint64_t massimo = senza_limite);

// The whole of standard input, read to its end, and no more than `massimo` bytes. Throws
// ErrorePiattaforma, "cannot read standard input: reason".
std::string leggi_ingresso_standard(uint64_t massimo = senza_limite);

}  // namespace compattatore
