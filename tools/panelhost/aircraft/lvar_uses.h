// The L: variables an XML gauge's scripts read and write, each with the line
// and the macro it was written in.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "tools/panelhost/aircraft/gauge_scripts.h"

// One (L:...) read or (>L:...) write in a script.
struct LVarUse {
    std::string name;   // as written, blanks around it and a ":N" suffix removed
    int line;           // 1-based, where the name is written (inside a macro's definition when it came from one)
    bool write;
    bool constant;      // a write of a number written just before it
    std::string value;  // that number, verbatim
    std::string macro;  // the macro the name, the write or the value came from, empty when written out
    int useLine;        // the script line where that macro is used (LINE when none)
    std::string usedThrough;  // the outermost macro used there, when it is not MACRO itself
    int script;         // the script's place in the gauge's list
    size_t offset;      // of the "(" in the script's text
    ScriptRole role;
    bool conditional;   // the script's, or the use lies in an if{ } / els{ } block of its script
};

// The L: uses of the scripts, in the order they appear.
std::vector<LVarUse> CollectLVarUses(const std::vector<GaugeScript>& scripts);

// Reads BYTES, the bytes of an XML gauge of either schema, and collects its
// L: uses in the order they appear; false as ReadGaugeScriptList.
bool ReadGaugeScripts(const std::string& bytes, std::vector<LVarUse>* uses, ScriptProblem* problem);
