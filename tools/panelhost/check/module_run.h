// The module run in the stand-in for the check: the gauges it exports and
// the boxes it showed (what it shows of itself: common/slot_table_view.h).
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "tools/panelhost/common/common.h"

// The gauges the module exports, by name; false (after a line on stderr)
// when the module cannot be loaded.
bool ReadModuleGauges(const Options& options, std::vector<std::string>* names);
// The boxes shown since FROM, those that name ABOUT when it is given.
std::string JoinedBoxes(size_t from, const std::string& about = "");
