// One entry of the scenario table (record_treno): a station, a board text or a group of
// general values, depending on its index.
#pragma once

#include <cstdint>
#include <string>

namespace compattatore {

struct voce_treno {
    uint8_t tipo = 0;
    int32_t inizio = 0;
    int32_t fine = 0;
    int32_t posizione = 0;
    uint8_t opzione_1 = 0;
    std::string testo;  // Windows-1252 bytes; at most 65535 of them
    int16_t a1 = 0;
    int16_t a2 = 0;
    int16_t b1 = 0;
    int16_t b2 = 0;
    int16_t b3 = 0;
    uint8_t a3 = 0;
    uint8_t sosta = 0;
    uint8_t opzione_3 = 0;
    uint8_t opzione_2 = 0;
    int32_t orario = 0;

    bool operator==(const voce_treno&) const = default;
};

inline constexpr int voci_record_treno = 87;  // entries 0 to 86

}  // namespace compattatore
