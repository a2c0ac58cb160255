// The module's two gauges, Sound and Debugger.
#pragma once

#include "module/host_abi.h"

extern GaugeHeader soundGaugeHeader;
extern GaugeHeader debuggerGaugeHeader;

const int kSoundBitmapId = 256;
const int kDebuggerBitmapId = 512;

void HOST_API SoundGaugeCallback(GaugeHeader* gauge, int32_t serviceId, uintptr_t extraData);
