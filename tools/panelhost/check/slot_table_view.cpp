#include "tools/panelhost/check/slot_table_view.h"

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
const size_t kFailedOffset = 20;
const size_t kVolumeOffset = 24;
const size_t kWavPathOffset = 32;
const size_t kVarNameOffset = 296;
const int32_t kMaxSlots = 1000;  // MaxSounds as the module clamps it

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
            int32_t loaded;
            memcpy(&loaded, record + kLoadedOffset, sizeof loaded);
            slot.loaded = loaded != 0;
            int32_t failed;
            memcpy(&failed, record + kFailedOffset, sizeof failed);
            slot.failed = failed != 0;
            memcpy(&slot.volume, record + kVolumeOffset, sizeof slot.volume);
            memcpy(&slot.buffer, record + kBufferOffset, sizeof slot.buffer);
            if (i == count) table.globalVariable = slot.variable;
            else table.slots.push_back(slot);
        }
    }
    return table;
}
