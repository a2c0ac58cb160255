// --check: an INI file, a panel.cfg or an aircraft folder, checked as the
// simulator and the module would read them.
#pragma once

#include "tools/panelhost/common/common.h"

// Runs the aircraft check the options ask for; returns the exit status.
int RunCheck(const Options& options);
