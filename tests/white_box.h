// For test programs that link the module's code: the stand-in's services
// table handed straight to the module, and this program's boxes recorded.
#pragma once

#include "host/host.h"
#include "module/host_services.h"
#include "module/named_var.h"

inline void AttachWhiteBoxHost() {
    // Each case starts with the named-variable records of a fresh load, so
    // that no case depends on the ids an earlier case left cached.
    ResetModuleVars();
    host::Reset();
    host::ClearMessageBoxes();
    host::RunWhileBoxOpen(nullptr);
    host::HookMessageBoxes(GetModuleHandleA(nullptr));
    ImportTable.panels = host::Services();
}
