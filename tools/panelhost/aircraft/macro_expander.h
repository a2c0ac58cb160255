// The one macro expander: a gauge's macros expanded into its scripts, every
// character keeping the line it is written on (in the script or in a macro's
// definition) and the line of the outermost macro use it came through.
// Both schemas' forms: @M anywhere in a script or in another macro's text,
// also inside a name ((>@c:WaypointIndex) with c = "C:fs9gps"), and @M(a, b)
// when M's text holds @1 ... @9, which the arguments replace.
#pragma once

#include <stddef.h>

#include <map>
#include <string>
#include <vector>

#include "tools/panelhost/aircraft/gauge_scripts.h"
#include "tools/panelhost/aircraft/lined_text.h"
#include "tools/panelhost/aircraft/xml_reader.h"

// Expands the scripts of one gauge; all of them share one budget, so that no
// gauge's macros make more than kMaxExpandedBytes of script.
struct MacroExpander {
    const std::vector<Macro>& macros;
    ScriptProblem* problem;
    size_t budget = kMaxExpandedBytes;

    std::map<std::string, int> byName = {};  // folded name -> the macro that name uses

    // Indexes the macros by name; call once, before Expand.
    void Index();
    // Expands SOURCE into OUT; false, with PROBLEM set, when the macros use
    // themselves or make too much. At DEPTH 0 SOURCE is a script as written
    // (USELINE and OUTER unused); deeper, a macro's text used at USELINE
    // through the outermost macro OUTER.
    bool Expand(const LinedText& source, int depth, int useLine, int outer, LinedText* out);
};
