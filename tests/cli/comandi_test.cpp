#include "cli/comandi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/uso.h"
#include "core/utf8.h"
#include "platform/percorso.h"
#include "prova_comune.h"

namespace compattatore {
namespace {

namespace fs = std::filesystem;

const std::string linea = "VALCRESTINA_TORVE_linea.txt";
const std::string treno = "VALCRESTINA_TORVE_325-.txt";
const std::vector<std::string> binari = {"VALCRESTINA_TORVE_linea.dat", "VALCRESTINA_TORVE_325.sim",
                                         "VALCRESTINA_TORVE_325.dat"};

using prova::leggi;
using prova::scrivi;

// Replaces the one occurrence of `vecchio` in the file.
void sostituisci(const fs::path& p, const std::string& vecchio, const std::string& nuovo) {
    std::string t = leggi(p);
    const auto i = t.find(vecchio);
    ASSERT_NE(i, std::string::npos) << vecchio;
    t.replace(i, vecchio.size(), nuovo);
    scrivi(p, t);
}

// The line (from 1) on which `testo` starts.
int riga_di(const std::string& file, const std::string& testo) {
    const auto i = file.find(testo);
    return 1 +
           static_cast<int>(std::count(file.begin(), file.begin() + static_cast<long>(i), '\n'));
}

class Comandi : public ::testing::Test {
  protected:
    // The built-in sources in dir/<sotto>.
    fs::path sorgenti(const std::string& sotto = "src") {
        std::ostringstream err;
        EXPECT_EQ(comando_sources((dir / sotto).string(), err), 0) << err.str();
        return dir / sotto;
    }

    // Compiles the two sources of `cartella` with a report beside them.
    nlohmann::json compila(const fs::path& cartella, std::vector<std::string> extra = {}) {
        std::vector<std::string> argomenti = {"compile", (cartella / linea).string(),
                                              (cartella / treno).string(), "--report",
                                              (cartella / "report.json").string()};
        argomenti.insert(argomenti.end(), extra.begin(), extra.end());
        std::ostringstream out, err;
        stato = esegui_comandi(argomenti, out, err);
        messaggi = err.str();
        if (!fs::exists(cartella / "report.json")) return nullptr;
        return nlohmann::json::parse(leggi(cartella / "report.json"));
    }

    // Compiles the sources of both directories: each compiles cleanly, to the same files.
    void compilano_uguali(const fs::path& a, const fs::path& b) {
        for (const auto& d : {a, b}) {
            compila(d);
            ASSERT_EQ(stato, 0) << d << ": " << messaggi;
        }
        for (const auto& nome : binari) {
            SCOPED_TRACE(nome);
            EXPECT_TRUE(leggi(a / nome) == leggi(b / nome));
        }
    }

