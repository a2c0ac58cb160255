// The muting state and the simulator's sound and pause flags. muteState and
// userMuted outlast a module shut-down; simSoundOn and simPaused change only
// through their writers (key events, the SimConnect link, the pause probe).
#include "engine/silencing.h"

#include "engine/commands.h"
#include "module/host_services.h"
#include "module/module_state.h"

int muteState = -1;
int userMuted = 0;
int simSoundOn = 1;
unsigned int simPaused = 0;
int silenced = 0;

namespace {

// The host variable sampled for a pause while there is no SimConnect link:
// the simulator advances it every frame while the simulation runs.
const int32_t kPauseProbeToken = 604;
ModuleVar pauseProbe = {kPauseProbeToken, nullptr, 0, 0.0, 0.0};

// Every Sound gauge on a panel runs the whole cycle, so with two of them the
// second would find the clock unchanged since the first, within one frame,
// and take it for a pause. Each instance is compared with its own last
// probe; instances beyond the table share its last entry.
struct ProbeHistory {
    const GaugeHeader* gauge;
    double lastValue;
};
const int kProbeHistories = 8;
ProbeHistory probeHistories[kProbeHistories];
int probeHistoryCount = 0;

double* LastProbeValue(const GaugeHeader* gauge) {
    for (int i = 0; i < probeHistoryCount; ++i) {
        if (probeHistories[i].gauge == gauge) return &probeHistories[i].lastValue;
    }
    if (probeHistoryCount == kProbeHistories) return &probeHistories[kProbeHistories - 1].lastValue;
    probeHistories[probeHistoryCount] = {gauge, 0.0};
    return &probeHistories[probeHistoryCount++].lastValue;
}

// An unchanged value counts as a pause. Without the host's look-up nothing
// can change, so the probe is left out rather than reading a pause for ever.
void ProbePause(const GaugeHeader* gauge) {
    PanelServices* services = HostServices();
    if (services == nullptr || services->lookup_var == nullptr) return;
    pauseProbe.id = kPauseProbeToken;
    services->lookup_var(&pauseProbe);
    double* lastValue = LastProbeValue(gauge);
    if (pauseProbe.var_value == *lastValue) {
        silenced = 1;
        simPaused = 1;
    } else {
        simPaused = 0;
    }
    *lastValue = pauseProbe.var_value;
}

}  // namespace

void ApplySilencing(const GaugeHeader* gauge) {
    silenced = simSoundOn == 0 ? 1 : 0;
    if (simConnectActive == 0) ProbePause(gauge);
    if (simPaused != 0) silenced = 1;

    if (silenced == 1) {
        if (muteState != 1) Mute();
    } else if (muteState != 0 && userMuted == 0) {
        // Undecided or muted, and the user's own mute does not hold.
        Unmute();
    }
}
