// The sound map's collecting: what the check learns, kept as it goes, then
// sorted into sounds (each with its writers and findings), writes that no
// sound plays, and findings that belong to no sound.
#include "tools/panelhost/check/sound_map.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <set>

#include "tools/panelhost/aircraft/cfg_text.h"
#include "tools/panelhost/aircraft/panel_read.h"
#include "tools/panelhost/check/ini_lint.h"
#include "tools/panelhost/common/common.h"
#include "tools/panelhost/common/names.h"

namespace {

const char kDefaultVarPrefix[] = "kvo_xml_id_";

bool collecting = false;
SoundMapPage page;
std::map<std::string, size_t> configurationIndex;  // folded INI path -> page.configurations
std::map<std::string, std::string> panelConfiguration;  // folded panel.cfg -> folded INI path
std::string currentPanel;
std::vector<PanelGauge> currentPanelLines;
std::string currentGauge;  // the gauge last looked up, container!gauge

std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
    return value;
}

void ReadVariations(const std::string& aircraftCfg) {
    std::string text;
    if (aircraftCfg.empty() || ReadTextFile(aircraftCfg, &text) != kTextOk) return;
    for (const CfgSection& section : ParseCfg(text, true)) {
        if (_strnicmp(section.name.c_str(), "fltsim.", 7) != 0) continue;
        const CfgEntry* title = FindEntry(&section, "title");
        const CfgEntry* panel = FindEntry(&section, "panel");
        page.variations.push_back({section.name, section.line, title != nullptr ? title->value : "",
                                   panel != nullptr ? Trimmed(Unquoted(panel->value)) : ""});
    }
}

// A sound of RESULT as the INI writes it: its keys' lines, its entry and
// the volume after the comma, in the unit the module reads it in.
MapSound SoundOf(const ConfigResult& result, const std::vector<CfgSection>& sections, size_t n) {
    int slot = result.configured[n];
    MapSound sound;
    sound.slot = slot;
    sound.key = result.configuredKeys[n];
    sound.line = result.configuredLines[n];
    sound.lvarKey = SlotKey("Lvar", slot);
    const CfgEntry* lvar = FindEntry(FindSection(sections, "LVars"), sound.lvarKey);
    sound.lvarLine = lvar != nullptr ? lvar->line : 0;
    const CfgEntry* entry = FindEntry(FindSection(sections, "Sounds"), sound.key);
    sound.entry = entry != nullptr ? entry->value : "";
    sound.variable = result.slotVars[static_cast<size_t>(slot)];
    if (static_cast<size_t>(slot) < result.loadTable.slots.size()) {
        const SlotView& view = result.loadTable.slots[static_cast<size_t>(slot)];
        sound.wavPath = view.wavPath;
        sound.volume = view.volume;
    }
    // The module keeps what fits of a value: its volume is read from that.
    std::string kept = sound.entry.substr(0, kEntryChars);
    size_t comma = kept.find(',');
    if (comma != std::string::npos) {
        sound.volumeText = Trimmed(kept.substr(comma + 1));
        sound.volumeInPercent = strtod(sound.volumeText.c_str(), nullptr) > 0;
    }
    // The current folder is the simulator's: a path that starts with a dot is taken from it.
    char full[MAX_PATH];
    DWORD length = sound.wavPath.empty() ? 0 : GetFullPathNameA(sound.wavPath.c_str(), sizeof full, full, nullptr);
    sound.wavFull = length > 0 && length < sizeof full ? std::string(full, length) : sound.wavPath;
    return sound;
}

MapConfiguration ConfigurationOf(const ConfigResult& result) {
    MapConfiguration config;
    config.iniPath = result.iniPath;
    config.ran = result.ran;
    config.percentVolumes = result.percentVolumes;
    config.slotVars = result.slotVars;
    config.otherVars = result.otherVars;
    std::string text;
    std::vector<CfgSection> sections;
    if (ReadTextFile(result.iniPath, &text) == kTextOk) sections = ParseCfg(text, false);
    for (size_t n = 0; n < result.configured.size(); ++n) config.sounds.push_back(SoundOf(result, sections, n));
    config.global.slot = -1;
    config.global.key = "GlobalCommands";
    const CfgEntry* global = FindEntry(FindSection(sections, "Config"), "GlobalCommands");
    config.global.line = global != nullptr ? global->line : 0;
    config.global.lvarLine = 0;
    config.global.variable = result.globalVar;
    return config;
}

