// The check of one sound configuration: the INI file read as text for what
// the module would misread, then loaded by the module itself, whose slot
// table tells the WAV paths, variables and shared buffers it made; every
// configured sound is loaded and played once, silently, for a frame.
#pragma once

#include <string>
#include <vector>

#include "tools/panelhost/common/slot_table_view.h"
#include "tools/panelhost/common/common.h"

// What the module made of one configuration file.
struct ConfigResult {
    bool ran = false;  // the module loaded it and the sounds were tried
    std::string iniPath;
    std::vector<std::string> slotVars;   // each slot's command variable, from the module's table
    std::string globalVar;               // the global-commands variable
    std::vector<std::string> otherVars;  // the other variables it registered
    std::string volumeIn, panIn;         // the inputs that commands 3, 5, 7 and 8 read
    std::vector<int> configured;         // the slots with a [Sounds] entry
    std::vector<std::string> configuredKeys;  // their [Sounds] keys
    std::vector<int> configuredLines;         // and the lines of those keys, 0 when not found
    std::vector<int> unkeyed;                 // slots without a [Sounds] entry whose default file is missing
    std::vector<std::string> unkeyedPaths;    // those default files
    TableView loadTable;                      // the slot table as the load left it, before any play
    bool percentVolumes = false;              // the load switched the gauges' volumes to percent
};

// Checks the INI file at iniPath (a full path) through the module: the file
// itself, its keys, and every configured sound loaded and played once.
void CheckConfiguration(const Options& options, const std::string& iniPath, ConfigResult* result);
// The slots without a sound key, after a panel's gauges were read: an error
// for each whose variable a gauge writes (WRITTEN, by slot), one warning for
// the rest. A configuration checked on its own has no gauges to tell them by.
void ReportUnkeyedSlots(const ConfigResult& result, const std::vector<bool>* written);
