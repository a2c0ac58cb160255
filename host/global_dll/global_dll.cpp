// A stand-in for a version-9 simulator's GLOBAL.DLL: only its "Linkage" data
// export, whose bytes the host sets (see global_dll.h for the two it uses).
#include "host/global_dll/global_dll.h"

extern "C" {
unsigned char Linkage[kGlobalLinkageSize] = {0};
}
