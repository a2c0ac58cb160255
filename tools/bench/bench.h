// Shared pieces of the benchmark program: sample statistics, import
// redirection, the configurations it writes, and the slots of a module
// session (tools/common/module_session.h) driven through the simulator
// stand-in.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

#include "tools/common/module_session.h"
#include "tools/common/wav_files.h"

namespace bench {

struct Summary {
    double median;
    double p99;
};
// Nearest-rank median and 99th percentile; zeros for no samples.
Summary Summarize(std::vector<double> samples);

// Points `module`'s import of `dll`!`function` at `replacement`. Returns the
// address the entry held before, or null when the module does not import it.
void* RedirectImport(HMODULE module, const char* dll, const char* function, void* replacement);

// A configuration of `slots` sounds: SoundNN names soundNN.wav in the
// configuration's folder, LvarNN names the command variable CommandName(NN).
bool WriteConfig(const std::string& path, int slots);
std::string CommandName(int slot);
// The whole file read once; -1 when it cannot be read. Returns microseconds.
double PlainRead(const std::string& path);

// Runs frames until the module serves its slots, and learns their command
// variables; false when it never does.
bool RunUntilServing(Session* session);
void SetAllCommands(const Session& session, double value);
// Slots whose command variable does not hold `value`.
int SlotsNotAt(const Session& session, double value);

}  // namespace bench