bool WritesInto(const MapWrite& write, const std::string& variable) {
    return !variable.empty() && SameName(write.use.name, variable);
}

// The configuration whose variables the writes of PANELCFG are judged against; null when none.
MapConfiguration* ConfigurationOfPanel(const std::string& panelCfg) {
    auto ini = panelConfiguration.find(Folded(panelCfg));
    if (ini == panelConfiguration.end()) return nullptr;
    auto at = configurationIndex.find(ini->second);
    return at == configurationIndex.end() ? nullptr : &page.configurations[at->second];
}

bool IsDefaultVariable(const std::string& name) {
    std::string folded = Folded(name);
    size_t prefix = strlen(kDefaultVarPrefix);
    return folded.size() > prefix && folded.compare(0, prefix, kDefaultVarPrefix) == 0 &&
           folded.find_first_not_of("0123456789", prefix) == std::string::npos;
}

bool HasFindingOn(const MapWrite& write) {
    for (const Finding& finding : page.findings)
        if (SameName(finding.file, write.file) && finding.line == write.use.line && SameName(finding.item, write.use.name))
            return true;
    return false;
}

// Why nobody plays what WRITE writes into a variable that is none of CONFIG's
// sounds; "" when the variable is simply the gauge's own.
std::string WhyUnplayed(const MapConfiguration& config, const MapWrite& write) {
    for (const std::string& other : config.otherVars)
        if (WritesInto(write, other)) return "";
    for (size_t slot = 0; slot < config.slotVars.size(); ++slot)
        if (WritesInto(write, config.slotVars[slot]))
            return "the command variable of slot " + std::to_string(slot) + ", which has no sound configured";
    if (HasFindingOn(write)) return "none of the module's variables, though it resembles one";
    if (IsDefaultVariable(write.use.name)) return "named like a slot's default variable, but no slot has it";
    return "";
}

// Each write to the sound, the global row or the unplayed variable it commands.
void SortWrites() {
    // A gauge on two panels of one configuration writes once.
    std::set<std::string> seen;
    for (size_t w = 0; w < page.writes.size(); ++w) {
        const MapWrite& write = page.writes[w];
        MapConfiguration* config = ConfigurationOfPanel(write.panelCfg);
        if (config == nullptr) continue;
        std::string key = Folded(config->iniPath) + "|" + Folded(write.file) + "|" + std::to_string(write.use.script) +
                          "|" + std::to_string(write.use.offset);
        if (!seen.insert(key).second) continue;
        bool sound = false;
        for (MapSound& candidate : config->sounds)
            if (WritesInto(write, candidate.variable)) candidate.writers.push_back(w), sound = true;
        if (WritesInto(write, config->global.variable)) config->global.writers.push_back(w), sound = true;
        if (sound) continue;
        std::string why = WhyUnplayed(*config, write);
        if (why.empty()) continue;
        MapUnplayed* unplayed = nullptr;
        for (MapUnplayed& known : config->unplayed)
            if (SameName(known.variable, write.use.name)) unplayed = &known;
        if (unplayed == nullptr) {
            config->unplayed.push_back({write.use.name, why, {}, {}});
            unplayed = &config->unplayed.back();
        }
        unplayed->writers.push_back(w);
    }
}

bool Mentions(const Finding& finding, const std::string& name) {
    return !name.empty() && (SameName(finding.item, name) || Folded(finding.message).find(Folded(name)) != std::string::npos);
}

bool AboutSound(const Finding& finding, const MapSound& sound) {
    if (finding.line > 0 && (finding.line == sound.line || finding.line == sound.lvarLine)) return true;
    if (finding.item.empty()) return false;
    for (const std::string* name : {&sound.key, &sound.lvarKey, &sound.variable, &sound.wavPath})
        if (!name->empty() && SameName(finding.item, *name)) return true;
    return false;
}

// Whether the finding is about one of WRITERS (writes into VARIABLE): at its
// file and line, and naming the variable when that line writes others too.
bool AboutWriters(const Finding& finding, const std::vector<size_t>& writers, const std::string& variable) {
    auto on = [&](const MapWrite& write) {
        return finding.line > 0 && SameName(finding.file, write.file) &&
               (finding.line == write.use.line || finding.line == write.use.useLine);
    };
    bool at = false, others = false;
    for (size_t w : writers) at = at || on(page.writes[w]);
    for (const MapWrite& write : page.writes) others = others || (on(write) && !SameName(write.use.name, variable));
    return at && (!others || Mentions(finding, variable));
}

