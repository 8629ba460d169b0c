#include "driver/form1.h"

namespace compattatore {

void Form1::memorizza_dati() {}

}  // namespace compattatore
