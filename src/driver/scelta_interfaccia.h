// Which front end a no-argument run talks to. The executable registers the desktop window
// (the core library does not know the window toolkit); without one, or when it cannot open,
// the run talks to the terminal.
#pragma once

#include <memory>

#include "driver/interfaccia.h"

namespace compattatore {

// Makes the desktop window; null when no display opens.
using FabbricaInterfaccia = std::unique_ptr<Interfaccia> (*)();

void registra_finestra(FabbricaInterfaccia fabbrica);

// The registered window when it opens, otherwise the terminal. Never null.
std::unique_ptr<Interfaccia> scegli_interfaccia();

}  // namespace compattatore
