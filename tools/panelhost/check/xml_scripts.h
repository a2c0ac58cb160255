// Reading an XML gauge's scripts: the file's XML, its macros expanded, and
// every L: variable its scripts read or write, with the line it is on.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "tools/panelhost/common/names.h"

// One (L:...) read or (>L:...) write in a script.
struct LVarUse {
    std::string name;   // as written, blanks around it and a ":N" suffix removed
    int line;           // 1-based; a use that comes from a macro has the line of the @
    bool write;
    bool constant;      // a write of a number written just before it
    std::string value;  // that number, verbatim
    std::string macro;  // the macro the use came from, empty when written out
};

// Why a gauge's scripts could not be read: what, where, and the offending text.
struct ScriptProblem {
    std::string what;
    int line = 0;
    std::string item;
    bool gaugeLoads = false;  // the simulator would load the gauge; only the check cannot read it
};

// The largest XML gauge the check reads, and how far macros may expand it.
const size_t kMaxGaugeBytes = 8 * 1024 * 1024;
const size_t kMaxExpandedBytes = 16 * 1024 * 1024;

// Reads TEXT, the bytes of an XML gauge of either schema, and collects its
// L: uses in the order they appear. False, with PROBLEM set, when the text is
// not an XML gauge the simulator would load (not text, not well-formed XML,
// another root element) or its macros cannot be expanded.
bool ReadGaugeScripts(const std::string& text, std::vector<LVarUse>* uses, ScriptProblem* problem);

