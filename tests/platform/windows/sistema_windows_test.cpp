// Text at the Windows API boundary and the Windows form of paths.
#include "platform/windows/sistema_windows.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/percorso.h"

namespace compattatore {
namespace {

TEST(InUtf16, ReadsUtf8WhereValidAndWindows1252Elsewhere) {
    struct Caso {
        std::string testo;
        std::wstring atteso;
        bool utf8;  // all of it UTF-8: da_utf16 gives it back
    } casi[] = {
        {"abc", L"abc", true},
        {"citt\xC3\xA0", L"citt\u00E0", true},
        {"\xF0\x9F\x9A\x82", L"\U0001F682", true},  // beyond the 16-bit plane
        {"citt\xE0", L"citt\u00E0", false},
        {"\x80 \x9F \x81", L"\u20AC \u0178 \u0081", false},  // one left undefined
        // A UTF-8 folder, a Windows-1252 name.
        {"C:\\cartella \xC3\xA8\\citt\xE0_325.sim", L"C:\\cartella \u00E8\\citt\u00E0_325.sim",
         false},
        {"\xC3", L"\u00C3", false},                      // a sequence cut short
        {"\xE0\x80\x80", L"\u00E0\u20AC\u20AC", false},  // an overlong form
        {"\xED\xA0\x80", L"\u00ED\u00A0\u20AC", false},  // a surrogate
    };
    for (const auto& c : casi) {
        EXPECT_EQ(in_utf16(c.testo), c.atteso) << c.testo;
        if (c.utf8) {
            EXPECT_EQ(da_utf16(c.atteso), c.testo);
        }
    }
}

TEST(MessaggioSistema, TheSystemsWordsWithoutTheFullStopAndALineEndForAFileInUse) {
    const std::string manca = messaggio_sistema(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(manca.empty());
    EXPECT_NE(manca.back(), '.');
    EXPECT_EQ(manca.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(motivo(ERROR_FILE_NOT_FOUND), manca);
    EXPECT_EQ(motivo(ERROR_SHARING_VIOLATION), "the file is in use by another program");
    EXPECT_EQ(motivo(ERROR_LOCK_VIOLATION), "the file is in use by another program");
}

TEST(RiprovaSeInUso, WaitsForAFileInUseOnlyAndGivesUp) {
    int chiamate = 0;
    EXPECT_TRUE(riprova_se_in_uso([&] {
        SetLastError(ERROR_SHARING_VIOLATION);
        return ++chiamate == 3;
    }));
    EXPECT_EQ(chiamate, 3);
    chiamate = 0;
    EXPECT_FALSE(riprova_se_in_uso([&] {
        ++chiamate;
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }));
    EXPECT_EQ(chiamate, 1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    chiamate = 0;
    EXPECT_FALSE(riprova_se_in_uso([&] {
        ++chiamate;
        SetLastError(ERROR_LOCK_VIOLATION);
        return false;
    }));
    EXPECT_GT(chiamate, 10);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LOCK_VIOLATION));
}

TEST(Percorso, TakesBothSeparatorsOnWindows) {
    struct Caso {
        std::string percorso, cartella, nome;
    } casi[] = {
        {"C:\\a\\b\\x.sim", "C:\\a\\b", "x.sim"},
        {"a\\b/x.sim", "a\\b", "x.sim"},
        {"a/b\\x.sim", "a/b", "x.sim"},
    };
    for (const auto& c : casi) {
        EXPECT_EQ(cartella_di(c.percorso), c.cartella) << c.percorso;
        EXPECT_EQ(nome_file(c.percorso), c.nome) << c.percorso;
    }
}

}  // namespace
}  // namespace compattatore
