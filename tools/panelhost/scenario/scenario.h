// Scenarios: what the XML gauges and the simulator do, one command a line.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

enum StepKind {
    kStepGauge,        // text[0]: the parameter string
    kStepDebugger,
    kStepStart,
    kStepFrames,       // count
    kStepWait,         // count: milliseconds
    kStepSet,          // name, value
    kStepExpect,       // name, value
    kStepPrint,        // name
    kStepKey,          // event, parameter
    kStepProbeHold,    // value
    kStepProbeRun,
    kStepGlobalTime,   // parameter: the time-of-day byte
    kStepGlobalSound,  // parameter: the sound status
    kStepSimConnect,   // name: "sound", "pause" or "view"; event: the data
    kStepClick,        // name: "left" or "right"
    kStepExpectDebug,  // text[0..2]: command, variable and page lines
    kStepExpectBox,    // text[0]: with "\n" turned into line breaks
    kStepExpectNoBox,
    kStepStop,
    kStepAllowBoxes,   // boxes that no expect-box takes do not fail the run
    kStepAircraft,     // text[0]: an aircraft folder or a panel.cfg
    kStepAvar,         // name: as scripts write it, with its index; text[0]: its kind, "A" or "C"; value
    kStepClickGauge,   // name: the XML gauge's name in the panel line; count: its mouse area; text[0]: the mouse event
};

struct Step {
    StepKind kind = kStepStart;
    int line = 0;
    std::string source;  // the line as written, without its comment
    std::string name;
    std::string text[3];
    double value = 0;
    int64_t count = 0;
    uint32_t event = 0;
    int32_t parameter = 0;
};

// Splits a line into words: blanks separate them, double quotes hold blanks,
// '#' outside quotes starts a comment. False (and a reason) for an open quote.
bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* reason);

// Reads one line. False with a reason when it cannot be read; `*empty` is
// set for blank and comment lines, which give no step.
bool ParseLine(const std::string& line, int lineNumber, Step* step, bool* empty, std::string* reason);

// Reads a whole scenario, a UTF-8 byte-order mark skipped. On failure: the
// line number and the reason; line 0 when the file is not text at all.
bool ParseScenario(const std::string& text, std::vector<Step>* steps, int* errorLine, std::string* reason);
