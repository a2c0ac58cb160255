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
// The host fills the record's own fields in initialize_var, which must come
// before its first lookup_var: once per module start.
bool pauseProbeInitialized = false;

// The probe's value in the judge's previous pre-update. Like the muting
// state it is kept across a module restart.
double lastProbeValue = 0.0;

// Every Sound gauge on a panel runs the whole cycle, so with two of them the
// second would find the clock unchanged since the first, within one frame,
// and take it for a pause. One gauge, the judge, probes for all; the others
// keep its finding. When another gauge comes round twice without the judge
// running in between, the judge's gauge is gone and that gauge takes over.
// A fixed record, whatever the number of gauges and restarts.
struct PauseJudge {
    bool chosen;
    const GaugeHeader* gauge;
    bool roundOpen;  // a gauge other than the judge ran since the judge did
    const GaugeHeader* roundFirst;
};
PauseJudge judge = {false, nullptr, false, nullptr};

// Whether this pre-update's gauge judges the pause.
bool JudgesThePause(const GaugeHeader* gauge) {
    if (!judge.chosen || judge.gauge == gauge || (judge.roundOpen && judge.roundFirst == gauge)) {
        judge = {true, gauge, false, nullptr};
        return true;
    }
    if (!judge.roundOpen) {
        judge.roundOpen = true;
        judge.roundFirst = gauge;
    }
    return false;
}

// An unchanged value counts as a pause. Without the host's look-up nothing
// can change, so the probe is left out rather than reading a pause for ever.
void ProbePause() {
    PanelServices* services = HostServices();
    if (services == nullptr || services->lookup_var == nullptr) return;
    pauseProbe.id = kPauseProbeToken;
    if (!pauseProbeInitialized) {
        if (services->initialize_var != nullptr) services->initialize_var(&pauseProbe);
        pauseProbeInitialized = true;
    }
    services->lookup_var(&pauseProbe);
    if (pauseProbe.var_value == lastProbeValue) {
        silenced = 1;
        simPaused = 1;
    } else {
        simPaused = 0;
    }
    lastProbeValue = pauseProbe.var_value;
}

}  // namespace

void ResetPauseProbe() {
    judge = {false, nullptr, false, nullptr};
    pauseProbeInitialized = false;
}

void ApplySilencing(const GaugeHeader* gauge) {
    silenced = simSoundOn == 0 ? 1 : 0;
    if (simConnectActive == 0 && JudgesThePause(gauge)) ProbePause();
    if (simPaused != 0) silenced = 1;

    if (silenced == 1) {
        if (muteState != 1) Mute();
    } else if (muteState != 0 && userMuted == 0) {
        // Undecided or muted, and the user's own mute does not hold.
        Unmute();
    }
}
