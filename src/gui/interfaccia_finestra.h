// The desktop front end: the waiting window with its "Attendere" label and the modal box of
// the fatal error, drawn with FLTK. It is built as a module of its own
// (compattatore-finestra.so) that the executable loads only when a display is named; the
// executable, the core library and everything built on it stay free of the window toolkit
// and of the X client libraries.
#pragma once

#include <memory>

#include "core/interfaccia.h"

namespace compattatore {

// The window front end when an X display opens; null otherwise, and the caller then talks to
// the terminal. Opening is checked first, so a display that cannot be reached never ends the
// program.
std::unique_ptr<Interfaccia> crea_interfaccia_finestra();

// Test-only: COMPATTATORE_TEST_ATTESA_MS holds the waiting window, already painted, for that
// many milliseconds (at most a minute) before the work starts, so that a test can take a
// screenshot of it. Nothing else reads it.
inline constexpr const char* variabile_prova_attesa = "COMPATTATORE_TEST_ATTESA_MS";

}  // namespace compattatore

// The module's entry point (see scelta_interfaccia.h): crea_interfaccia_finestra for a caller
// across dlopen. Owned by the caller; null when no display opens or anything fails.
extern "C" __attribute__((visibility("default"))) compattatore::Interfaccia*
compattatore_crea_finestra() noexcept;
