// The muting state and the simulator's sound and pause flags. muteState and
// userMuted outlast a module shut-down; simSoundOn and simPaused change only
// through their writers (key events, the SimConnect link, the pause probe).
#include "engine/silencing.h"

int muteState = -1;
int userMuted = 0;
int simSoundOn = 1;
unsigned int simPaused = 0;
int silenced = 0;
