// panelhost: the module, its configuration and its sounds run without the
// simulator, driven by a scenario or checked sound by sound.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/host.h"
#include "tools/panelhost/scenario.h"

struct Options {
    std::string modulePath;
    std::string scenarioPath;
    std::string checkConfig;  // --check: the configuration file
    std::string simVersion = "none";
    bool simVersionGiven = false;
    bool simConnect = false;
    bool noWindow = false;
    bool fast = false;
    bool quiet = false;
    bool traceAll = false;
};

// Exit statuses.
const int kExitOk = 0;
const int kExitFailed = 1;     // an expectation failed, or a sound did not load
const int kExitUnusable = 2;   // the scenario or the command line cannot be used

int RunScenario(const Options& options, const std::vector<Step>& steps);
int RunCheck(const Options& options);

// A full Windows path for a path given on the command line.
std::string FullPath(const std::string& path);
// A fresh stand-in with the module loaded; false (and a line on stderr) when
// the module cannot be loaded.
bool LoadFreshModule(const Options& options);

// The trace: one line per event, each with its frame number.
void TraceSettings(bool quiet, bool traceAll);
// Prints the service calls and boxes the module made since the last call.
void TraceModule();
// Marks everything logged so far as seen, without printing it.
void TraceSkip();
void Say(const char* kind, const char* format, ...);  // not under --quiet
void SayFailure(const char* format, ...);             // always
std::string Escaped(const std::string& text);        // line breaks as \n
std::string BoxText(const host::MessageBoxRecord& box);  // [title] text, escaped
