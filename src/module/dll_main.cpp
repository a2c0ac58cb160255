// The library's entry point: only keeps the instance handle and resets the
// module-wide named-variable records.
#include <windows.h>

#include "module/module_state.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        ModuleAttach(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        ModuleDetach();
    }
    return TRUE;
}
