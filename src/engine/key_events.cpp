#include "module/host_abi.h"
#include "module/named_var.h"
#include "engine/key_events.h"
#include "engine/silencing.h"

// Only sets the flag and the status variable (under its cached id); the next
// running pre-update mutes or unmutes. The host ignores the handler's result.
void HOST_CDECL OnKeyEvent(uint32_t eventId, uint32_t parameter, void* /*userData*/) {
    switch (eventId) {
    case kKeySoundToggle:
        simSoundOn = 1 - simSoundOn;
        NamedVarSetValue(&moduleVars[kVarFSSoundIsOn], simSoundOn);
        break;
    case kKeySoundSet:
        simSoundOn = static_cast<int>(parameter);
        NamedVarSetValue(&moduleVars[kVarFSSoundIsOn], static_cast<int32_t>(parameter));
        break;
    case kKeySoundOn:
        simSoundOn = 1;
        NamedVarSetValue(&moduleVars[kVarFSSoundIsOn], 1.0);
        break;
    case kKeySoundOff:
        simSoundOn = 0;
        NamedVarSetValue(&moduleVars[kVarFSSoundIsOn], 0.0);
        break;
    default:
        break;
    }
}
