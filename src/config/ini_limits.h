// How much of an INI value the module reads: the sizes of its buffers for
// them, each with room for the terminating NUL. A longer value is cut.
#pragma once

const int kEntryChars = 128;        // at most 127 characters per [Sounds], [LVars] or GlobalCommands value
const int kControlNameChars = 130;  // at most 129 characters per control-variable key of [Config]
