// An aircraft's own XML gauges run beside the module: each frame, before the
// module's pre-update, every gauge's update code and its elements' value
// code; a scenario's clicks run a mouse area's click code.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/panelhost/scenario/script.h"

struct XmlScript {
    CompiledScript code;
    std::vector<int> lines;  // per token: its line in the gauge's file
};

struct XmlGauge {
    std::string name;                // in the panel line, after '!'
    std::string file;                // where it was read: a path, or "<cabinet>\<entry>"
    std::vector<XmlScript> frame;    // update and value code, in file order
    std::vector<XmlScript> clicks;   // by mouse area, in file order; empty code for an area without one
    std::map<std::string, double> gvars;
    bool stopped = false;            // a script could not go on: the gauge runs no more
};

// The gauges and the A: and C: variables the scenario set, shared by all of them.
struct XmlPanel {
    std::vector<XmlGauge> gauges;
    std::map<std::string, double> avars;
    std::map<std::string, double> cvars;
};

struct Run;

// The `aircraft PATH` line: the panel's Sound gauges join the run with their
// own parameters, its Debugger gauges too, and every XML gauge of the panel
// that the interpreter can run is loaded. False when the path is no aircraft
// folder or panel.cfg.
bool LoadAircraft(Run* run, const std::string& path);
// One frame of every loaded gauge.
void RunXmlGauges(Run* run);
// Runs the click code of mouse area N of the gauge named NAME; false, with
// why, when there is none.
bool ClickXmlGauge(Run* run, const std::string& name, int64_t area, std::string* why);
// A K: event a script sent: printed, and the sound events handed to the
// module's key handler.
void SendScriptKey(Run* run, const std::string& event, double parameter);
