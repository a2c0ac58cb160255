// The check's text files: aircraft.cfg, panel.cfg and the sound INI, read
// whole and split into sections.
#pragma once

#include <string>
#include <vector>

// A key line of an INI-like file: key and value without blanks at either end.
struct CfgEntry {
    std::string key;
    std::string value;
    int line;
};
struct CfgSection {
    std::string name;
    int line;
    std::vector<CfgEntry> entries;
};

// The one rule for the encoding of panel.cfg, aircraft.cfg, sim.cfg and the
// sound INI: what the simulator and the module, as advice ("save it as ...").
extern const char kTextEncodingRule[];

enum TextState { kTextOk, kTextMissing, kTextFolder, kTextEmpty, kTextBinary, kTextUtf16, kTextTooLarge, kTextUnreadable };

// Reads a whole text file as the profile functions read it: ANSI, or UTF-16
// with a byte-order mark (turned into the ANSI code page); a UTF-8 mark is
// dropped. Refuses one that is not text, UTF-16 without a mark (kTextUtf16)
// or larger than the check reads.
TextState ReadTextFile(const std::string& path, std::string* text);
// Why a file in that state cannot be used, e.g. "is a folder".
std::string TextStateMeaning(TextState state);
// The sections of an INI-like text. With cfgComments, "//" and ";" start a
// comment anywhere on a line (aircraft.cfg, panel.cfg); without, only a line
// that begins with ";" is one (the profile functions' rule).
std::vector<CfgSection> ParseCfg(const std::string& text, bool cfgComments);
const CfgSection* FindSection(const std::vector<CfgSection>& sections, const char* name);
// A section's first entry of that key, as the profile functions take it; null without one.
const CfgEntry* FindEntry(const CfgSection* section, const std::string& key);
