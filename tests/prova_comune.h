// What many tests need: a fresh directory removed at the end, files read and written whole,
// the names in a directory, a Form1 that shows nothing, and the program itself run in a child
// process (from a chosen directory, without root's privileges, under a file size limit).
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/form1.h"
#include "core/interfaccia.h"

namespace prova {

namespace fs = std::filesystem;

// The user and group a child takes when it gives up root.
constexpr uid_t nessuno = 65534;

// The whole file; empty when it cannot be read.
inline std::string leggi(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Replaces the file with exactly these bytes.
inline void scrivi(const fs::path& p, const std::string& byte) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << byte;
}

// The names in the directory, sorted.
inline std::vector<std::string> nomi_in(const fs::path& cartella) {
    std::vector<std::string> nomi;
    for (const auto& e : fs::directory_iterator(cartella)) {
        nomi.push_back(e.path().filename().string());
    }
    std::sort(nomi.begin(), nomi.end());
    return nomi;
}

// A fresh empty directory (mode 0700) under the system's temporary directory, removed with
// everything in it at the end, even when a test took away its write permission.
struct CartellaTemporanea {
    fs::path percorso;

    explicit CartellaTemporanea(const std::string& prefisso = "prova") {
        std::string modello = (fs::temp_directory_path() / (prefisso + "-XXXXXX")).string();
        if (::mkdtemp(modello.data()) == nullptr) {
            throw std::system_error(errno, std::generic_category(), "mkdtemp " + modello);
        }
        percorso = modello;
    }
    ~CartellaTemporanea() {
        std::error_code ignorato;
        fs::permissions(percorso, fs::perms::owner_all, fs::perm_options::add, ignorato);
        fs::remove_all(percorso, ignorato);
    }
    CartellaTemporanea(const CartellaTemporanea&) = delete;
    CartellaTemporanea& operator=(const CartellaTemporanea&) = delete;

    // The path of `nome` inside, as the string the program's commands take.
    std::string operator/(const std::string& nome) const { return (percorso / nome).string(); }
};

// A Form1 that writes into `cartella` and shows nothing.
struct FormProva {
    compattatore::InterfacciaMuta muta;
    compattatore::Form1 form;
    explicit FormProva(const fs::path& cartella, std::string scenario = "VALCRESTINA_TORVE",
                       std::string treno = "325") {
        form.interfaccia = &muta;
        form.cartella_programma = cartella.string();
        form.nome_scenario = std::move(scenario);
        form.numero_treno = std::move(treno);
    }
};

// As root, gives root up for good: no supplementary groups, then the group and user
// `nessuno`. Without root there is nothing to give up. False when a step failed.
inline bool lascia_privilegi() {
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(nessuno) == 0 && ::setuid(nessuno) == 0;
}

// A copy of the program inside `cartella`, where the no-argument run writes its files.
inline std::string copia_programma(const fs::path& cartella) {
    const fs::path copia = cartella / "compattatore";
    fs::copy_file(COMPATTATORE_EXE, copia);
    fs::permissions(copia, static_cast<fs::perms>(0755));
    return copia.string();
}

// How the child that runs the program is set up.
struct Avvio {
    fs::path cartella = {};                  // the working directory; empty: this one
    bool senza_privilegi = false;            // as root, run as `nessuno`
    rlim_t dimensione_file = RLIM_INFINITY;  // the largest file it may write
    fs::path ingresso = {};                  // the file on standard input; empty: nothing
};

struct Esito {
    int stato = -1;  // the exit status, or 128 + the signal that ended the child
    std::string uscita;
    std::string errori;
};

// Runs `argomenti` (the program's path first) in a child with no display, so that even the
// no-argument run stays on the terminal; standard input is empty unless a file is given,
// standard output and standard error are collected.
inline Esito esegui(const std::vector<std::string>& argomenti, const Avvio& avvio = {}) {
    const CartellaTemporanea raccolta("esito");
    const std::string file_uscita = raccolta / "stdout";
    const std::string file_errori = raccolta / "stderr";
    const pid_t figlio = ::fork();
    if (figlio < 0) throw std::system_error(errno, std::generic_category(), "fork");
    if (figlio == 0) {
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
        if (avvio.dimensione_file != RLIM_INFINITY) {
            // Ignored, SIGXFSZ turns the write past the limit into an EFBIG failure.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit r{avvio.dimensione_file, avvio.dimensione_file};
            if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(121);
        }
        if (avvio.senza_privilegi && !lascia_privilegi()) ::_exit(122);
        std::vector<char*> argv;
        for (const auto& a : argomenti) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(123);
    }
    int stato = 0;
    while (::waitpid(figlio, &stato, 0) < 0) {
        if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitpid");
    }
    Esito e;
    e.stato = WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato);
    e.uscita = leggi(file_uscita);
    e.errori = leggi(file_errori);
    EXPECT_LT(e.stato, 120) << "the child could not be prepared, the program not started, or a "
                               "signal ended it";
    return e;
}

}  // namespace prova
