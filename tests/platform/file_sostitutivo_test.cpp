#include "platform/file_sostitutivo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/errori.h"
#include "prova_comune.h"

namespace fs = std::filesystem;
using compattatore::FileSostitutivo;
using compattatore::Sostituzioni;
using prova::CartellaTemporanea;
using prova::leggi;
using prova::nomi_in;

TEST(FileSostitutivo, ReplacesALongerFileWholly) {
    CartellaTemporanea dir;
    const auto p = dir.percorso / "a.txt";
    { std::ofstream(p) << std::string(10000, 'x'); }
    FileSostitutivo f(p.string());
    f.scrivi("abc");
    f.chiudi();
    EXPECT_EQ(leggi(p), "abc");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.percorso), fs::directory_iterator()), 1);
}

TEST(FileSostitutivo, AbandonedWriteLeavesTheOldFileAndNoTemporary) {
    CartellaTemporanea dir;
    const auto p = dir.percorso / "a.dat";
    { std::ofstream(p) << "old"; }
    {
        FileSostitutivo f(p.string());
        f.scrivi(std::string(200000, 'y'));
    }
    EXPECT_EQ(leggi(p), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.percorso), fs::directory_iterator()), 1);
}

// Sequential bytes, bytes at an offset (past the end leaves zeros) and a second file joined
// at the sequential position make one file.
TEST(FileSostitutivo, SequentialPositionedAndJoinedWrites) {
    CartellaTemporanea dir;
    {
        FileSostitutivo coda(dir / "coda");
        coda.scrivi(std::string(100000, 'c'));
        coda.completa();
        FileSostitutivo f(dir / "a.dat");
        f.scrivi("abc");
        f.scrivi_in(5, "XY", 2);
        EXPECT_EQ(f.posizione(), 3u);
        f.scrivi("d");
        f.scrivi_in(7, "Z", 1);
        f.scrivi_in(8, "", 0);
        f.scrivi("efghijk");  // over the positioned bytes, from 4
        EXPECT_EQ(f.posizione(), 11u);
        f.accoda(coda);
        f.scrivi_byte('!');
        EXPECT_EQ(f.leggi_tutto(), "abcdefghijk" + std::string(100000, 'c') + "!");
        f.chiudi();
    }  // the joined file, never named, is abandoned
    EXPECT_EQ(leggi(dir / "a.dat").size(), 100012u);
    EXPECT_EQ(nomi_in(dir.percorso), std::vector<std::string>{"a.dat"});
}

// The files of a set keep their old content until the set is named; abandoned, nothing
// changes and nothing is left.
TEST(Sostituzioni, AbandonedSetChangesNothing) {
    CartellaTemporanea dir;
    prova::scrivi(dir / "a", "old a");
    {
        Sostituzioni s;
        for (const char* n : {"a", "b"}) {
            auto& f = s.nuovo(dir / n, n);
            f.scrivi(std::string(100000, 'n'));
            f.completa();
        }
        EXPECT_EQ(leggi(dir / "a"), "old a");
        EXPECT_FALSE(fs::exists(dir / "b"));
    }
    EXPECT_EQ(leggi(dir / "a"), "old a");
    EXPECT_EQ(nomi_in(dir.percorso), std::vector<std::string>{"a"});
}

TEST(Sostituzioni, ConfirmedSetReplacesEveryFileInOrder) {
    CartellaTemporanea dir;
    prova::scrivi(dir / "a", "old a");
    Sostituzioni s;
    auto& a = s.nuovo(dir / "a", "A");
    auto& b = s.nuovo(dir / "b", "B");
    a.scrivi("new a");
    b.scrivi("new b");
    a.completa();
    b.completa();
    s.nuovo(dir / "c", "C").scrivi("not complete");
    s.conferma();
    EXPECT_EQ(s.nominati(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(leggi(dir / "a"), "new a");
    EXPECT_EQ(leggi(dir / "b"), "new b");
    EXPECT_EQ(nomi_in(dir.percorso), (std::vector<std::string>{"a", "b"}));
}

// What stands at a final name when the set is confirmed: a directory or a node that is no
// longer a file stops the set before any name is given; a link is replaced, its target
// never written.
// A replaced file keeps its permissions; a new one gets those of any new file.
// Every name the system takes works: the temporary's name is short and of fixed length.
TEST(FileSostitutivo, LongestFinalName) {
    CartellaTemporanea dir;
    const std::string nome(255, 'n');
    prova::scrivi(dir / nome, "old");
    FileSostitutivo f(dir / nome);
    f.scrivi("new");
    f.chiudi();
    EXPECT_EQ(leggi(dir / nome), "new");
    EXPECT_EQ(nomi_in(dir.percorso), std::vector<std::string>{nome});
}

// A name that is not a file of its own is written into, never replaced: a FIFO (directly or
// through a link), a socket, a copy of the null device.
