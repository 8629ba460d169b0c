#include "platform/file_letto.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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

std::string leggi_ingresso_standard() {
    std::string contenuto;
    char blocco[1 << 16];
    size_t n = 0;
    while ((n = std::fread(blocco, 1, sizeof blocco, stdin)) > 0) contenuto.append(blocco, n);
    if (std::ferror(stdin)) {
        throw ErrorePiattaforma(std::string("cannot read standard input: ") + std::strerror(errno));
    }
    return contenuto;
}

}  // namespace compattatore
