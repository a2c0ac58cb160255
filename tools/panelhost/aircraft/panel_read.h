// An aircraft's panels as the simulator reads them: the panel.cfg files an
// aircraft leads to and the gauge lines of each. Shared by the aircraft check
// and whatever else runs an aircraft's gauges; nothing here reports: faults
// come back as findings.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/aircraft/cfg_text.h"
#include "tools/panelhost/aircraft/finding.h"

// One gauge line of a panel.cfg ([WindowNN] and [VCockpitNN] sections, file order).
struct PanelGauge {
    std::string section;    // "Window00", as written
    std::string key;        // "gauge03", as written
    std::string container;  // before the "!", blanks trimmed
    std::string gauge;      // after it, up to the first comma
    std::string parameter;  // after the fifth comma, blanks trimmed; "" when none
    int line;
    bool windowVisible;     // false in a [WindowNN] with visible=0 (a window that starts closed)
};

// The panel.cfg files an aircraft folder / aircraft.cfg / panel.cfg path
// leads to (each [fltsim.N] panel once, aliases followed), as the check
// reads them. FINDINGS, when given, receives what keeps a panel from being
// found (as errors) and the aliases followed (as notes), in order.
std::vector<std::string> PanelConfigsOf(const std::string& path, std::vector<Finding>* findings = nullptr);

// The file that describes the simulated object in AIRCRAFTFOLDER:
// aircraft.cfg, or sim.cfg where there is no aircraft.cfg (ground vehicles,
// boats), with the same sections; aircraft.cfg's path when neither is there.
std::string AircraftCfgOf(const std::string& aircraftFolder);

// The panel.cfg that panelCfg's alias leads to (itself without one); "" when
// it leads nowhere, with the reason in FINDINGS when given.
std::string FollowAlias(const std::string& panelCfg, std::vector<Finding>* findings = nullptr);

// The gauge lines of the panel.cfg file, or of its sections already read.
std::vector<PanelGauge> ReadPanelGauges(const std::string& panelCfg);
std::vector<PanelGauge> PanelGaugesOf(const std::vector<CfgSection>& sections);
