#include "tools/panelhost/check/sharing.h"

#include "tools/panelhost/check/report.h"
#include "tools/panelhost/common/names.h"
#include "tools/panelhost/common/slot_table_view.h"

void CheckSharing(IniLint* lint, const ConfigResult& result) {
    TableView table = ReadSlotTable();
    const CfgSection* lvars = FindSection(lint->sections, "LVars");
    for (size_t a = 0; a < result.configured.size(); ++a) {
        for (size_t b = a + 1; b < result.configured.size(); ++b) {
            const SlotView& first = table.slots[static_cast<size_t>(result.configured[a])];
            const SlotView& second = table.slots[static_cast<size_t>(result.configured[b])];
            if (first.buffer != 0 && first.buffer == second.buffer)
                ReportWarning(lint->iniPath, result.configuredLines[b], second.wavPath,
                        result.configuredKeys[a] + " and " + result.configuredKeys[b] +
                            " name the same WAV file, so they share one sound buffer: a load applies the loading "
                            "slot's volume to both, and a 0 in one slot's variable stops the other's play; "
                            "give each slot a copy of the file");
            if (SameName(first.variable, second.variable)) {
                const CfgEntry* lvar = FindEntry(lvars, SlotKey("Lvar", result.configured[b]));
                ReportWarning(lint->iniPath, lvar != nullptr ? lvar->line : 0, second.variable,
                        result.configuredKeys[a] + " and " + result.configuredKeys[b] +
                            " have the same command variable: one write commands both; give each slot its own "
                            "in [LVars]");
            }
        }
    }
}
