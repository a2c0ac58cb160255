#include "engine/pre_update.h"

#include "module/module_state.h"
#include "module/named_var.h"

void RunPreUpdate(GaugeHeader* /*gauge*/) {
    // Volume unit of this frame, before anything else.
    oldVolumeControl = TruncateToInt(NamedVarGetValue(&moduleVars[kVarOldVolumeControl])) != 0 ? 1 : 0;
}
