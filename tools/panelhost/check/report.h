// The check's report: a heading for each panel, gauge and configuration, one
// line per finding under it, and a closing summary.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/aircraft/finding.h"

void ReportError(const std::string& file, int line, const std::string& item, const std::string& message);
void ReportWarning(const std::string& file, int line, const std::string& item, const std::string& message);
void ReportAll(const std::vector<Finding>& findings);
void Heading(const char* format, ...);  // a group's first line: a panel, a gauge, a configuration
void Note(const char* format, ...);     // a line of what was checked, not a finding
// The check could not be done as it should (the module did not load or
// publish what the check reads): the exit status says so.
void ReportCannotRun();
// The closing line; returns the exit status.
int ReportSummary();

// Reads the file as text; false after an error naming it as WHAT ("the panel
// configuration") when it cannot be used.
bool ReadCheckedText(const std::string& path, const char* what, std::string* text);
