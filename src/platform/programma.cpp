#include "platform/programma.h"

#include <unistd.h>

#include <string>
#include <vector>

namespace compattatore {

std::string cartella_eseguibile() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return ".";
        if (static_cast<size_t>(n) < buffer.size()) {
            std::string percorso(buffer.data(), static_cast<size_t>(n));
            const auto barra = percorso.rfind('/');
            if (barra == std::string::npos) return ".";
            if (barra == 0) return "";  // the root: "" + "/" + name
            return percorso.substr(0, barra);
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace compattatore
