// The error report for the slot being served.
#include "config/config.h"
#include "config/slot_table.h"
#include "diag/error_report.h"
#include "engine/pre_update.h"

// `currentSlot` may still hold the index of an earlier module start, beyond
// the present table: then no sound is named and the action reads 0.
void ReportSlotError() {
    if (slots != nullptr && currentSlot >= 0 && currentSlot <= soundCount)
        ReportSlotErrorFor(lastResult, slots[currentSlot].wavPath, slots[currentSlot].command);
    else
        ReportSlotErrorFor(lastResult, "", 0);
}
