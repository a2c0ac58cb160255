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

// At module shut-down: the next Sound gauge to run judges the pause (the
// gauges of before are gone), and the next start's first probe has the host
// initialize the probe's record again.
void ResetPauseProbe();
