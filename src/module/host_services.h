// The host's panel-services table, read afresh from ImportTable at every use.
#pragma once

#include "module/host_abi.h"

extern "C" {
extern ModuleLinkage Linkage;
extern ModuleImports ImportTable;
}

inline PanelServices* HostServices() { return ImportTable.panels; }
