#include "platform/file_letto.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/errori.h"

namespace compattatore {

namespace {

// "larger than 64 MiB": the bound in the unit an author reads best.
std::string oltre(uint64_t massimo) {
    if (massimo >= (uint64_t{1} << 20) && massimo % (uint64_t{1} << 20) == 0) {
        return "larger than " + std::to_string(massimo >> 20) + " MiB";
    }
    return "larger than " + std::to_string(massimo) + " bytes";
}

}  // namespace

std::string leggi_file(const std::string& percorso, Accetta accetta, uint64_t massimo) {
    FileInLettura file;
    std::string motivo;
    if (file.apri(percorso, motivo, accetta)) {
        if (file.regolare() && file.dimensione() > massimo) {
            throw ErrorePiattaforma("cannot read " + percorso + ": " + oltre(massimo));
        }
        std::string contenuto;
        // Sized from the file at once: the content does not grow piece by piece.
        if (file.regolare() && file.dimensione() < (uint64_t{1} << 30)) {
            contenuto.reserve(static_cast<size_t>(file.dimensione()));
        }
        char blocco[1 << 16];
        std::ptrdiff_t n = 0;
        while ((n = file.leggi(blocco, sizeof blocco, motivo)) > 0) {
            contenuto.append(blocco, static_cast<size_t>(n));
            if (contenuto.size() > massimo) {
                throw ErrorePiattaforma("cannot read " + percorso + ": " + oltre(massimo));
            }
        }
        if (n == 0) return contenuto;
    }
    throw ErrorePiattaforma("cannot read " + percorso + ": " + motivo);
}

std::string leggi_ingresso_standard(uint64_t massimo) {
    std::string contenuto;
    char blocco[1 << 16];
    size_t n = 0;
    while ((n = std::fread(blocco, 1, sizeof blocco, stdin)) > 0) {
        contenuto.append(blocco, n);
        if (contenuto.size() > massimo) {
            throw ErrorePiattaforma("cannot read standard input: " + oltre(massimo));
        }
    }
    if (std::ferror(stdin)) {
        throw ErrorePiattaforma(std::string("cannot read standard input: ") + std::strerror(errno));
    }
    return contenuto;
}

}  // namespace compattatore
