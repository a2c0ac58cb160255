// bench: the module's costs measured through the simulator stand-in, printed
// as plain tables. Run by scripts/bench; exits 1 when a table could not be
// measured.
#include <stdio.h>
#include <string.h>

#include "host/host.h"
#include "tools/bench/bench.h"
#include "tools/bench/sections.h"

int main(int argc, char** argv) {
    // Optional: the names of the tables to run (frame, alloc, config, sound).
    bool all = argc < 2;
    auto wanted = [&](const char* name) {
        for (int i = 1; i < argc; ++i)
            if (strcmp(argv[i], name) == 0) return true;
        return all;
    };
    host::EndOnCrash();
    setvbuf(stdout, nullptr, _IOLBF, 0);
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    printf("processors seen by the program: %lu; the program and module: %s\n\n", system.dwNumberOfProcessors,
           sizeof(void*) == 8 ? "64-bit" : "32-bit");

    std::string folder = MakeWorkFolder();
    double start = Now();
    bool ok = true;
    if (wanted("frame")) ok = bench::RunFrameCost(folder) && ok;
    if (wanted("alloc")) ok = bench::RunAllocations(folder) && ok;
    if (wanted("config")) ok = bench::RunConfigLoad(folder) && ok;
    if (wanted("sound")) ok = bench::RunSoundLoad(folder) && ok;
    RemoveWorkFolder(folder);
    printf("whole run: %.1f s\n", (Now() - start) / 1e6);
    return ok ? 0 : 1;
}
