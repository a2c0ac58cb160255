// Reads an XML gauge's scripts: the text as UTF-8, the XML read, every
// script's macros expanded.
#include "tools/panelhost/aircraft/gauge_scripts.h"

#include <algorithm>

#include "tools/panelhost/aircraft/macro_expander.h"
#include "tools/panelhost/aircraft/utf16.h"
#include "tools/panelhost/aircraft/xml_reader.h"

const GaugeScript::Run& GaugeScript::RunAt(size_t offset) const {
    static const Run kNone = {0, 0, -1, 0, -1};
    if (runs.empty()) return kNone;
    auto after = std::upper_bound(runs.begin(), runs.end(), offset,
                                  [](size_t at, const Run& run) { return at < run.start; });
    return after == runs.begin() ? runs.front() : *(after - 1);
}
int GaugeScript::LineAt(size_t offset) const { return RunAt(offset).line; }
int GaugeScript::UseLineAt(size_t offset) const { return RunAt(offset).useLine; }
std::string GaugeScript::MacroAt(size_t offset) const {
    int macro = RunAt(offset).macro;
    return macro >= 0 && static_cast<size_t>(macro) < macroNames.size() ? macroNames[static_cast<size_t>(macro)] : "";
}
std::string GaugeScript::OuterMacroAt(size_t offset) const {
    int macro = RunAt(offset).outerMacro;
    return macro >= 0 && static_cast<size_t>(macro) < macroNames.size() ? macroNames[static_cast<size_t>(macro)] : "";
}

bool ReadGaugeScriptList(const std::string& bytes, std::vector<GaugeScript>* scripts, ScriptProblem* problem) {
    scripts->clear();
    std::string converted;
    const std::string& text = FromUtf16(bytes, &converted) ? converted : bytes;
    // XML allows no control characters but tab and line ends.
    int line = 1;
    for (char c : text) {
        if (c == '\n') ++line;
        else if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r') {
            *problem = {"not a text file: it holds control characters or binary data", line, "", false};
            return false;
        }
    }
    GaugeXml xml;
    if (!ReadGaugeXml(text, &xml, problem)) return false;
    MacroExpander expander{xml.macros, problem};
    expander.Index();
    std::vector<std::string> names;
    for (const Macro& macro : xml.macros) names.push_back(macro.name);
    for (const ReadScript& read : xml.scripts) {
        LinedText expanded;
        if (!expander.Expand(read.text, 0, 0, -1, &expanded)) return false;
        GaugeScript script;
        script.role = read.role;
        script.mouseArea = read.mouseArea;
        script.conditional = read.conditional;
        script.clickKinds = read.clickKinds;
        script.clickEvent = read.clickEvent;
        script.text = expanded.chars;
        script.runs = expanded.runs;
        script.macroNames = names;
        script.line = read.line;
        scripts->push_back(script);
    }
    return true;
}
