// The program run in a child process, giving up root, and the system's words for failures,
// with the POSIX calls.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "prova_comune.h"

namespace prova {

namespace {
// The user and group a child takes when it gives up root.
constexpr uid_t nessuno = 65534;
}  // namespace

bool lascia_privilegi() {
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(nessuno) == 0 && ::setuid(nessuno) == 0;
}

Processo avvia(const std::vector<std::string>& argomenti, const Avvio& avvio) {
    Processo p;
    p.raccolta = std::make_unique<CartellaTemporanea>("esito");
    const std::string file_uscita = *p.raccolta / "stdout";
    const std::string file_errori = *p.raccolta / "stderr";
    p.pid = ::fork();
    if (p.pid < 0) throw std::system_error(errno, std::generic_category(), "fork");
    if (p.pid == 0) {
        const int out = ::open(file_uscita.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(file_errori.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in =
            ::open(avvio.ingresso.empty() ? "/dev/null" : avvio.ingresso.c_str(), O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::dup2(in, 0) < 0) {
            ::_exit(120);
        }
        if (!avvio.cartella.empty() && ::chdir(avvio.cartella.c_str()) != 0) ::_exit(124);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        if (avvio.dimensione_file != 0) {
            // As a shell leaves it: the program itself must turn a write past the limit into
            // an ordinary failure.
            ::signal(SIGXFSZ, SIG_DFL);
            const auto limite = static_cast<rlim_t>(avvio.dimensione_file);
            const rlimit r{limite, limite};
            if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(121);
        }
        if (avvio.senza_privilegi && !lascia_privilegi()) ::_exit(122);
        std::vector<char*> argv;
        for (const auto& a : argomenti) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(123);
    }
    return p;
}

Esito Processo::attendi() {
    int stato = 0;
    while (::waitpid(pid, &stato, 0) < 0) {
        if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitpid");
    }
    Esito e;
    e.stato = WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato);
    e.uscita = leggi(raccolta->percorso / "stdout");
    e.errori = leggi(raccolta->percorso / "stderr");
    return e;
}

Esito esegui(const std::vector<std::string>& argomenti, const Avvio& avvio) {
    Esito e = avvia(argomenti, avvio).attendi();
    EXPECT_LT(e.stato, 120) << "the child could not be prepared, the program not started, or a "
                               "signal ended it";
    return e;
}

std::string motivo_atteso(Motivo m) {
    switch (m) {
        case Motivo::manca:
            return std::strerror(ENOENT);
        case Motivo::cartella:
            return std::strerror(EISDIR);
        case Motivo::non_regolare:
            return "not a regular file";
        case Motivo::cartella_piena:
            return std::strerror(ENOTEMPTY);
        case Motivo::non_cartella:
            return std::strerror(ENOTDIR);
    }
    return {};
}

const std::string dispositivo_nullo = "/dev/null";

}  // namespace prova
