// The scenario runner: a scenario's steps run against the module in the
// stand-in host, frame by frame.
#pragma once

#include <vector>

#include "tools/panelhost/common/common.h"
#include "tools/panelhost/scenario/scenario.h"

int RunScenario(const Options& options, const std::vector<Step>& steps);
// Reads the scenario file the options name and runs it.
int RunScenarioFile(const Options& options);
