#include "tools/panelhost/check/slot_table_view.h"

#include <string.h>

#include "config/config.h"
#include "config/slot_table.h"
#include "host/host.h"

TableView ReadSlotTable() {
    TableView table;
    for (const host::RegisteredVariable& variable : host::RegisteredVariables()) {
        if (variable.name != "SoundStringBase" || variable.cell == nullptr) continue;
        uint64_t address = *static_cast<const uint64_t*>(variable.cell);
        const unsigned char* base = reinterpret_cast<const unsigned char*>(static_cast<uintptr_t>(address));
        if (base == nullptr) break;
        int32_t count;
        memcpy(&count, base, sizeof count);
        if (count < 0 || count > kMaxSoundCount) break;
        table.soundCount = count;
        for (int i = 0; i <= count; ++i) {
            SoundSlot record;
            memcpy(&record, base + sizeof record * static_cast<size_t>(i), sizeof record);
            SlotView slot;
            slot.wavPath.assign(record.wavPath, strnlen(record.wavPath, sizeof record.wavPath));
            slot.variable.assign(record.commandVar.name, strnlen(record.commandVar.name, sizeof record.commandVar.name));
            slot.loaded = record.loaded != 0;
            slot.failed = record.failed != 0;
            slot.buffer = reinterpret_cast<uintptr_t>(record.buffer);
            if (i == count) table.globalVariable = slot.variable;
            else table.slots.push_back(slot);
        }
    }
    return table;
}
