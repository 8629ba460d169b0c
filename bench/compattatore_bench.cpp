// Speed of the field tokenizer and of the compile, in-process:
//   Campi/*              every field of a source file read as text (bytes per second)
//   EsecuzionePredefinita the whole no-argument run: five text files, read back, three binaries
//   Compila/predefinito  the compile of the built-in scenario, its sources held in memory
//   Compila/massimo      the compile of the maximal scenario (1000000 m line)
//   Tracciato/scrittura  encoding and writing the track plan of a 1000000 m line alone, its
//                        values in the slots
//   Tracciato/cammino    the same plan kept as a walk: its values worked out as it is written
// Files go to a scratch directory under /tmp (TMPDIR), which is removed at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>

#include "core/form1.h"
#include "core/interfaccia.h"
#include "core/tracciato.h"
#include "platform/file_sostitutivo.h"
#include "reader/campi.h"
#include "track/codifica.h"

namespace {

namespace fs = std::filesystem;
using namespace compattatore;

const std::string nome_predefinito = "VALCRESTINA_TORVE";
const std::string massimo = COMPATTATORE_MASSIMO_DIR;

std::string leggi(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Cartella {
  public:
    Cartella() {
        std::string modello = (fs::temp_directory_path() / "compattatore_bench.XXXXXX").string();
        if (::mkdtemp(modello.data()) == nullptr) throw std::runtime_error("mkdtemp");
        percorso_ = modello;
    }
    ~Cartella() {
        std::error_code ignorato;
        fs::remove_all(percorso_, ignorato);
    }
    const fs::path& percorso() const { return percorso_; }

  private:
    fs::path percorso_;
};

// A scenario to compile: its two sources in memory.
struct Scenario {
    std::string nome, treno, testo_linea, testo_treno;
};

Scenario predefinito() {
    static const Scenario s = [] {
        Cartella c;
        InterfacciaMuta muta;
        Form1 form;
        form.interfaccia = &muta;
        form.cartella_programma = c.percorso().string();
        form.nome_scenario = nome_predefinito;
        form.numero_treno = "325";
        form.dati_linea();
        form.dati_treno();
        return Scenario{form.nome_scenario, form.numero_treno,
                        leggi(c.percorso() / (nome_predefinito + "_linea.txt")),
                        leggi(c.percorso() / (nome_predefinito + "_325-.txt"))};
    }();
    return s;
}

Scenario scenario_massimo() {
    static const Scenario s{"MASSIMO", "9999", leggi(massimo + "/MASSIMO_linea.txt"),
                            leggi(massimo + "/MASSIMO_9999-.txt")};
    return s;
}

void leggi_campi(benchmark::State& state, const std::string& testo) {
    std::string campo;
    int64_t campi = 0;
    for (auto _ : state) {
        Campi c(testo);
        while (!c.fine()) {
            c.leggi_testo(campo);
            ++campi;
        }
        benchmark::DoNotOptimize(campo.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(testo.size()));
    state.counters["fields"] =
        benchmark::Counter(static_cast<double>(campi), benchmark::Counter::kIsRate);
}

void BM_CampiPredefinito(benchmark::State& state) {
    const auto s = predefinito();
    leggi_campi(state, s.testo_linea + s.testo_treno);
}
BENCHMARK(BM_CampiPredefinito)->Name("Campi/predefinito");

void BM_CampiMassimo(benchmark::State& state) {
    const auto s = scenario_massimo();
    leggi_campi(state, s.testo_linea + s.testo_treno);
}
BENCHMARK(BM_CampiMassimo)->Name("Campi/massimo");

void BM_EsecuzionePredefinita(benchmark::State& state) {
    Cartella c;
    InterfacciaMuta muta;
    for (auto _ : state) {
        Form1 form;
        form.interfaccia = &muta;
        form.cartella_programma = c.percorso().string();
        if (form.Form_Load() != 0) state.SkipWithError("the built-in run reported an error");
    }
}
BENCHMARK(BM_EsecuzionePredefinita)->Name("EsecuzionePredefinita")->Unit(benchmark::kMillisecond);

// A fresh output directory for each iteration, the previous one removed with the timer
// stopped. Writing over the files of the previous iteration would time the file system's
// flush of a file replaced by rename, which a compile into a new place never pays.
class Uscite {
  public:
    explicit Uscite(const fs::path& base) : base_(base) {}
    fs::path prossima(benchmark::State& state) {
        state.PauseTiming();
        std::error_code ignorato;
        if (!attuale_.empty()) fs::remove_all(attuale_, ignorato);
        attuale_ = base_ / ("u" + std::to_string(numero_++));
        fs::create_directory(attuale_);
        state.ResumeTiming();
        return attuale_;
    }

  private:
    fs::path base_;
    fs::path attuale_;
    int numero_ = 0;
};

void compila(benchmark::State& state, const Scenario& s) {
    Cartella c;
    // The reader takes the bytes from memory; the names only have to exist.
    const std::string linea = (c.percorso() / (s.nome + "_linea.txt")).string();
    const std::string treno = (c.percorso() / (s.nome + "_" + s.treno + "-.txt")).string();
    std::ofstream(linea) << '\n';
    std::ofstream(treno) << '\n';
    InterfacciaMuta muta;
    std::ostringstream messaggi;
    Uscite uscite(c.percorso());
    for (auto _ : state) {
        const fs::path uscita = uscite.prossima(state);
        Form1 form;
        form.interfaccia = &muta;
        form.messaggi = &messaggi;
        form.nome_scenario = s.nome;
        form.numero_treno = s.treno;
        form.cartella_programma = uscita.string();
        form.file_linea = linea;
        form.file_treno = treno;
        form.testo_linea = s.testo_linea;
        form.testo_treno = s.testo_treno;
        form.cancella_sorgenti = false;
        int32_t j = 1;
        form.memorizza_percorso(j);
        if (form.resoconto.lettore.codice != 0)
            state.SkipWithError("the scenario did not read cleanly");
        messaggi.str("");
    }
}

void BM_CompilaPredefinito(benchmark::State& state) {
    compila(state, predefinito());
}
BENCHMARK(BM_CompilaPredefinito)->Name("Compila/predefinito")->Unit(benchmark::kMillisecond);

void BM_CompilaMassimo(benchmark::State& state) {
    compila(state, scenario_massimo());
}
BENCHMARK(BM_CompilaMassimo)->Name("Compila/massimo")->Unit(benchmark::kMillisecond);

// A 1000000 m line's track plan: points 0 and 1 integers, the rest to N - 2 reals.
constexpr int32_t ultimo_massimo = 1007000;

Tracciato testa_massima() {
    Tracciato t;
    t.dimensiona(ultimo_massimo);
    for (int c = 0; c < 2; ++c) {
        t.imposta_intero(0, c, 0);
        t.imposta_intero(1, c, static_cast<int16_t>(c));
    }
    return t;
}

void scrivi_tracciato(benchmark::State& state, const Tracciato& t) {
    Cartella c;
    Uscite uscite(c.percorso());
    for (auto _ : state) {
        FileSostitutivo f((uscite.prossima(state) / "MASSIMO_linea.dat").string());
        scrivi_linea_dat(f, t);
        f.chiudi();
    }
    state.SetBytesProcessed(state.iterations() * 2 * (10 * int64_t{ultimo_massimo} - 18));
}

void BM_ScriviTracciato(benchmark::State& state) {
    Tracciato t = testa_massima();
    for (int c = 0; c < 2; ++c) {
        for (int32_t p = 2; p <= ultimo_massimo - 2; ++p) t.imposta_reale(p, c, p * 0.999 + c);
    }
    scrivi_tracciato(state, t);
}
BENCHMARK(BM_ScriviTracciato)->Name("Tracciato/scrittura")->Unit(benchmark::kMillisecond);

void BM_ScriviCammino(benchmark::State& state) {
    Tracciato t = testa_massima();
    // Curves and straights in turn, as the maximal line has them.
    for (int32_t p = 2; p <= ultimo_massimo - 2; p += 250) {
        const int32_t a = std::min(p + 249, ultimo_massimo - 2);
        t.cammina(p, a, (p / 250) % 2 == 0 ? 0.0 : 0.0004, (p / 250) % 2 != 0);
    }
    scrivi_tracciato(state, t);
}
BENCHMARK(BM_ScriviCammino)->Name("Tracciato/cammino")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
