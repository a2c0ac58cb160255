// The simulator's key events the module listens to, by their ids.
#pragma once

#include <stdint.h>

enum SimKeyEvent : uint32_t {
    kKeySoundToggle = 65552,
    kKeySoundSet = 65692,
    kKeySoundOn = 66062,
    kKeySoundOff = 66063,
};
