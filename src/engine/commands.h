// Serving the commands that XML gauges write into the slots' command
// variables and into the global-commands variable.
#pragma once

#include "module/host_abi.h"

enum SlotCommand {
    kStopAndRewind = 0,
    kPlayOnce = 1,
    kPlayLoop = 2,
    kApplyVolume = 3,
    kReportVolume = 4,
    kApplyPan = 5,
    kReportPan = 6,
    kPlayOnceWithSettings = 7,
    kPlayLoopWithSettings = 8,
    kReportLoop = 9,
    kUnload = 10,
    kLoadOnVoiceDevice = 11,
};

enum GlobalCommand { kStopAll = 1, kMuteAll = 2, kUnmuteAll = 3 };

// Serves `command` of the slot at `currentSlot`.
void ServeSlotCommand();
// Loads the sound of the slot at `currentSlot` into its `buffer`; useVoice 1
// asks for the voice device. The outcome is left in the slot.
void LoadSlotSound(int useVoice);
// Serves the global-commands variable, after every slot.
void ServeGlobalCommand();

// Silences every buffer or turns each back to its volume, and says so in
// "SoundIsMuted".
void Mute();
void Unmute();
// Mutes while the simulator's sound is off or it is paused, and unmutes
// after, unless the user muted. `gauge` is the Sound gauge instance whose
// pre-update this is.
void ApplySilencing(const GaugeHeader* gauge);
