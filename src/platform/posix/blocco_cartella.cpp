#include "platform/blocco_cartella.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/errori.h"

namespace compattatore {

// The lock is on the folder itself (nothing is created in it), taken through a descriptor
// that the system closes, and so releases, whenever the process ends.
BloccoCartella::BloccoCartella(const std::string& cartella, bool attendi,
                               const std::function<void()>& in_attesa) {
    const std::string nome = cartella.empty() ? "/" : cartella;
    const int fd = ::open(nome.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        throw ErrorePiattaforma("cannot open " + nome + ": " + std::strerror(errno));
    }
    maniglia_ = fd;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return;
    if (errno != EWOULDBLOCK) {
        // A file system without locks: the run goes on as if it were alone.
        return;
    }
    if (!attendi) {
        ::close(fd);
        maniglia_ = -1;
        throw ErrorePiattaforma("another run is working in " + nome);
    }
    if (in_attesa) in_attesa();
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) return;
    }
}

BloccoCartella::~BloccoCartella() {
    if (maniglia_ >= 0) ::close(static_cast<int>(maniglia_));
}

}  // namespace compattatore
