// "SoundStringBase": the slot table's address, published to other modules.
#include "config/slot_table.h"
#include "debug/debugger.h"
#include "module/host_services.h"

uint64_t soundStringBase = 0;
int soundStringBaseRegistered = 0;

static char soundStringBaseName[] = "SoundStringBase";

void PublishSoundStringBase() {
    if (soundStringBaseRegistered != 0 || slots == nullptr) return;
    PanelServices* services = HostServices();
    if (services == nullptr || services->register_var_by_name == nullptr) return;
    services->register_var_by_name(&soundStringBase, kVarTypeUint64, soundStringBaseName);
    soundStringBase = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(slots));
    soundStringBaseRegistered = 1;
}

void WithdrawSoundStringBase() {
    if (soundStringBaseRegistered == 0) return;
    PanelServices* services = HostServices();
    if (services != nullptr && services->unregister_var_by_name != nullptr)
        services->unregister_var_by_name(soundStringBaseName);
    soundStringBaseRegistered = 0;
    // The table is about to be freed: leave no stale address behind.
    soundStringBase = 0;
}
