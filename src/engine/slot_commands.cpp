// One slot's command: load on demand, play, stop, volume, pan, reports and
// unload, with the value each leaves in the command variable.
#include "engine/commands.h"

#include <stdio.h>

#include "audio/sound_buffer.h"
#include "config/config.h"
#include "config/slot_table.h"
#include "diag/warning_box.h"
#include "engine/pre_update.h"
#include "module/module_state.h"
#include "module/named_var.h"

namespace {

const int kMessageSize = 512;
const int32_t kPlaying = 1;
const int kLoopingState = 5;  // playing and looping

enum PlayMode { kIdle = 0, kOnce = 1, kLooping = 2 };

void ShowSlotMessage(const char* format, const SoundSlot* slot) {
    char text[kMessageSize];
    snprintf(text, sizeof(text), format, slot->wavPath);
    ShowModuleWarning(text);
}

void SetCommand(SoundSlot* slot, double value) { NamedVarSetValue(&slot->commandVar, value); }

int32_t Clamp(int64_t value, int32_t low, int32_t high) {
    return static_cast<int32_t>(value < low ? low : value > high ? high : value);
}

// A failed buffer operation: report it, mark the slot and drop its buffer.
// The command's remaining steps run on against no buffer.
bool Check(SoundSlot* slot, int32_t status) {
    if (status == 0) return true;
    lastResult = status;
    ReportSlotError();
    slot->failed = 1;
    slot->buffer = ReleaseSoundBuffer(slot->buffer);
    return false;
}

// Sets the volume from VolumeVarIn, in the frame's unit. The status of the set.
int32_t ApplyVolumeInput(SoundSlot* slot) {
    double input = NamedVarGetValue(&moduleVars[kVarVolumeIn]);
    int32_t volume;
    if (oldVolumeControl == 1) {
        // Percent: 100 is full, 0 silent. Worked in 64 bits so that any
        // input stays defined before the clamp.
        volume = input > 100.0 ? 0 : Clamp((static_cast<int64_t>(TruncateToInt(input)) - 100) * 100, kVolumeSilent, kVolumeFull);
    } else {
        volume = Clamp(TruncateToInt(input), kVolumeSilent, kVolumeFull);
        CurrentVolume = volume;
    }
    int32_t status = SetSoundBufferVolume(slot->buffer, volume);
    slot->volume = volume;
    return status;
}

int32_t ApplyPanInput(SoundSlot* slot) {
    CurrentPan = Clamp(TruncateToInt(NamedVarGetValue(&moduleVars[kVarPanIn])), kPanLeft, kPanRight);
    slot->pan = CurrentPan;
    return SetSoundBufferPan(slot->buffer);
}

// CurrentVolume in the unit the gauges read.
double VolumeOut() { return oldVolumeControl == 1 ? CurrentVolume / 100.0 + 100.0 : CurrentVolume; }

void PublishStartedPlay(SoundSlot* slot) {
    Check(slot, ReadSoundBufferVolume(slot->buffer));
    NamedVarSetValue(&moduleVars[kVarVolumePlayed], VolumeOut());
    Check(slot, ReadSoundBufferPan(slot->buffer));
    NamedVarSetValue(&moduleVars[kVarPanPlayed], CurrentPan);
    NamedVarSetValue(&moduleVars[kVarLoopPlayed], GetSoundBufferPlayState(slot->buffer) == kLoopingState ? 1.0 : 0.0);
}

const char* PlayFailedMessage(int command) {
    switch (command) {
    case kPlayOnce: return "Play Sound Failed\n%s";
    case kPlayLoop: return "PL - Play Sound Failed\n%s";
    case kPlayOnceWithSettings: return "PB7 - Play Sound Failed\n%s";
    default: return "PB8 - Play Sound Failed\n%s";
    }
}

void StartPlay(SoundSlot* slot, int command) {
    bool looping = command == kPlayLoop || command == kPlayLoopWithSettings;
    if (command == kPlayOnceWithSettings || command == kPlayLoopWithSettings) {
        Check(slot, ApplyPanInput(slot));
        int32_t status = ApplyVolumeInput(slot);
        if (!Check(slot, status) && command == kPlayLoopWithSettings) {
            char text[kMessageSize];
            snprintf(text, sizeof(text), "PB8 - Set Volume Failed\n%s\nDX Error %d\n%s", slot->wavPath,
                     static_cast<int>(status), "");
            ShowModuleWarning(text);
        }
    }
    if (PlaySoundBuffer(slot->buffer, looping ? 1 : 0) == 0) {
        ShowSlotMessage(PlayFailedMessage(command), slot);
        slot->failed = 1;
        SetCommand(slot, errorFlagValue);
        slot->buffer = ReleaseSoundBuffer(slot->buffer);
        return;
    }
    slot->playing = kPlaying;
    slot->playMode = looping ? kLooping : kOnce;
    PublishStartedPlay(slot);
}

// The play commands look at the buffer and at the slot's playing flag each
// frame: start, notice the end, or hand a looping slot back its 2.
void ServePlay(SoundSlot* slot, int command) {
    int bufferPlaying = IsSoundBufferPlaying(slot->buffer);
    if (bufferPlaying == 0) {
        if (slot->playing == 0) {
            StartPlay(slot, command);
            return;
        }
        slot->playing = 0;
        slot->playMode = kIdle;
        if (command != kPlayLoop) SetCommand(slot, 0);
        return;
    }
    if (slot->playing == 0) {
        slot->playing = kPlaying;
        if (command != kPlayLoopWithSettings) return;
    }
    if (command != kPlayLoop && slot->playMode == kLooping) SetCommand(slot, kLooping);
}

}  // namespace

