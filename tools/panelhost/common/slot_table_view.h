// The module as it shows itself to the host: the slot table it publishes
// ("SoundStringBase"), read from the module's own memory (the module and
// panelhost share one process), the names it registered when it loaded its
// configuration, and the configuration path its Debugger gauge names. The
// table's records are the module's own SoundSlot (config/slot_table.h).
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
    bool playing;
    int32_t command;   // the code the module read from the variable the last time it served the slot
    int32_t playMode;  // 0 idle, 1 playing once, 2 looping
    int32_t volume;    // hundredths of a decibel, 0 full, -10000 silent
    int32_t pan;       // -10000 left to 10000 right
    uintptr_t buffer;  // the module's pointer, whole
};

struct TableView {
    int soundCount = -1;  // -1: the table was not published
    std::vector<SlotView> slots;
    std::string globalVariable;
};

// The table as the module holds it now.
TableView ReadSlotTable();

// The module's control variables, in the order its load registers them
// before the slots' command variables.
enum ControlVariable {
    kVolumeVarIn,
    kPanVarIn,
    kVolumeVarOut,
    kPanVarOut,
    kVolumePlayed,
    kPanPlayed,
    kLoopPlayed,
    kLoopOut,
    kControlVariables
};

// Names the module registered in the frame LOADFRAME, in order: the control
// variables of the load first. Only calls still in the host's log count.
std::vector<std::string> LoadRegistrations(int loadFrame);
// The configuration path the module took, as the tooltip of its Debugger
// gauge instance DEBUGGER shows it.
std::string ModuleIniPath(int debugger);
