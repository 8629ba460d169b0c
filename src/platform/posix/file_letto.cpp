#include "platform/file_letto.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace compattatore {

bool FileInLettura::apri(const std::string& percorso, std::string& motivo, Accetta accetta) {
    chiudi();
    // Where only a regular file will do, a FIFO is opened without waiting for its writer, and
    // then refused.
    const int modo = O_RDONLY | O_CLOEXEC | (accetta == Accetta::solo_regolare ? O_NONBLOCK : 0);
    int fd = -1;
    do {
        fd = ::open(percorso.c_str(), modo);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        motivo = std::strerror(errno);
        return false;
    }
    struct stat st {};
    int errore = ::fstat(fd, &st) != 0 ? errno : 0;
    if (errore == 0 && accetta == Accetta::solo_regolare && !S_ISREG(st.st_mode)) {
        errore = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    if (errore != 0) {
        ::close(fd);
        motivo = errore == EINVAL ? "not a regular file" : std::strerror(errore);
        return false;
    }
    maniglia_ = fd;
    regolare_ = S_ISREG(st.st_mode);
    dimensione_ = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    return true;
}

std::ptrdiff_t FileInLettura::leggi(char* dove, size_t quanti, std::string& motivo) {
    ssize_t n = 0;
    do {
        n = ::read(static_cast<int>(maniglia_), dove, quanti);
    } while (n < 0 && errno == EINTR);
    if (n < 0) motivo = std::strerror(errno);
    return n;
}

void FileInLettura::chiudi() {
    if (maniglia_ == chiuso) return;
    ::close(static_cast<int>(maniglia_));
    maniglia_ = chiuso;
    regolare_ = false;
    dimensione_ = 0;
}

}  // namespace compattatore
