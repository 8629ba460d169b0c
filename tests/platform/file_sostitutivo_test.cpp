#include "platform/file_sostitutivo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "prova_comune.h"

namespace fs = std::filesystem;
using compattatore::FileSostitutivo;
using prova::CartellaTemporanea;
using prova::leggi;

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
