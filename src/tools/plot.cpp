// `plot`: the picture of a compiled scenario, from its scenario table, its cells and, when
// it is there, the track plan of its line.
#include <sys/stat.h>

#include <cerrno>
#include <ostream>
#include <string>

#include "core/errori.h"
#include "platform/file_sostitutivo.h"
#include "tools/decodifica.h"
#include "tools/plot_svg.h"
#include "tools/strumenti.h"

namespace compattatore {

namespace {

bool esiste(const std::string& percorso) {
    struct stat st {};
    return ::stat(percorso.c_str(), &st) == 0 || errno != ENOENT;
}

}  // namespace

int comando_plot(const std::string& sim, const std::string& output, std::ostream& err) {
    // SCENARIO_TRAIN.sim: the train number follows the last '_' (a scenario name may hold
    // '_' itself; a train number may not).
    const auto barra = sim.rfind('/');
    const size_t inizio_nome = barra == std::string::npos ? 0 : barra + 1;
    const std::string nome = sim.substr(inizio_nome);
    const bool estensione = nome.size() > 4 && nome.compare(nome.size() - 4, 4, ".sim") == 0;
    const auto trattino = estensione ? nome.rfind('_', nome.size() - 5) : std::string::npos;
    if (trattino == std::string::npos) {
        err << "compattatore: plot: " << sim
            << ": expected a scenario table named SCENARIO_TRAIN.sim\n";
        return uscita_uso;
    }
    const std::string cartella = sim.substr(0, inizio_nome);
    const std::string radice = sim.substr(0, sim.size() - 4);
    const std::string file_celle = radice + ".dat";
    const std::string file_linea = cartella + nome.substr(0, trattino) + "_linea.dat";
    const std::string uscita = output.empty() ? radice + ".svg" : output;

    std::string in_corso = sim;
    const char* cosa = "a scenario table";
    try {
        ScenarioDaDisegnare scenario;
        scenario.voci = decodifica_sim(leggi_file(sim));
        in_corso = file_celle;
        cosa = "a cell file";
        scenario.celle = decodifica_celle(leggi_file(file_celle));
        in_corso = file_linea;
        cosa = "a track plan";
        if (esiste(file_linea)) {
            scenario.tracciato = decodifica_linea_dat(leggi_file(file_linea));
        } else {
            const auto b = file_linea.rfind('/');
            scenario.nota_tracciato =
                "No track plan (" + file_linea.substr(b == std::string::npos ? 0 : b + 1) +
                " not found): the route is not drawn, only the profile along it.";
        }
        in_corso = uscita;
        FileSostitutivo file(uscita);
        file.scrivi(disegna_svg(scenario));
        file.chiudi();
        return uscita_ok;
    } catch (...) {
        return segnala_guasto(in_corso, cosa, err);
    }
}

}  // namespace compattatore
