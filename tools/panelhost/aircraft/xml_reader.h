// The XML reader: one pass over an XML gauge's text that checks it is
// well-formed as the simulator's parser wants it and collects the text of its
// elements and attributes outside macro definitions, each with where it sits
// in the gauge, and the macros.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/aircraft/gauge_scripts.h"
#include "tools/panelhost/aircraft/lined_text.h"

struct Macro {
    std::string name;
    LinedText body;  // its characters marked as this macro's
};

// A script as written, its macros not yet expanded.
struct ReadScript {
    LinedText text;
    ScriptRole role;
    int mouseArea;
    bool conditional;
};

struct GaugeXml {
    std::vector<ReadScript> scripts;  // in file order
    std::vector<Macro> macros;        // in file order
    bool newSchema = false;           // <SimBase.Document>: macros take arguments
};

// Reads TEXT, an XML gauge as UTF-8 or ANSI, into XML; false, with PROBLEM
// set, when it is not well-formed or its root element is no gauge's.
bool ReadGaugeXml(const std::string& text, GaugeXml* xml, ScriptProblem* problem);
