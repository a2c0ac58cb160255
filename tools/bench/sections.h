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
// Counts dsound.dll's heap calls, on every thread, from now on; returns the
// names of the entries redirected (empty when no dsound.dll is loaded).
std::string CountSoundAllocations();

// The largest single request of the module's allocators, and of dsound.dll's
// heap, since the last reset (counted entries only), in bytes.
void ResetLargestAllocations();
size_t LargestModuleAllocation();
size_t LargestSoundAllocation();

}  // namespace bench
