// Outputs on Windows whose names are no files on a disk: the null device and a pipe are
// written to, never replaced, and nothing is left beside them.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/file_sostitutivo.h"
#include "platform/windows/sistema_windows.h"
#include "prova_comune.h"

namespace compattatore {
namespace {

TEST(DispositiviWindows, NullDeviceAndPipeAreWrittenToAndNothingIsLeft) {
    prova::CartellaTemporanea dir;
    {
        // "NUL" is the device in every folder.
        FileSostitutivo nullo(dir / "NUL");
        nullo.scrivi(std::string(100000, 'n'));
        nullo.chiudi();
    }

    const std::wstring nome =
        L"\\\\.\\pipe\\compattatore-prova-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE server = CreateNamedPipeW(nome.c_str(), PIPE_ACCESS_INBOUND,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 1 << 16, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    std::string letto;
    std::thread lettore([&] {
        ConnectNamedPipe(server, nullptr);  // or already connected
        char pezzo[4096];
        DWORD n = 0;
        while (ReadFile(server, pezzo, sizeof pezzo, &n, nullptr) && n > 0) letto.append(pezzo, n);
    });
    {
        FileSostitutivo tubo(da_utf16(nome));
        tubo.scrivi(std::string(200000, 'p'));
        EXPECT_EQ(letto, "");  // nothing before the name is given
        tubo.chiudi();
    }
    lettore.join();
    CloseHandle(server);
    EXPECT_EQ(letto, std::string(200000, 'p'));
    EXPECT_TRUE(prova::nomi_in(dir.percorso).empty());
}

}  // namespace
}  // namespace compattatore
