#include "platform/file_sostitutivo.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <thread>

#include "core/errori.h"
#include "prova_comune.h"

namespace fs = std::filesystem;
using compattatore::ErrorePiattaforma;
using compattatore::FileSostitutivo;
using compattatore::Sostituzioni;
using prova::CartellaTemporanea;
using prova::leggi;
using prova::nomi_in;

namespace {

mode_t modo(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st.st_mode;
}

}  // namespace

TEST(Sostituzioni, FinalNamesCheckedBeforeAnyIsGiven) {
    struct Caso {
        const char* descrizione;
        std::function<void(const fs::path&)> metti;  // put at the second name, after creation
        bool riesce;
    };
    const Caso casi[] = {
        {"a directory", [](const fs::path& p) { fs::create_directory(p); }, false},
        {"a FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, false},
        {"a link to a file", [](const fs::path& p) { fs::create_symlink("bersaglio", p); }, true},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.descrizione);
        CartellaTemporanea dir;
        prova::scrivi(dir / "a", "old a");
        prova::scrivi(dir / "bersaglio", "target");
        Sostituzioni s;
        s.nuovo(dir / "a", "A").completa();
        s.nuovo(dir / "b", "B").completa();
        caso.metti(dir.percorso / "b");
        if (caso.riesce) {
            s.conferma();
            EXPECT_EQ(s.nominati().size(), 2u);
            EXPECT_TRUE(S_ISREG(modo(dir.percorso / "b")));
        } else {
            EXPECT_THROW(s.conferma(), ErrorePiattaforma);
            EXPECT_TRUE(s.nominati().empty());
            EXPECT_EQ(leggi(dir / "a"), "old a");
        }
        EXPECT_EQ(leggi(dir / "bersaglio"), "target");
        s.abbandona();
        EXPECT_EQ(nomi_in(dir.percorso).size(), 3u);
    }
}

TEST(FileSostitutivo, DirectoryOrBlockDeviceAtTheNameRefusedBeforeWriting) {
    CartellaTemporanea dir;
    fs::create_directory(dir.percorso / "d");
    try {
        FileSostitutivo f(dir / "d");
        ADD_FAILURE() << "a directory was taken for a file";
    } catch (const ErrorePiattaforma& e) {
        EXPECT_NE(std::string(e.what()).find("Is a directory"), std::string::npos) << e.what();
    }
    EXPECT_THROW(FileSostitutivo(dir.percorso.string() + "/"), ErrorePiattaforma);
    if (::geteuid() == 0) {
        const auto b = dir.percorso / "blocco";
        ASSERT_EQ(::mknod(b.c_str(), S_IFBLK | 0600, makedev(7, 0)), 0);
        EXPECT_THROW(FileSostitutivo(b.string()), ErrorePiattaforma);
        EXPECT_TRUE(S_ISBLK(modo(b)));
    }
    EXPECT_EQ(nomi_in(dir.percorso).size(), ::geteuid() == 0 ? 2u : 1u);
}

TEST(FileSostitutivo, ReplacedFileKeepsItsPermissions) {
    CartellaTemporanea dir;
    const mode_t maschera = ::umask(0);
    ::umask(maschera);
    for (const mode_t permessi : {0600, 0640, 0755}) {
        SCOPED_TRACE(permessi);
        const auto p = dir.percorso / "a";
        prova::scrivi(p, "old");
        fs::permissions(p, static_cast<fs::perms>(permessi));
        FileSostitutivo f(p.string());
        f.scrivi("new");
        f.chiudi();
        EXPECT_EQ(modo(p) & 07777, permessi);
    }
    FileSostitutivo f(dir / "nuovo");
    f.chiudi();
    EXPECT_EQ(modo(dir.percorso / "nuovo") & 07777, 0666 & ~maschera);
}

TEST(FileSostitutivo, SpecialFilesAreWrittenIntoNotReplaced) {
    CartellaTemporanea dir;
    const std::string testo(300000, 'r');

    const auto fifo = dir.percorso / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("fifo", dir.percorso / "al_fifo");
    for (const char* nome : {"fifo", "al_fifo"}) {
        SCOPED_TRACE(nome);
        auto letto = std::async(std::launch::async, [&] { return leggi(fifo); });
        FileSostitutivo f(dir / nome);
        f.scrivi(testo);
        f.chiudi();
        EXPECT_TRUE(letto.get() == testo);
        EXPECT_TRUE(S_ISFIFO(modo(fifo)));
    }

    const auto presa = dir.percorso / "presa";
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, presa.c_str(), sizeof a.sun_path - 1);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(s, 1), 0);
    auto ricevuto = std::async(std::launch::async, [s] {
        const int c = ::accept(s, nullptr, nullptr);
        std::string r;
        char b[4096];
        for (ssize_t n; (n = ::read(c, b, sizeof b)) > 0;) r.append(b, static_cast<size_t>(n));
        ::close(c);
        return r;
    });
    {
        FileSostitutivo f(presa.string());
        f.scrivi("through the socket");
        f.chiudi();
    }
    EXPECT_EQ(ricevuto.get(), "through the socket");
    ::close(s);
    EXPECT_TRUE(S_ISSOCK(modo(presa)));

    if (::geteuid() == 0) {
        const auto nulla = dir.percorso / "null";
        ASSERT_EQ(::mknod(nulla.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        FileSostitutivo f(nulla.string());
        f.scrivi(testo);
        f.chiudi();
        EXPECT_TRUE(S_ISCHR(modo(nulla)));
    }
    EXPECT_EQ(nomi_in(dir.percorso).size(), ::geteuid() == 0 ? 4u : 3u);
}
