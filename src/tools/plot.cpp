// `plot` and `view`: the picture and the page of a compiled scenario, from its scenario
// table, its cells and, when it is there, the track plan of its line.
#include <ostream>
#include <string>

#include "core/errori.h"
#include "core/testo.h"
#include "platform/destinazione.h"
#include "platform/file.h"
#include "platform/file_letto.h"
#include "platform/percorso.h"
#include "tools/decodifica.h"
#include "tools/plot_svg.h"
#include "tools/strumenti.h"
#include "tools/vista.h"

namespace compattatore {

int disegna_scenario(const char* comando, const std::string& sim, const std::string& output,
                     const char* estensione_uscita,
                     const std::function<std::string(const ScenarioDaDisegnare&)>& disegna,
                     std::ostream& out, std::ostream& err,
                     const std::function<std::string(const ScenarioDaDisegnare&)>& difetto) {
    // SCENARIO_TRAIN.sim: the train number follows the last '_' (a scenario name may hold
    // '_' itself; a train number may not).
    const size_t inizio = inizio_nome(sim);
    const std::string nome = sim.substr(inizio);
    const bool estensione = nome.size() > 4 && finisce_con(nome, ".sim");
    const auto trattino = estensione ? nome.rfind('_', nome.size() - 5) : std::string::npos;
    if (trattino == std::string::npos) {
        err << "compattatore: " << comando << ": " << sim
            << ": expected a scenario table named SCENARIO_TRAIN.sim\n";
        return uscita_uso;
    }
    const std::string cartella = sim.substr(0, inizio);
    const std::string radice = sim.substr(0, sim.size() - 4);
    const std::string file_celle = radice + ".dat";
    const std::string file_linea = cartella + nome.substr(0, trattino) + "_linea.dat";
    const std::string uscita = output.empty() ? radice + estensione_uscita : output;
    for (const auto* letto : {&sim, &file_celle, &file_linea}) {
        if (scriverebbe_su(uscita, *letto)) {
            err << "compattatore: " << comando << ": " << uscita << " would be written over "
                << *letto << ", which it is drawn from\n";
            return uscita_uso;
        }
    }

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
        // A name the system cannot tell about is read, so that the failure says why.
        if (stato_file(file_linea) != StatoFile::assente) {
            scenario.tracciato = decodifica_linea_dat(leggi_file(file_linea));
        } else {
            scenario.nota_tracciato = "No track plan (" + nome_file(file_linea) +
                                      " not found): the route is not drawn, only the profile "
                                      "along it.";
        }
        if (difetto) {
            const std::string d = difetto(scenario);
            if (!d.empty()) {
                err << "compattatore: " << comando << ": " << d << '\n';
                return uscita_uso;
            }
        }
        in_corso = uscita;
        Destinazione destinazione(uscita, out);
        destinazione.scrivi(disegna(scenario));
        destinazione.chiudi();
        return uscita_ok;
    } catch (...) {
        return segnala_guasto(in_corso, cosa, err);
    }
}

int comando_plot(const std::string& sim, const std::string& output, const TrattoDaDisegnare& tratto,
                 std::ostream& out, std::ostream& err) {
    return disegna_scenario(
        "plot", sim, output, ".svg",
        [&](const ScenarioDaDisegnare& s) { return disegna_svg(s, tratto); }, out, err,
        [&](const ScenarioDaDisegnare& s) { return difetto_tratto(s, tratto); });
}

int comando_plot(const std::string& sim, const std::string& output, std::ostream& out,
                 std::ostream& err) {
    return comando_plot(sim, output, TrattoDaDisegnare{}, out, err);
}

int comando_view(const std::string& sim, const std::string& output, std::ostream& out,
                 std::ostream& err) {
    return disegna_scenario("view", sim, output, ".html", pagina_vista, out, err);
}

}  // namespace compattatore
