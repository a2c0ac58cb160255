// The check of one panel: its gauge lines, the module file the simulator
// would load for the module's gauges, the configuration each Sound gauge
// names, and the XML gauges that write the module's variables.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/common/common.h"

// Where the simulator is: its folder and its Gauges folder.
struct CheckPlace {
    std::string simFolder;
    std::string gaugesFolder;
};
// Checks the panel.cfg PANELCFG; MODULEGAUGES: the gauges the module exports.
void CheckPanel(const Options& options, const std::string& panelCfg, const CheckPlace& place,
                const std::vector<std::string>& moduleGauges);
