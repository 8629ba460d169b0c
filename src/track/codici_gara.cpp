#include "driver/form1.h"

namespace compattatore {

int16_t Form1::codice_gara_og() {
    return 0;
}
int32_t Form1::codice_gara_st() {
    return 0;
}

}  // namespace compattatore
