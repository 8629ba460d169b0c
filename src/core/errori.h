// The three ways a run can stop short, as exceptions that unwind to the driver.
#pragma once

#include <stdexcept>
#include <string>

namespace compattatore {

// A run-time failure while the scenario reader works: an access outside the cells or the
// track plan, a number out of its field's range, a conversion that does not fit. The reader
// catches it and leaves code 25 in codice_errore; a store called outside the reader lets it
// through to its caller.
class ErroreLettura : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The fatal ending of `errore` (1250, 1251): the message has been shown, the run ends.
class ErroreFatale : public std::runtime_error {
  public:
    explicit ErroreFatale(int numero)
        : std::runtime_error(" Errore n. " + std::to_string(numero)), numero(numero) {}
    int numero;
};

// A failure of the platform outside the reader: a file that cannot be created, written,
// renamed or read. what() names the file and the system's reason.
class ErrorePiattaforma : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Exit statuses, the same for every command of the program.
enum StatoUscita : int {
    uscita_ok = 0,          // success (warnings allowed)
    uscita_sorgenti = 1,    // the scenario's source files had an error
    uscita_uso = 2,         // usage error
    uscita_fatale = 3,      // the fatal ending of `errore` (1250, 1251)
    uscita_piattaforma = 4  // a file could not be read or written
};

}  // namespace compattatore
