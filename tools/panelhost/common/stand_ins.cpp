// The simulator's own libraries as a host program of a given version has
// them: the SimConnect stand-in and the version-9 GLOBAL.DLL.
#include <stdio.h>

#include "host/global_dll/global_dll.h"
#include "host/simconnect/simconnect_double.h"
#include "tools/panelhost/common/common.h"

namespace {

SimConnectDouble simConnect = {};
HMODULE globalDll = nullptr;

unsigned char* GlobalLinkage() {
    if (globalDll == nullptr) return nullptr;
    return reinterpret_cast<unsigned char*>(reinterpret_cast<void*>(GetProcAddress(globalDll, "Linkage")));
}

}  // namespace

bool OpenStandIns(const Options& options) {
    std::string folder = ProgramFolder();
    if (options.simConnect) {
        // Loaded by its full path first, the module's own load inside its
        // activation context gets this same copy.
        if (simConnect.dll == nullptr && !LoadSimConnectDouble(folder, &simConnect)) {
            fprintf(stderr, "panelhost: the SimConnect stand-in is missing from %s\\%s\n", folder.c_str(),
                    kSimConnectAssemblyFolder);
            return false;
        }
        simConnect.reset();
    }
    if (options.simVersion == "9") {
        std::string path = folder + "\\GLOBAL.DLL";
        if (globalDll == nullptr) globalDll = LoadLibraryA(path.c_str());
        if (globalDll == nullptr || !SetGlobalDllValues(globalDll, 1, 1)) {
            fprintf(stderr, "panelhost: the stand-in %s is missing\n", path.c_str());
            return false;
        }
    }
    return true;
}

bool SendSimConnectEvent(const char* systemEventName, uint32_t data) {
    return simConnect.dll != nullptr && simConnect.sendSystemEvent(systemEventName, data) != 0;
}

void SetGlobalTimeOfDay(uint8_t value) {
    unsigned char* linkage = GlobalLinkage();
    if (linkage != nullptr) linkage[kGlobalTimeOfDayOffset] = value;
}

void SetGlobalSoundStatus(int32_t value) {
    unsigned char* linkage = GlobalLinkage();
    if (linkage != nullptr) memcpy(linkage + kGlobalSoundStatusOffset, &value, sizeof value);
}
