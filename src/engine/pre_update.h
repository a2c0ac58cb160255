// The per-frame cycle, run by the Sound gauge's pre-update.
#pragma once

#include "module/host_abi.h"

// A call made while one runs (a frame the simulator runs inside one of the
// module's boxes) returns at once.
void RunPreUpdate(GaugeHeader* gauge);

// The slot being served and the status of its last audio operation, for
// the error reports.
extern int currentSlot;
extern int lastResult;

// The report for the slot being served: `lastResult` against the slot at
// `currentSlot`, passed on to ReportSlotErrorFor.
void ReportSlotError();
