// Host data of a version-9 simulator, read from its GLOBAL.DLL.
#pragma once

// Publishes "TimeOfDay" and the sound status and sets simSoundOn; does
// nothing while GLOBAL.DLL or its "Linkage" export is missing.
void ReadVersion9HostData();
