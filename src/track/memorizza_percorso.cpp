#include "driver/form1.h"

namespace compattatore {

void Form1::memorizza_percorso(int32_t&) {}

}  // namespace compattatore
