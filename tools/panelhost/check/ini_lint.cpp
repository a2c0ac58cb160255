// The INI lint: the text as written against what the module reads of it.
#include "tools/panelhost/check/ini_lint.h"

#include <windows.h>
#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "config/config.h"
#include "tools/panelhost/check/report.h"
#include "tools/panelhost/common/names.h"

namespace {

const char* const kConfigKeys[] = {"MaxSounds",    "ErrorFlag", "VolumeVarIn", "PanVarIn",   "VolumeVarOut",
                                   "PanVarOut",    "VolumePlayed", "PanPlayed", "LoopPlayed", "LoopOut",
                                   "GlobalCommands"};

// The slot number of "<prefix><digits>", or -1 for any other key.
long SlotNumber(const std::string& key, const char* prefix) {
    size_t length = strlen(prefix);
    if (key.size() <= length || _strnicmp(key.c_str(), prefix, length) != 0) return -1;
    std::string digits = key.substr(length);
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
    return strtol(digits.c_str(), nullptr, 10);
}

// A whole decimal integer, as the text looks to a reader.
bool PlainInteger(const std::string& text, long long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    *value = strtoll(text.c_str(), &end, 10);
    return *end == '\0' && errno != ERANGE && (isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-' || text[0] == '+');
}

// What a cut at kEntryCharsRead does to a [Sounds] value's volume, "" when it keeps it.
std::string VolumeCut(const char* sectionName, const std::string& value) {
    size_t comma = value.find(',');
    if (strcmp(sectionName, "Sounds") != 0 || comma == std::string::npos) return "";
    std::string volume = value.substr(comma);
    if (comma >= kEntryCharsRead) return ": the volume " + volume + " is lost, the sound plays at full volume";
    std::string kept = value.substr(comma, kEntryCharsRead - comma);
    if (kept == volume) return "";
    return ": the volume " + volume + " is read as " + kept + ", so the volume is lost";
}

// The first line holding UTF-8 letters beyond ASCII, 0 when none (or when
// the bytes are no UTF-8 at all).
int FirstUtf8Line(const std::string& text) {
    int line = 1, found = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') ++line;
        if (c < 0x80) continue;
        size_t length = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return 0;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
        if (found == 0) found = line;
        i += length - 1;
    }
    return found;
}

}  // namespace

std::string SlotKey(const char* prefix, int slot) {
    char key[32];
    snprintf(key, sizeof key, "%s%02d", prefix, slot);
    return key;
}

void IniLint::Warn(const CfgEntry& entry, const std::string& message) {
    ReportWarning(iniPath, entry.line, entry.key + "=" + entry.value, message);
}
void IniLint::Fail(int line, const std::string& item, const std::string& message) {
    ReportError(iniPath, line, item, message);
}

void IniLint::CheckConfigKeys() {
    const CfgSection* config = FindSection(sections, "Config");
    if (config == nullptr) return;
    for (const CfgEntry& entry : config->entries) {
        const char* known = nullptr;
        const char* nearest = nullptr;
        size_t best = 3;
        for (const char* key : kConfigKeys) {
            if (SameName(entry.key, key)) known = key;
            size_t distance = EditDistance(Folded(entry.key), Folded(key), 2);
            if (distance < best) best = distance, nearest = key;
        }
        if (known == nullptr) {
            Warn(entry, std::string("the module never reads this key") +
                            (nearest != nullptr ? std::string("; it reads ") + nearest + ": rename the key"
                                                : "; remove it"));
            continue;
        }
        size_t limit = strcmp(known, "GlobalCommands") == 0 ? kEntryCharsRead : kControlNameCharsRead;
        if (strcmp(known, "MaxSounds") != 0 && strcmp(known, "ErrorFlag") != 0 && entry.value.size() > limit)
            Warn(entry, "the module reads only the first " + std::to_string(limit) + " characters, " +
                            entry.value.substr(0, limit) + "; shorten the name");
    }
}

void IniLint::CheckSlotKeys(const char* sectionName, const char* prefix, int soundCount) {
    const CfgSection* section = FindSection(sections, sectionName);
    if (section == nullptr) return;
    for (const CfgEntry& entry : section->entries) {
        long slot = SlotNumber(entry.key, prefix);
        std::string key = slot >= 0 ? SlotKey(prefix, static_cast<int>(slot)) : std::string();
        if (slot < 0)
            Warn(entry, std::string("the module never reads this key; [") + sectionName + "] keys are " + prefix +
                            "00, " + prefix + "01, ... " + prefix + "10, ...: rename it");
        else if (!SameName(entry.key, key))
            Warn(entry, "the module never reads this key; for slot " + std::to_string(slot) + " it reads " + key +
                            ": rename it");
        else if (slot >= soundCount)
            Warn(entry, "slot " + std::to_string(slot) + " is beyond MaxSounds: the module reads slots 0 to " +
                            std::to_string(soundCount - 1) + " only; raise MaxSounds to " +
                            std::to_string(slot + 1) + " or more");
        else if (entry.value.size() > kEntryCharsRead)
            Warn(entry, "the module reads only the first " + std::to_string(kEntryCharsRead) + " characters, " +
                            entry.value.substr(0, kEntryCharsRead) + VolumeCut(sectionName, entry.value) +
                            "; shorten the value");
    }
}

void IniLint::CheckNumbers(int soundCount) {
    const CfgSection* config = FindSection(sections, "Config");
    long long looks = 0;
    if (const CfgEntry* maxSounds = FindEntry(config, "MaxSounds")) {
        if (!PlainInteger(maxSounds->value, &looks) || looks != soundCount)
            Warn(*maxSounds, "the module reads this as " + std::to_string(soundCount) +
                                 " sound slots (it takes up to 4 characters, 0 to " + std::to_string(kMaxSoundCount) +
                                 "); write a number from 0 to " + std::to_string(kMaxSoundCount));
    }
    if (const CfgEntry* errorFlag = FindEntry(config, "ErrorFlag")) {
        int read = static_cast<int>(GetPrivateProfileIntA("Config", "ErrorFlag", -1, iniPath.c_str()));
        if (read >= 1 && read <= 99) read = -1;
        if (!PlainInteger(errorFlag->value, &looks) || looks != read)
            Warn(*errorFlag, "the module reads this as " + std::to_string(read) +
                                 (read == 0 ? ", so a failed sound looks like a stopped one" : "") +
                                 "; write a whole number such as -1 (1 to 99 read as -1)");
    }
}

void IniLint::CheckEncoding(const std::string& text) {
    int line = FirstUtf8Line(text);
    if (line == 0) return;
    FILE* file = fopen(iniPath.c_str(), "rb");
    char bom[3] = {};
    bool marked = file != nullptr && fread(bom, 1, 3, file) == 3 && memcmp(bom, "\xEF\xBB\xBF", 3) == 0;
    if (file != nullptr) fclose(file);
    if (!marked)
        ReportWarning(iniPath, line, "",
                      "the file is saved as UTF-8 without a byte-order mark and holds letters beyond ASCII: the "
                      "module reads it in the system's ANSI code page, so a path or name with them (\"\xC3\xA9\" "
                      "read as \"\xC3\x83\xC2\xA9\") is not what it looks like; save the file as ANSI "
                      "(Windows-1252), or keep such letters out of its paths and names");
}