    const prova::CartellaTemporanea cartella{"comandi"};
    const fs::path dir = cartella.percorso;
    int stato = -1;
    std::string messaggi;
};

TEST(NomiScenario, FromFileNamesOrOptions) {
    struct Caso {
        const char* linea;
        const char* treno;
        std::optional<std::string> nome, numero;
        bool valido;
        std::string nome_atteso, numero_atteso;
    };
    const std::nullopt_t no = std::nullopt;
    const Caso casi[] = {
        {"d/VALCRESTINA_TORVE_linea.txt", "d/VALCRESTINA_TORVE_325-.txt", no, no, true,
         "VALCRESTINA_TORVE", "325"},
        {"a_b_linea.txt", "x_y_7-.txt", no, no, true, "a_b", "7"},
        // The number is what follows the scenario's name, '_' included.
        {"SCEN_linea.txt", "SCEN_1_2-.txt", no, no, true, "SCEN", "1_2"},
        {"a_b_linea.txt", "a_b_7_8-.txt", no, no, true, "a_b", "7_8"},
        {"x.txt", "Nome_1_2-.txt", "Nome", no, true, "Nome", "1_2"},
        {"SCEN_linea.txt", "SCEN_-.txt", no, no, true, "SCEN", ""},
        {"SCEN_linea.txt", "SCEN-.txt", no, no, false, "", ""},
        {"_linea.txt", "_-.txt", no, no, true, "", ""},
        {"CAFF\xC3\x88_linea.txt", "A_1-.txt", no, no, true, "CAFF\xC8", "1"},
        {"CAFF\xC8_linea.txt", "A_1-.txt", no, no, true, "CAFF\xC8", "1"},
        {"linea.txt", "A_1-.txt", no, no, false, "", ""},
        {"A_LINEA.txt", "A_1-.txt", no, no, false, "", ""},
        {"A_linea.txt/", "A_1-.txt", no, no, false, "", ""},
        {"A_linea.txt", "A1-.txt", no, no, false, "", ""},
        {"A_linea.txt", "A_1.txt", no, no, false, "", ""},
        {"x.txt", "y.txt", "", "", true, "", ""},
        {"x.txt", "B_9-.txt", "Nome", no, true, "Nome", "9"},
        {"A_linea.txt", "y.txt", no, "42", true, "A", "42"},
        {"x.txt", "y.txt", "\xCE\xA9", "1", false, "", ""},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(std::string(c.linea) + " " + c.treno);
        OpzioniCompila o;
        o.file_linea = c.linea;
        o.file_treno = c.treno;
        o.nome = c.nome;
        o.numero = c.numero;
        std::string errore;
        const auto n = nomi_scenario(o, errore);
        ASSERT_EQ(n.has_value(), c.valido) << errore;
        if (n) {
            EXPECT_EQ(n->nome_scenario, c.nome_atteso);
            EXPECT_EQ(n->numero_treno, c.numero_atteso);
        } else {
            EXPECT_FALSE(errore.empty());
        }
    }

    OpzioniCompila o;
    o.file_linea = "x.txt";
    o.file_treno = "y.txt";
    std::string errore;
    EXPECT_FALSE(nomi_scenario(o, errore));
    EXPECT_NE(errore.find("NAME_linea.txt"), std::string::npos) << errore;
    o.nome = "A";
    EXPECT_FALSE(nomi_scenario(o, errore));
    EXPECT_NE(errore.find("NAME_NUMBER-.txt"), std::string::npos) << errore;
}

TEST(NomiScenario, OutputDefaultsToTheLineFilesDirectory) {
    EXPECT_EQ(cartella_di("a/b/x_linea.txt"), "a/b");
    EXPECT_EQ(cartella_di("x_linea.txt"), ".");
    EXPECT_EQ(cartella_di("/x_linea.txt"), "");
}

TEST(RigaDiComando, UsageErrorIsOneLineAndWhereTheHelpIs) {
    struct Caso {
        std::vector<std::string> argomenti;
        const char* comando;  // whose help the second line points to; "" for the program's
        const char* atteso;   // in the first line
    };
    const std::string a = "a_linea.txt", b = "a_1-.txt";
    const Caso casi[] = {
        {{"frob"},
         "",
         "unknown command 'frob'; the commands are compile, check, run, sources, dump, plot, view"},
        {{"compil"}, "", "unknown command 'compil'; did you mean 'compile'?"},
        {{"chek"}, "", "did you mean 'check'?"},
        {{"sorces"}, "", "did you mean 'sources'?"},
        {{"co"}, "", "did you mean 'compile'?"},
        {{"--frob"}, "", "unknown option '--frob'"},
        {{"--verison"}, "", "unknown option '--verison'; did you mean '--version'?"},
        {{"compile"}, "compile", "LINE_FILE is required"},
        {{"compile", a}, "compile", "TRAIN_FILE is required"},
        {{"compile", a, b, "--bogus"}, "compile", "unknown option '--bogus'"},
        {{"compile", a, b, "--nme=x"}, "compile", "unknown option '--nme'; did you mean '--name'?"},
        {{"compile", a, b, "--no-track-plna"}, "compile", "did you mean '--no-track-plan'?"},
        {{"compile", a, b, "--out", "d"}, "compile", "did you mean '--output'?"},
        {{"compile", a, b, "-x"}, "compile", "unknown option '-x'"},
        {{"compile", a, b, "c"}, "compile", "unexpected argument 'c'"},
        {{"compile", a, b, "--name"}, "compile", "option --name needs a value"},
        {{"compile", "x.txt", b}, "compile", "NAME_linea.txt"},
        {{"compile", "-", "-"}, "compile", "only one of LINE_FILE and TRAIN_FILE"},
        {{"compile", "-", b}, "compile", "give the scenario name with --name"},
        {{"compile", a, "-"}, "compile", "give the train number with --train"},
        {{"check", a}, "check", "TRAIN_FILE is required"},
        {{"check", a, b, "--report", "r.json"}, "check", "unknown option '--report'"},
        {{"check", "-", "-"}, "check", "only one of LINE_FILE and TRAIN_FILE"},
        {{"run", "a", "b"}, "run", "unexpected argument 'b'"},
        {{"sources"}, "sources", "DIR is required"},
        {{"sources", "a", "b"}, "sources", "unexpected argument 'b'"},
        {{"dump"}, "dump", "FILE is required"},
        {{"plot"}, "plot", "SIM_FILE is required"},
        {{"plot", "a_1.sim", "--ouptut", "x.svg"}, "plot", "did you mean '--output'?"},
        // Refused before the scenario is read (a_1.sim does not exist).
        {{"plot", "a_1.sim", "--from", "x"}, "plot", "--from: 'x' is not a kilometre"},
        {{"plot", "a_1.sim", "--to", "-3"}, "plot", "--to: '-3' is not a kilometre"},
        {{"plot", "a_1.sim", "--to", "nan"}, "plot", "--to: 'nan' is not a kilometre"},
        {{"plot", "a_1.sim", "--from", "1e3"}, "plot", "--from: '1e3' is not a kilometre"},
        {{"plot", "a_1.sim", "--from", "12km"}, "plot", "--from: '12km' is not a kilometre"},
        {{"plot", "a_1.sim", "--from", "5", "--to", "5"},
         "plot",
         "--to 5 must lie beyond --from 5"},
        {{"plot", "a_1.sim", "--to", "0"}, "plot", "--to must lie beyond kilometre 0"},
        {{"plot", "a_1.sim", "--from"}, "plot", "option --from needs a value"},
    };
    for (const auto& c : casi) {
        std::string riga;
        for (const auto& x : c.argomenti) riga += x + " ";
        SCOPED_TRACE(riga);
        std::ostringstream out, err;
        EXPECT_EQ(esegui_comandi(c.argomenti, out, err), 2);
        EXPECT_EQ(out.str(), "");
        const std::string testo = err.str();
        const auto a_capo = testo.find('\n');
        ASSERT_NE(a_capo, std::string::npos) << testo;
        const std::string prima = testo.substr(0, a_capo);
        EXPECT_EQ(prima.rfind("compattatore: ", 0), 0u) << prima;
        EXPECT_NE(prima.find(c.atteso), std::string::npos) << prima;
        const std::string aiuto = *c.comando ? std::string(c.comando) + " --help" : "--help";
        EXPECT_EQ(testo.substr(a_capo + 1), "Try 'compattatore " + aiuto + "'\n");
    }
}

TEST(RigaDiComando, SuggestsOnlyANameCloseEnoughToBeASlip) {
    const std::vector<std::string> comandi = {"compile", "sources", "dump", "plot"};
    EXPECT_EQ(piu_vicino("complie", comandi), "compile");  // two letters swapped
    EXPECT_EQ(piu_vicino("dum", comandi), "dump");
    EXPECT_EQ(piu_vicino("plots", comandi), "plot");
    EXPECT_EQ(piu_vicino("compilare", comandi), "compile");
    EXPECT_EQ(piu_vicino("frobnicate", comandi), "");
    EXPECT_EQ(piu_vicino("x", comandi), "");
    EXPECT_EQ(piu_vicino("-h", {"--help", "-h"}), "");
    EXPECT_EQ(piu_vicino("pl", comandi), "plot");  // the start of one name only
    EXPECT_EQ(piu_vicino("p", comandi), "");
    EXPECT_EQ(piu_vicino("--no", {"--name", "--no-track-plan"}), "--no-track-plan");
}

TEST(RigaDiComando, HelpAndVersionGoToStandardOutput) {
    const struct {
        std::vector<std::string> argomenti;
        const char* atteso;
    } casi[] = {
        {{"--help"}, "Exit status"},
        {{"--help"}, "man 5 compattatore"},
        {{"compile", "--help"}, "man 5 compattatore"},
        {{"compile", "--help"}, "--no-track-plan"},
        {{"plot", "--help"}, "--output"},
        {{"check", "--help"}, "--strict"},
        {{"--version"}, "compattatore "},
        {{"--version"}, "\nCopyright (C) 2026 the compattatore authors\nLicense: MIT"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.argomenti.front());
        std::ostringstream out, err;
        EXPECT_EQ(esegui_comandi(c.argomenti, out, err), 0);
        EXPECT_NE(out.str().find(c.atteso), std::string::npos) << out.str();
        EXPECT_EQ(err.str(), "");
    }
}

TEST(RigaDiComando, NamesThatWouldBePathsAreRefusedBeforeAnythingIsRead) {
    // The sources do not exist: a check made after opening them would end with status 4.
    const std::string a = "mancante_linea.txt", b = "mancante_1-.txt";
    const struct {
        std::vector<std::string> argomenti;
        const char* atteso;
        bool solo_con_barra = false;  // where '\\' is no separator between folders
    } casi[] = {
        {{"compile", a, b, "--name", "a/b"},
         "--name: the scenario name holds the path separator '/'; it becomes part of file names"},
        {{"compile", a, b, "--name=..\\x"}, "the scenario name holds the path separator '\\'"},
        {{"compile", a, b, "--train", "3\t25"},
         "--train: the train number holds the control character 0x09"},
        {{"compile", a, b, "--train", "3\x7f"}, "control character 0x7F"},
        {{"compile", "a\\b_linea.txt", b}, "the scenario name holds the path separator '\\'", true},
        {{"compile", a, "a_3\n2-.txt"}, "the train number holds the control character 0x0A"},
        {{"check", a, b, "--name", "a/b"}, "--name: the scenario name holds the path separator"},
        {{"check", "x\x1b_linea.txt", b}, "the scenario name holds the control character 0x1B"},
    };
    for (const auto& c : casi) {
        // On Windows "a\\b_linea.txt" is the file b_linea.txt in the folder a.
        if (c.solo_con_barra && separatore_cartelle() == '\\') continue;
        SCOPED_TRACE(c.atteso);
        std::ostringstream out, err;
        EXPECT_EQ(esegui_comandi(c.argomenti, out, err), 2);
        EXPECT_NE(err.str().find(c.atteso), std::string::npos) << err.str();
        const std::string aiuto = "Try 'compattatore " + c.argomenti.front() + " --help'";
        EXPECT_NE(err.str().find(aiuto), std::string::npos) << err.str();
    }
}

TEST_F(Comandi, SourcesThenCompileGiveTheBuiltInRunsFilesAndKeepTheSources) {
    {
        fs::create_directory(dir / "predefinito");
        prova::FormProva predefinito(dir / "predefinito");
        ASSERT_EQ(predefinito.form.Form_Load(), 0);
    }

    const fs::path d = dir / "autore";
    const auto scritte = prova::esegui({COMPATTATORE_EXE, "sources", d.string()});
    ASSERT_EQ(scritte.stato, 0) << scritte.errori;
    const std::string testo_linea = leggi(d / linea);
    const std::string testo_treno = leggi(d / treno);
    ASSERT_FALSE(testo_linea.empty());
    ASSERT_FALSE(testo_treno.empty());

    const auto compilato =
        prova::esegui({COMPATTATORE_EXE, "compile", (d / linea).string(), (d / treno).string()});
    ASSERT_EQ(compilato.stato, 0) << compilato.errori;
    EXPECT_EQ(compilato.errori, "");
    for (const auto& nome : binari) {
        SCOPED_TRACE(nome);
        ASSERT_TRUE(fs::exists(d / nome));
        EXPECT_TRUE(leggi(d / nome) == leggi(dir / "predefinito" / nome));
    }
    EXPECT_EQ(leggi(d / linea), testo_linea);
    EXPECT_EQ(leggi(d / treno), testo_treno);
}

TEST_F(Comandi, SourcesLeaveAnAuthorsFilesAloneUnlessForced) {
    const auto d = sorgenti();
    const std::string originale = leggi(d / treno);
    scrivi(d / treno, "modificato dall'autore\r\n");
    fs::remove(d / linea);

    // One file already there: neither is written, and the message says how to replace it.
    std::ostringstream err;
    EXPECT_EQ(comando_sources(d.string(), err), 4);
    EXPECT_NE(err.str().find((d / treno).string() + " already exists (--force replaces it)"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(err.str().find(linea), std::string::npos) << err.str();
    EXPECT_EQ(leggi(d / treno), "modificato dall'autore\r\n");
    EXPECT_FALSE(fs::exists(d / linea));

    std::ostringstream out, err_forzato;
    EXPECT_EQ(esegui_comandi({"sources", d.string(), "--force"}, out, err_forzato), 0)
        << err_forzato.str();
    EXPECT_EQ(leggi(d / treno), originale);
    EXPECT_TRUE(fs::exists(d / linea));
}

TEST_F(Comandi, Utf8SourcesWithLineFeedsCompileToTheSameFiles) {
    const auto w = sorgenti("w1252");
    std::ostringstream out, err;
    ASSERT_EQ(esegui_comandi({"sources", (dir / "utf8").string(), "--utf8"}, out, err), 0)
        << err.str();
    const fs::path u = dir / "utf8";
    for (const auto& nome : {linea, treno}) {
        SCOPED_TRACE(nome);
        std::string atteso = a_utf8(leggi(w / nome));
        atteso.erase(std::remove(atteso.begin(), atteso.end(), '\r'), atteso.end());
        EXPECT_EQ(leggi(u / nome), atteso);
    }
    // The line file's description holds a non-ASCII letter, so the conversion is not a no-op.
    EXPECT_NE(leggi(u / linea).find("\xC3\xA8"), std::string::npos);

    compilano_uguali(w, u);
}

TEST_F(Comandi, DashIsStandardOutputForDumpAndPlot) {
    const auto d = sorgenti();
    compila(d);
    ASSERT_EQ(stato, 0) << messaggi;
    const std::string sim = (d / binari[1]).string();
    const std::string celle = (d / binari[2]).string();
    const struct {
        std::vector<std::string> su_file;  // the output named last
        std::vector<std::string> su_standard;
    } casi[] = {
        {{"dump", sim, "--output", "x.json"}, {"dump", sim, "--output", "-"}},
        {{"dump", celle, "-o", "x.json"}, {"dump", celle}},
        {{"plot", sim, "--output", "x.svg"}, {"plot", sim, "-o", "-"}},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.su_standard.front() + " " + c.su_standard.back());
        const prova::CartellaTemporanea qui("trattino");
        std::vector<std::string> a = {COMPATTATORE_EXE}, b = {COMPATTATORE_EXE};
        a.insert(a.end(), c.su_file.begin(), c.su_file.end());
        b.insert(b.end(), c.su_standard.begin(), c.su_standard.end());
        const auto su_file = prova::esegui(a, {.cartella = qui.percorso});
        ASSERT_EQ(su_file.stato, 0) << su_file.errori;
        const std::string scritto = leggi(qui.percorso / c.su_file.back());
        ASSERT_FALSE(scritto.empty());
        fs::remove(qui.percorso / c.su_file.back());

        const auto su_standard = prova::esegui(b, {.cartella = qui.percorso});
        ASSERT_EQ(su_standard.stato, 0) << su_standard.errori;
        EXPECT_TRUE(su_standard.uscita == scritto);
        EXPECT_EQ(prova::nomi_in(qui.percorso), std::vector<std::string>{});
    }
}

TEST_F(Comandi, OneSourceFromStandardInput) {
    const auto d = sorgenti();
    compila(d);
    ASSERT_EQ(stato, 0) << messaggi;
    const struct {
        std::vector<std::string> argomenti;
        fs::path ingresso;
    } casi[] = {
        {{"compile", "-", (d / treno).string(), "--name", "VALCRESTINA_TORVE"}, d / linea},
        {{"compile", (d / linea).string(), "-", "--train", "325"}, d / treno},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.ingresso.filename().string());
        const prova::CartellaTemporanea qui("ingresso");
        std::vector<std::string> a = {COMPATTATORE_EXE};
        a.insert(a.end(), c.argomenti.begin(), c.argomenti.end());
        a.insert(a.end(), {"--output", qui / "out"});
        const auto e = prova::esegui(a, {.cartella = qui.percorso, .ingresso = c.ingresso});
        ASSERT_EQ(e.stato, 0) << e.errori;
        for (const auto& nome : binari) {
            SCOPED_TRACE(nome);
            EXPECT_TRUE(leggi(qui.percorso / "out" / nome) == leggi(d / nome));
        }
    }

    // Messages name standard input.
    sostituisci(d / treno, "stazione,   29900,", "stazione,   29910,");
    const auto e =
        prova::esegui({COMPATTATORE_EXE, "compile", (d / linea).string(), "-", "--train", "325"},
                      {.ingresso = d / treno});
    EXPECT_EQ(e.stato, 1);
    EXPECT_NE(e.errori.find("compattatore:<stdin>:"), std::string::npos) << e.errori;
}

TEST_F(Comandi, ReportOfACleanRun) {
    const auto d = sorgenti();
    const auto r = compila(d);
    ASSERT_EQ(stato, 0) << messaggi;
    const auto atteso = nlohmann::json::parse(R"({
        "reader": {"code": 0, "position": 0, "message": null, "file": null, "line": null,
                   "column": null},
        "marks": [],
        "final": {"code": 0, "position": 0},
        "fatal": null,
        "written": ["VALCRESTINA_TORVE_linea.dat", "VALCRESTINA_TORVE_325.sim",
                    "VALCRESTINA_TORVE_325.dat"],
        "warnings": []})");
    EXPECT_EQ(r, atteso);
    // The keys in the documented order.
    const std::string testo = leggi(d / "report.json");
    EXPECT_LT(testo.find("\"reader\""), testo.find("\"marks\""));
    EXPECT_LT(testo.find("\"final\""), testo.find("\"fatal\""));
    EXPECT_LT(testo.find("\"fatal\""), testo.find("\"written\""));
}

TEST_F(Comandi, WithoutTrackPlanNoPlanFileIsWritten) {
    const auto d = sorgenti();
    const auto r = compila(d, {"--no-track-plan", "--output", (dir / "out").string()});
    ASSERT_EQ(stato, 0) << messaggi;
    EXPECT_EQ(
        r.at("written"),
        nlohmann::json::parse(R"(["VALCRESTINA_TORVE_325.sim", "VALCRESTINA_TORVE_325.dat"])"));
    EXPECT_FALSE(fs::exists(dir / "out" / binari[0]));
    EXPECT_TRUE(fs::exists(dir / "out" / binari[1]));
    EXPECT_FALSE(fs::exists(d / binari[1]));
}

TEST_F(Comandi, ReaderErrorIsReportedWithFileLineAndColumn) {
    const auto d = sorgenti();
    sostituisci(d / treno, "stazione,   29900,", "stazione,   29910,");
    const int riga = riga_di(leggi(d / treno), "stazione,   29910,");
    const auto r = compila(d);
    EXPECT_EQ(stato, 1);
    // The column is that of the station's position field, the message names it.
    const std::string messaggio =
        "field 'posizione' of 'stazione' is not a multiple of 50 m: 29910 m";
    EXPECT_EQ(r.at("reader"), (nlohmann::json{{"code", 8},
                                              {"position", 29910},
                                              {"message", messaggio},
                                              {"file", (d / treno).string()},
                                              {"line", riga},
                                              {"column", 13}}));
    EXPECT_EQ(r.at("final"), nlohmann::json::parse(R"({"code": 8, "position": 29910})"));
    EXPECT_EQ(r.at("fatal"), nullptr);
    EXPECT_EQ(r.at("written"), nlohmann::json::array());  // a source error replaces nothing
    const std::string riga_errore = "compattatore:" + (d / treno).string() + ":" +
                                    std::to_string(riga) + ":13: error 8: " + messaggio + "\n";
    EXPECT_NE(messaggi.find(riga_errore), std::string::npos) << messaggi;
    EXPECT_TRUE(fs::exists(d / treno));
}

// After a good compile, a broken source keeps the good files; with --partial the files hold
// what could be read, as the compactor writes them when it names each file at once.
TEST_F(Comandi, SourceErrorKeepsTheLastGoodBuildUnlessPartial) {
    const auto d = sorgenti();
    compila(d);
    ASSERT_EQ(stato, 0) << messaggi;
    std::vector<std::string> buoni;
    for (const auto& n : binari) buoni.push_back(leggi(d / n));
    sostituisci(d / treno, "stazione,   29900,", "stazione,   29910,");

    auto r = compila(d);
    EXPECT_EQ(stato, 1);
    EXPECT_EQ(r.at("written"), nlohmann::json::array());
    for (size_t i = 0; i < binari.size(); ++i) {
        EXPECT_TRUE(leggi(d / binari[i]) == buoni[i]) << binari[i] << " was replaced";
    }

    r = compila(d, {"--partial"});
    EXPECT_EQ(stato, 1);
    EXPECT_EQ(r.at("written").size(), 3u);
    fs::create_directory(dir / "ogni_file");
    prova::FormProva parziale(dir / "ogni_file");
    parziale.form.file_linea = (d / linea).string();
    parziale.form.file_treno = (d / treno).string();
    parziale.form.cancella_sorgenti = false;
    int32_t j = 1;
    parziale.form.memorizza_percorso(j);
    ASSERT_EQ(parziale.form.resoconto.stato, 1);
    std::vector<std::string> parziali;
    for (size_t i = 0; i < binari.size(); ++i) {
        parziali.push_back(leggi(d / binari[i]));
        EXPECT_TRUE(parziali[i] == leggi(dir / "ogni_file" / binari[i])) << binari[i];
    }
    EXPECT_FALSE(parziali == buoni);
}

// A station name longer than a text of the scenario table can hold is a reader error,
// whether it stands in quotes or not.
TEST_F(Comandi, StationNameOverTheTextLimitIsAReaderError) {
    for (const std::string virgolette : {"", "\""}) {
        SCOPED_TRACE(virgolette.empty() ? "bare" : "quoted");
        const auto d = sorgenti(virgolette.empty() ? "nuda" : "tra_virgolette");
        sostituisci(d / treno, "BEURA C.", virgolette + std::string(100000, 'B') + virgolette);
        const auto r = compila(d, {"--partial"});
        EXPECT_EQ(stato, 1) << messaggi;
        EXPECT_EQ(r.at("reader").at("code"), 25);
        EXPECT_NE(messaggi.find("error 25"), std::string::npos) << messaggi;
    }
}

TEST_F(Comandi, PassRecordIsAWarningAndKeptApartFromTheReader) {
    // Boards on the three cells of the first window before the slowdown at 22750 m.
    const auto d = sorgenti();
    sostituisci(d / linea, "[fine]",
                "cartello_indicatore,  22400,   (A)\r\n"
                "cartello_indicatore,  22450,   (B)\r\n"
                "cartello_indicatore,  22500,   (C)\r\n"
                "[fine]");
    const auto r = compila(d);
    EXPECT_EQ(stato, 0) << messaggi;
    EXPECT_EQ(r.at("reader").at("code"), 0);
    EXPECT_EQ(r.at("reader").at("message"), nullptr);
    EXPECT_EQ(r.at("final"), nlohmann::json::parse(R"({"code": 12, "position": 22800})"));
    // The record names the slowdown it was placing marks for, where its keyword stands.
    const int riga = riga_di(leggi(d / treno), "rallentamento,   22750,");
    auto atteso = nlohmann::json::parse(R"([{"code": 12, "position": 22800,
        "source": {"record": "rallentamento", "position": 22750, "column": 1}}])");
    atteso[0]["source"]["file"] = (d / treno).string();
    atteso[0]["source"]["line"] = riga;
    EXPECT_EQ(r.at("marks"), atteso);
    EXPECT_NE(messaggi.find("compattatore:" + (d / treno).string() + ":" + std::to_string(riga) +
                            ":1: warning 12: no free cell for a mark ahead of a slowdown "
                            "(position 22800 m; for the rallentamento at 22750 m)\n"),
              std::string::npos)
        << messaggi;
}

