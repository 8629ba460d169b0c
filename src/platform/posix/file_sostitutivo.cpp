#include "platform/file_sostitutivo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/errori.h"
#include "platform/percorso.h"

namespace compattatore {

namespace {

// The permissions a newly created file would get (0666 less the umask), read once.
mode_t permessi_nuovo_file() {
    static const mode_t permessi = [] {
        const mode_t maschera = ::umask(0);
        ::umask(maschera);
        return static_cast<mode_t>(0666 & ~maschera);
    }();
    return permessi;
}

std::string messaggio(const char* azione, const std::string& percorso, int err) {
    return std::string("cannot ") + azione + " " + percorso + ": " + std::strerror(err);
}

}  // namespace

FileSostitutivo::FileSostitutivo(std::string percorso) : percorso_(std::move(percorso)) {
    const size_t inizio = inizio_nome(percorso_);
    temporaneo_ = percorso_.substr(0, inizio) + "." + percorso_.substr(inizio) + ".XXXXXX";
    fd_ = ::mkostemp(temporaneo_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int err = errno;
        temporaneo_.clear();
        throw ErrorePiattaforma(messaggio("create", percorso_, err));
    }
    if (::fchmod(fd_, permessi_nuovo_file()) != 0) fallisci("create", errno);
    buffer_.reserve(capacita);
}

FileSostitutivo::~FileSostitutivo() {
    if (fd_ >= 0) ::close(fd_);
    if (!temporaneo_.empty()) ::unlink(temporaneo_.c_str());
}

void FileSostitutivo::fallisci(const char* azione, int err) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporaneo_.empty()) ::unlink(temporaneo_.c_str());
    temporaneo_.clear();
    throw ErrorePiattaforma(messaggio(azione, percorso_, err));
}

void FileSostitutivo::scrivi(const void* dati, size_t quanti) {
    const auto* p = static_cast<const uint8_t*>(dati);
    if (quanti >= capacita) {
        // A large piece goes to the file as it is, without a copy through the buffer.
        svuota();
        scrivi_tutto(p, quanti);
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

void FileSostitutivo::scrivi_tutto(const uint8_t* dati, size_t quanti) {
    size_t fatto = 0;
    while (fatto < quanti) {
        const ssize_t n = ::write(fd_, dati + fatto, quanti - fatto);
        if (n < 0) {
            if (errno == EINTR) continue;
            fallisci("write", errno);
        }
        fatto += static_cast<size_t>(n);
    }
}

void FileSostitutivo::svuota() {
    scrivi_tutto(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void FileSostitutivo::chiudi() {
    svuota();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fallisci("write", errno);
    if (::rename(temporaneo_.c_str(), percorso_.c_str()) != 0) fallisci("replace", errno);
    temporaneo_.clear();
}

}  // namespace compattatore
