// What reading an aircraft finds wrong (or only notes), one finding at a
// time: the readers return them, the check reports them and the scenario
// runner says the errors among them.
#pragma once

#include <string>
#include <vector>

enum FindingLevel { kFindingError, kFindingWarning, kFindingNote };  // a note: what was read, no fault

// One finding. file: the file it is about (an entry of a cabinet as
// "<cabinet path>\<entry name>"), empty when none; line: 1-based, 0 when
// none; item: the offending text verbatim (a key, a variable, a value);
// message: what is wrong and what to do.
struct Finding {
    FindingLevel level;
    std::string file;
    int line;
    std::string item;
    std::string message;
};

// Appends the finding to FINDINGS; nothing when FINDINGS is null.
void AddFinding(std::vector<Finding>* findings, FindingLevel level, const std::string& file, int line,
                const std::string& item, const std::string& message);
// Appends the finding unless an equal one is there already, so that the
// gauges of one cabinet report its faults once.
void AddFindingOnce(std::vector<Finding>* findings, FindingLevel level, const std::string& file, int line,
                    const std::string& item, const std::string& message);
