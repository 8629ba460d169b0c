// What every system shares of a set of outputs; naming the files is the system's own step.
#include "platform/file_sostitutivo.h"

namespace compattatore {

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