void AddOnce(std::vector<size_t>* list, size_t f) {
    if (list->empty() || list->back() != f) list->push_back(f);
}

// Each finding in place: with its sounds, its unplayed writes, or at the end.
void SortFindings() {
    for (size_t f = 0; f < page.findings.size(); ++f) {
        const Finding& finding = page.findings[f];
        bool placed = false;
        for (MapConfiguration& config : page.configurations) {
            bool inIni = SameName(finding.file, config.iniPath);
            std::vector<MapSound*> rows;
            for (MapSound& sound : config.sounds) rows.push_back(&sound);
            rows.push_back(&config.global);
            for (MapSound* sound : rows) {
                if ((inIni && AboutSound(finding, *sound)) || AboutWriters(finding, sound->writers, sound->variable)) {
                    AddOnce(&sound->findings, f);
                    placed = true;
                }
            }
            for (MapUnplayed& unplayed : config.unplayed) {
                // The finding on the INI key of the slot whose variable is written.
                bool slotKey = false;
                for (size_t slot = 0; slot < config.slotVars.size() && inIni; ++slot)
                    slotKey = slotKey || (SameName(config.slotVars[slot], unplayed.variable) &&
                                          SameName(finding.item, SlotKey("Sound", static_cast<int>(slot))));
                if (slotKey || AboutWriters(finding, unplayed.writers, unplayed.variable)) {
                    AddOnce(&unplayed.findings, f);
                    placed = true;
                }
            }
        }
        if (!placed) page.looseFindings.push_back(f);
    }
}

}  // namespace

void SoundMapStart(const std::string& checked, const std::string& aircraftCfg, const std::string& simFolder) {
    collecting = true;
    page = SoundMapPage();
    page.checked = checked;
    page.aircraftCfg = aircraftCfg;
    page.simFolder = simFolder;
    ReadVariations(aircraftCfg);
}

void SoundMapFinding(const Finding& finding) {
    if (collecting) page.findings.push_back(finding);
}

void SoundMapPanel(const std::string& panelCfg) {
    if (!collecting) return;
    currentPanel = panelCfg;
    currentPanelLines = ReadPanelGauges(panelCfg);
    page.panels.push_back(panelCfg);
}

void SoundMapConfiguration(const ConfigResult& result) {
    if (!collecting || configurationIndex.count(Folded(result.iniPath)) != 0) return;
    configurationIndex[Folded(result.iniPath)] = page.configurations.size();
    page.configurations.push_back(ConfigurationOf(result));
}

void SoundMapPanelConfiguration(const std::string& iniPath) {
    if (!collecting || currentPanel.empty()) return;
    panelConfiguration.emplace(Folded(currentPanel), Folded(iniPath));
    auto at = configurationIndex.find(Folded(iniPath));
    if (at != configurationIndex.end()) page.configurations[at->second].panels.push_back(currentPanel);
}

void SoundMapGauge(const std::string& container, const std::string& gauge, XmlGaugeLookup found,
                   const std::string& file) {
    if (!collecting) return;
    currentGauge = container + "!" + gauge;
    int line = 0;
    for (const PanelGauge& panelLine : currentPanelLines)
        if (line == 0 && SameName(panelLine.container, container) && SameName(panelLine.gauge, gauge)) line = panelLine.line;
    page.gauges.push_back({currentPanel, line, currentGauge, found, file});
}

void SoundMapWrites(const std::string& file, const std::vector<GaugeScript>& scripts, const std::vector<LVarUse>& uses) {
    if (!collecting) return;
    for (const LVarUse& use : uses) {
        if (!use.write) continue;
        int area = use.script >= 0 && static_cast<size_t>(use.script) < scripts.size()
                       ? scripts[static_cast<size_t>(use.script)].mouseArea
                       : -1;
        page.writes.push_back({currentGauge, currentPanel, file, use, area});
    }
}

bool WriteSoundMap(const std::string& pagePath) {
    SortWrites();
    SortFindings();
    collecting = false;
    std::string why;
    if (WriteSoundMapPage(page, pagePath, &why)) return true;
    fprintf(stderr, "panelhost: the report %s cannot be written: %s\n", pagePath.c_str(), why.c_str());
    return false;
}