// Boards on the three cells of each of the three windows before the slowdown at 22750 m:
// none of its look-back marks has a place.
const std::string finestre_occupate =
    "cartello_indicatore,  21750,   (A)\r\ncartello_indicatore,  21800,   (B)\r\n"
    "cartello_indicatore,  21850,   (C)\r\ncartello_indicatore,  22100,   (D)\r\n"
    "cartello_indicatore,  22150,   (E)\r\ncartello_indicatore,  22200,   (F)\r\n"
    "cartello_indicatore,  22400,   (G)\r\ncartello_indicatore,  22450,   (H)\r\n"
    "cartello_indicatore,  22500,   (I)\r\n[fine]";

TEST_F(Comandi, IdenticalPassRecordsArePrintedOnceAndAllKeptInTheReport) {
    const auto d = sorgenti();
    sostituisci(d / linea, "[fine]", finestre_occupate);
    const auto r = compila(d);
    EXPECT_EQ(stato, 0) << messaggi;
    ASSERT_EQ(r.at("marks").size(), 3u);
    for (const auto& voce : r.at("marks")) {
        EXPECT_EQ(voce, r.at("marks")[0]);
        EXPECT_EQ(voce.at("position"), 22800);
    }
    const auto riga = messaggi.find("warning 12");
    ASSERT_NE(riga, std::string::npos) << messaggi;
    EXPECT_EQ(messaggi.find("warning 12", riga + 1), std::string::npos) << messaggi;
    EXPECT_NE(messaggi.find("\ncompattatore: 1 warning\n"), std::string::npos) << messaggi;
}

