#include "platform/terminale.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>

#include "platform/windows/sistema_windows.h"

namespace compattatore {

namespace {

// A console shows characters, not bytes: what the program writes to one goes through
// WriteConsoleW as UTF-16, whatever the console's code page. A line is written whole, and a
// UTF-8 character is never cut between two writes.
class UscitaConsole : public std::streambuf {
  public:
    explicit UscitaConsole(HANDLE console) : console_(console) {}

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        attesa_ += traits_type::to_char_type(c);
        if (c == '\n' || attesa_.size() >= 4096) return scrivi(false) ? c : traits_type::eof();
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        attesa_.append(s, static_cast<size_t>(n));
        if (attesa_.find('\n') != std::string::npos || attesa_.size() >= 4096) {
            if (!scrivi(false)) return 0;
        }
        return n;
    }
    int sync() override { return scrivi(true) ? 0 : -1; }

  private:
    // Writes what is waiting; unless `tutto`, keeps a UTF-8 character cut at the end.
    bool scrivi(bool tutto) {
        size_t quanti = attesa_.size();
        if (!tutto) {
            // At most three bytes of a character that the next piece completes.
            for (size_t i = 1; i <= 3 && i <= quanti; ++i) {
                const auto b = static_cast<unsigned char>(attesa_[quanti - i]);
                if ((b & 0xC0) == 0x80) continue;
                const size_t lunghezza = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
                if (lunghezza > i) quanti -= i;
                break;
            }
        }
        const std::wstring w = in_utf16(std::string_view(attesa_).substr(0, quanti));
        attesa_.erase(0, quanti);
        for (size_t fatto = 0; fatto < w.size();) {
            DWORD scritti = 0;
            const DWORD parte =
                static_cast<DWORD>(w.size() - fatto < 8192 ? w.size() - fatto : 8192);
            if (!WriteConsoleW(console_, w.data() + fatto, parte, &scritti, nullptr) ||
                scritti == 0) {
                return false;
            }
            fatto += scritti;
        }
        return true;
    }

    HANDLE console_;
    std::string attesa_;
};

bool manca(DWORD quale) {
    const HANDLE h = GetStdHandle(quale);
    return h == nullptr || h == INVALID_HANDLE_VALUE;
}

bool console(HANDLE h) {
    DWORD modo = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &modo) != 0;
}

}  // namespace

void prepara_terminale() {
    // The program is a desktop one, so Windows gives it no console: started from Explorer it
    // opens none. Started from a console (cmd.exe, PowerShell), it writes to that console
    // where the standard streams were not sent elsewhere.
    const bool manca_uscita = manca(STD_OUTPUT_HANDLE);
    const bool manca_errori = manca(STD_ERROR_HANDLE);
    if ((manca_uscita || manca_errori) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (manca_uscita && std::freopen("CONOUT$", "w", stdout) != nullptr) {
            SetStdHandle(STD_OUTPUT_HANDLE,
                         reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout))));
        }
        if (manca_errori && std::freopen("CONOUT$", "w", stderr) != nullptr) {
            SetStdHandle(STD_ERROR_HANDLE,
                         reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stderr))));
        }
    }
    // Bytes as they are: the C run-time would otherwise put a carriage return before each line
    // feed written and take one away from each read, and files and pipes would differ from
    // those of other systems.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    static UscitaConsole* uscita = nullptr;
    static UscitaConsole* errori = nullptr;
    if (const HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE); console(h) && uscita == nullptr) {
        uscita = new UscitaConsole(h);  // lives as long as the program
        std::cout.rdbuf(uscita);
    }
    if (const HANDLE h = GetStdHandle(STD_ERROR_HANDLE); console(h) && errori == nullptr) {
        errori = new UscitaConsole(h);
        std::cerr.rdbuf(errori);
    }
}

}  // namespace compattatore
