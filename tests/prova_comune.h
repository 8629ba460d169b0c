// What many tests need: a fresh directory removed at the end, files read and written whole,
// the names in a directory, a Form1 that shows nothing, and the program itself run in a child
// process (from a chosen directory, without root's privileges, under a file size limit).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
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
        static std::mt19937_64 caso{std::random_device{}()};
        const fs::path dove = fs::temp_directory_path();
        for (int tentativo = 0;; ++tentativo) {
            const fs::path p = dove / (prefisso + "-" + std::to_string(caso() % 1000000000));
            std::error_code ec;
            if (fs::create_directory(p, ec)) {
                fs::permissions(p, fs::perms::owner_all, fs::perm_options::replace, ec);
                percorso = p;
                return;
            }
            if (ec || tentativo == 100) {
                throw std::system_error(ec, "cannot create a directory in " + dove.string());
            }
        }
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

// The program's own file name: "compattatore", "compattatore.exe" on Windows.
inline const std::string nome_programma = fs::path(COMPATTATORE_EXE).filename().string();

// A copy of the program inside `cartella`, where the no-argument run writes its files.
inline std::string copia_programma(const fs::path& cartella) {
    const fs::path copia = cartella / nome_programma;
    fs::copy_file(COMPATTATORE_EXE, copia);
    fs::permissions(copia, static_cast<fs::perms>(0755));
    return copia.string();
}

// How the child that runs the program is set up.
struct Avvio {
    fs::path cartella = {};        // the working directory; empty: this one
    bool senza_privilegi = false;  // as root, run as `nessuno` (POSIX only)
    uint64_t dimensione_file = 0;  // the largest file it may write, 0 for no limit (POSIX only)
    fs::path ingresso = {};        // the file on standard input; empty: nothing
};

struct Esito {
    int stato = -1;  // the exit status, or 128 + the signal that ended the child
    std::string uscita;
    std::string errori;
};

// Runs `argomenti` (the program's path first) in a child with no display, so that even the
// no-argument run stays on the terminal; standard input is empty unless a file is given,
// standard output and standard error are collected (tests/platform/<system>/sistema_prova.cpp).
Esito esegui(const std::vector<std::string>& argomenti, const Avvio& avvio = {});

// The program running in a child, started by `avvia` (POSIX only).
struct Processo {
    int pid = -1;
    std::unique_ptr<CartellaTemporanea> raccolta;  // standard output and error
    // Waits for the child's end.
    Esito attendi();
};

// Starts the program as `esegui` does and returns at once, so that a test can signal it or
// start another beside it. POSIX only.
Processo avvia(const std::vector<std::string>& argomenti, const Avvio& avvio = {});

// As root, gives root up for good: no supplementary groups, then the group and user
// `nessuno` (65534). Without root there is nothing to give up. False when a step failed.
// POSIX only.
bool lascia_privilegi();

// The system's own words for the failures that tests bring about.
enum class Motivo {
    manca,           // no file of that name
    cartella,        // a folder opened as a file
    non_regolare,    // a device where only a regular file will do
    cartella_piena,  // a folder with files in it deleted
    non_cartella     // a file where a folder should be
};
std::string motivo_atteso(Motivo m);

// The system's null device: it reads as empty and is not a regular file.
extern const std::string dispositivo_nullo;

// A track plan of the longest line kept as a walk: straight, a long curve, straight to N - 2.
inline compattatore::Tracciato cammino_lungo() {
    const int32_t n = 1007000;
    compattatore::Tracciato t;
    t.dimensiona(n);
    for (int c = 0; c < 2; ++c) {
        t.imposta_intero(0, c, 0);
        t.imposta_intero(1, c, static_cast<int16_t>(c));
    }
    t.cammina(2, 400000, 0.0, false);
    t.cammina(400001, 700000, -0.0004, true);
    t.cammina(700001, n - 2, 0.0, false);
    return t;
}

}  // namespace prova