TEST_F(Comandi, LinesTheReaderPassesOverAreWarningsThatChangeNoOutput) {
    // Each change of the built-in sources, where its warning stands, and a change that gives
    // the same output without any warning.
    struct Caso {
        const char* nome;
        const std::string* file;
        std::string vecchio, nuovo;
        const char* tipo;
        std::string riga_di;  // the line that holds the warning, as it starts
        int colonna;          // 0: a warning about the whole file
        std::string testo;
        // The same output with no warning: `da_togliere` in the built-in file becomes
        // `messo` (with both empty, the file holds only "[generale]").
        std::string da_togliere, messo;
    };
    const Caso casi[] = {
        {"parola_errata", &treno, "segnale,   12800,", "segnle,   12800,", "unknown-keyword",
         "segnle,   12800,", 1, "'segnle' is not a record keyword; the line is ignored",
         "segnale,   12800,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n", ""},
        {"campo_in_piu", &treno, "velocita,     900,   135", "velocita,     900,   135, 7",
         "extra-fields", "velocita,     900,", 27,
         "'7' follows the 2 fields of 'velocita' and is ignored with the rest of the line",
         "velocita,     900,   135", "velocita,     900,   135"},
        {"virgola_nel_nome", &treno, "VERBANIA  PALLANZA", "VERBANIA, PALLANZA", "station-name-cut",
         "stazione,   29900,", 83,
         "the station name 'VERBANIA' ends at a comma; 'PALLANZA' after it is not part of the "
         "name and is ignored with the rest of the line",
         "VERBANIA  PALLANZA", "VERBANIA"},
        {"senza_generale", &treno, "[generale]", "[general]", "no-generale", "", 0,
         "no field holds '[generale]', so nothing of the train file is read", "", ""},
        {"maiuscola", &linea, "progressiva chilometrica uno", "Progressiva chilometrica uno",
         "unknown-keyword", "Progressiva chilometrica uno", 1,
         "'Progressiva chilometrica uno' is not a record keyword; the line is ignored",
         "progressiva chilometrica uno,    0,    56000,    1\r\n", ""},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.nome);
        const auto d = sorgenti(std::string(c.nome) + "_avviso");
        sostituisci(d / *c.file, c.vecchio, c.nuovo);
        const auto e = sorgenti(std::string(c.nome) + "_equivalente");
        if (c.da_togliere.empty()) {
            scrivi(e / *c.file, "[generale]\r\n[fine]\r\n");
        } else {
            sostituisci(e / *c.file, c.da_togliere, c.messo);
        }

        const auto r = compila(d);
        ASSERT_EQ(stato, 0) << messaggi;
        const std::string file = (d / *c.file).string();
        const int riga = c.colonna > 0 ? riga_di(leggi(d / *c.file), c.riga_di) : 0;
        const std::string posto =
            c.colonna > 0 ? std::to_string(riga) + ":" + std::to_string(c.colonna) + ":" : "";
        EXPECT_EQ(messaggi, "compattatore:" + file + ":" + posto + " warning: " + c.testo +
                                "\ncompattatore: 1 warning\n");
        auto atteso = nlohmann::json::array({{{"kind", c.tipo}, {"file", file}}});
        atteso[0]["line"] = c.colonna > 0 ? nlohmann::json(riga) : nlohmann::json(nullptr);
        atteso[0]["column"] = c.colonna > 0 ? nlohmann::json(c.colonna) : nlohmann::json(nullptr);
        atteso[0]["text"] = c.testo;
        EXPECT_EQ(r.at("warnings"), atteso);

        compila(e);
        ASSERT_EQ(stato, 0) << messaggi;
        EXPECT_EQ(messaggi, "");
        for (const auto& nome : binari) {
            SCOPED_TRACE(nome);
            EXPECT_TRUE(leggi(d / nome) == leggi(e / nome));
        }
    }
}

