// Shared pieces of the benchmark program: the clock, sample statistics,
// import redirection, the files it writes and one module session driven
// through the simulator stand-in.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

namespace bench {

// Microseconds on the performance counter.
double Now();

struct Summary {
    double median;
    double p99;
};
// Nearest-rank median and 99th percentile; zeros for no samples.
Summary Summarize(std::vector<double> samples);

// Points `module`'s import of `dll`!`function` at `replacement`. Returns the
// address the entry held before, or null when the module does not import it.
void* RedirectImport(HMODULE module, const char* dll, const char* function, void* replacement);

// A fresh folder under the temporary folder, removed with its files.
std::string MakeWorkFolder();
void RemoveWorkFolder(const std::string& folder);

// A 16-bit stereo 22050 Hz PCM file whose samples take `dataBytes`.
bool WriteWav(const std::string& path, uint32_t dataBytes);
// A configuration of `slots` sounds: SoundNN names soundNN.wav in the
// configuration's folder, LvarNN names the command variable CommandName(NN).
bool WriteConfig(const std::string& path, int slots);
std::string CommandName(int slot);
// The whole file read once; -1 when it cannot be read. Returns microseconds.
double PlainRead(const std::string& path);

// One module loaded fresh, started, and one Sound gauge on the panel.
struct Session {
    int gauge = -1;
    int slots = 0;
    std::vector<int32_t> commandIds;  // the slots' command variables
};
std::string ModulePath();
bool OpenSession(const std::string& configPath, Session* session);
// Runs frames until the module serves its slots; false when it never does.
bool RunUntilServing(Session* session);
void CloseSession();
// One pre-update of the gauge, with the clock moved on as in a running
// simulation and the host's call log emptied first. Returns microseconds.
double PreUpdate(const Session& session);
void SetAllCommands(const Session& session, double value);
// Slots whose command variable does not hold `value`.
int SlotsNotAt(const Session& session, double value);

}  // namespace bench