void ServeSlotCommand() {
    SoundSlot* slot = &slots[currentSlot];
    int command = slot->command;

    if (((command >= kPlayOnce && command <= kPlayLoopWithSettings) || command == kLoadOnVoiceDevice) && slot->loaded == 0) {
        LoadSlotSound(command == kLoadOnVoiceDevice ? 1 : 0);
        if (command != kLoadOnVoiceDevice && slot->loaded != 1) return;
    }

    switch (command) {
    case kStopAndRewind:
        if (slot->loaded != 1) return;
        StopSoundBuffer(slot->buffer, 1);
        slot->playing = 0;
        slot->playMode = kIdle;
        return;
    case kPlayOnce:
    case kPlayLoop:
    case kPlayOnceWithSettings:
    case kPlayLoopWithSettings:
        ServePlay(slot, command);
        return;
    case kApplyVolume:
        Check(slot, ApplyVolumeInput(slot));
        SetCommand(slot, slot->playMode);
        return;
    case kReportVolume:
        Check(slot, ReadSoundBufferVolume(slot->buffer));
        NamedVarSetValue(&moduleVars[kVarVolumeOut], VolumeOut());
        SetCommand(slot, slot->playMode);
        return;
    case kApplyPan:
        Check(slot, ApplyPanInput(slot));
        SetCommand(slot, slot->playMode);
        return;
    case kReportPan:
        Check(slot, ReadSoundBufferPan(slot->buffer));
        NamedVarSetValue(&moduleVars[kVarPanOut], CurrentPan);
        SetCommand(slot, slot->playMode);
        return;
    case kReportLoop:
        if (slot->loaded == 0) {
            SetCommand(slot, -1);
            return;
        }
        NamedVarSetValue(&moduleVars[kVarLoopOut], GetSoundBufferPlayState(slot->buffer) == kLoopingState ? 1.0 : 0.0);
        SetCommand(slot, slot->playMode);
        return;
    case kUnload:
        // A pointer no longer in the list is stale: drop it either way.
        if (IsSoundBufferListed(slot->buffer) != 0) ReleaseSoundBuffer(slot->buffer);
        slot->buffer = nullptr;
        slot->loaded = 0;
        slot->playing = 0;
        slot->failed = 0;
        slot->pan = 0;
        slot->volume = 0;
        SetCommand(slot, 0);
        return;
    case kLoadOnVoiceDevice:
        if (IsSoundBufferListed(slot->buffer) == 0) return;
        slot->playing = 0;
        slot->failed = 0;
        SetCommand(slot, 0);
        return;
    default:
        return;
    }
}
