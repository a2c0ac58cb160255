// The fuzzer's cases: WAV and INI files made from a valid base by seeded
// mutations. A case is a function of its own seed alone, so any case of a
// run can be made again from the run's seed and the case's number.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace fuzz {

typedef std::vector<uint8_t> Bytes;

// splitmix64: small, fast and the same everywhere.
struct Random {
    uint64_t state;
    uint64_t Next();
    uint32_t Below(uint32_t bound);  // 0 .. bound - 1; 0 when bound is 0
    bool OneIn(uint32_t n);
};

// The seed of case `index` of the run seeded `runSeed`.
uint64_t CaseSeed(uint64_t runSeed, uint64_t index);

struct Case {
    Bytes bytes;
    std::string recipe;  // the base and the mutations applied, for the failure report
};

// A RIFF/WAVE file: a base of some sample layout, then chunk reordering,
// format fields and chunk sizes set to boundary values, byte flips,
// insertions and truncations.
Case MakeWavCase(uint64_t caseSeed);

// A configuration of `slots` sounds whose [Sounds] entries name
// `soundFile`, a WAV beside it that plays, and whose command variables are
// CommandName(0..slots-1); then keys, values, line lengths and the text's
// encoding mutated.
const int kIniSlots = 4;
std::string CommandName(int slot);
Case MakeIniCase(uint64_t caseSeed, const std::string& soundFile);

}  // namespace fuzz
