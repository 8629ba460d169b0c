// What every system shares of an output and of a set of outputs: the buffer in front of the
// temporary and the order of the set. Writing at a place of the temporary and naming the
// files are the system's own steps.
#include "platform/file_sostitutivo.h"

#include <algorithm>

namespace compattatore {

void FileSostitutivo::scrivi(const void* dati, size_t quanti) {
    const auto* p = static_cast<const uint8_t*>(dati);
    if (quanti >= capacita) {
        // A large piece goes to the file as it is, without a copy through the buffer.
        svuota();
        scrivi_al_posto(p, quanti, scritti_);
        scritti_ += quanti;
        return;
    }
    while (quanti > 0) {
        if (buffer_.size() == capacita) svuota();
        const size_t parte = std::min(quanti, capacita - buffer_.size());
        buffer_.insert(buffer_.end(), p, p + parte);
        p += parte;
        quanti -= parte;
    }
}

void FileSostitutivo::svuota() {
    if (buffer_.empty()) return;
    scrivi_al_posto(buffer_.data(), buffer_.size(), scritti_);
    scritti_ += buffer_.size();
    buffer_.clear();
}

void FileSostitutivo::scrivi_in(uint64_t offset, const void* dati, size_t quanti) {
    svuota();
    scrivi_al_posto(static_cast<const uint8_t*>(dati), quanti, offset);
}

Sostituzioni::Sostituzioni() = default;
Sostituzioni::~Sostituzioni() = default;

FileSostitutivo& Sostituzioni::nuovo(std::string percorso, std::string nome) {
    auto file = std::make_unique<FileSostitutivo>(std::move(percorso));
    file_.push_back({std::move(file), std::move(nome)});
    return *file_.back().file;
}

void Sostituzioni::abbandona() {
    file_.clear();
}

void Sostituzioni::conferma() {
    std::vector<FileSostitutivo*> pronti;
    std::vector<const std::string*> nomi;
    // The files not complete are abandoned first: their temporaries go, and so do they.
    std::erase_if(file_, [](const Voce& v) { return !v.file->t_ || !v.file->completo_; });
    for (Voce& v : file_) {
        pronti.push_back(v.file.get());
        nomi.push_back(&v.nome);
    }
    FileSostitutivo::nomina(pronti, [&](size_t i) { nominati_.push_back(*nomi[i]); });
}

}  // namespace compattatore
