// panelhost.exe reads the command line and starts the host program of the
// simulator version asked for; the host programs run the module. Both are
// built from the same parts.
#include <stdio.h>
#include <string.h>

#include "host/host.h"
#include "tools/panelhost/check/install.h"
#include "tools/panelhost/common/common.h"

int main(int argc, char** argv) {
    host::EndOnCrash();
#ifdef KVO_PANELHOST_LAUNCHER
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("panelhost (kvo_sound) %s\n", KVO_VERSION);
        return kExitOk;
    }
    return LaunchHost(argc, argv, PrepareCheckLaunch);
#else
    return RunHost(argc, argv);
#endif
}
