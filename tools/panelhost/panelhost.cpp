// panelhost: runs the module, its configuration and its WAV files without
// the simulator. A scenario scripts what the XML gauges and the simulator do;
// --check checks an aircraft's sound set-up. The host program's run of its
// command line.
#include <stdio.h>

#include "host/simconnect/simconnect_double.h"
#include "tools/panelhost/check/check.h"
#include "tools/panelhost/common/common.h"
#include "tools/panelhost/scenario/runner.h"

namespace {

// A 32-bit module of one's own finds SimConnect where the assembly sits
// beside it, whatever --simconnect says.
void WarnOfModuleFolder(const Options& options) {
    std::string library = FolderOf(options.modulePath) + "\\" + kSimConnectAssemblyFolder + "\\SimConnect.dll";
    bool present = GetFileAttributesA(library.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (options.simConnect && !present)
        fprintf(stderr, "panelhost: warning: no %s beside the module: its link cannot come up\n",
                kSimConnectAssemblyFolder);
    if (!options.simConnect && present)
        fprintf(stderr, "panelhost: warning: %s sits beside the module: it finds SimConnect without --simconnect\n",
                kSimConnectAssemblyFolder);
}

}  // namespace

int RunHost(int argc, char** argv) {
    Options options;
    options.modulePath = ProgramFolder() + "\\kvo_sound.dll";
    int status = ReadOptions(argc, argv, &options);
    if (status != 0) return status;
    if (options.moduleGiven && OwnArchitecture() == kArch32) WarnOfModuleFolder(options);
    if (!options.checkConfig.empty()) return RunCheck(options);
    if (options.listen) return RunListen(options);
    return RunScenarioFile(options);
}
