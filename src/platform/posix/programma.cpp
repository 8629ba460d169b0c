#include "platform/programma.h"

#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/percorso.h"

namespace compattatore {

std::string cartella_eseguibile() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return ".";
        if (static_cast<size_t>(n) < buffer.size()) {
            // The root is "": "" + "/" + name.
            return cartella_di(std::string_view(buffer.data(), static_cast<size_t>(n)));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::string> argomenti_programma(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace compattatore
