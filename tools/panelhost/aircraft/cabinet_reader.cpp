// cabinet_reader.exe PATH NAME LIMIT: reads the entry NAME of the cabinet
// file PATH with Windows' cabinet API and writes what it found to its
// standard output (EncodeCabinetEntry). panelhost's check runs it so that
// a cabinet that makes the decoders crash or hang takes only this process.
#include <windows.h>
#include <stdlib.h>

#include "tools/panelhost/aircraft/cabinet.h"

namespace {

// A crash ends the process at once, with the exception's code as its exit
// code, instead of starting a debugger.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

}  // namespace

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    if (argc != 4) return 2;
    CabinetEntry entry;
    ReadCabinetEntryInProcess(argv[1], argv[2], strtoul(argv[3], nullptr, 10), &entry);
    std::string bytes = EncodeCabinetEntry(entry);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    for (size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        if (!WriteFile(output, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr)) return 3;
        at += written;
    }
    return 0;
}
