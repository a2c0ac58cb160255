// The module run in the stand-in for the check: the gauges it exports, the
// configuration path it took, the names it registered and the boxes it showed.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "tools/panelhost/common/common.h"

// The gauges the module exports, by name; false (after a line on stderr)
// when the module cannot be loaded.
bool ReadModuleGauges(const Options& options, std::vector<std::string>* names);
// The configuration path the module took, as its Debugger gauge's tooltip shows it.
std::string ModuleIniPath(int debugger);
// The boxes shown since FROM, those that name ABOUT when it is given.
std::string JoinedBoxes(size_t from, const std::string& about = "");
// Names the module registered in the frame LOADFRAME, in order: the control
// variables of the load first.
std::vector<std::string> LoadRegistrations(int loadFrame);
