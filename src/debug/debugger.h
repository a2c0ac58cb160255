// The Debugger gauge: a three-line text display of the slot table, the
// configuration file and the configured variables, paged by mouse clicks.
#pragma once

#include <stdint.h>

#include "module/host_abi.h"

// The gauge's element list and mouse rectangle list, for its header.
extern ElementHeader* debuggerElementList;
extern MouseRect debuggerMouseRects[8];

// Character counts of the three string elements.
const int kCommandLineChars = 10;
const int kVariableLineChars = 65;
const int kPageLineChars = 130;

// String-element update callbacks: each writes its element's text, cut to
// the element's character count, and returns 0.0.
double HOST_API ShowSlotCommand(StringElement* element);
double HOST_API ShowSlotVariable(StringElement* element);
double HOST_API ShowDebugPage(StringElement* element);

// Mouse functions stepping `debugPage` around the ring of soundCount + 10
// pages; both ignore their arguments and return 0.
int32_t HOST_API NextDebugPage(PixPoint* point, uint32_t mouseFlags);
int32_t HOST_API PreviousDebugPage(PixPoint* point, uint32_t mouseFlags);

// The slot table's address as other modules read it through the host
// variable "SoundStringBase". The host is told it is a 64-bit variable, so
// the cell is 64 bits wide: the 32-bit module's address in its low half,
// zero above; the 64-bit module's whole.
extern uint64_t soundStringBase;
extern int soundStringBaseRegistered;

// Publishes the slot table's address once per module start.
void PublishSoundStringBase();
// Withdraws "SoundStringBase" if it was published (module shut-down).
void WithdrawSoundStringBase();
