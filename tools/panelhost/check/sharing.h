// Slots of one configuration that share what they should not: one sound
// buffer (the same WAV file), or one command variable.
#pragma once

#include "tools/panelhost/check/config_check.h"
#include "tools/panelhost/check/ini_lint.h"

// Warns of every pair of configured slots of RESULT that share a buffer or a variable.
void CheckSharing(IniLint* lint, const ConfigResult& result);
