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

// The fixed entries of the scenario table. Stations fill the entries from 1 upward and board
// texts those from 80 downward; the last six hold the line's and the train's general values.
inline constexpr int voce_prima_stazione = 1;
inline constexpr int voce_primo_cartello = 80;
// The kilometric progressives, as the reader fills them: tre, due, uno (the track builder
// puts them in order afterwards).
inline constexpr int voce_progressiva_tre = 81;
inline constexpr int voce_progressiva_due = 82;
inline constexpr int voce_progressiva_uno = 83;
// inizio: percentuale massa frenata; fine: lunghezza percorso; posizione: numero vetture.
inline constexpr int voce_generale = 84;
// inizio, posizione, fine: sfondo uno, due, tre; testo: the scenario's name; a1 and orario:
// the reserved slots.
inline constexpr int voce_scenario = 85;
// inizio, fine, posizione: the signal repetition's start, end and number of codes; testo:
// the train number; a1: sabbia; b1, b2, b3: orologio.
inline constexpr int voce_del_treno = 86;

}  // namespace compattatore
