// The scenario runner: a scenario's steps run against the module in the
// stand-in host, frame by frame.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/panelhost/common/common.h"
#include "tools/panelhost/scenario/scenario.h"
#include "tools/panelhost/scenario/xml_runner.h"

// The last write an XML gauge made to a watched variable.
struct GaugeWrite {
    bool made = false;
    double value = 0;
    int frame = 0;    // as the trace numbers the gauge's `xml write` line
    std::string by;   // the gauge and the place of its script
};

// A run of scenario lines against the module: a scenario file's, or those
// typed at the console.
struct Run {
    const Options* options = nullptr;
    std::string scenarioFolder;
    std::string simFolder;            // --sim-folder as a full path; empty without it
    std::vector<std::string> gauges;  // parameters of the panel's Sound gauges
    int debuggersAsked = 0;           // Debugger gauges on the panel
    std::vector<int> debuggers;       // their instances once started
    bool started = false;
    bool allowBoxes = false;
    size_t boxesTaken = 0;
    int expectations = 0;
    int failures = 0;
    double nextFrameDue = 0;          // milliseconds on the performance counter
    size_t callsNoted = 0;            // service calls whose names are in `touched` (counting dropped ones)
    std::set<std::string> touched;    // folded names the module or an XML gauge used
    XmlPanel xml;                     // the aircraft's XML gauges
    std::map<std::string, GaugeWrite> watched;  // folded names whose gauge writes are noted
};

// True, after a line on stderr for each, when steps cannot run with these options.
bool RefuseSteps(const Options& options, const std::string& source, const std::vector<Step>& steps);
// Loads the module and enters --sim-folder; false (after a line on stderr)
// when the run cannot start.
bool OpenRun(const Options& options, const std::string& scenarioFolder, Run* run);
// Starts the module and adds the panel's gauges, once; false when a gauge
// cannot be added.
bool StartPanel(Run* run);
void Stop(Run* run);
// Runs frames at the simulator's rate (at once with --fast), tracing them.
void RunFrames(Run* run, int64_t count);
// Runs one line; false when the run cannot go on.
bool RunStep(Run* run, const Step& step);
// Echoes and runs one line; false when the run cannot go on.
bool RunLine(Run* run, const Step& step);
// Stops and unloads the module, fails the boxes no expect-box took and
// prints the closing line; the exit status.
int CloseRun(Run* run, bool ran);

int RunScenario(const Options& options, const std::vector<Step>& steps);
// --listen: the panel, an INI or an aircraft, run at the simulator's rate
// while lines are read from the console or a pipe.
int RunListen(const Options& options);
// Reads the scenario file the options name and runs it.
int RunScenarioFile(const Options& options);
