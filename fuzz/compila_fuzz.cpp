// Runs the whole compile on arbitrary bytes. The input is the line file, a NUL byte and the
// train file (no NUL: all of it is the line file and the train file is empty). The sources
// are handed to the reader from memory; only the binary files reach the disk, in a scratch
// directory that lives as long as the process.
//
// The track plan (one point per metre, written as a 1.26 MB file for the built-in line) costs
// far more than everything else under coverage tracing, so it is built only for inputs whose
// length is a multiple of 4; the others compile with j = 0, where curve records are not read.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "core/errori.h"
#include "core/form1.h"
#include "core/interfaccia.h"

namespace {

std::string cartella;

void rimuovi_cartella() {
    std::error_code ignorato;
    if (!cartella.empty()) std::filesystem::remove_all(cartella, ignorato);
}

std::string crea_cartella() {
    // Memory-backed when the machine has it: every run writes up to three binary files.
    for (const char* base : {"/dev/shm", "/tmp"}) {
        std::string modello = std::string(base) + "/compila_fuzz.XXXXXX";
        if (::mkdtemp(modello.data()) != nullptr) return modello;
    }
    std::perror("mkdtemp");
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    cartella = crea_cartella();
    std::atexit(rimuovi_cartella);
    // The reader reads the bytes given to it, but the two names stand for existing files.
    std::ofstream(cartella + "/FUZZ_linea.txt").put('\n');
    std::ofstream(cartella + "/FUZZ_1-.txt").put('\n');
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t quanti) {
    using namespace compattatore;
    const std::string_view ingresso(reinterpret_cast<const char*>(dati), quanti);
    const auto nul = ingresso.find('\0');

    InterfacciaMuta muta;
    std::ostringstream messaggi;
    Form1 form;
    form.interfaccia = &muta;
    form.messaggi = &messaggi;
    form.nome_scenario = "FUZZ";
    form.numero_treno = "1";
    form.cartella_programma = cartella;
    form.cartella_uscita = cartella;
    form.file_linea = cartella + "/FUZZ_linea.txt";
    form.file_treno = cartella + "/FUZZ_1-.txt";
    form.cancella_sorgenti = false;
    form.testo_linea = std::string(ingresso.substr(0, nul));
    form.testo_treno =
        nul == std::string_view::npos ? std::string() : std::string(ingresso.substr(nul + 1));

    // Any other exception escaping the compile is a finding: let it abort the run.
    try {
        int32_t j = quanti % 4 == 0 ? 1 : 0;
        form.memorizza_percorso(j);
    } catch (const ErroreFatale&) {
    } catch (const ErrorePiattaforma& e) {
        // The scratch directory is always writable: a platform failure here is a fault.
        std::fprintf(stderr, "platform failure: %s\n", e.what());
        std::abort();
    }
    return 0;
}
