// `dump`: a compiled file as JSON on standard output, every field under its own name.
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>

#include "core/errori.h"
#include "core/testo.h"
#include "core/utf8.h"
#include "platform/destinazione.h"
#include "platform/file_letto.h"
#include "platform/percorso.h"
#include "tools/campi_json.h"
#include "tools/decodifica.h"
#include "tools/strumenti.h"

namespace compattatore {

namespace {

enum class Genere { sconosciuto, sim, linea, celle };

Genere genere_da_nome(const std::string& file) {
    const std::string nome = nome_file(file);
    constexpr auto uguali = Maiuscole::uguali;
    if (finisce_con(nome, "_linea.dat", uguali)) return Genere::linea;
    if (finisce_con(nome, ".sim", uguali) && nome.size() > 4) return Genere::sim;
    if (finisce_con(nome, ".dat", uguali) && nome.size() > 4) return Genere::celle;
    return Genere::sconosciuto;
}

// Output in large pieces; the track plan of a long line runs to tens of megabytes.
class Uscita {
  public:
    explicit Uscita(Destinazione& out) : out_(out) { buffer_.reserve(capacita + 256); }
    Uscita& operator<<(std::string_view s) {
        buffer_ += s;
        if (buffer_.size() >= capacita) svuota();
        return *this;
    }
    void svuota() {
        out_.scrivi(buffer_);
        buffer_.clear();
    }

  private:
    static constexpr size_t capacita = 1 << 16;
    Destinazione& out_;
    std::string buffer_;
};

// One value of the track plan: null when empty, an integer as such, a real in its shortest
// form that reads back to the same double, always with a '.' or an exponent so that it is
// told apart from an integer. JSON has no non-finite numbers: those are written as strings.
void scrivi_valore(Uscita& u, const Tracciato& t, int32_t punto, int coordinata) {
    switch (t.tipo(punto, coordinata)) {
        case Tracciato::vuoto:
            u << "null";
            return;
        case Tracciato::intero:
            u << std::to_string(static_cast<int>(t.valore(punto, coordinata)));
            return;
        case Tracciato::reale:
            break;
    }
    const double v = t.valore(punto, coordinata);
    if (std::isnan(v)) {
        u << "\"NaN\"";
        return;
    }
    if (std::isinf(v)) {
        u << (v > 0 ? "\"Infinity\"" : "\"-Infinity\"");
        return;
    }
    char testo[64];
    const auto r = std::to_chars(testo, testo + sizeof testo, v);
    std::string_view s(testo, static_cast<size_t>(r.ptr - testo));
    u << s;
    if (s.find_first_of(".e") == std::string_view::npos) u << ".0";
}

void scrivi_linea(Uscita& u, const Tracciato& t) {
    const int32_t n = t.ultimo_punto();
    u << "{\n\"ultimo_punto\": " << std::to_string(n) << ",\n\"tracciato\": [\n";
    for (int32_t p = 0; p <= n; ++p) {
        u << "[";
        scrivi_valore(u, t, p, 0);
        u << ", ";
        scrivi_valore(u, t, p, 1);
        u << (p < n ? "],\n" : "]\n");
    }
    u << "]\n}\n";
}

void scrivi_sim(Uscita& u, const std::array<voce_treno, voci_record_treno>& voci) {
    u << "{\n\"record_treno\": [\n";
    for (size_t i = 0; i < voci.size(); ++i) {
        const nlohmann::ordered_json j = voce_json(voci[i]);
        u << j.dump() << (i + 1 < voci.size() ? ",\n" : "\n");
    }
    u << "]\n}\n";
}

void scrivi_celle(Uscita& u, const std::vector<cella>& celle) {
    u << "{\n\"ultima_cella\": " << std::to_string(celle.size() - 1)
      << ",\n\"celle_percorso\": [\n";
    for (size_t i = 0; i < celle.size(); ++i) {
        const nlohmann::ordered_json j = cella_json(celle[i]);
        u << j.dump() << (i + 1 < celle.size() ? ",\n" : "\n");
    }
    u << "]\n}\n";
}

}  // namespace

int comando_dump(const std::string& file, const std::string& output, std::ostream& out,
                 std::ostream& err) {
    const Genere genere = genere_da_nome(file);
    if (genere == Genere::sconosciuto) {
        err << "compattatore: dump: cannot tell what " << file
            << " holds from its name: expected NAME_linea.dat (track plan), NAME.sim "
               "(scenario table) or NAME.dat (cells)\n";
        return uscita_uso;
    }
    const char* cosa = genere == Genere::sim     ? "a scenario table"
                       : genere == Genere::linea ? "a track plan"
                                                 : "a cell file";
    std::string in_corso = file;
    try {
        const std::string byte = leggi_file(file);
        in_corso = output;
        Destinazione destinazione(output, out);
        Uscita u(destinazione);
        in_corso = file;
        switch (genere) {
            case Genere::sim:
                scrivi_sim(u, decodifica_sim(byte));
                break;
            case Genere::linea:
                scrivi_linea(u, decodifica_linea_dat(byte));
                break;
            case Genere::celle:
                scrivi_celle(u, decodifica_celle(byte));
                break;
            case Genere::sconosciuto:
                break;
        }
        u.svuota();
        destinazione.chiudi();
        return uscita_ok;
    } catch (...) {
        return segnala_guasto(in_corso, cosa, err);
    }
}

}  // namespace compattatore
