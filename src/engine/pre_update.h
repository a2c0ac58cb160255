// The per-frame cycle, run by the Sound gauge's pre-update.
#pragma once

#include "module/host_abi.h"

void RunPreUpdate(GaugeHeader* gauge);
