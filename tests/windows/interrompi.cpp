// Interrupts its own work as the console does (Ctrl+Break): on a thread that starts where the
// system starts one for a console's event, while a step that must not stop is under way. One
// output is named within that step, another is left unnamed. Exits 1 when nothing
// interrupts it, 2 when it cannot start the interruption.
// Usage: interrompi.exe FOLDER
#include <string>

#include "platform/file_sostitutivo.h"
#include "platform/segnali.h"
#include "platform/windows/sistema_windows.h"

int main(int argc, char** argv) {
    using namespace compattatore;
    if (argc != 2) return 2;
    prepara_segnali();
    const std::string cartella = argv[1];
    FileSostitutivo nominato(cartella + "\\nominato.dat");
    nominato.scrivi(std::string(100000, 'n'));
    FileSostitutivo lasciato(cartella + "\\lasciato.dat");
    lasciato.scrivi(std::string(100000, 'l'));
    lasciato.completa();
    // Through void (*)(), the cast that says the type is known.
    const auto evento = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine")));
    if (evento == nullptr) return 2;
    {
        const SenzaInterruzioni senza;
        const HANDLE t = CreateThread(
            nullptr, 0, evento, reinterpret_cast<void*>(uintptr_t{CTRL_BREAK_EVENT}), 0, nullptr);
        if (t == nullptr) return 2;
        Sleep(300);
        nominato.chiudi();
    }
    Sleep(10000);
    return 1;
}
