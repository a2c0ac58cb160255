// The check of one sound configuration: the INI file read as text for what
// the module would misread, then loaded by the module itself, whose slot
// table (published as "SoundStringBase") tells the WAV paths, variables and
// shared buffers it made; every configured sound is loaded and played once,
// silently, for a frame.
#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "host/host.h"
#include "tools/panelhost/check/check.h"

namespace {

const int kStartupFrames = 11;      // the configuration load, then ten frames to the audio start-up
const int kControlVariables = 8;    // registered by the load before the slots' command variables
const double kPlayWithSettings = 7;  // takes volume and pan from the input variables, then plays once
const double kStopAndRewind = 0;
const double kSilentVolume = -10000;  // in hundredths of a decibel; 0 in percent
const size_t kEntryChars = 127;       // [Sounds], [LVars] and GlobalCommands values
const size_t kControlNameChars = 129; // the eight variable keys of [Config]

// The slot table's layout as the module publishes it. The 64-bit module's
// buffer pointer takes 8 bytes, after 4 of padding.
#ifdef _WIN64
const size_t kSlotRecordBytes = 832;
const size_t kBufferOffset = 824;
#else
const size_t kSlotRecordBytes = 824;
const size_t kBufferOffset = 820;
#endif
const size_t kLoadedOffset = 4;
const size_t kFailedOffset = 20;
const size_t kWavPathOffset = 32;
const size_t kVarNameOffset = 296;
const size_t kPathBytes = 260;
const int32_t kMaxSlots = 1000;  // MaxSounds as the module clamps it

const char* const kConfigKeys[] = {"MaxSounds",    "ErrorFlag", "VolumeVarIn", "PanVarIn",   "VolumeVarOut",
                                   "PanVarOut",    "VolumePlayed", "PanPlayed", "LoopPlayed", "LoopOut",
                                   "GlobalCommands"};

// One slot as the module's table holds it.
struct SlotView {
    std::string wavPath;
    std::string variable;
    bool loaded;
    bool failed;
    uintptr_t buffer;  // the module's pointer, whole
};

struct TableView {
    int soundCount = -1;  // -1: the table was not published
    std::vector<SlotView> slots;
    std::string globalVariable;
};

std::string SlotKey(const char* prefix, int slot) {
    char key[32];
    snprintf(key, sizeof key, "%s%02d", prefix, slot);
    return key;
}

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

// What a cut at kEntryChars does to a [Sounds] value's volume, "" when it keeps it.
std::string VolumeCut(const char* sectionName, const std::string& value) {
    size_t comma = value.find(',');
    if (strcmp(sectionName, "Sounds") != 0 || comma == std::string::npos) return "";
    std::string volume = value.substr(comma);
    if (comma >= kEntryChars) return ": the volume " + volume + " is lost, the sound plays at full volume";
    std::string kept = value.substr(comma, kEntryChars - comma);
    if (kept == volume) return "";
    return ": the volume " + volume + " is read as " + kept + ", so the volume is lost";
}

// The length of the full path the module composes for a [Sounds] key (the
// module keeps at most 259 characters of it; Windows opens no longer path).
size_t WavPathLength(const std::string& iniPath, const std::vector<CfgSection>& sections, const std::string& key) {
    const CfgEntry* entry = FindEntry(FindSection(sections, "Sounds"), key);
    if (entry == nullptr) return 0;
    std::string value = entry->value.substr(0, kEntryChars);
    value = value.substr(0, value.find(','));
    std::string folder = iniPath.substr(0, iniPath.find_last_of('\\'));
    if (!value.empty() && (value[0] == '\\' || value[0] == '/')) return folder.size() + value.size();
    if (!value.empty() && value[0] == '.') {
        char current[1024];
        DWORD size = GetCurrentDirectoryA(sizeof current, current);
        return (size < sizeof current ? size : 0) + value.size() - 1;
    }
    if (value.find(':') != std::string::npos) return value.size();
    return folder.size() + 1 + value.size();
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

struct Checker {
    const std::string& iniPath;
    std::vector<CfgSection> sections;

    void Warn(const CfgEntry& entry, const std::string& message) {
        ReportWarning(iniPath, entry.line, entry.key + "=" + entry.value, message);
    }
    void Fail(int line, const std::string& item, const std::string& message) {
        ReportError(iniPath, line, item, message);
    }

    void CheckConfigKeys() {
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
            size_t limit = strcmp(known, "GlobalCommands") == 0 ? kEntryChars : kControlNameChars;
            if (strcmp(known, "MaxSounds") != 0 && strcmp(known, "ErrorFlag") != 0 && entry.value.size() > limit)
                Warn(entry, "the module reads only the first " + std::to_string(limit) + " characters, " +
                                entry.value.substr(0, limit) + "; shorten the name");
        }
    }

    // [Sounds] or [LVars]: keys the module reads as "<prefix>NN" for each slot.
    void CheckSlotKeys(const char* sectionName, const char* prefix, int soundCount) {
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
            else if (entry.value.size() > kEntryChars)
                Warn(entry, "the module reads only the first " + std::to_string(kEntryChars) + " characters, " +
                                entry.value.substr(0, kEntryChars) + VolumeCut(sectionName, entry.value) +
                                "; shorten the value");
        }
    }

