// The stand-in GLOBAL.DLL as a host sets it: the two values the module reads
// relative to its "Linkage" export.
#pragma once

#include <stdint.h>
#include <string.h>
#include <windows.h>

const size_t kGlobalLinkageSize = 8192;
const size_t kGlobalTimeOfDayOffset = 4446;
const size_t kGlobalSoundStatusOffset = 2848;

// Writes the time-of-day byte and the 32-bit sound status into a loaded
// GLOBAL.DLL. False when it has no "Linkage" export.
inline bool SetGlobalDllValues(HMODULE globalDll, uint8_t timeOfDay, int32_t soundStatus) {
    unsigned char* linkage =
        reinterpret_cast<unsigned char*>(reinterpret_cast<void*>(GetProcAddress(globalDll, "Linkage")));
    if (linkage == nullptr) return false;
    linkage[kGlobalTimeOfDayOffset] = timeOfDay;
    memcpy(linkage + kGlobalSoundStatusOffset, &soundStatus, sizeof soundStatus);
    return true;
}
