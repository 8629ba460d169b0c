#include "platform/terminale.h"

namespace compattatore {

// Here the standard streams carry bytes as they are, and a terminal shows them as it is set
// up: there is nothing to change.
void prepara_terminale() {}

}  // namespace compattatore
