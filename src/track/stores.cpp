#include "driver/form1.h"

namespace compattatore {

void Form1::memo_montagna(int32_t&, int32_t&, int32_t&) {}
void Form1::memo_rallentamento(int32_t, int16_t&, int32_t&, int16_t&, int32_t, int32_t&) {}
void Form1::memo_segnale(int32_t, int32_t&, int32_t&, int32_t&, int32_t&, int32_t&, int32_t&,
                         int32_t&, int32_t&, int32_t&, int32_t&) {}
void Form1::memo_indicatori_v_max(int32_t, int32_t&, int32_t&, int32_t&, int16_t&, int32_t&,
                                  int32_t&, int32_t&, int16_t&) {}
void Form1::progressive_ordina() {}

}  // namespace compattatore
