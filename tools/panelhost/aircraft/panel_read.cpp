// The panels an aircraft leads to and their gauge lines, read as the
// simulator reads aircraft.cfg and panel.cfg.
#include "tools/panelhost/aircraft/panel_read.h"

#include <stdlib.h>
#include <string.h>

#include <set>

#include "tools/panelhost/common/common.h"
#include "tools/panelhost/common/names.h"

namespace {

const int kMaxAliasSteps = 8;

// Reads the file as text; false after an error naming it as WHAT.
bool ReadText(const std::string& path, const char* what, std::string* text, std::vector<Finding>* findings) {
    TextState state = ReadTextFile(path, text);
    if (state == kTextOk) return true;
    AddFinding(findings, kFindingError, path, 0, "", std::string(what) + " " + TextStateMeaning(state));
    return false;
}

std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
    return value;
}

// "<word><digits>", any letter case.
bool IsNumbered(const std::string& name, const char* word) {
    size_t length = strlen(word);
    return name.size() > length && _strnicmp(name.c_str(), word, length) == 0 &&
           name.find_first_not_of("0123456789", length) == std::string::npos;
}

// Each variation's panel of the aircraft folder, each distinct panel once.
std::vector<std::string> AircraftPanels(const std::string& aircraftFolder, std::vector<Finding>* findings) {
    std::string aircraftCfg = AircraftCfgOf(aircraftFolder);
    std::string text;
    std::vector<std::string> panels;
    if (!ReadText(aircraftCfg, "the aircraft configuration", &text, findings)) return panels;
    std::set<std::string> followed, listed;  // folded
    int variations = 0;
    for (const CfgSection& section : ParseCfg(text, true)) {
        if (_strnicmp(section.name.c_str(), "fltsim.", 7) != 0) continue;
        ++variations;
        const CfgEntry* panel = FindEntry(&section, "panel");
        std::string suffix = panel != nullptr ? Trimmed(Unquoted(panel->value)) : "";
        std::string folder = aircraftFolder + "\\panel" + (suffix.empty() ? "" : "." + suffix);
        std::string panelCfg = folder + "\\panel.cfg";
        if (!followed.insert(Folded(panelCfg)).second) continue;
        if (!IsFile(panelCfg)) {
            AddFinding(findings, kFindingError, aircraftCfg, section.line, "[" + section.name + "]",
                "its panel " + panelCfg + " is not there: the simulator shows no panel and plays no sound "
                "for this variation; set panel= to the suffix of an existing panel folder");
            continue;
        }
        std::string final = FollowAlias(panelCfg, findings);
        if (!final.empty() && listed.insert(Folded(final)).second) panels.push_back(final);
    }
    if (variations == 0)
        AddFinding(findings, kFindingError, aircraftCfg, 0, "", "no [fltsim.N] section: the simulator offers no variation of it");
    return panels;
}

}  // namespace

std::string AircraftCfgOf(const std::string& aircraftFolder) {
    std::string aircraftCfg = aircraftFolder + "\\aircraft.cfg";
    std::string simCfg = aircraftFolder + "\\sim.cfg";
    return !IsFile(aircraftCfg) && IsFile(simCfg) ? simCfg : aircraftCfg;
}

std::string FollowAlias(const std::string& panelCfg, std::vector<Finding>* findings) {
    std::string current = panelCfg;
    for (int step = 0; step <= kMaxAliasSteps; ++step) {
        std::string text;
        if (!ReadText(current, "the panel configuration", &text, findings)) return "";
        std::vector<CfgSection> sections = ParseCfg(text, true);
        const CfgEntry* alias = FindEntry(FindSection(sections, "fltsim"), "alias");
        if (alias == nullptr) return current;
        // Relative to the folder that holds the aircraft folders.
        std::string holder = FolderOf(FolderOf(FolderOf(current)));
        std::string target = holder + "\\" + alias->value + "\\panel.cfg";
        AddFinding(findings, kFindingNote, current, alias->line, "alias=" + alias->value, "the panel of " + target);
        if (!IsFile(target)) {
            AddFinding(findings, kFindingError, current, alias->line, alias->value,
                "the alias leads to " + target + ", which is not there; name <aircraft folder>\\<panel folder>");
            return "";
        }
        current = FullPath(target);
    }
    AddFinding(findings, kFindingError, panelCfg, 0, "",
        "the aliases go round in a circle, or more than " + std::to_string(kMaxAliasSteps) + " deep");
    return "";
}

std::vector<std::string> PanelConfigsOf(const std::string& path, std::vector<Finding>* findings) {
    std::string full = path;
    while (full.size() > 3 && (full.back() == '\\' || full.back() == '/')) full.pop_back();
    std::string name = full.substr(full.find_last_of("\\/") + 1);
    if (IsFolder(full)) return AircraftPanels(full, findings);
    if (SameName(name, "aircraft.cfg") || SameName(name, "sim.cfg")) return AircraftPanels(FolderOf(full), findings);
    std::string panel = FollowAlias(full, findings);
    return panel.empty() ? std::vector<std::string>() : std::vector<std::string>{panel};
}

std::vector<PanelGauge> PanelGaugesOf(const std::vector<CfgSection>& sections) {
    std::vector<PanelGauge> gauges;
    for (const CfgSection& section : sections) {
        bool window = IsNumbered(section.name, "Window");
        if (!window && !IsNumbered(section.name, "VCockpit")) continue;
        // A window's visible= may come after its gauge lines; the profile functions take the first.
        const CfgEntry* visible = window ? FindEntry(&section, "visible") : nullptr;
        bool shown = visible == nullptr || atoi(visible->value.c_str()) != 0;
        for (const CfgEntry& entry : section.entries) {
            if (!IsNumbered(entry.key, "gauge")) continue;
            std::string name = entry.value.substr(0, entry.value.find(','));
            size_t bang = name.find('!');
            if (bang == std::string::npos) continue;
            PanelGauge gauge = {section.name, entry.key, Trimmed(name.substr(0, bang)), Trimmed(name.substr(bang + 1)),
                                "", entry.line, shown};
            size_t comma = 0;
            for (int n = 0; n < 5 && comma != std::string::npos; ++n) comma = entry.value.find(',', comma + 1);
            if (comma != std::string::npos) gauge.parameter = Trimmed(entry.value.substr(comma + 1));
            gauges.push_back(gauge);
        }
    }
    return gauges;
}

std::vector<PanelGauge> ReadPanelGauges(const std::string& panelCfg) {
    std::string text;
    if (ReadTextFile(panelCfg, &text) != kTextOk) return {};
    return PanelGaugesOf(ParseCfg(text, true));
}
