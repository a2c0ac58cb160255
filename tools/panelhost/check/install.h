// The install the check judges: which module file the simulator will load for
// the panel's Sound gauge, which simulator it is (asked for, or read from the
// simulator's program), and which module the check runs because of that.
// Read the same way by the launcher, to pick the host program, and by the
// host program, which reports it; others may read the facts (CheckedInstall).
#pragma once

#include <string>

#include "tools/panelhost/common/common.h"

// A module file as its PE header and version resource describe it.
struct ModuleFileFacts {
    std::string path;  // "" when none was found
    Architecture architecture = kArchUnknown;
    std::string product;  // the version resource's ProductName, "" without one
    std::string version;  // "major.minor.patch" of its file version, "" without one
};

// The simulator's program: the file whose version resource the module reads.
struct SimProgramFacts {
    std::string path;
    Architecture architecture = kArchUnknown;
    int major = 0;
    std::string version;  // "major.minor.build"
};

struct InstallFacts {
    std::string checked;        // the path given to --check, in full
    std::string aircraftFolder;
    std::string simFolder;
    bool simFolderFound = false;  // given, or found above the aircraft (not the current folder)

    // The module the simulator loads: the panel folder, then Gauges, for the
    // first Sound gauge line whose container names a file there.
    ModuleFileFacts module;
    std::string modulePanel;  // the panel.cfg of that line
    int moduleLine = 0;
    std::string moduleGauge;  // "container!Sound" as written
    bool soundGaugeSeen = false;  // some panel names a Sound gauge

    // The simulator: its major version as asked for or read, "" unknown.
    std::string simVersion;
    std::string simVersionFrom;  // "--sim-version" or the program's path
    Architecture simArchitecture = kArchUnknown;
    SimProgramFacts program;
    std::string programsDisagree;  // several programs that could be the simulator's, when they disagree

    // panelhost's own module (of the module's architecture, else the simulator's).
    ModuleFileFacts ownModule;

    // What the check runs: the module path, in a host of this architecture and version.
    std::string runModule;
    bool runsOwn = true;
    Architecture runArchitecture = kArch32;
    std::string hostVersion;  // the host program's version: 10, 9, 1, 4, 5, 6 or none
    enum Verdict { kFits, kNoModule, kNotOurs, kWrongArchitecture, kOtherVersion, kGivenModule } verdict = kNoModule;
};

// Reads the install the options point at. Prints nothing.
InstallFacts ReadInstall(const Options& options);
// Prints the facts as the check's first lines, with an error for a module the
// simulator cannot load and a warning for one of another version.
void ReportInstall(const InstallFacts& facts);
// The facts of the check that runs (empty before RunCheck read them).
const InstallFacts& CheckedInstall();
void SetCheckedInstall(const InstallFacts& facts);
// The launcher's choice for --check: the architecture and host version the
// install asks for (an explicit --module keeps its own).
void PrepareCheckLaunch(Options* options);
// The module file's facts, for any path.
ModuleFileFacts ReadModuleFile(const std::string& path);
