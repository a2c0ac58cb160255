// The simulator's version, read from its executable's version resource.
#pragma once

struct HostVersion {
    int major;
    int minor;
    int build;
};

// Reads and publishes "FSVersionMajor", "FSVersionMinor" and "FSVersionBuild".
HostVersion ReadHostVersion();
// Frees the version-information buffer kept since start-up.
void FreeHostVersionInfo();