TEST_F(Comandi, QuietSilencesWarningsAndStrictMakesThemFail) {
    const auto d = sorgenti();
    sostituisci(d / linea, "[fine]", finestre_occupate);
    struct Caso {
        std::vector<std::string> opzioni;
        int stato;
        bool stampati;
    };
    const Caso casi[] = {
        {{}, 0, true},
        {{"-q"}, 0, false},
        {{"--quiet"}, 0, false},
        {{"--strict"}, 1, true},
        {{"--strict", "--quiet"}, 1, false},
    };
    for (const char* comando : {"compile", "check"}) {
        for (const auto& c : casi) {
            SCOPED_TRACE(std::string(comando) + " " + ::testing::PrintToString(c.opzioni));
            std::vector<std::string> argomenti = {comando, (d / linea).string(),
                                                  (d / treno).string()};
            argomenti.insert(argomenti.end(), c.opzioni.begin(), c.opzioni.end());
            std::ostringstream out, err;
            EXPECT_EQ(esegui_comandi(argomenti, out, err), c.stato);
            EXPECT_EQ(out.str(), "");
            if (c.stampati) {
                EXPECT_NE(err.str().find("warning 12"), std::string::npos) << err.str();
                EXPECT_NE(err.str().find("1 warning\n"), std::string::npos) << err.str();
            } else {
                EXPECT_EQ(err.str(), "");
            }
        }
    }
}

