// The check of one panel: its gauge lines, the module file the simulator
// would load for the module's gauges, the configuration each Sound gauge
// names, and the XML gauges that write the module's variables.
#include "tools/panelhost/check/panel_check.h"

#include <string.h>

#include <map>
#include <set>

#include "tools/panelhost/aircraft/panel_read.h"
#include "tools/panelhost/aircraft/parameter.h"
#include "tools/panelhost/check/command_loss.h"
#include "tools/panelhost/check/config_check.h"
#include "tools/panelhost/check/report.h"
#include "tools/panelhost/check/sound_map.h"
#include "tools/panelhost/check/xml_gauges.h"
#include "tools/panelhost/common/names.h"

namespace {

// Far above any real panel: a hostile panel.cfg cannot keep the check busy for hours.
const size_t kMaxConfigurations = 8;
const size_t kMaxXmlGauges = 500;
const char kSoundGauge[] = "Sound";

// The compiled module <container>.gau or .dll in the folder, or "".
std::string CompiledModuleIn(const std::string& folder, const std::string& container) {
    for (const char* extension : {".gau", ".dll"}) {
        std::string path = folder + "\\" + container + extension;
        if (IsFile(path)) return path;
    }
    return "";
}

bool ExistsAsTheModuleSees(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

std::string FileName(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

// Every configuration checked so far, by folded path, whichever panel named it.
std::map<std::string, ConfigResult> checkedConfigurations;

struct PanelRun {
    const Options& options;
    const CheckPlace& place;
    std::string panelCfg;
    std::string panelFolder;
    const std::vector<std::string>& moduleGauges;  // as the module names them
    ConfigResult config;                    // of the first Sound gauge
    bool configChecked = false;
    std::set<std::string> configPaths;     // checked already, folded
    bool tooManyConfigurations = false;
    std::vector<ModuleVariable> vars;       // its variables, the slots' first
    std::vector<PanelGauge> unfound;        // gauges found nowhere
    bool pathTooLong = false;               // a gauge's path was longer than Windows takes
    size_t unread = 0;                      // gauges whose writes were not read: those and the compiled ones

    void CollectVariables() {
        if (!configChecked) return;
        for (const std::string& name : config.slotVars) vars.push_back({name, kVarCommand});
        // Empty when the configuration could not be read: no name to judge against.
        if (!config.globalVar.empty()) vars.push_back({config.globalVar, kVarGlobalCommands});
        for (const std::string& name : config.otherVars) vars.push_back({name, kVarOther});
    }

    bool IsModuleGauge(const std::string& gauge) const {
        for (const std::string& name : moduleGauges)
            if (SameName(name, gauge)) return true;
        return false;
    }

    void CheckSoundGauge(const PanelGauge& line, const std::string& modulePath) {
        Heading("gauge %s!%s  %s:%d", line.container.c_str(), line.gauge.c_str(), panelCfg.c_str(), line.line);
        ResolvedParameter resolved = ResolveParameter(line.parameter, modulePath, place.simFolder);
        Note("parameter \"%s\": %s", line.parameter.c_str(), resolved.form);
        if (resolved.climbs)
            ReportWarning(panelCfg, line.line, line.parameter,
                    "a leading ..\\ does not climb a folder: the module drops the first dot and looks for " +
                        resolved.candidate + "; write .\\ for the simulator's folder, or a full path");
        std::string iniPath = resolved.candidate;
        if (!resolved.fits || !ExistsAsTheModuleSees(resolved.candidate)) {
            ReportError(panelCfg, line.line, line.parameter,
                    "the module looks for " + resolved.candidate +
                        (resolved.fits ? ", which is not there" : ", longer than the 259 characters it takes") +
                        ": it shows \"Config File Not Found\" and takes " + resolved.defaultPath +
                        "; give the INI file's path");
            if (!IsFile(resolved.defaultPath)) return;
            iniPath = resolved.defaultPath;
        }
        if (configPaths.count(Folded(iniPath)) != 0) {
            Note("configuration %s: checked above", iniPath.c_str());
            return;
        }
        if (configPaths.size() == kMaxConfigurations) {
            if (!tooManyConfigurations)
                ReportWarning(panelCfg, line.line, line.parameter,
                              "more than " + std::to_string(kMaxConfigurations) +
                                  " configurations on one panel: this one and those after it are not checked");
            tooManyConfigurations = true;
            return;
        }
        configPaths.insert(Folded(iniPath));
        // A configuration that several panels share: its findings once.
        auto shared = checkedConfigurations.find(Folded(iniPath));
        if (shared != checkedConfigurations.end()) {
            Note("configuration %s: checked above, with another panel", iniPath.c_str());
            if (!configChecked) config = shared->second, configChecked = true;
            return;
        }
        Heading("configuration %s", iniPath.c_str());
        ConfigResult result;
        CheckConfiguration(options, iniPath, &result);
        checkedConfigurations[Folded(iniPath)] = result;
        if (!configChecked) config = result, configChecked = true;
    }

    // The module's containers (those that hold one of its gauges, and the
    // module file's own name), folded, each with the module file the
    // simulator would load for it.
    std::map<std::string, std::string> FindModuleFiles(const std::vector<PanelGauge>& lines) {
        std::string moduleStem = FileName(options.modulePath);
        moduleStem = moduleStem.substr(0, moduleStem.find_last_of('.'));
        std::map<std::string, std::string> modules;
        for (const PanelGauge& line : lines) {
            if (!IsModuleGauge(line.gauge) && !SameName(line.container, moduleStem)) continue;
            if (modules.count(Folded(line.container)) != 0) continue;
            std::string found = CompiledModuleIn(panelFolder, line.container);
            if (found.empty()) found = CompiledModuleIn(place.gaugesFolder, line.container);
            if (found.empty()) {
                ReportError(panelCfg, line.line, line.container,
                            "no " + line.container + ".gau or " + line.container + ".dll in " + panelFolder + " or " +
                                place.gaugesFolder + ": the simulator loads no module for it; put the module there");
                found = panelFolder + "\\" + line.container + ".gau";  // where the paths would be taken from
            } else {
                Note("module %s", found.c_str());
            }
            modules[Folded(line.container)] = found;
        }
        return modules;
    }

    void CheckModuleGauges(const std::vector<PanelGauge>& lines, const std::map<std::string, std::string>& modules) {
        int soundGauges = 0;
        bool shownSoundGauge = false;
        const PanelGauge* firstClosed = nullptr;
        for (const PanelGauge& line : lines) {
            auto module = modules.find(Folded(line.container));
            if (module == modules.end()) continue;
            std::string name = line.container + "!" + line.gauge;
            if (!IsModuleGauge(line.gauge)) {
                ReportError(panelCfg, line.line, name,
                            "the module has no gauge of that name; its gauges are " + moduleGauges[0] +
                                (moduleGauges.size() > 1 ? " and " + moduleGauges[1] : std::string()));
                continue;
            }
            if (!SameName(line.gauge, kSoundGauge)) continue;
            if (++soundGauges > 1)
                ReportWarning(panelCfg, line.line, name,
                              "more than one Sound gauge: each runs the module's whole cycle, so every command is "
                              "served once per Sound gauge per frame; keep one");
            if (line.windowVisible) shownSoundGauge = true;
            else if (firstClosed == nullptr) firstClosed = &line;
            CheckSoundGauge(line, module->second);
        }
        if (firstClosed != nullptr && !shownSoundGauge)
            ReportWarning(panelCfg, firstClosed->line, firstClosed->container + "!" + firstClosed->gauge,
                          "every Sound gauge of this panel is in a window that starts closed ([" +
                              firstClosed->section + "] has visible=0): the simulator may not serve a closed "
                              "window's gauges until it is opened, and no sound plays until then; put the Sound "
                              "gauge in the main window or in a [VCockpitNN] section");
        if (soundGauges == 0)
            ReportError(panelCfg, 0, "",
                        "no Sound gauge of the module: it loads no configuration and plays nothing; add "
                        "gaugeNN=<module>!Sound, 0,0,1,1, <INI path> to a [WindowNN] or [VCockpitNN] section");
    }

    // Every XML gauge once, in the order the panel names them.
    void CheckXmlGauges(const std::vector<PanelGauge>& lines, const std::map<std::string, std::string>& modules,
                        std::vector<bool>* written, std::vector<PanelWrite>* writes) {
        std::set<std::string> seen;
        size_t xmlGauges = 0;
        // One list for the panel: the faults of a cabinet that several gauges
        // come from are reported once.
        std::vector<Finding> findings;
        for (const PanelGauge& line : lines) {
            std::string name = line.container + "!" + line.gauge;
            if (modules.count(Folded(line.container)) != 0 || !seen.insert(Folded(name)).second) continue;
            if (xmlGauges == kMaxXmlGauges) {
                ReportWarning(panelCfg, line.line, name,
                              "more than " + std::to_string(kMaxXmlGauges) +
                                  " XML gauges on one panel: this one and those after it are not checked");
                return;
            }
            size_t known = findings.size();
            XmlGaugeLookup found =
                CheckXmlGauge(panelFolder, place.gaugesFolder, line.container, line.gauge, vars, written, &findings,
                              writes);
            if (found == kXmlGaugeCompiled) {
                ++unread;
                continue;
            }
            std::string loose = panelFolder + "\\" + line.container + "\\" + line.gauge + ".xml";
            if (found == kXmlGaugeMissing && loose.size() >= MAX_PATH) {
                // Windows finds no longer path: one finding, not one for each gauge.
                if (!pathTooLong)
                    ReportWarning(panelCfg, line.line, loose,
                                  "the gauge's path is " + std::to_string(loose.size()) +
                                      " characters long: Windows programs, the simulator among them, take at most "
                                      "259, so this gauge and any like it are never read; move the aircraft to a "
                                      "shorter path");
                pathTooLong = true;
                ++unread;
                continue;
            }
            if (found == kXmlGaugeMissing) {
                unfound.push_back(line);
                ++unread;
                // What the look-up met on its way (a cabinet's unsafe entries) is said
                // here, or never: the list takes each finding once.
                if (findings.size() > known) {
                    Heading("cabinets met looking for %s  %s:%d", name.c_str(), panelCfg.c_str(), line.line);
                    ReportAll(std::vector<Finding>(findings.begin() + static_cast<std::ptrdiff_t>(known), findings.end()));
                }
                continue;
            }
            ++xmlGauges;
            Heading("gauge %s  %s:%d", name.c_str(), panelCfg.c_str(), line.line);
            ReportAll(std::vector<Finding>(findings.begin() + static_cast<std::ptrdiff_t>(known), findings.end()));
        }
    }

    // The gauges the check could not find, in one finding: most are the
    // simulator's or other add-ons', whose writes have nothing to do with
    // the sounds unless the configuration names their variables.
    void ReportUnfound() {
        if (unfound.empty()) return;
        const size_t kListed = 20;
        std::string list;
        for (size_t i = 0; i < unfound.size() && i < kListed; ++i)
            list += (i == 0 ? "" : ", ") + unfound[i].container + "!" + unfound[i].gauge + " (line " +
                    std::to_string(unfound[i].line) + ")";
        if (unfound.size() > kListed) list += " and " + std::to_string(unfound.size() - kListed) + " more";
        ReportWarning(panelCfg, unfound[0].line, "",
                      std::to_string(unfound.size()) + " gauge" + (unfound.size() == 1 ? "" : "s") +
                          " of this panel not found in " + panelFolder + " or " + place.gaugesFolder +
                          " (loose or in a cabinet, nor as a compiled .gau/.dll): " + list +
                          ". Their L:Var writes could not be read (a compiled gauge's writes never can be). "
                          "Give --sim-folder the simulator's own folder to find the simulator's and the "
                          "add-ons' gauges in its Gauges folder");
    }
};

}  // namespace

void CheckPanel(const Options& options, const std::string& panelCfg, const CheckPlace& place,
                const std::vector<std::string>& moduleGauges) {
    Heading("panel %s", panelCfg.c_str());
    SoundMapPanel(panelCfg);
    std::string text;
    if (!ReadCheckedText(panelCfg, "the panel configuration", &text)) return;
    PanelRun run = {options, place, panelCfg, FolderOf(panelCfg), moduleGauges, {}, false, {}, false, {}, {}, false, 0};
    std::vector<PanelGauge> lines = PanelGaugesOf(ParseCfg(text, true));
    std::map<std::string, std::string> modules = run.FindModuleFiles(lines);
    run.CheckModuleGauges(lines, modules);
    run.CollectVariables();
    if (run.configChecked) SoundMapPanelConfiguration(run.config.iniPath);
    std::vector<bool> written(run.vars.size(), false);
    std::vector<PanelWrite> writes;
    run.CheckXmlGauges(lines, modules, &written, &writes);
    run.ReportUnfound();
    if (!run.config.ran) return;
    std::vector<Finding> lost;
    CheckCommandLoss(writes, run.vars, run.config.volumeIn, run.config.panIn, &lost);
    if (!lost.empty()) {
        Heading("the scripts of panel %s together", panelCfg.c_str());
        ReportAll(lost);
    }
    ReportUnkeyedSlots(run.config, &written);
    for (size_t n = 0; n < run.config.configured.size(); ++n) {
        size_t var = static_cast<size_t>(run.config.configured[n]);
        if (!written[var])
            ReportWarning(run.config.iniPath, run.config.configuredLines[n], run.vars[var].name,
                          "no XML gauge of this panel writes this command variable, so " +
                              run.config.configuredKeys[n] + " never plays" +
                              (run.unread > 0 ? " (unless one of its " + std::to_string(run.unread) +
                                                    " compiled or missing gauges writes it)"
                                              : std::string()) +
                              "; write a command into (L:" + run.vars[var].name + ", number)");
    }
}
