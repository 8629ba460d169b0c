// The field tokenizer alone, read twice: from memory and from a file read in 64 KB chunks.
// Both must give the same fields, numbers, failures, positions, lines and columns. In the
// file a filler of plain lines comes first, so that the fuzzed bytes straddle the first
// chunk boundary, where the file reader has to carry a field, a quoted text or a CR LF from
// one chunk to the next; positions and lines read from the file are taken relative to it.
//
// Input: 8 bytes choose the kind of each read (2 bits per read, cycling), 1 byte shifts the
// chunk boundary by up to 255 bytes, the rest is the text.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/errori.h"
#include "reader/campi.h"

namespace {

using compattatore::Campi;
using compattatore::ErroreLettura;

std::string file_prova;

void rimuovi_file() {
    std::error_code ignorato;
    if (!file_prova.empty()) std::filesystem::remove(file_prova, ignorato);
}

// Plain lines of exactly `quanti` bytes (at least 11), each ended by CR LF.
std::string riempitivo(size_t quanti) {
    std::string r;
    r.reserve(quanti);
    while (quanti - r.size() >= 22) r += "aaaa,bbbb\r\n";
    r.append(quanti - r.size() - 2, 'c');
    r += "\r\n";
    return r;
}

struct Lettura {
    int tipo = 0;
    bool fallita = false;
    std::string testo;
    int64_t numero = 0;
    uint64_t posizione = 0;
    bool fine = false;
    int32_t riga = 0;
    int32_t colonna = 0;
    bool operator==(const Lettura&) const = default;
};

[[noreturn]] void guasto(const char* cosa, size_t indice) {
    std::fprintf(stderr, "tokenizer fault at read %zu: %s\n", indice, cosa);
    std::abort();
}

std::vector<Lettura> leggi_tutto(Campi& campi, uint64_t tipi, uint64_t salta, int32_t righe) {
    std::string campo;
    // The filler is read as text and must end exactly where the fuzzed bytes begin.
    while (campi.posizione() < salta) campi.leggi_testo(campo);
    if (campi.posizione() != salta) guasto("the filler did not end on its line end", 0);

    std::vector<Lettura> letture;
    for (size_t i = 0; !campi.fine(); ++i) {
        Lettura l;
        l.tipo = static_cast<int>((tipi >> (2 * (i % 32))) & 3);
        const uint64_t prima = campi.posizione();
        try {
            switch (l.tipo) {
                case 0:
                    campi.leggi_testo(l.testo);
                    if (l.testo.size() > Campi::testo_massimo) guasto("text too long", i);
                    break;
                case 1:
                    l.numero = campi.leggi_intero();
                    break;
                case 2:
                    l.numero = campi.leggi<int16_t>();
                    break;
                default:
                    l.numero = campi.leggi<uint8_t>();
                    break;
            }
        } catch (const ErroreLettura&) {
            l.fallita = true;
        }
        if (campi.posizione() > campi.dimensione()) guasto("position past the end", i);
        if (!l.fallita && campi.posizione() <= prima) guasto("a read consumed nothing", i);
        l.posizione = campi.posizione() - salta;
        l.fine = campi.fine();
        l.riga = campi.riga() - righe;
        l.colonna = campi.colonna();
        if (!l.fallita && (l.riga < 1 || l.colonna < 1)) guasto("line or column below 1", i);
        letture.push_back(std::move(l));
        if (letture.back().fallita) break;  // the reader stops at its first failure
    }
    return letture;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string modello = "/tmp/campi_fuzz.XXXXXX";
    if (std::filesystem::is_directory("/dev/shm")) modello = "/dev/shm/campi_fuzz.XXXXXX";
    const int fd = ::mkstemp(modello.data());
    if (fd < 0) {
        std::perror("mkstemp");
        std::abort();
    }
    ::close(fd);
    file_prova = modello;
    std::atexit(rimuovi_file);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t quanti) {
    if (quanti < 9) return 0;
    uint64_t tipi = 0;
    for (int i = 0; i < 8; ++i) tipi |= static_cast<uint64_t>(dati[i]) << (8 * i);
    const size_t filler = 64 * 1024 - dati[8];

    const std::string_view testo(reinterpret_cast<const char*>(dati + 9), quanti - 9);
    const std::string davanti = riempitivo(filler);
    const auto righe = static_cast<int32_t>(std::count(davanti.begin(), davanti.end(), '\n'));
    {
        std::ofstream f(file_prova, std::ios::binary | std::ios::trunc);
        f.write(davanti.data(), static_cast<std::streamsize>(davanti.size()));
        f.write(testo.data(), static_cast<std::streamsize>(testo.size()));
        if (!f) {
            std::perror("write");
            std::abort();
        }
    }

    Campi in_memoria(testo);
    Campi da_file(Campi::DaFile{}, file_prova);
    const auto a = leggi_tutto(in_memoria, tipi, 0, 0);
    const auto b = leggi_tutto(da_file, tipi, filler, righe);
    if (a.size() != b.size()) guasto("memory and file give a different number of reads", 0);
    for (size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i])) guasto("memory and file differ", i);
    }
    return 0;
}
