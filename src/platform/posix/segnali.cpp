#include "platform/segnali.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "core/errori.h"

namespace compattatore {

namespace {

// The registered files. A place holds a path of its own (allocated when registered, freed
// when released), so that the handler reads only what is complete: a path is stored in its
// place only once it is whole, and taken out before it is freed.
constexpr int posti = 64;
std::atomic<char*> da_rimuovere[posti];

constexpr int segnali_di_fine[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void alla_fine(int segnale) {
    for (auto& posto : da_rimuovere) {
        if (const char* p = posto.load()) ::unlink(p);
    }
    ::_exit(128 + segnale);
}

sigset_t insieme_di_fine() {
    sigset_t s;
    ::sigemptyset(&s);
    for (int n : segnali_di_fine) ::sigaddset(&s, n);
    return s;
}

thread_local int senza_interruzioni = 0;
thread_local sigset_t maschera_precedente;

}  // namespace

void prepara_segnali() {
    ::signal(SIGXFSZ, SIG_IGN);
    struct sigaction a {};
    a.sa_handler = alla_fine;
    ::sigfillset(&a.sa_mask);
    for (int n : segnali_di_fine) {
        // A signal ignored by whoever started the program (nohup, a background job) stays so.
        struct sigaction prima {};
        if (::sigaction(n, nullptr, &prima) == 0 && prima.sa_handler == SIG_IGN) continue;
        ::sigaction(n, &a, nullptr);
    }
}

DaRimuovere::DaRimuovere(const std::string& percorso) {
    char* copia = ::strdup(percorso.c_str());
    if (copia == nullptr) throw ErrorePiattaforma("out of memory");
    for (int i = 0; i < posti; ++i) {
        char* libero = nullptr;
        if (da_rimuovere[i].compare_exchange_strong(libero, copia)) {
            posto_ = i;
            return;
        }
    }
    std::free(copia);
    throw ErrorePiattaforma("too many files open for writing at once");
}

DaRimuovere& DaRimuovere::operator=(DaRimuovere&& altro) noexcept {
    if (this != &altro) {
        rilascia();
        posto_ = altro.posto_;
        altro.posto_ = -1;
    }
    return *this;
}

void DaRimuovere::rilascia() {
    if (posto_ < 0) return;
    std::free(da_rimuovere[posto_].exchange(nullptr));
    posto_ = -1;
}

SenzaInterruzioni::SenzaInterruzioni() {
    if (senza_interruzioni++ == 0) {
        const sigset_t s = insieme_di_fine();
        ::pthread_sigmask(SIG_BLOCK, &s, &maschera_precedente);
    }
}

SenzaInterruzioni::~SenzaInterruzioni() {
    if (--senza_interruzioni == 0) ::pthread_sigmask(SIG_SETMASK, &maschera_precedente, nullptr);
}

}  // namespace compattatore
