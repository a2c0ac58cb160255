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

// One click script of a mouse area: run by the mouse events it lists.
struct XmlClick {
    XmlScript script;        // empty when the click only sends EVENT
    std::string kinds;       // the events as the gauge lists them; "" when it lists none (LeftSingle)
    std::string event;       // a <Click Event="NAME"/>'s key event, "" when none
};

struct XmlGauge {
    std::string name;                // in the panel line, after '!'
    std::string file;                // where it was read: a path, or "<cabinet>\<entry>"
    std::vector<XmlScript> frame;    // update and value code, in file order
    std::vector<std::vector<XmlClick>> areas;  // by mouse area: its click scripts in file order
    std::map<std::string, double> gvars;
    bool stopped = false;            // a script could not go on: the gauge runs no more
};

// Why the panel's gauges did not all run, as the aircraft line found them.
struct XmlNotRun {
    int notFound = 0;        // or unreadable
    int compiled = 0;        // a compiled gauge of another module
    int leftOut = 0;         // whole gauges the reader refused
    int scriptsLeftOut = 0;  // single scripts the interpreter refused; their gauges run the others
};

// The gauges and the A: and C: variables the scenario set, shared by all of them.
struct XmlPanel {
    std::vector<XmlGauge> gauges;
    std::map<std::string, double> avars;
    std::map<std::string, double> cvars;
    XmlNotRun notRun;
};

struct Run;

// The `aircraft PATH` line: the panel's Sound gauges join the run with their
// own parameters, its Debugger gauges too, and every XML gauge of the panel
// that the interpreter can run is loaded. False when the path is no aircraft
// folder or panel.cfg.
bool LoadAircraft(Run* run, const std::string& path);
// One frame of every loaded gauge.
void RunXmlGauges(Run* run);
// A mouse event KIND ("LeftSingle", "WheelUp", ...) on mouse area N of the
// gauge named NAME: every click script of the area that lists KIND runs, in
// file order, each a script of its own; a click's key event is sent. False,
// with why, when the area has none for KIND.
bool ClickXmlGauge(Run* run, const std::string& name, int64_t area, const std::string& kind, std::string* why);
// Whether the list of mouse events KINDS ("LeftSingle+WheelUp"; "" is
// LeftSingle) holds KIND, letter case aside.
bool ListsClickKind(const std::string& kinds, const std::string& kind);
// The line of the gauges not run, printed also under --quiet, before the
// closing line; nothing when all ran. A gauge stopped by its script counts.
void SayGaugesNotRun(const XmlPanel& panel);
// A K: event a script sent: printed, and the sound events handed to the
// module's key handler.
void SendScriptKey(Run* run, const std::string& event, double parameter);
