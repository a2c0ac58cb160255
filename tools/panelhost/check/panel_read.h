// An aircraft's panels as the simulator reads them: the panel.cfg files an
// aircraft leads to, the gauge lines of each, and where the simulator finds
// an XML gauge's bytes. Shared by the aircraft check and whatever else runs
// an aircraft's gauges; nothing here reports: faults come back as findings.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/check/cfg_text.h"
#include "tools/panelhost/check/xml_gauges.h"

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

// The panel.cfg that panelCfg's alias leads to (itself without one); "" when
// it leads nowhere, with the reason in FINDINGS when given.
std::string FollowAlias(const std::string& panelCfg, std::vector<Finding>* findings = nullptr);

// The gauge lines of the panel.cfg file, or of its sections already read.
std::vector<PanelGauge> ReadPanelGauges(const std::string& panelCfg);
std::vector<PanelGauge> PanelGaugesOf(const std::vector<CfgSection>& sections);

// The bytes of the XML gauge CONTAINER!GAUGE where the simulator finds it:
// in the panel folder, then in the Gauges folder; in each, a compiled
// <container>.gau/.dll first, then the loose <container>\<gauge>.xml, then
// <gauge>.xml inside <container>.cab. FILE names what was found (a cabinet
// entry as "<cabinet path>\<entry name>"; the compiled gauge's path). Returns
// the lookup result: kXmlGaugeChecked with BYTES filled, kXmlGaugeCompiled,
// kXmlGaugeMissing, or kXmlGaugeUnreadable when the file was found but could
// not be read; FINDINGS, when given, says why, and names a cabinet's unsafe
// entries.
XmlGaugeLookup FindXmlGaugeBytes(const std::string& panelFolder, const std::string& gaugesFolder,
                                 const std::string& container, const std::string& gauge, std::string* bytes,
                                 std::string* file, std::vector<Finding>* findings = nullptr);
