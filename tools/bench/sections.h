// The benchmark's tables, each printed to stdout. Each returns false when
// the module could not be driven as the table needs; the table says why.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

bool RunFrameCost(const std::string& folder);
bool RunAllocations(const std::string& folder);
bool RunConfigLoad(const std::string& folder);
bool RunSoundLoad(const std::string& folder);

// The configuration of `slots` sounds in `folder`, and the sound files it
// names (written once, shared by every configuration).
std::string PrepareConfig(const std::string& folder, int slots);

}  // namespace bench

namespace bench {

// Counts the module's calls of every allocator it imports from now on;
// returns the names of the entries redirected.
std::string CountModuleAllocations(HMODULE module);
long ModuleAllocationCount();

}  // namespace bench
