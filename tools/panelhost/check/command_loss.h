// Commands that the scripts of one panel take from each other before the
// module serves them: a script that keeps a command variable at a code
// overwrites the settings command another script writes into it, and two
// scripts that can run in one frame share the "with settings" inputs.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/aircraft/finding.h"
#include "tools/panelhost/aircraft/gauge_scripts.h"
#include "tools/panelhost/aircraft/lvar_uses.h"
#include "tools/panelhost/check/xml_gauges.h"

// One write of a panel's scripts into an L: variable.
struct PanelWrite {
    std::string file;    // the gauge, as the check names it
    int line = 0;        // where the script writes it (a macro's use, not its definition)
    std::string name;    // as written
    std::string value;   // the number written, "" when it is not a constant
    ScriptRole role = kScriptOther;
    std::string script;  // which script: the file and its place in the gauge
    // Writes VALUE whenever the variable holds anything else: with no
    // condition, or under a "!=" comparison of the variable with VALUE.
    bool keeps = false;
    // Writes a loop code only where a state the script keeps in another
    // variable (REMEMBERED) changes, never looking at the command variable.
    std::string remembered;
};

// The writes of USES, read from SCRIPTS of the gauge in FILE, appended to WRITES.
void CollectPanelWrites(const std::string& file, const std::vector<GaugeScript>& scripts,
                        const std::vector<LVarUse>& uses, std::vector<PanelWrite>* writes);

// Judges the panel's writes against each other: VARS, the module's variables
// (the command variables among them); VOLUMEIN and PANIN, the inputs that
// commands 3, 5, 7 and 8 read.
void CheckCommandLoss(const std::vector<PanelWrite>& writes, const std::vector<ModuleVariable>& vars,
                      const std::string& volumeIn, const std::string& panIn, std::vector<Finding>* findings);
