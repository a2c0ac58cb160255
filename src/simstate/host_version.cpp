#include "simstate/host_version.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "module/module_state.h"
#include "module/named_var.h"

static void* versionInfo = nullptr;

HostVersion ReadHostVersion() {
    HostVersion version = {0, 0, 0};
    char exePath[kNameLength];
    ReadModuleFileName(nullptr, exePath);

    FreeHostVersionInfo();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(exePath, &handle);
    if (size > 0) versionInfo = calloc(1, size);
    if (versionInfo != nullptr && GetFileVersionInfoA(exePath, 0, size, versionInfo)) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixedSize = 0;
        if (VerQueryValueA(versionInfo, "\\", reinterpret_cast<void**>(&fixed), &fixedSize) && fixed != nullptr &&
            fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
            version.major = HIWORD(fixed->dwFileVersionMS);
            version.minor = LOWORD(fixed->dwFileVersionMS);
            version.build = HIWORD(fixed->dwFileVersionLS) != 0 ? HIWORD(fixed->dwFileVersionLS)
                                                                : LOWORD(fixed->dwFileVersionLS);
        }
    }

    NamedVarPublish(&moduleVars[kVarFSVersionMajor], "FSVersionMajor", version.major);
    NamedVarPublish(&moduleVars[kVarFSVersionMinor], "FSVersionMinor", version.minor);
    NamedVarPublish(&moduleVars[kVarFSVersionBuild], "FSVersionBuild", version.build);
    return version;
}

void FreeHostVersionInfo() {
    free(versionInfo);
    versionInfo = nullptr;
}
