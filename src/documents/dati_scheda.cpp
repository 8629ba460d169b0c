#include "driver/form1.h"

namespace compattatore {

void Form1::dati_scheda() {}

}  // namespace compattatore
