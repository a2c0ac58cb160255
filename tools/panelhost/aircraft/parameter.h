// The Sound gauge's parameter as the module turns it into a configuration path.
#pragma once

#include <string>

// The configuration path the module composes from a gauge parameter, given
// the module file's path and the simulator's folder.
struct ResolvedParameter {
    const char* form;         // which rule applied, in words
    std::string candidate;    // the path the module looks for
    std::string defaultPath;  // what it takes when the candidate is not found
    bool fits;                // false: longer than the module takes, so never found
    bool climbs;              // a leading "..\" that does not climb
};
ResolvedParameter ResolveParameter(const std::string& parameter, const std::string& modulePath,
                                   const std::string& simFolder);
