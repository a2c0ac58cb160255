#include "simstate/version9_data.h"

#include <string.h>
#include <windows.h>

#include "engine/silencing.h"
#include "module/named_var.h"

// Offsets of the two values from GLOBAL.DLL's "Linkage" export.
const size_t kTimeOfDayOffset = 4446;
const size_t kSoundStatusOffset = 2848;

// Cached once found; the module is only looked for among those loaded.
static HMODULE globalDll = nullptr;

void ReadVersion9HostData() {
    if (globalDll == nullptr) globalDll = GetModuleHandleA("GLOBAL.DLL");
    if (globalDll == nullptr) return;
    const unsigned char* linkage =
        reinterpret_cast<const unsigned char*>(reinterpret_cast<void*>(GetProcAddress(globalDll, "Linkage")));
    if (linkage == nullptr) return;

    NamedVarPublish(&moduleVars[kVarTimeOfDay], "TimeOfDay", linkage[kTimeOfDayOffset]);
    // The status byte goes to "FSSoundIsOn" under the id start-up obtained.
    // The record keeps its own name, so that a later look-up by name (each
    // post-initialize) still finds "FSSoundIsOn".
    NamedVarPublish(&moduleVars[kVarFSSoundIsOn], "FSSoundIsOn", linkage[kSoundStatusOffset]);
    int32_t soundStatus = 0;
    memcpy(&soundStatus, linkage + kSoundStatusOffset, sizeof soundStatus);
    simSoundOn = soundStatus;
}
