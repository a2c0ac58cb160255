// panelhost's command line.
#include <stdio.h>
#include <string.h>

#include "tools/panelhost/common/common.h"

namespace {

const char kUsage[] =
    "usage: panelhost [--sim-version 10|9|1|4|5|6|none] [--simconnect] [--module PATH] [--no-window]\n"
    "                 [--fast] [--quiet] [--trace-all] [--sim-folder DIR] SCENARIO\n"
    "       panelhost --check INI|PANEL.CFG|AIRCRAFT-FOLDER [--sim-folder DIR] [--sim-version V] [--module PATH]\n"
    "                 [--report FILE.html]\n"
    "       panelhost --listen [--sim-folder DIR] [options as above] INI|PANEL.CFG|AIRCRAFT-FOLDER\n"
    "       panelhost --version\n";

int Usage(const char* why) {
    fprintf(stderr, "panelhost: %s\n%s", why, kUsage);
    return kExitUnusable;
}

}  // namespace

int ReadOptions(int argc, char** argv, Options* options) {
    bool others = false;  // options that only a scenario run takes
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (strcmp(arg, "--module") == 0 && hasValue) {
            options->modulePath = FullPath(argv[++i]);
            options->moduleGiven = true;
        } else if (strcmp(arg, "--check") == 0 && hasValue) {
            options->checkConfig = argv[++i];
        } else if (strcmp(arg, "--report") == 0 && hasValue) {
            options->reportPath = FullPath(argv[++i]);
        } else if (strcmp(arg, "--sim-folder") == 0 && hasValue) {
            options->simFolder = argv[++i];
        } else if (strcmp(arg, "--sim-version") == 0 && hasValue) {
            options->simVersion = argv[++i];
            if (VersionArchitecture(options->simVersion) == kArchUnknown && options->simVersion != "none")
                return Usage("--sim-version takes 10, 9, 1 (32-bit), 4, 5, 6 (64-bit) or none");
        } else if (strcmp(arg, "--simconnect") == 0) {
            options->simConnect = others = true;
        } else if (strcmp(arg, "--no-window") == 0) {
            options->noWindow = others = true;
        } else if (strcmp(arg, "--fast") == 0) {
            options->fast = others = true;
        } else if (strcmp(arg, "--quiet") == 0) {
            options->quiet = others = true;
        } else if (strcmp(arg, "--listen") == 0) {
            options->listen = others = true;
        } else if (strcmp(arg, "--trace-all") == 0) {
            options->traceAll = others = true;
        } else if (arg[0] == '-' && arg[1] == '-') {
            return Usage((std::string("unknown option or missing value: ") + arg).c_str());
        } else if (options->scenarioPath.empty()) {
            options->scenarioPath = arg;
        } else {
            return Usage("give one scenario");
        }
    }
    if (!options->checkConfig.empty()) {
        if (!options->scenarioPath.empty() || others)
            return Usage("--check takes a path, --sim-folder, --sim-version, --module and --report only");
        return 0;
    }
    if (options->listen && options->fast) {
        fprintf(stderr, "panelhost: --listen runs at the simulator's rate, to be heard: --fast does not go with it\n");
        return kExitUnusable;
    }
    if (!options->reportPath.empty()) return Usage("--report goes with --check");
    if (options->scenarioPath.empty())
        return Usage(options->listen ? "--listen takes an INI, a panel.cfg or an aircraft folder" : "no scenario given");
    return 0;
}
