// State shared between the stand-in's own files.
#pragma once

namespace host {
extern int currentFrame;
// Moves the simulator's clock variable on by one, unless it is held.
void AdvanceSimClock();
}
