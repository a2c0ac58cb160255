// How many frames the module takes to start serving its slots.
#pragma once

#include "module/module_state.h"

// From a Sound gauge's first pre-update to the first that serves its slots:
// the frame that loads the configuration, then the start-up delay.
const int kFramesToServe = 1 + kStartupDelayFrames;
