// Reads what the module shows of itself: its published slot table, the
// names of its load, its configuration path.
#include "tools/panelhost/common/slot_table_view.h"

#include <string.h>

#include "host/host.h"

namespace {

// The slot table's layout as the module publishes it. The 64-bit module's
// buffer pointer takes 8 bytes, after 4 of padding.
#ifdef _WIN64
const size_t kSlotRecordBytes = 832;
const size_t kBufferOffset = 824;
#else
const size_t kSlotRecordBytes = 824;
const size_t kBufferOffset = 820;
#endif
const size_t kLoadedOffset = 4;
const size_t kPlayingOffset = 8;
const size_t kCommandOffset = 12;
const size_t kPlayModeOffset = 16;
const size_t kFailedOffset = 20;
const size_t kVolumeOffset = 24;
const size_t kPanOffset = 28;
const size_t kWavPathOffset = 32;
const size_t kVarNameOffset = 296;
const int32_t kMaxSlots = 1000;  // MaxSounds as the module clamps it

int32_t Int32At(const unsigned char* record, size_t offset) {
    int32_t value;
    memcpy(&value, record + offset, sizeof value);
    return value;
}

}  // namespace

TableView ReadSlotTable() {
    TableView table;
    for (const host::RegisteredVariable& variable : host::RegisteredVariables()) {
        if (variable.name != "SoundStringBase" || variable.cell == nullptr) continue;
        uint64_t address = *static_cast<const uint64_t*>(variable.cell);
        const unsigned char* base = reinterpret_cast<const unsigned char*>(static_cast<uintptr_t>(address));
        if (base == nullptr) break;
        int32_t count;
        memcpy(&count, base, sizeof count);
        if (count < 0 || count > kMaxSlots) break;
        table.soundCount = count;
        for (int i = 0; i <= count; ++i) {
            const unsigned char* record = base + kSlotRecordBytes * static_cast<size_t>(i);
            SlotView slot;
            slot.wavPath.assign(reinterpret_cast<const char*>(record + kWavPathOffset),
                                strnlen(reinterpret_cast<const char*>(record + kWavPathOffset), kPathBytes));
            slot.variable.assign(reinterpret_cast<const char*>(record + kVarNameOffset),
                                 strnlen(reinterpret_cast<const char*>(record + kVarNameOffset), kPathBytes));
            slot.loaded = Int32At(record, kLoadedOffset) != 0;
            slot.failed = Int32At(record, kFailedOffset) != 0;
            slot.playing = Int32At(record, kPlayingOffset) != 0;
            slot.command = Int32At(record, kCommandOffset);
            slot.playMode = Int32At(record, kPlayModeOffset);
            slot.volume = Int32At(record, kVolumeOffset);
            slot.pan = Int32At(record, kPanOffset);
            memcpy(&slot.buffer, record + kBufferOffset, sizeof slot.buffer);
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
