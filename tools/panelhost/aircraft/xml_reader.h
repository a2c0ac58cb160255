// The XML reader: one pass over an XML gauge's text that checks it is
// well-formed as the simulator's parser wants it and collects the text of its
// elements and attributes outside macro definitions, each with where it sits
// in the gauge, and the macros, wherever they are defined. Only the text of
// the script-bearing elements gets a role the runner runs (update, value,
// click): layout (<FloatPosition>, <Size>, ...), display text (<String>,
// <GaugeString>), mouse event lists (<ClickType>) and attribute values are
// listed as kScriptOther, for the check to look into, never to run.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/aircraft/gauge_scripts.h"
#include "tools/panelhost/aircraft/lined_text.h"

struct Macro {
    std::string name;
    LinedText body;          // its characters marked as this macro's
    bool inComment = false;  // defined inside a <Comment>: a definition outside one takes its name first
};

// A script as written, its macros not yet expanded.
struct ReadScript {
    LinedText text;
    ScriptRole role = kScriptOther;
    int mouseArea = -1;
    bool conditional = false;
    int line = 0;               // where it starts
    std::string clickKinds;     // kScriptClick: the mouse events that run it, as written ("" when not said)
    std::string clickEvent;     // kScriptClick: the key event a <Click Event="NAME"/> sends, TEXT empty
};

struct GaugeXml {
    std::vector<ReadScript> scripts;  // in file order
    std::vector<Macro> macros;        // in file order
    bool newSchema = false;           // <SimBase.Document>
};

// Reads TEXT, an XML gauge as UTF-8 or ANSI, into XML; false, with PROBLEM
// set, when it is not well-formed or its root element is no gauge's.
bool ReadGaugeXml(const std::string& text, GaugeXml* xml, ScriptProblem* problem);
