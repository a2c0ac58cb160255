#include "engine/pre_update.h"

#include "audio/audio_output.h"
#include "config/config.h"
#include "config/slot_table.h"
#include "diag/error_report.h"
#include "engine/commands.h"
#include "engine/silencing.h"
#include "module/module_state.h"
#include "module/host_services.h"
#include "module/named_var.h"
#include "simstate/version9_data.h"

int currentSlot = 0;
int lastResult = 1;

// Reads a slot's command and settles what needs no sound command: a failed
// slot keeps showing the error value until command 10, and codes outside
// 0..11 are left alone. Returns true when the command is to be served.
static bool ReadSlotCommand(SoundSlot* slot) {
    slot->command = TruncateToInt(NamedVarGetValue(&slot->commandVar));
    lastResult = 0;
    if (slot->failed != 0 && slot->command != 10) {
        NamedVarSetValue(&slot->commandVar, errorFlagValue);
        return false;
    }
    return slot->command >= 0 && slot->command <= 11;
}

// The simulator's sound-on event, sent once the devices exist so that the
// sound flag starts from the simulator's own state.
const uint32_t kSoundOnEvent = 66062;

// Creates the audio devices once per module start and lets the engine run,
// or disables it with the failure's reports.
static void RunAudioStartup() {
    lastResult = SetUpAudioDevices();
    if (lastResult != 0) {
        engineState = kEngineDisabled;
        ReportSlotError();
        return;
    }
    engineState = kEngineRunning;
    if (simConnectActive == 1) {
        NamedVarLookup(&moduleVars[kVarViewSystemStatus]);
        NamedVarLookup(&moduleVars[kVarViewSystemMessages]);
        NamedVarLookup(&moduleVars[kVarSimConnected]);
        NamedVarSetValue(&moduleVars[kVarSimConnected], simConnectActive);
    } else if (version9Host == nullptr) {
        PanelServices* services = HostServices();
        if (services != nullptr && services->trigger_key_event != nullptr) services->trigger_key_event(kSoundOnEvent, 0);
    }
    NamedVarSetValue(&moduleVars[kVarVoiceAvailable], IsVoiceDeviceAvailable());
}

// The frame's work, steps 1 to 10.
static void RunFrameCycle(GaugeHeader* gauge) {
    // 1. Volume unit of this frame, before anything else.
    oldVolumeControl = TruncateToInt(NamedVarGetValue(&moduleVars[kVarOldVolumeControl])) != 0 ? 1 : 0;

    // 2. The start-up delay runs once a configuration is loaded.
    if (startupDelay > 0 && configLoaded != 0) --startupDelay;

    // 3. The audio start-up, once the delay has run out.
    if (engineState == kEngineWaiting && configLoaded != 0 && startupDelay == 0) RunAudioStartup();

    // 4. The configuration, from the first pre-update that has a gauge header.
    if (configLoaded == 0 && gauge != nullptr) LoadConfiguration(gauge);

    // 5. Everything below runs only while the engine runs.
    if (slots == nullptr || engineState != kEngineRunning) return;

    // 6. Slot pass.
    for (currentSlot = 0; currentSlot < soundCount; ++currentSlot) {
        SoundSlot* slot = &slots[currentSlot];
        if (ReadSlotCommand(slot)) ServeSlotCommand();
    }

    // 7. The global command, after every slot.
    ServeGlobalCommand();

    // 8. Host data of a version-9 simulator.
    if (version9Host != nullptr) ReadVersion9HostData();

    // 9. Status variables, every running frame.
    NamedVarSetValue(&moduleVars[kVarFSSimIsPaused], static_cast<double>(simPaused));
    NamedVarSetValue(&moduleVars[kVarFSSoundIsOn], simSoundOn);

    // 10. Mute or unmute on a change of the simulator's sound or pause.
    ApplySilencing(gauge);
}

// Set while a pre-update runs. The module's boxes are modal and their
// message loop runs on the gauge thread, so the simulator may update gauges
// while one is open; that nested pre-update does nothing, so that the
// slot being served, the slot pass and every half-done step stay with the
// pre-update the box belongs to.
static int preUpdateRunning = 0;

void RunPreUpdate(GaugeHeader* gauge) {
    if (preUpdateRunning != 0) return;
    preUpdateRunning = 1;
    RunFrameCycle(gauge);
    preUpdateRunning = 0;
}
