// An XML gauge's scripts as the simulator reads them: the file's XML (UTF-8,
// ANSI or UTF-16), its macros expanded, each script with where it sits in the
// gauge, which says when the simulator runs it, and every character with the
// line it was written on.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

// Where a script sits in its gauge, which says when the simulator runs it.
enum ScriptRole {
    kScriptUpdate,  // <Update> code (either schema): run once per gauge update
    kScriptValue,   // an element's <Value>/<Select>/<Visible> code (newer: any <Element> code): once per update, after the update code
    kScriptClick,   // a mouse area's <Click> (older) / <CallbackCode> (newer): once per click
    kScriptOther,   // never run: key handlers, failures, attribute values, and the text of elements that hold no
                    // code (layout, display strings and their %( )% expressions, <ClickType>), kept for the check
};

// One script of a gauge, its macros expanded. Every character keeps the line
// it was written on: in the script itself, or inside the definition of the
// macro it came from.
struct GaugeScript {
    struct Run {
        size_t start;     // the first character of the run
        int line;         // where its characters are written
        int macro;        // the innermost macro whose definition holds them, -1 when written out
        int useLine;      // the script line of the outermost macro use they came through; LINE when none
        int outerMacro;   // that outermost macro, -1 when none
    };
    ScriptRole role = kScriptOther;
    // kScriptClick: the mouse area's place among the gauge's mouse areas
    // (older <Area>, newer <MouseArea>) in file order, from 0; a <Click>
    // directly in <Mouse> makes the <Mouse> one, numbered where its first
    // click is. -1 for the other roles.
    int mouseArea = -1;
    // Run only under a condition the gauge sets: in an element nested in
    // another, after an element's <Visible>, or under <Failures>.
    bool conditional = false;
    // kScriptClick: the mouse events that run it, as the gauge lists them
    // ("LeftSingle+WheelUp"; "" when it says none), and the key event a
    // <Click Event="NAME"/> sends (TEXT then empty).
    std::string clickKinds;
    std::string clickEvent;
    std::string text;  // the script, the gauge's macros expanded
    int line = 0;      // source line of the script's first character
    std::vector<Run> runs;
    std::vector<std::string> macroNames;  // the gauge's macros, by index

    // The source line of the character at OFFSET (inside the macro's
    // definition when it came from a macro).
    int LineAt(size_t offset) const;
    // The macro whose definition holds that character, "" when written out.
    std::string MacroAt(size_t offset) const;
    // Where that character's outermost macro is used in the script (its
    // own line when it came from no macro), and that macro's name ("" if none).
    int UseLineAt(size_t offset) const;
    std::string OuterMacroAt(size_t offset) const;
    const Run& RunAt(size_t offset) const;
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

// Reads an XML gauge of either schema and lists its scripts in file order. False, with PROBLEM set, when the text is not an
// XML gauge the simulator would load (not text, not well-formed XML, another
// root element) or its macros cannot be expanded.
bool ReadGaugeScriptList(const std::string& bytes, std::vector<GaugeScript>* scripts, ScriptProblem* problem);
