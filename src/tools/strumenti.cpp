// What the inspection tools share: how a file that cannot be read or decoded is reported.
#include "tools/strumenti.h"

#include <new>
#include <ostream>
#include <string>

#include "core/errori.h"
#include "tools/decodifica.h"

namespace compattatore {

int segnala_guasto(const std::string& file, const char* cosa, std::ostream& err) {
    try {
        throw;
    } catch (const ErroreDecodifica& e) {
        err << "compattatore: " << file << " does not decode as " << cosa << ": " << e.what()
            << "\n";
    } catch (const ErrorePiattaforma& e) {
        err << "compattatore: " << e.what() << "\n";
    } catch (const ErroreLettura&) {
        err << "compattatore: " << file << ": too large to decode\n";
    } catch (const std::bad_alloc&) {
        err << "compattatore: " << file << ": out of memory\n";
    }
    return uscita_piattaforma;
}

}  // namespace compattatore
