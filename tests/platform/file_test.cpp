#include "platform/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/errori.h"
#include "platform/file_letto.h"
#include "platform/percorso.h"
#include "prova_comune.h"

namespace compattatore {
namespace {

namespace fs = std::filesystem;
using prova::CartellaTemporanea;
using prova::Motivo;
using prova::motivo_atteso;

TEST(LeggiFile, ReadsEveryByteAcrossManyPieces) {
    CartellaTemporanea dir;
    std::string byte(300001, '\0');
    for (size_t i = 0; i < byte.size(); ++i) byte[i] = static_cast<char>(i * 7 + i / 251);
    prova::scrivi(dir.percorso / "a", byte);
    EXPECT_EQ(leggi_file((dir.percorso / "a").string()), byte);
    prova::scrivi(dir.percorso / "vuoto", "");
    EXPECT_EQ(leggi_file((dir.percorso / "vuoto").string(), Accetta::ogni_file), "");
}

TEST(LeggiFile, FailureNamesTheFileAndTheSystemsReason) {
    CartellaTemporanea dir;
    const std::string manca = (dir.percorso / "manca").string();
    const std::string cartella = dir.percorso.string();
    struct Caso {
        std::string percorso;
        Accetta accetta;
        std::string messaggio;
    } casi[] = {
        {manca, Accetta::solo_regolare,
         "cannot read " + manca + ": " + motivo_atteso(Motivo::manca)},
        {manca, Accetta::ogni_file, "cannot read " + manca + ": " + motivo_atteso(Motivo::manca)},
        // A folder is refused at the opening, or fails at the first read.
        {cartella, Accetta::solo_regolare,
         "cannot read " + cartella + ": " + motivo_atteso(Motivo::cartella)},
        {cartella, Accetta::ogni_file,
         "cannot read " + cartella + ": " + motivo_atteso(Motivo::cartella)},
        {prova::dispositivo_nullo, Accetta::solo_regolare,
         "cannot read " + prova::dispositivo_nullo + ": " + motivo_atteso(Motivo::non_regolare)},
    };
    for (const auto& c : casi) {
        try {
            leggi_file(c.percorso, c.accetta);
            ADD_FAILURE() << c.percorso << " was read";
        } catch (const ErrorePiattaforma& e) {
            EXPECT_EQ(e.what(), c.messaggio);
        }
    }
    EXPECT_EQ(leggi_file(prova::dispositivo_nullo, Accetta::ogni_file), "");
}

TEST(FileInLettura, TellsTheSizeAndReadsInPieces) {
    CartellaTemporanea dir;
    prova::scrivi(dir.percorso / "a", "abcdefg");
    FileInLettura f;
    std::string motivo;
    ASSERT_TRUE(f.apri((dir.percorso / "a").string(), motivo)) << motivo;
    EXPECT_TRUE(f.regolare());
    EXPECT_EQ(f.dimensione(), 7u);
    char b[4];
    EXPECT_EQ(f.leggi(b, sizeof b, motivo), 4);
    EXPECT_EQ(std::string(b, 4), "abcd");
    EXPECT_EQ(f.leggi(b, sizeof b, motivo), 3);
    EXPECT_EQ(f.leggi(b, sizeof b, motivo), 0);
    f.chiudi();
    EXPECT_FALSE(f.aperto());
    EXPECT_FALSE(f.apri((dir.percorso / "manca").string(), motivo));
    EXPECT_EQ(motivo, motivo_atteso(Motivo::manca));
    EXPECT_FALSE(f.aperto());
}

TEST(StatoFile, PresentAbsentOrUnknown) {
    CartellaTemporanea dir;
    prova::scrivi(dir.percorso / "a", "x");
    EXPECT_EQ(stato_file((dir.percorso / "a").string()), StatoFile::presente);
    EXPECT_EQ(stato_file(dir.percorso.string()), StatoFile::presente);
    EXPECT_EQ(stato_file((dir.percorso / "manca").string()), StatoFile::assente);
    // A file on the way where a folder should be: the system cannot say.
    EXPECT_EQ(stato_file((dir.percorso / "a" / "b").string()), StatoFile::ignoto);
}

TEST(CancellaFile, NothingThereIsNoFailure) {
    CartellaTemporanea dir;
    const auto a = dir.percorso / "a";
    prova::scrivi(a, "x");
    std::string motivo;
    EXPECT_TRUE(cancella_file(a.string(), motivo));
    EXPECT_FALSE(fs::exists(a));
    EXPECT_TRUE(cancella_file(a.string(), motivo));
    fs::create_directories(dir.percorso / "piena" / "dentro");
    EXPECT_FALSE(cancella_file((dir.percorso / "piena").string(), motivo));
    EXPECT_EQ(motivo, motivo_atteso(Motivo::cartella_piena));
}

TEST(CreaCartelle, CreatesEveryMissingFolderAndSaysWhyNot) {
    CartellaTemporanea dir;
    std::string motivo;
    EXPECT_TRUE(crea_cartelle((dir.percorso / "a" / "b").string(), motivo));
    EXPECT_TRUE(fs::is_directory(dir.percorso / "a" / "b"));
    EXPECT_TRUE(crea_cartelle((dir.percorso / "a").string(), motivo));
    prova::scrivi(dir.percorso / "f", "x");
    EXPECT_FALSE(crea_cartelle((dir.percorso / "f" / "g").string(), motivo));
    EXPECT_EQ(motivo, motivo_atteso(Motivo::non_cartella));
}

TEST(Percorso, SplitsAtTheLastSeparator) {
    struct Caso {
        std::string percorso, cartella, nome;
    } casi[] = {
        {"a/b/x.sim", "a/b", "x.sim"},
        {"x.sim", ".", "x.sim"},
        {"/x.sim", "", "x.sim"},
        {"a/", "a", ""},
        {"", ".", ""},
    };
    for (const auto& c : casi) {
        EXPECT_EQ(cartella_di(c.percorso), c.cartella) << c.percorso;
        EXPECT_EQ(nome_file(c.percorso), c.nome) << c.percorso;
    }
}

}  // namespace
}  // namespace compattatore
