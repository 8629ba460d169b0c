// One 50 m cell of the track (celle_percorso).
#pragma once

#include <cstdint>

namespace compattatore {

struct cella {
    uint8_t codice = 0;  // type code; 0 plain track, 11 mountain mark (both count as free)
    int16_t valore_1 = 0;
    int16_t valore_2 = 0;
    int16_t valore_3 = 0;
    int16_t valore_4 = 0;
    uint8_t tempo_segnale = 0;
    uint8_t avvicinamento = 0;
    uint8_t montagna = 0;
    uint8_t velocita = 0;  // speed in force / 5
    uint8_t pendenza = 0;  // gradient in force + 100
    uint8_t aderenza = 0;

    bool libera() const { return codice == 0 || codice == 11; }
    bool operator==(const cella&) const = default;
};

inline constexpr int byte_per_cella = 15;

}  // namespace compattatore
