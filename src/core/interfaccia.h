// What the run shows a person: the waiting window and the fatal error box. On a terminal
// these are lines on standard output and standard error; on a desktop, a small window.
#pragma once

#include <string>

namespace compattatore {

class Interfaccia {
  public:
    virtual ~Interfaccia() = default;
    // Shown before any file is written, painted once.
    virtual void mostra_attesa() = 0;
    // Removed at the end of the run.
    virtual void chiudi_attesa() = 0;
    // The fatal message (" Errore n. 1250"), modal: returns once the person has seen it.
    virtual void mostra_errore(const std::string& testo) = 0;
};

// "Attendere" on standard output, the fatal text on standard error.
class InterfacciaTerminale : public Interfaccia {
  public:
    void mostra_attesa() override;
    void chiudi_attesa() override;
    void mostra_errore(const std::string& testo) override;
};

// Nothing shown: for the authors' commands and for tests.
class InterfacciaMuta : public Interfaccia {
  public:
    void mostra_attesa() override {}
    void chiudi_attesa() override {}
    void mostra_errore(const std::string&) override {}
};

}  // namespace compattatore
