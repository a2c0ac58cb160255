// The module's slot table as it publishes it ("SoundStringBase"), read from
// the module's own memory: the check and the module share one process. The
// records are the module's own SoundSlot (config/slot_table.h).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// One slot as the module's table holds it.
struct SlotView {
    std::string wavPath;
    std::string variable;
    bool loaded;
    bool failed;
    uintptr_t buffer;  // the module's pointer, whole
};

struct TableView {
    int soundCount = -1;  // -1: the table was not published
    std::vector<SlotView> slots;
    std::string globalVariable;
};

// The table as the module holds it now.
TableView ReadSlotTable();
