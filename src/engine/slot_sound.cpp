// Loading the sound of the slot being served.
#include "engine/commands.h"

#include <stdio.h>

#include "audio/sound_buffer.h"
#include "config/config.h"
#include "config/slot_table.h"
#include "diag/error_report.h"
#include "diag/warning_box.h"
#include "engine/pre_update.h"
#include "engine/silencing.h"
#include "module/named_var.h"

void LoadSlotSound(int useVoice) {
    SoundSlot* slot = &slots[currentSlot];
    slot->buffer = AcquireSoundBuffer(slot->wavPath, useVoice);
    if (slot->buffer == nullptr) {
        slot->failed = 1;
        slot->loaded = 0;
        NamedVarSetValue(&slot->commandVar, errorFlagValue);
        char text[kReportTextSize];
        snprintf(text, sizeof(text), "LSF - Load Sound File Failed\n%s", slot->wavPath);
        ShowModuleWarning(text);
        return;
    }
    slot->loaded = 1;
    slot->failed = 0;
    slot->playing = 0;

    lastResult = SetSoundBufferVolume(slot->buffer, muteState == 1 ? kVolumeSilent : slot->volume);
    if (slot->volume == kVolumeSilent) slot->volume = 0;
    if (lastResult != 0) {
        ReportSlotError();
        slot->failed = 1;
        NamedVarSetValue(&slot->commandVar, errorFlagValue);
    }
}
