// The table of sound slots: one record per configured sound and one more,
// at index `soundCount`, for the global-commands variable.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "module/host_abi.h"
#include "module/named_var.h"

struct SoundBuffer;

// The layout is fixed: the table's address is published to other modules.
// In the 64-bit module the buffer pointer takes 8 bytes at its natural
// place, after 4 bytes of padding; every other field stays where it is.
struct SoundSlot {
    int32_t countWord;  // record 0: `soundCount`; every other record: 0
    int32_t loaded;
    int32_t playing;
    int32_t command;
    int32_t playMode;  // 0 idle, 1 playing once, 2 looping
    int32_t failed;
    int32_t volume;  // hundredths of a decibel, 0 full, -10000 silent
    int32_t pan;     // -10000 left to 10000 right
    char wavPath[kNameLength];
    NamedVar commandVar;
    uint8_t reserved[264];
    SoundBuffer* buffer;
};

// (x86, x64)
HOST_ABI_SIZE(SoundSlot, 824, 832);
HOST_ABI_OFFSET(SoundSlot, countWord, 0, 0);
HOST_ABI_OFFSET(SoundSlot, loaded, 4, 4);
HOST_ABI_OFFSET(SoundSlot, playing, 8, 8);
HOST_ABI_OFFSET(SoundSlot, command, 12, 12);
HOST_ABI_OFFSET(SoundSlot, playMode, 16, 16);
HOST_ABI_OFFSET(SoundSlot, failed, 20, 20);
HOST_ABI_OFFSET(SoundSlot, volume, 24, 24);
HOST_ABI_OFFSET(SoundSlot, pan, 28, 28);
HOST_ABI_OFFSET(SoundSlot, wavPath, 32, 32);
static_assert(offsetof(SoundSlot, commandVar) + offsetof(NamedVar, id) == 292, "commandVar.id");
static_assert(offsetof(SoundSlot, commandVar) + offsetof(NamedVar, name) == 296, "commandVar.name");
HOST_ABI_OFFSET(SoundSlot, reserved, 556, 556);
HOST_ABI_OFFSET(SoundSlot, buffer, 820, 824);

extern SoundSlot* slots;

const char kDefaultGlobalCommands[] = "KVOGlobals";

// Allocates the table and reads every slot's [Sounds] and [LVars] entry,
// last slot first. Returns false when the table could not be allocated.
bool BuildSlotTable();
// Registers the global-commands variable and stamps `soundCount` into the
// table's first word.
void BindGlobalCommands();
void DestroySlotTable();
