// The global-commands variable: stop all, mute all, unmute all.
#include "engine/commands.h"

#include "audio/audio_output.h"
#include "audio/sound_buffer.h"
#include "config/config.h"
#include "config/slot_table.h"
#include "engine/silencing.h"
#include "module/named_var.h"

void Mute() {
    MuteAllSoundBuffers();
    muteState = 1;
    NamedVarSetValue(&moduleVars[kVarSoundIsMuted], 1.0);
}

void Unmute() {
    UnmuteAllSoundBuffers();
    muteState = 0;
    NamedVarSetValue(&moduleVars[kVarSoundIsMuted], 0.0);
}

namespace {

void StopAll() {
    for (int index = 0; index < soundCount; ++index) {
        SoundSlot* slot = &slots[index];
        // A buffer that has left the list is gone: the next play loads again.
        if (slot->buffer == nullptr || gaugeSound.head == nullptr || IsSoundBufferListed(slot->buffer) == 0) {
            slot->buffer = nullptr;
            slot->loaded = 0;
            continue;
        }
        StopSoundBuffer(slot->buffer, 1);
        slot->playing = 0;
        NamedVarSetValue(&slot->commandVar, 0.0);
    }
}

}  // namespace

void ServeGlobalCommand() {
    NamedVar* globalVar = &slots[soundCount].commandVar;
    // Exact comparisons on the value as written: 1.2 or 2.5 are no command.
    if (NamedVarGetValue(globalVar) == kStopAll) {
        StopAll();
        NamedVarSetValue(globalVar, 0.0);
    } else if (NamedVarGetValue(globalVar) == kMuteAll) {
        Mute();
        NamedVarSetValue(globalVar, 0.0);
        userMuted = 1;
        NamedVarSetValue(&moduleVars[kVarUserMutedSounds], 1.0);
    } else if (NamedVarGetValue(globalVar) == kUnmuteAll) {
        Unmute();
        NamedVarSetValue(globalVar, 0.0);
        userMuted = 0;
        NamedVarSetValue(&moduleVars[kVarUserMutedSounds], 0.0);
    }
}
