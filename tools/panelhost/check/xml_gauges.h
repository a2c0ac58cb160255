// The aircraft check's view of XML gauges: where the simulator finds one, the
// L: variables its scripts read and write, and what that means for the
// module's variables. Cabinet files are read into memory through Windows' own
// cabinet API; nothing is written into the aircraft's or the simulator's folders.
#pragma once

#include <string>
#include <vector>

enum FindingLevel { kFindingError, kFindingWarning, kFindingNote };  // a note: what was read, no fault

// One finding of the check. file: the file it is about (an entry of a cabinet
// as "<cabinet path>\<entry name>"), empty when none; line: 1-based, 0 when
// none; item: the offending text verbatim (a key, a variable, a value);
// message: what is wrong and what to do.
struct Finding {
    FindingLevel level;
    std::string file;
    int line;
    std::string item;
    std::string message;
};

// A variable of the module's, as the configuration names it.
enum ModuleVarKind {
    kVarCommand,         // a slot's command variable: takes the codes 0 to 11
    kVarGlobalCommands,  // the global-commands variable: takes 1, 2 or 3
    kVarOther,           // a control or status variable
};
struct ModuleVariable {
    std::string name;
    ModuleVarKind kind;
};

// Checks the XML gauge GAUGE of CONTAINER as the simulator finds it: the loose
// file <folder>\<container>\<gauge>.xml, then <gauge>.xml inside
// <folder>\<container>.cab, first with the panel folder as <folder>, then with
// the simulator's Gauges folder. Appends its findings to FINDINGS and sets
// written[i] for every vars[i] the gauge writes (WRITTEN has vars.size()
// entries). A finding already in FINDINGS is not added again, so that the
// gauges of one cabinet report its faults once. A compiled module
// <container>.gau or .dll comes first in each folder. Without an XML gauge
// the only findings are about unsafe entry names of a cabinet the look-up read.
enum XmlGaugeLookup {
    kXmlGaugeChecked,     // found and checked (its bytes read)
    kXmlGaugeCompiled,    // a compiled gauge (.gau/.dll) takes the container
    kXmlGaugeMissing,     // neither the XML gauge nor a compiled gauge
    kXmlGaugeUnreadable,  // found, but it cannot be read (CheckXmlGauge reports it and says kXmlGaugeChecked)
};
XmlGaugeLookup CheckXmlGauge(const std::string& panelFolder, const std::string& gaugesFolder,
                   const std::string& container, const std::string& gauge,
                   const std::vector<ModuleVariable>& vars, std::vector<bool>* written,
                   std::vector<Finding>* findings);
