#include "platform/destinazione.h"

#include <ostream>

#include "core/errori.h"

namespace compattatore {

Destinazione::Destinazione(const std::string& percorso, std::ostream& standard) {
    if (e_standard(percorso)) {
        standard_ = &standard;
    } else {
        file_.emplace(percorso);
    }
}

void Destinazione::scrivi(std::string_view testo) {
    if (file_) {
        file_->scrivi(testo);
    } else {
        standard_->write(testo.data(), static_cast<std::streamsize>(testo.size()));
    }
}

void Destinazione::chiudi() {
    if (file_) {
        file_->chiudi();
        return;
    }
    standard_->flush();
    if (!*standard_) throw ErrorePiattaforma("cannot write standard output");
}

std::string Destinazione::nome() const {
    return file_ ? file_->percorso() : "standard output";
}

}  // namespace compattatore
