// State shared between the stand-in's own files.
#pragma once

#include <vector>

#include "module/host_abi.h"

namespace host {
extern int currentFrame;

// The host's handling of an element list, from its first element.
void InstallElements(ElementHeader* first);
void UpdateElements(ElementHeader* first);
void KillElements(ElementHeader* first);
// Takes back every text buffer the host handed out.
void ReleaseTextBuffers();
// The list's string elements, in the order the host walks them.
std::vector<StringElement*> StringElements(ElementHeader* first);

// Moves the simulator's clock variable on by one, unless it is held.
void AdvanceSimClock();
}
