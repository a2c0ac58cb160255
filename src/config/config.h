// The INI configuration: its path, the [Config] section and the eight
// control variables.
#pragma once

#include "module/host_abi.h"
#include "module/named_var.h"

extern int configPathResolved;
extern int configLoaded;
extern char* parameterCopy;
extern char iniPath[kNameLength];
extern int errorFlagValue;
extern int soundCount;
// The Debugger gauge's page; a fresh configuration shows its own page.
extern int debugPage;

const int kMaxSoundCount = 1000;

// Resolves the configuration path from the gauge's parameter string, reads
// [Config], registers the control variables and builds the slot table.
void LoadConfiguration(GaugeHeader* gauge);
// Frees the copy of the parameter string (module shut-down).
void FreeParameterCopy();
