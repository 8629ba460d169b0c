// The text writer: lines up to the end marker, each followed by CR LF, replacing the file
// whole, and a failure that names the file and leaves the earlier one as it was.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "core/errori.h"
#include "prova_comune.h"

namespace fs = std::filesystem;
using compattatore::ErrorePiattaforma;
using prova::CartellaTemporanea;
using prova::FormProva;
using prova::leggi;

namespace {

constexpr const char* fine = "riferimento fine del file";

struct Caso {
    const char* nome;
    std::vector<const char*> righe;
    std::string atteso;
};

}  // namespace

TEST(ScrittoreTesto, WritesUpToTheEndMarker) {
    const Caso casi[] = {
        {"blanks and empty lines kept, nothing after the marker",
         {"  a ", "", "b", fine, "dopo", fine},
         "  a \r\n\r\nb\r\n"},
        {"marker first gives an empty file", {fine, "a"}, ""},
        {"a table without the marker stops at its end", {"a", "b"}, "a\r\nb\r\n"},
        {"only the exact marker ends the table",
         {"Riferimento fine del file", " riferimento fine del file", "riferimento fine del file ",
          "riferimento fine del", fine},
         "Riferimento fine del file\r\n riferimento fine del file\r\nriferimento fine del file "
         "\r\nriferimento fine del\r\n"},
        {"bytes outside ASCII pass unchanged", {"\xE8", fine}, "\xE8\r\n"},
        {"an empty table gives an empty file", {}, ""},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        CartellaTemporanea dir;
        FormProva prova(dir.percorso);
        prova.form.scrivi_testo("t.txt", caso.righe.data(), caso.righe.size());
        ASSERT_TRUE(fs::exists(dir.percorso / "t.txt"));
        EXPECT_EQ(leggi(dir.percorso / "t.txt"), caso.atteso);
    }
}

TEST(ScrittoreTesto, ReplacesALongerFileWhollyAndRecordsIt) {
    CartellaTemporanea dir;
    prova::scrivi(dir.percorso / "t.txt", std::string(5000, 'x') + "\r\n");
    FormProva prova(dir.percorso);
    const char* righe[] = {"nuovo", fine};
    prova.form.scrivi_testo("t.txt", righe, std::size(righe));
    EXPECT_EQ(leggi(dir.percorso / "t.txt"), "nuovo\r\n");
    EXPECT_EQ(prova::nomi_in(dir.percorso), std::vector<std::string>{"t.txt"});
    EXPECT_EQ(prova.form.resoconto.scritti, std::vector<std::string>{"t.txt"});
}