TEST_F(Comandi, CheckWritesNothingAndAgreesWithCompile) {
    struct Caso {
        const char* nome;
        const std::string* file;  // the source changed, `vecchio` by `nuovo`
        std::string vecchio, nuovo;
        int stato;
        bool utf8 = false;  // the source saved as UTF-8 first
    };
    const Caso casi[] = {
        {"pulito", &linea, "[fine]", "[fine]", 0},
        {"errore_lettore", &treno, "stazione,   29900,", "stazione,   29910,", 1},
        {"registrazioni", &linea, "[fine]", finestre_occupate, 0},
        {"fatale", &linea, "[fine]", "cartello_indicatore,  0,   (A)\r\n[fine]", 3},
        {"campo_malformato", &treno, "segnale,    3400,", "segnale,    34z0,", 1},
        {"senza_forma", &linea, "(T. CROTTO)", "(T. CR\xCE\xA9TTO)", 1, true},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.nome);
        const auto d = sorgenti(c.nome);
        if (c.utf8) scrivi(d / *c.file, a_utf8(leggi(d / *c.file)));
        sostituisci(d / *c.file, c.vecchio, c.nuovo);
        const auto prima = prova::nomi_in(d);

        std::ostringstream out_k, err_k;
        const int stato_k =
            esegui_comandi({"check", (d / linea).string(), (d / treno).string()}, out_k, err_k);
        EXPECT_EQ(prova::nomi_in(d), prima);

        std::ostringstream out_c, err_c;
        const int stato_c =
            esegui_comandi({"compile", (d / linea).string(), (d / treno).string()}, out_c, err_c);
        EXPECT_EQ(stato_c, c.stato) << err_c.str();
        EXPECT_EQ(stato_k, stato_c);
        EXPECT_EQ(err_k.str(), err_c.str());
        EXPECT_EQ(out_k.str(), "");
        if (c.stato == 0) {
            EXPECT_NE(prova::nomi_in(d), prima);
        }
    }
}

