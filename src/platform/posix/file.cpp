#include "platform/file.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace compattatore {

StatoFile stato_file(const std::string& percorso) {
    struct stat st {};
    if (::stat(percorso.c_str(), &st) == 0) return StatoFile::presente;
    return errno == ENOENT ? StatoFile::assente : StatoFile::ignoto;
}

bool cancella_file(const std::string& percorso, std::string& motivo) {
    std::error_code ec;
    std::filesystem::remove(percorso, ec);
    if (ec) motivo = ec.message();
    return !ec;
}

bool crea_cartelle(const std::string& percorso, std::string& motivo) {
    std::error_code ec;
    std::filesystem::create_directories(percorso, ec);
    if (ec) motivo = ec.message();
    return !ec;
}

}  // namespace compattatore
