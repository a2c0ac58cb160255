// A program of ours that crashes ends with the exception's code, after one
// line saying where, whatever the system's crash debugger would do: under
// Wine that debugger may leave an exit status of 0, or wait for a click.
#include <stdio.h>

#include "host/host.h"

namespace host {

namespace {

LONG WINAPI EndWithTheCode(EXCEPTION_POINTERS* info) {
    DWORD code = info->ExceptionRecord->ExceptionCode;
    fprintf(stderr, "unhandled exception 0x%08lx at %p\n", static_cast<unsigned long>(code),
            info->ExceptionRecord->ExceptionAddress);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void EndOnCrash() { SetUnhandledExceptionFilter(EndWithTheCode); }

}  // namespace host
