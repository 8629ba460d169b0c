#include "platform/file_letto.h"

#include "core/errori.h"

namespace compattatore {

std::string leggi_file(const std::string& percorso, Accetta accetta) {
    FileInLettura file;
    std::string motivo;
    if (file.apri(percorso, motivo, accetta)) {
        std::string contenuto;
        // Sized from the file at once: the content does not grow piece by piece.
        if (file.regolare() && file.dimensione() < (uint64_t{1} << 30)) {
            contenuto.reserve(static_cast<size_t>(file.dimensione()));
        }
        char blocco[1 << 16];
        std::ptrdiff_t n = 0;
        while ((n = file.leggi(blocco, sizeof blocco, motivo)) > 0) {
            contenuto.append(blocco, static_cast<size_t>(n));
        }
        if (n == 0) return contenuto;
    }
    throw ErrorePiattaforma("cannot read " + percorso + ": " + motivo);
}

}  // namespace compattatore
