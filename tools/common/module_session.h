// One module loaded fresh into the simulator stand-in, started, with one
// Sound gauge on the panel: the session the benchmark and the fuzzer drive.
// Also their clock and their work folder.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// Microseconds on the performance counter.
double Now();

// A fresh folder under the temporary folder, removed with its files.
std::string MakeWorkFolder();
void RemoveWorkFolder(const std::string& folder);

struct Session {
    int gauge = -1;
    int slots = 0;
    std::vector<int32_t> commandIds;  // the slots' command variables, once known
};
// kvo_sound.dll beside the running program.
std::string ModulePath();
// Loads and starts the module with a Sound gauge on CONFIGPATH; false when
// the module cannot be loaded or the gauge added.
bool OpenSession(const std::string& configPath, Session* session);
void CloseSession();
// One pre-update of the gauge, with the clock moved on as in a running
// simulation and the host's call log emptied first. Returns microseconds.
double PreUpdate(const Session& session);
