#include "cli/uso.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "core/errori.h"

namespace compattatore {

namespace {

// Edits from one word to the other: a letter inserted, deleted, replaced, or two neighbours
// swapped.
size_t distanza(std::string_view a, std::string_view b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t diversa = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + diversa});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

std::string_view senza_trattini(std::string_view s) {
    while (!s.empty() && s.front() == '-') s.remove_prefix(1);
    return s;
}

// The command the parse went into, the deepest one; null for none.
const CLI::App* comando_scelto(const CLI::App& app) {
    const CLI::App* scelto = nullptr;
    for (const CLI::App* a = &app;;) {
        const auto sotto = a->get_subcommands();
        if (sotto.empty()) return scelto;
        a = scelto = sotto.front();
    }
}

// The names of `app`'s options as they are written on the command line.
std::vector<std::string> nomi_opzioni(const CLI::App& app) {
    std::vector<std::string> nomi;
    for (const CLI::Option* o : app.get_options()) {
        for (const auto& n : o->get_lnames()) nomi.push_back("--" + n);
        for (const auto& n : o->get_snames()) nomi.push_back("-" + n);
    }
    return nomi;
}

std::vector<std::string> nomi_comandi(const CLI::App& app) {
    std::vector<std::string> nomi;
    for (const CLI::App* c : app.get_subcommands({})) nomi.push_back(c->get_name());
    return nomi;
}

std::string elenco(const std::vector<std::string>& nomi) {
    std::string testo;
    for (const auto& n : nomi) testo += (testo.empty() ? "" : ", ") + n;
    return testo;
}

std::string con_suggerimento(std::string testo, const std::string& vicino) {
    if (!vicino.empty()) testo += "; did you mean '" + vicino + "'?";
    return testo;
}

// The first word that no command or option took, told as what it is.
std::string argomento_in_piu(const CLI::App& app, const CLI::App* comando,
                             const std::string& parola) {
    if (parola.size() > 1 && parola.front() == '-') {
        const std::string nome = parola.substr(0, parola.find('='));
        const CLI::App& dove = comando ? *comando : app;
        return con_suggerimento("unknown option '" + nome + "'",
                                piu_vicino(nome, nomi_opzioni(dove)));
    }
    if (comando == nullptr) {
        const auto comandi = nomi_comandi(app);
        const auto vicino = piu_vicino(parola, comandi);
        if (vicino.empty()) {
            return "unknown command '" + parola + "'; the commands are " + elenco(comandi);
        }
        return con_suggerimento("unknown command '" + parola + "'", vicino);
    }
    return "unexpected argument '" + parola + "'";
}

}  // namespace

std::string piu_vicino(std::string_view parola, const std::vector<std::string>& candidati) {
    const std::string_view p = senza_trattini(parola);
    if (p.empty()) return {};
    // A short word tolerates one slip, a longer one two; one or two letters are too few to
    // tell a slip from another word, they can only start one.
    const size_t soglia = p.size() < 3 ? 0 : p.size() < 5 ? 1 : 2;
    std::string migliore;
    size_t minima = soglia + 1;
    const std::string* prefisso = nullptr;
    size_t prefissi = 0;
    for (const auto& c : candidati) {
        const std::string_view n = senza_trattini(c);
        if (n == p) continue;
        if (n.substr(0, p.size()) == p) {
            prefisso = &c;
            ++prefissi;
        }
        const size_t d = distanza(p, n);
        if (d < minima) {
            minima = d;
            migliore = c;
        }
    }
    if (!migliore.empty()) return migliore;
    if (prefissi == 1 && p.size() >= 2) return *prefisso;
    return {};
}

int errore_uso(std::ostream& err, std::string_view comando, std::string_view testo) {
    err << "compattatore: ";
    if (!comando.empty()) err << comando << ": ";
    err << testo << "\nTry 'compattatore ";
    if (!comando.empty()) err << comando << ' ';
    err << "--help'\n";
    return uscita_uso;
}

int esito_analisi(const CLI::App& app, const CLI::ParseError& e, std::ostream& out,
                  std::ostream& err) {
    if (e.get_exit_code() == 0) {
        // --help or --version.
        return const_cast<CLI::App&>(app).exit(e, out, err) == 0 ? uscita_ok : uscita_uso;
    }
    const CLI::App* comando = comando_scelto(app);
    const std::string nome = comando ? comando->get_name() : "";
    auto in_piu = comando ? comando->remaining() : std::vector<std::string>{};
    if (in_piu.empty()) in_piu = app.remaining();
    if (!in_piu.empty()) {
        return errore_uso(err, nome, argomento_in_piu(app, comando, in_piu.front()));
    }
    std::string testo = e.what();
    if (comando == nullptr && dynamic_cast<const CLI::RequiredError*>(&e)) {
        testo = "a command is needed: " + elenco(nomi_comandi(app));
    } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) &&
               testo.find(" missing") != std::string::npos) {
        // "--name: 1 required NAME missing"
        testo = "option " + testo.substr(0, testo.find(':')) + " needs a value";
    }
    return errore_uso(err, nome, testo);
}

std::string difetto_nome(std::string_view cosa, std::string_view nome) {
    for (const char c : nome) {
        const auto b = static_cast<unsigned char>(c);
        std::string difetto;
        if (c == '/' || c == '\\') {
            difetto = std::string("the path separator '") + c + "'";
        } else if (b < 0x20 || b == 0x7F) {
            char codice[8];
            std::snprintf(codice, sizeof codice, "0x%02X", b);
            difetto = std::string("the control character ") + codice;
        } else {
            continue;
        }
        return "the " + std::string(cosa) + " holds " + difetto + "; it becomes part of file names";
    }
    return {};
}

CLI::Validator nome_per_file(std::string cosa) {
    return CLI::Validator(
        [cosa = std::move(cosa)](std::string& valore) { return difetto_nome(cosa, valore); }, "");
}

}  // namespace compattatore
