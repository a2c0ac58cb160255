// The table of sound slots: one record per configured sound and one more,
// at index `soundCount`, for the global-commands variable.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "module/named_var.h"

struct SoundBuffer;

// The layout is fixed: the table's address is published to other modules.
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

static_assert(sizeof(void*) == 4, "the slot table's layout is the 32-bit one");
static_assert(sizeof(SoundSlot) == 824, "SoundSlot");
static_assert(offsetof(SoundSlot, countWord) == 0, "countWord");
static_assert(offsetof(SoundSlot, loaded) == 4, "loaded");
static_assert(offsetof(SoundSlot, playing) == 8, "playing");
static_assert(offsetof(SoundSlot, command) == 12, "command");
static_assert(offsetof(SoundSlot, playMode) == 16, "playMode");
static_assert(offsetof(SoundSlot, failed) == 20, "failed");
static_assert(offsetof(SoundSlot, volume) == 24, "volume");
static_assert(offsetof(SoundSlot, pan) == 28, "pan");
static_assert(offsetof(SoundSlot, wavPath) == 32, "wavPath");
static_assert(offsetof(SoundSlot, commandVar) + offsetof(NamedVar, id) == 292, "commandVar.id");
static_assert(offsetof(SoundSlot, commandVar) + offsetof(NamedVar, name) == 296, "commandVar.name");
static_assert(offsetof(SoundSlot, reserved) == 556, "reserved");
static_assert(offsetof(SoundSlot, buffer) == 820, "buffer");

extern SoundSlot* slots;

const char kDefaultGlobalCommands[] = "KVOGlobals";

// Allocates the table and reads every slot's [Sounds] and [LVars] entry,
// last slot first. Returns false when the table could not be allocated.
bool BuildSlotTable();
// Registers the global-commands variable and stamps `soundCount` into the
// table's first word.
void BindGlobalCommands();
void DestroySlotTable();
