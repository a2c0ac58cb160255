// The aircraft check's view of XML gauges: the L: variables their scripts
// write, and what that means for the module's variables.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/aircraft/gauge_lookup.h"

struct PanelWrite;

// A variable of the module's, as the configuration names it.
enum ModuleVarKind {
    kVarCommand,         // a slot's command variable: takes the codes 0 to 11
    kVarGlobalCommands,  // the global-commands variable: takes 1, 2 or 3
    kVarOther,           // a control or status variable
};
struct ModuleVariable {
    std::string name;
    ModuleVarKind kind;
};

// Checks the XML gauge GAUGE of CONTAINER as the simulator finds it: the loose
// file <folder>\<container>\<gauge>.xml, then <gauge>.xml inside
// <folder>\<container>.cab, first with the panel folder as <folder>, then with
// the simulator's Gauges folder. Appends its findings to FINDINGS and sets
// written[i] for every vars[i] the gauge writes (WRITTEN has vars.size()
// entries). A finding already in FINDINGS is not added again, so that the
// gauges of one cabinet report its faults once. A compiled module
// <container>.gau or .dll comes first in each folder. Without an XML gauge
// the only findings are about unsafe entry names of a cabinet the look-up read.
// A gauge found but unreadable is reported and returns kXmlGaugeChecked.
// WRITES, when given, receives the gauge's writes, for judging the panel's
// scripts against each other.
XmlGaugeLookup CheckXmlGauge(const std::string& panelFolder, const std::string& gaugesFolder,
                   const std::string& container, const std::string& gauge,
                   const std::vector<ModuleVariable>& vars, std::vector<bool>* written,
                   std::vector<Finding>* findings, std::vector<PanelWrite>* writes = nullptr);
