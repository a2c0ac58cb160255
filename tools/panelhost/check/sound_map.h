// The sound map: what --check --report FILE.html collects while the check
// runs (the aircraft, its panels and module, each configuration's sounds, the
// gauges' writes and every finding), and the page it makes of them. The
// check calls the collecting functions at the points where it learns each
// thing; they do nothing unless a page was asked for.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/aircraft/finding.h"
#include "tools/panelhost/aircraft/gauge_lookup.h"
#include "tools/panelhost/aircraft/lvar_uses.h"
#include "tools/panelhost/check/config_check.h"

// Starts collecting: CHECKED is the path the check was given, AIRCRAFTCFG the
// aircraft.cfg (or sim.cfg) it leads to ("" when none), SIMFOLDER the
// simulator folder. The module and the simulator are the check's install.
void SoundMapStart(const std::string& checked, const std::string& aircraftCfg, const std::string& simFolder);
// Each finding as the report prints it.
void SoundMapFinding(const Finding& finding);
// A panel begins; the gauges and writes that follow are its own.
void SoundMapPanel(const std::string& panelCfg);
// A configuration checked; the current panel's own when a panel is checked.
void SoundMapConfiguration(const ConfigResult& result);
// The current panel's configuration, when it was checked with another panel.
void SoundMapPanelConfiguration(const std::string& iniPath);
// An XML gauge looked up as the simulator finds it; FILE: what was found.
void SoundMapGauge(const std::string& container, const std::string& gauge, XmlGaugeLookup found,
                   const std::string& file);
// The L: uses of the scripts of the gauge last looked up, read from FILE.
void SoundMapWrites(const std::string& file, const std::vector<GaugeScript>& scripts, const std::vector<LVarUse>& uses);
// Writes the page to PAGEPATH (a full path); false after one line on stderr.
bool WriteSoundMap(const std::string& pagePath);

// What the page shows, put together from what was collected.
struct MapWrite {
    std::string gauge;  // container!gauge
    std::string panelCfg;
    std::string file;   // the gauge's file (a cabinet entry as "<cabinet>\<entry>")
    LVarUse use;
    int mouseArea;      // for a click: the mouse area's place in the gauge, from 0
};
struct MapSound {
    int slot;               // -1: the global commands
    std::string key;        // Sound03 / GlobalCommands
    int line;               // of the [Sounds] key (the GlobalCommands key), 0 when none
    std::string lvarKey;    // Lvar03
    int lvarLine;
    std::string entry;      // the [Sounds] value as written
    std::string variable;
    std::string wavPath;    // as the module composed it
    std::string wavFull;    // that path made whole
    int volume = 0;         // in hundredths of a decibel, as the module loaded it
    bool volumeInPercent = false;  // the INI wrote it in percent
    std::string volumeText; // what the INI wrote after the comma, "" when nothing
    std::vector<size_t> writers;   // into SoundMapPage::writes
    std::vector<size_t> findings;  // into SoundMapPage::findings
};
// A variable that gauges write and no configured sound plays.
struct MapUnplayed {
    std::string variable;
    std::string why;
    std::vector<size_t> writers;
    std::vector<size_t> findings;
};
struct MapConfiguration {
    std::string iniPath;
    bool ran = false;
    bool percentVolumes = false;   // the module takes the gauges' volumes in percent after the load
    std::vector<std::string> panels;
    std::vector<MapSound> sounds;  // the configured ones, by slot
    MapSound global;
    std::vector<MapUnplayed> unplayed;
    std::vector<std::string> slotVars;   // every slot's variable, configured or not
    std::vector<std::string> otherVars;  // the module's control and status variables
};
struct MapGauge {
    std::string panelCfg;
    int line;
    std::string name;
    XmlGaugeLookup state;
    std::string file;
};
struct MapVariation {
    std::string section;
    int line;
    std::string title;
    std::string panel;  // panel= as written
};
struct SoundMapPage {
    std::string checked, aircraftCfg, simFolder;
    std::vector<MapVariation> variations;
    std::vector<std::string> panels;
    std::vector<MapConfiguration> configurations;
    std::vector<MapGauge> gauges;
    std::vector<MapWrite> writes;
    std::vector<Finding> findings;
    std::vector<size_t> looseFindings;  // those that belong to no sound
};

// The page as HTML, written to PAGEPATH; false, with WHY, when it cannot be written.
bool WriteSoundMapPage(const SoundMapPage& page, const std::string& pagePath, std::string* why);
