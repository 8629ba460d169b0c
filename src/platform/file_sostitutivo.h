// Replacing a file without ever losing the old one: the bytes go to a temporary file in the
// same directory, which is closed with every write error checked and then renamed over the
// final name. Until that rename the earlier file of the same name is untouched; a failure
// removes the temporary file and leaves nothing truncated under the final name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace compattatore {

class FileSostitutivo {
  public:
    // Creates the temporary file beside `percorso`. Throws ErrorePiattaforma.
    explicit FileSostitutivo(std::string percorso);
    ~FileSostitutivo();
    FileSostitutivo(const FileSostitutivo&) = delete;
    FileSostitutivo& operator=(const FileSostitutivo&) = delete;

    void scrivi(const void* dati, size_t quanti);
    void scrivi(std::string_view testo) { scrivi(testo.data(), testo.size()); }
    void scrivi_byte(uint8_t b) {
        if (buffer_.size() == capacita) svuota();
        buffer_.push_back(b);
    }
    // Flushes, closes and renames over the final name. Throws ErrorePiattaforma.
    void chiudi();

    const std::string& percorso() const { return percorso_; }

  private:
    static constexpr size_t capacita = 1 << 16;
    void svuota();
    void scrivi_tutto(const uint8_t* dati, size_t quanti);
    [[noreturn]] void fallisci(const char* azione, int err);

    std::string percorso_;
    std::string temporaneo_;
    int fd_ = -1;
    std::vector<uint8_t> buffer_;
};

}  // namespace compattatore
