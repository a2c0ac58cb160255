// Every configured sound of a configuration loaded and played once, at
// silence, for a frame, and judged by the module's table after its command.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/check/config_check.h"
#include "tools/panelhost/check/ini_lint.h"

// Plays the configured sounds of RESULT; CONTROLS: the control variables the
// load registered (volume in, pan in first). Slots that share a command
// variable are commanded together, as a gauge would. Returns how many load
// and play.
int PlayConfiguredSounds(IniLint* lint, const ConfigResult& result, const std::vector<std::string>& controls);
