// panelhost.exe reads the command line and starts the host program of the
// simulator version asked for; the host programs run the module. Both are
// built from the same parts.
#include "tools/panelhost/panelhost.h"

int main(int argc, char** argv) {
#ifdef KVO_PANELHOST_LAUNCHER
    return LaunchHost(argc, argv);
#else
    return RunHost(argc, argv);
#endif
}
