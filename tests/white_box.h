// For test programs that link the module's code: the stand-in's services
// table handed straight to the module, and this program's boxes recorded.
#pragma once

#include "host/host.h"
#include "module/host_services.h"

inline void AttachWhiteBoxHost() {
    host::Reset();
    host::ClearMessageBoxes();
    host::HookMessageBoxes(GetModuleHandleA(nullptr));
    ImportTable.panels = host::Services();
}
