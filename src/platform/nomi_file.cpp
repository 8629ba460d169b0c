#include "platform/nomi_file.h"

#include "core/utf8.h"

namespace compattatore {

std::string nome_per_il_sistema(std::string_view nome) {
    return a_utf8(nome);
}

}  // namespace compattatore
