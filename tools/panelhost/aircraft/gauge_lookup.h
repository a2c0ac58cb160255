// Where the simulator finds an XML gauge's bytes: the panel folder, then the
// Gauges folder; in each a compiled gauge first, then the loose file, then
// the entry of a cabinet (read into memory, never extracted).
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/aircraft/finding.h"

enum XmlGaugeLookup {
    kXmlGaugeChecked,     // found, its bytes read
    kXmlGaugeCompiled,    // a compiled gauge (.gau/.dll) takes the container
    kXmlGaugeMissing,     // neither the XML gauge nor a compiled gauge
    kXmlGaugeUnreadable,  // found, but it cannot be read
};

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

// The simulator's folder as the simulator has it above an aircraft: the
// folder that holds the nearest "SimObjects" (or older "Aircraft") folder
// above AIRCRAFTFOLDER, or "" when there is none.
std::string SimFolderAbove(const std::string& aircraftFolder);