    void CheckNumbers(int soundCount) {
        const CfgSection* config = FindSection(sections, "Config");
        long long looks = 0;
        if (const CfgEntry* maxSounds = FindEntry(config, "MaxSounds")) {
            if (!PlainInteger(maxSounds->value, &looks) || looks != soundCount)
                Warn(*maxSounds, "the module reads this as " + std::to_string(soundCount) +
                                     " sound slots (it takes up to 4 characters, 0 to 1000); write a number from 0 to 1000");
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
};

// The module's published slot table, read from the module's own memory:
// the check and the module share one process.
TableView ReadSlotTable() {
    TableView table;
    for (const host::RegisteredVariable& variable : host::RegisteredVariables()) {
        if (variable.name != "SoundStringBase" || variable.cell == nullptr) continue;
        uint64_t address = *static_cast<const uint64_t*>(variable.cell);
        const unsigned char* base = reinterpret_cast<const unsigned char*>(static_cast<uintptr_t>(address));
        if (base == nullptr) break;
        int32_t count;
        memcpy(&count, base, sizeof count);
        if (count < 0 || count > kMaxSlots) break;
        table.soundCount = count;
        for (int i = 0; i <= count; ++i) {
            const unsigned char* record = base + kSlotRecordBytes * static_cast<size_t>(i);
            SlotView slot;
            slot.wavPath.assign(reinterpret_cast<const char*>(record + kWavPathOffset),
                                strnlen(reinterpret_cast<const char*>(record + kWavPathOffset), kPathBytes));
            slot.variable.assign(reinterpret_cast<const char*>(record + kVarNameOffset),
                                 strnlen(reinterpret_cast<const char*>(record + kVarNameOffset), kPathBytes));
            int32_t loaded;
            memcpy(&loaded, record + kLoadedOffset, sizeof loaded);
            slot.loaded = loaded != 0;
            int32_t failed;
            memcpy(&failed, record + kFailedOffset, sizeof failed);
            slot.failed = failed != 0;
            memcpy(&slot.buffer, record + kBufferOffset, sizeof slot.buffer);
            if (i == count) table.globalVariable = slot.variable;
            else table.slots.push_back(slot);
        }
    }
    return table;
}

// The configuration path the module took, as its Debugger gauge's tooltip shows it.
std::string ModuleIniPath(int debugger) {
    GaugeHeader* gauge = host::Gauge(debugger);
    for (MouseRect* rect = gauge != nullptr ? gauge->mouse_rect : nullptr; rect != nullptr && rect->rect_type != kMouseRectEol;
         ++rect)
        if (rect->rect_type == kMouseRectUser && rect->mouse_function != nullptr)
            return reinterpret_cast<const char*>(rect->mouse_function);
    return "";
}

// The boxes shown since `from`, those that name `about` when it is given.
std::string JoinedBoxes(size_t from, const std::string& about = "") {
    std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
    std::string text;
    for (size_t i = from; i < boxes.size(); ++i) {
        if (!about.empty() && boxes[i].text.find(about) == std::string::npos) continue;
        text += (text.empty() ? "" : "  then ") + BoxText(boxes[i]);
    }
    return text;
}

// Names the module registered, the control variables of the load first.
std::vector<std::string> LoadRegistrations(int loadFrame) {
    std::vector<std::string> names;
    for (const host::ServiceCall& call : host::CallsOf("register"))
        if (call.frame == loadFrame) names.push_back(call.name);
    return names;
}

void CollectVariables(const TableView& table, ConfigResult* result) {
    for (const SlotView& slot : table.slots) result->slotVars.push_back(slot.variable);
    result->globalVar = table.globalVariable;
    for (const host::ServiceCall& call : host::CallsOf("register")) {
        bool known = SameName(call.name, table.globalVariable);
        for (const std::string& name : result->slotVars) known = known || SameName(name, call.name);
        for (const std::string& name : result->otherVars) known = known || SameName(name, call.name);
        if (!known) result->otherVars.push_back(call.name);
    }
}

// Judges a configured slot by its own state in the module's table after its
// command: whether it loaded, whether it failed, and the boxes of its command
// (those naming its file, when other slots were commanded with it).
bool JudgeSlot(Checker* checker, const ConfigResult& result, const TableView& table, size_t n, size_t boxesBefore,
               bool commandedAlone) {
    int slot = result.configured[n];
    const SlotView& view = table.slots[static_cast<size_t>(slot)];
    std::string boxes = JoinedBoxes(boxesBefore, commandedAlone ? "" : view.wavPath);
    int line = result.configuredLines[n];
    std::string advice = view.loaded ? "" : WavLoadAdvice(view.wavPath);
    size_t length = WavPathLength(result.iniPath, checker->sections, result.configuredKeys[n]);
    if (!view.loaded && length > kPathBytes - 1)
        checker->Fail(line, view.wavPath,
                      "the WAV file's full path is " + std::to_string(length) + " characters long: Windows programs, "
                      "the simulator and the module among them, take at most 259, so the file is never found; move "
                      "the aircraft or the sounds to a shorter path");
    else if (!view.loaded)
        checker->Fail(line, view.wavPath,
                      "the sound does not load: " + boxes +
                          (advice.empty() ? "; check the path and that the file is a PCM WAV file" : "; " + advice));
    else if (view.failed)
        checker->Fail(line, view.wavPath, "the sound loads but does not play: " + boxes);
    bool good = view.loaded && !view.failed;
    Note("%-7s %-24s %s  %s", result.configuredKeys[n].c_str(), view.variable.c_str(), view.wavPath.c_str(),
         good ? "loads and plays" : "FAILED");
    return good;
}

// Plays every configured sound once at silence for a frame, then stops it.
// Slots that share a command variable are commanded together, as a gauge would.
int PlayConfiguredSounds(Checker* checker, const ConfigResult& result, const std::vector<std::string>& controls) {
    int played = 0;
    std::vector<bool> done(result.configured.size(), false);
    bool percent = host::VariableValue("Old Volume Control") != 0;
    for (size_t n = 0; n < result.configured.size(); ++n) {
        if (done[n]) continue;
        const std::string& variable = result.slotVars[static_cast<size_t>(result.configured[n])];
        host::SetVariable(controls[0].c_str(), percent ? 0 : kSilentVolume);
        host::SetVariable(controls[1].c_str(), 0);
        size_t before = host::MessageBoxes().size();
        host::SetVariable(variable.c_str(), kPlayWithSettings);
        host::RunFrame();
        host::SetVariable(variable.c_str(), kStopAndRewind);
        host::RunFrame();
        std::vector<size_t> together;
        for (size_t m = n; m < result.configured.size(); ++m)
            if (SameName(result.slotVars[static_cast<size_t>(result.configured[m])], variable)) together.push_back(m);
        TableView table = ReadSlotTable();
        for (size_t m : together) {
            done[m] = true;
            if (JudgeSlot(checker, result, table, m, before, together.size() == 1)) ++played;
        }
    }
    return played;
}

// Slots that share one buffer, and slots that share one command variable.
void CheckSharing(Checker* checker, const ConfigResult& result) {
    TableView table = ReadSlotTable();
    const CfgSection* lvars = FindSection(checker->sections, "LVars");
    for (size_t a = 0; a < result.configured.size(); ++a) {
        for (size_t b = a + 1; b < result.configured.size(); ++b) {
            const SlotView& first = table.slots[static_cast<size_t>(result.configured[a])];
            const SlotView& second = table.slots[static_cast<size_t>(result.configured[b])];
            if (first.buffer != 0 && first.buffer == second.buffer)
                ReportWarning(checker->iniPath, result.configuredLines[b], second.wavPath,
                        result.configuredKeys[a] + " and " + result.configuredKeys[b] +
                            " name the same WAV file, so they share one sound buffer: a load applies the loading "
                            "slot's volume to both, and a 0 in one slot's variable stops the other's play; "
                            "give each slot a copy of the file");
            if (SameName(first.variable, second.variable)) {
                const CfgEntry* lvar = FindEntry(lvars, SlotKey("Lvar", result.configured[b]));
                ReportWarning(checker->iniPath, lvar != nullptr ? lvar->line : 0, second.variable,
                        result.configuredKeys[a] + " and " + result.configuredKeys[b] +
                            " have the same command variable: one write commands both; give each slot its own "
                            "in [LVars]");
            }
        }
    }
}

}  // namespace

bool ReadModuleGauges(const Options& options, std::vector<std::string>* names) {
    if (!LoadFreshModule(options)) return false;
    ModuleLinkage* linkage = host::Linkage();
    for (int i = 0; i < 3 && linkage->gauge_headers[i] != nullptr; ++i)
        names->push_back(linkage->gauge_headers[i]->gauge_name);
    host::UnloadModule();
    return true;
}

void CheckConfiguration(const Options& options, const std::string& iniPath, ConfigResult* result) {
    *result = ConfigResult();
    result->iniPath = iniPath;
    std::string text;
    if (!ReadCheckedText(iniPath, "the configuration", &text)) return;
    Checker checker = {iniPath, ParseCfg(text, false)};
    checker.CheckConfigKeys();
    if (int line = FirstUtf8Line(text)) {
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

    if (!LoadFreshModule(options)) {
        ReportCannotRun();
        return;
    }
    host::CreateSimWindow();
    host::StartModule();
    host::AddGauge("Sound", iniPath.c_str());
    int debugger = host::AddGauge("Debugger", "");
    host::RunFrames(kStartupFrames);
    std::vector<std::string> controls = LoadRegistrations(1);
    // Off the configuration page, the Debugger gauge publishes the slot table.
    host::ClickDebugger(debugger, false);
    host::UpdateDebugger(debugger);
    TableView table = ReadSlotTable();
    std::string taken = ModuleIniPath(debugger);

    if (table.soundCount < 0 || controls.size() < kControlVariables + 1) {
        fprintf(stderr, "panelhost: the module %s did not publish its slot table\n", options.modulePath.c_str());
        ReportCannotRun();
    } else if (!SameName(taken, iniPath)) {
        ReportError(iniPath, 0, "", "the module did not take this configuration: " + JoinedBoxes(0));
    } else {
        checker.CheckSlotKeys("Sounds", "Sound", table.soundCount);
        checker.CheckSlotKeys("LVars", "Lvar", table.soundCount);
        checker.CheckNumbers(table.soundCount);
        CollectVariables(table, result);
        for (int slot = 0; slot < table.soundCount; ++slot) {
            char value[2];  // whether the entry is there at all
            std::string key = SlotKey("Sound", slot);
            if (GetPrivateProfileStringA("Sounds", key.c_str(), "", value, sizeof value, iniPath.c_str()) == 0) {
                // The module takes its default file for the slot; only a missing one is a fault.
                const std::string& wav = table.slots[static_cast<size_t>(slot)].wavPath;
                if (!IsFile(wav)) {
                    result->unkeyed.push_back(slot);
                    result->unkeyedPaths.push_back(wav);
                }
                continue;
            }
            const CfgEntry* entry = FindEntry(FindSection(checker.sections, "Sounds"), key);
            result->configured.push_back(slot);
            result->configuredKeys.push_back(key);
            result->configuredLines.push_back(entry != nullptr ? entry->line : 0);
        }
        if (result->configured.empty()) {
            ReportError(iniPath, 0, "[Sounds]",
                    "no sound is configured: add Sound00=<WAV file>, Sound01=... within MaxSounds");
        } else if (!host::MessageBoxes().empty()) {
            ReportError(iniPath, 0, "", "the module could not start its sound output: " + JoinedBoxes(0));
        } else {
            int played = PlayConfiguredSounds(&checker, *result, controls);
            CheckSharing(&checker, *result);
            Note("%d of %zu configured sounds load and play", played, result->configured.size());
            result->ran = true;
        }
    }
    fflush(stdout);
    host::KillGauges();
    host::StopModule();
    host::UnloadModule();
    host::DestroySimWindow();
}

void ReportUnkeyedSlots(const ConfigResult& result, const std::vector<bool>* written) {
    std::string idle;
    int idleCount = 0;
    for (size_t n = 0; n < result.unkeyed.size(); ++n) {
        int slot = result.unkeyed[n];
        const std::string& variable = result.slotVars[static_cast<size_t>(slot)];
        std::string key = SlotKey("Sound", slot);
        if ((*written)[static_cast<size_t>(slot)]) {
            ReportError(result.iniPath, 0, key,
                        "slot " + std::to_string(slot) + " has no sound key, yet an XML gauge of this panel writes "
                        "its command variable " + variable + ": the module then loads its default file " +
                            result.unkeyedPaths[n] + ", which is not there, and the first command shows two "
                            "boxes in flight; add " + key + "=<WAV file> to [Sounds]");
            continue;
        }
        if (idleCount < 5) idle += (idleCount == 0 ? "" : ", ") + key + " (" + variable + ")";
        ++idleCount;
    }
    if (idleCount == 0) return;
    if (idleCount > 5) idle += " and " + std::to_string(idleCount - 5) + " more";
    ReportWarning(result.iniPath, 0, "[Sounds]",
                  std::to_string(idleCount) + " slot" + (idleCount == 1 ? "" : "s") + " within MaxSounds without a "
                  "sound key: " + idle + ". The module gives each its default file (" + result.unkeyedPaths[0] +
                      ", ...), which is not there: a command into its variable shows two boxes in flight. "
                      "Configure the slot or lower MaxSounds");
}
