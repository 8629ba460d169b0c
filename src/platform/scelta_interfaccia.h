// Which front end a no-argument run talks to. On POSIX systems the desktop window is a
// separately loaded module (the window toolkit and the X client libraries live only there),
// so a run without a display never loads them. The executable registers the loader; without
// it, without a display, or when the module is missing, broken or cannot open the display,
// the run talks to the terminal.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/interfaccia.h"

namespace compattatore {

// The window module's file name and its one entry point, an extern "C" function with no
// arguments that returns a new window front end, or null when no display opens (it never
// throws). The caller owns the result; the module stays loaded for the rest of the process.
inline constexpr const char* nome_modulo_finestra = "compattatore-finestra.so";
inline constexpr const char* entrata_modulo_finestra = "compattatore_crea_finestra";
using EntrataModuloFinestra = Interfaccia* (*)() noexcept;

// Makes the desktop window; null when there is none.
using FabbricaInterfaccia = std::unique_ptr<Interfaccia> (*)();

void registra_finestra(FabbricaInterfaccia fabbrica);

// The registered window when it opens, otherwise the terminal. Never null.
std::unique_ptr<Interfaccia> scegli_interfaccia();

// The window made by the module at `percorso`; null when the file cannot be loaded, has no
// entry point, or the display does not open.
std::unique_ptr<Interfaccia> finestra_dal_modulo(const std::string& percorso);

// Where the executable looks for the module, in order: beside itself, then where the
// installed layout puts it relative to the executable's own directory, whatever the prefix.
std::vector<std::string> cartelle_modulo_finestra();

// The loader the executable registers. Only when a display is named (DISPLAY set and not
// empty) does it look for the module: the first one that loads decides. On Windows, which
// always has a desktop, the window is the system's own and built into the program: there
// the window layer (gui/windows) defines this function, and the module functions above are
// not there.
std::unique_ptr<Interfaccia> carica_finestra();

}  // namespace compattatore
