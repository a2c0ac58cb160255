// Reads what the module shows of itself: its published slot table, the
// names of its load, its configuration path.
#include "tools/panelhost/common/slot_table_view.h"

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
            slot.playing = record.playing != 0;
            slot.command = record.command;
            slot.playMode = record.playMode;
            slot.volume = record.volume;
            slot.pan = record.pan;
            slot.buffer = reinterpret_cast<uintptr_t>(record.buffer);
            if (i == count) table.globalVariable = slot.variable;
            else table.slots.push_back(slot);
        }
    }
    return table;
}

std::vector<std::string> LoadRegistrations(int loadFrame) {
    std::vector<std::string> names;
    for (const host::ServiceCall& call : host::Calls())
        if (call.op == "register" && call.frame == loadFrame) names.push_back(call.name);
    return names;
}

std::string ModuleIniPath(int debugger) {
    GaugeHeader* gauge = host::Gauge(debugger);
    for (MouseRect* rect = gauge != nullptr ? gauge->mouse_rect : nullptr; rect != nullptr && rect->rect_type != kMouseRectEol;
         ++rect)
        if (rect->rect_type == kMouseRectUser && rect->mouse_function != nullptr)
            return reinterpret_cast<const char*>(rect->mouse_function);
    return "";
}