TEST_F(Comandi, FatalEndingStillWritesTheReport) {
    // A board at 0 m takes cell 1, which holds the reserved slots.
    const auto d = sorgenti();
    sostituisci(d / linea, "[fine]", "cartello_indicatore,  0,   (A)\r\n[fine]");
    const auto r = compila(d);
    EXPECT_EQ(stato, 3);
    EXPECT_EQ(r.at("fatal"), 1250);
    EXPECT_EQ(r.at("reader").at("code"), 0);
    EXPECT_EQ(r.at("written"), nlohmann::json::array());
    for (const auto& nome : binari) EXPECT_FALSE(fs::exists(d / nome)) << nome;
    EXPECT_NE(messaggi.find("Errore n. 1250"), std::string::npos) << messaggi;
}

// Windows-1252 bytes as UTF-16 with its byte-order mark (every Windows-1252 character is in
// the basic plane).
std::string a_utf16(const std::string& w1252, bool little) {
    const std::string u = a_utf8(w1252);
    std::string b = little ? "\xFF\xFE" : "\xFE\xFF";
    for (size_t i = 0; i < u.size();) {
        const auto c0 = static_cast<unsigned char>(u[i]);
        const size_t n = c0 < 0x80 ? 1 : c0 < 0xE0 ? 2 : 3;
        unsigned c = n == 1 ? c0 : n == 2 ? c0 & 0x1F : c0 & 0x0F;
        for (size_t k = 1; k < n; ++k) c = c << 6 | (static_cast<unsigned char>(u[i + k]) & 0x3F);
        i += n;
        const char alto = static_cast<char>(c >> 8);
        const char basso = static_cast<char>(c & 0xFF);
        b += little ? std::string{basso, alto} : std::string{alto, basso};
    }
    return b;
}

