// Holds a file open the way the simulator holds its .dat or an editor its source: nobody
// else may read, write or delete it meanwhile. Prints "bloccato" once it holds the file.
// Usage: blocca_file.exe FILE MILLISECONDS
#include <cstdio>
#include <cwchar>

#include "platform/windows/sistema_windows.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const HANDLE h = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "blocca_file: %s\n",
                     compattatore::messaggio_sistema(GetLastError()).c_str());
        return 1;
    }
    std::puts("bloccato");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    CloseHandle(h);
    return 0;
}
