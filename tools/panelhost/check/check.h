// The aircraft check's parts: the text files it reads, how it resolves the
// Sound gauge's parameter, the module run on one configuration, and the
// report its findings go to.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/aircraft/panel_read.h"
#include "tools/panelhost/aircraft/parameter.h"
#include "tools/panelhost/common/names.h"
#include "tools/panelhost/common/common.h"

// Runs the aircraft check the options ask for; returns the exit status.
int RunCheck(const Options& options);

// --- Text files (cfg_text.h) ---

// Reads the file as text; false after an error naming it as WHAT ("the panel
// configuration") when it cannot be used.
bool ReadCheckedText(const std::string& path, const char* what, std::string* text);

// --- The configuration run through the module (check.cpp) ---

// What the module made of one configuration file.
struct ConfigResult {
    bool ran = false;  // the module loaded it and the sounds were tried
    std::string iniPath;
    std::vector<std::string> slotVars;   // each slot's command variable, from the module's table
    std::string globalVar;               // the global-commands variable
    std::vector<std::string> otherVars;  // the other variables it registered
    std::vector<int> configured;         // the slots with a [Sounds] entry
    std::vector<std::string> configuredKeys;  // their [Sounds] keys
    std::vector<int> configuredLines;         // and the lines of those keys, 0 when not found
    std::vector<int> unkeyed;                 // slots without a [Sounds] entry whose default file is missing
    std::vector<std::string> unkeyedPaths;    // those default files
};

// Checks the INI file at iniPath (a full path) through the module: the file
// itself, its keys, and every configured sound loaded and played once.
void CheckConfiguration(const Options& options, const std::string& iniPath, ConfigResult* result);
// The slots without a sound key, after a panel's gauges were read: an error
// for each whose variable a gauge writes (WRITTEN, by slot), one warning for
// the rest. A configuration checked on its own has no gauges to tell them by.
void ReportUnkeyedSlots(const ConfigResult& result, const std::vector<bool>* written);

// Why a WAV file that does not load cannot, read from its header (a
// compressed format, a streaming recorder's data size) and how to make it
// playable; "" when its header shows nothing wrong (wav_format.cpp).
std::string WavLoadAdvice(const std::string& path);

// --- Aircraft and panels (aircraft.cpp, panel_check.cpp) ---

struct CheckPlace {
    std::string simFolder;
    std::string gaugesFolder;
};
// The gauges the module exports, by name; false (after a line on stderr)
// when the module cannot be loaded.
bool ReadModuleGauges(const Options& options, std::vector<std::string>* names);
void CheckPanel(const Options& options, const std::string& panelCfg, const CheckPlace& place,
                const std::vector<std::string>& moduleGauges);

// --- The report (report.cpp) ---

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
