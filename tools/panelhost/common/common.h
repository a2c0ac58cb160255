// What panelhost's scenario runner and its aircraft check share: the
// options, the host programs and their launcher, the module loaded into the
// stand-in, the simulator's own libraries as stand-ins, and the trace.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <stdint.h>

#include "tools/common/paths.h"

namespace host {
struct MessageBoxRecord;
}

struct Options {
    std::string modulePath;
    std::string scenarioPath;
    std::string checkConfig;  // --check: an INI file, a panel.cfg or an aircraft folder
    std::string simFolder;    // --sim-folder: the simulator's folder
    bool moduleGiven = false;
    std::string simVersion;  // empty: the module's architecture's default, 10 or 6
    bool simConnect = false;
    bool noWindow = false;
    bool fast = false;
    bool quiet = false;
    bool traceAll = false;
    bool listen = false;      // --listen: scenarioPath is the INI, panel.cfg or aircraft folder
};

// Exit statuses.
const int kExitOk = 0;
const int kExitFailed = 1;     // an expectation failed, or the check found an error
const int kExitUnusable = 2;   // the scenario or the command line cannot be used

// Reads the options; 0 when they can be used, else the exit status (after
// a line on stderr).
int ReadOptions(int argc, char** argv, Options* options);
// panelhost.exe: runs the host program the options ask for, of the
// module's architecture, with the same arguments, and returns its exit
// status.
int LaunchHost(int argc, char** argv);

// What a module or a program is built for, from its PE header's machine type.
enum Architecture { kArchUnknown, kArch32, kArch64 };
Architecture FileArchitecture(const std::string& path);  // unknown: no PE file of x86 or x86-64
Architecture OwnArchitecture();
// The simulators of these versions: 10, 9 and 1 are 32-bit, 4, 5 and 6
// 64-bit; "none" (no version resource) and "" may be either.
Architecture VersionArchitecture(const std::string& simVersion);
// False, after one line on stderr, when the module is built for the other
// architecture than this program (which could not load it).
bool ModuleFitsThisProgram(const std::string& modulePath);
// A host program: runs the scenario or the check.
int RunHost(int argc, char** argv);

// Reads a whole file; false when it cannot be read.
bool ReadFile(const std::string& path, std::string* text);
// A full Windows path for a path given on the command line.
std::string FullPath(const std::string& path);
std::string ProgramFolder();  // of the running program
// A fresh stand-in with the module loaded; false (and a line on stderr) when
// the module cannot be loaded.
bool LoadFreshModule(const Options& options);

// The simulator's own libraries as this host has them: the SimConnect
// stand-in with --simconnect (from the assembly beside the program), the
// stand-in GLOBAL.DLL for version 9 (sound on, time of day 1). False, with a
// line on stderr, when one is missing.
bool OpenStandIns(const Options& options);
// Delivers the SimConnect event subscribed under that name ("Sound",
// "Pause", "View"); false when no open connection received it.
bool SendSimConnectEvent(const char* systemEventName, uint32_t data);
// Sets the time-of-day byte / the sound-status value in GLOBAL.DLL.
void SetGlobalTimeOfDay(uint8_t value);
void SetGlobalSoundStatus(int32_t value);

// The trace: one line per event, each with its frame number.
void TraceSettings(bool quiet, bool traceAll);
// Prints the service calls and boxes the module made since the last call.
void TraceModule();
// Marks everything logged so far as seen, without printing it.
void TraceSkip();
void Say(const char* kind, const char* format, ...);  // not under --quiet
void SayFailure(const char* format, ...);             // always
void SayAlways(const char* kind, const char* format, ...);  // also under --quiet
std::string Escaped(const std::string& text);        // line breaks as \n
std::string BoxText(const host::MessageBoxRecord& box);  // [title] text, escaped
