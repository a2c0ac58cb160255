// The sound INI read as text for what the module would misread: keys it
// never reads, values it cuts, numbers it reads otherwise than they look,
// and an encoding it reads in another code page.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "config/ini_limits.h"
#include "tools/panelhost/aircraft/cfg_text.h"

// The characters the module reads of a value, its buffer's NUL aside.
const size_t kEntryCharsRead = kEntryChars - 1;              // [Sounds], [LVars] and GlobalCommands values
const size_t kControlNameCharsRead = kControlNameChars - 1;  // the eight variable keys of [Config]

// The key of a slot in [Sounds] or [LVars]: "<prefix>NN" ("Sound03", "Lvar12").
std::string SlotKey(const char* prefix, int slot);

// One INI file's lint; each finding goes to the report.
struct IniLint {
    const std::string& iniPath;
    std::vector<CfgSection> sections;

    void Warn(const CfgEntry& entry, const std::string& message);
    void Fail(int line, const std::string& item, const std::string& message);

    // [Config]: unknown keys (with the nearest known one), names cut at their limit.
    void CheckConfigKeys();
    // [Sounds] or [LVars]: keys the module reads as "<prefix>NN" for each
    // slot, slots beyond SOUNDCOUNT, values cut at kEntryCharsRead.
    void CheckSlotKeys(const char* sectionName, const char* prefix, int soundCount);
    // MaxSounds and ErrorFlag as the module reads them, against how they look.
    void CheckNumbers(int soundCount);
    // TEXT, the file's text: letters beyond ASCII in UTF-8 without a byte-order mark.
    void CheckEncoding(const std::string& text);
};