TEST_F(Comandi, Utf8AndUtf16SourcesCompileLikeTheirWindows1252Form) {
    // A board text with a non-ASCII letter lands in the scenario table.
    const auto w = sorgenti("w1252");
    sostituisci(w / linea, "(T. CROTTO)", "(T. CR\xD2TTO)");
    compila(w);
    ASSERT_EQ(stato, 0) << messaggi;
    EXPECT_NE(leggi(w / binari[1]).find("(T. CR\xD2TTO)"), std::string::npos);

    struct Codifica {
        const char* nome;
        std::string (*codifica)(const std::string&);
    };
    const Codifica codifiche[] = {
        {"utf8", [](const std::string& t) { return a_utf8(t); }},
        {"utf16le", [](const std::string& t) { return a_utf16(t, true); }},
        {"utf16be", [](const std::string& t) { return a_utf16(t, false); }},
    };
    for (const auto& c : codifiche) {
        SCOPED_TRACE(c.nome);
        const auto u = sorgenti(c.nome);
        scrivi(u / linea, c.codifica(leggi(w / linea)));
        scrivi(u / treno, c.codifica(leggi(w / treno)));
        ASSERT_NE(leggi(u / linea), leggi(w / linea));
        compila(u);
        ASSERT_EQ(stato, 0) << messaggi;
        EXPECT_EQ(messaggi, "");
        for (const auto& nome : binari) {
            SCOPED_TRACE(nome);
            EXPECT_TRUE(leggi(u / nome) == leggi(w / nome));
        }
    }
}

TEST_F(Comandi, Utf16CharacterWithoutWindows1252FormOrBrokenUtf16IsAnErrorWithItsPlace) {
    struct Caso {
        const char* nome;
        std::string sostituto;  // UTF-16LE code units in place of "(T. CROTTO)"'s "O"
        std::string atteso;
    };
    const Caso casi[] = {
        {"senza_forma", std::string("\xA9\x03", 2),
         "the character U+03A9 has no Windows-1252 form"},
        {"surrogato", std::string("\x3D\xD8", 2),
         "the file begins with a UTF-16 byte-order mark but is not UTF-16 here: the code unit "
         "U+D83D is an unpaired surrogate"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.nome);
        const auto d = sorgenti(c.nome);
        const std::string originale = leggi(d / linea);
        const int riga = riga_di(originale, "cartello_indicatore,  17950,");
        std::string testo = a_utf16(originale, true);
        const std::string prima = a_utf16("(T. CR", true).substr(2);
        const auto i = testo.find(prima);
        ASSERT_NE(i, std::string::npos);
        testo.replace(i + prima.size(), 2, c.sostituto);
        scrivi(d / linea, testo);
        const auto r = compila(d);
        EXPECT_EQ(stato, 1);
        EXPECT_EQ(r, nullptr);
        const std::string colonna = std::to_string(
            std::string("cartello_indicatore,  17950,   (PONTE SUL)(T. CR").size() + 1);
        EXPECT_NE(messaggi.find("compattatore:" + (d / linea).string() + ":" +
                                std::to_string(riga) + ":" + colonna + ": error: " + c.atteso),
                  std::string::npos)
            << messaggi;
        for (const auto& nome : binari) EXPECT_FALSE(fs::exists(d / nome)) << nome;
    }
}

TEST_F(Comandi, Utf8CharacterWithoutWindows1252FormStopsBeforeTheReader) {
    const auto d = sorgenti();
    scrivi(d / linea, a_utf8(leggi(d / linea)));
    sostituisci(d / linea, "(T. CROTTO)", "(T. CR\xCE\xA9TTO)");
    const int riga = riga_di(leggi(d / linea), "cartello_indicatore,  17950,");
    const auto r = compila(d);
    EXPECT_EQ(stato, 1);
    EXPECT_EQ(r, nullptr);
    const std::string prima = "cartello_indicatore,  17950,   (PONTE SUL)(T. CR";
    const std::string atteso = "compattatore:" + (d / linea).string() + ":" + std::to_string(riga) +
                               ":" + std::to_string(prima.size() + 1) + ": error";
    EXPECT_NE(messaggi.find(atteso), std::string::npos) << messaggi;
    EXPECT_NE(messaggi.find("U+03A9"), std::string::npos) << messaggi;
    for (const auto& nome : binari) EXPECT_FALSE(fs::exists(d / nome)) << nome;
}

}  // namespace
}  // namespace compattatore
