// The simulator's sound and pause flags and the muting state.
#pragma once

#include <stdint.h>

#include "module/host_abi.h"

extern int muteState;
extern int userMuted;
extern int simSoundOn;
extern unsigned int simPaused;
extern int silenced;

// Key-event handler: follows the simulator's sound switch events.
void HOST_CDECL OnKeyEvent(uint32_t eventId, uint32_t parameter, void* userData);

// Lets the next Sound gauge to run judge the pause: the gauges of before a
// module shut-down are gone.
void ForgetPauseJudge();
