// --check: an INI file, a panel.cfg or an aircraft folder, checked as the
// simulator and the module would read them.
#include "tools/panelhost/check/check.h"

#include <stdio.h>
#include <string.h>

#include "tools/panelhost/aircraft/gauge_lookup.h"
#include "tools/panelhost/aircraft/panel_read.h"
#include "tools/panelhost/check/config_check.h"
#include "tools/panelhost/check/install.h"
#include "tools/panelhost/check/module_run.h"
#include "tools/panelhost/check/panel_check.h"
#include "tools/panelhost/check/report.h"
#include "tools/panelhost/check/sound_map.h"
#include "tools/panelhost/common/names.h"

int RunCheck(const Options& options) {
    std::string path = FullPath(options.checkConfig);
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    std::string name = path.substr(path.find_last_of('\\') + 1);
    bool isAircraft = IsFolder(path) && IsFile(AircraftCfgOf(path));
    // Which module the simulator loads and which simulator it is decide the module the check runs.
    InstallFacts install = ReadInstall(options);
    // A host program run directly with a module of the other architecture: one line, nothing else.
    if (!ModuleFitsThisProgram(install.runModule)) return kExitUnusable;
    SetCheckedInstall(install);
    if (!options.reportPath.empty()) {
        bool cfg = SameName(name, "aircraft.cfg") || SameName(name, "sim.cfg");
        SoundMapStart(path, isAircraft ? AircraftCfgOf(path) : cfg ? path : "", install.simFolder);
    }
    ReportInstall(install);
    Options run = options;
    run.modulePath = install.runModule;
    run.simVersion = install.hostVersion;
    CheckPlace place;
    place.simFolder = install.simFolder;
    place.gaugesFolder = place.simFolder + "\\Gauges";

    // The module's own gauge names; a module that cannot be loaded stops the check.
    std::vector<std::string> moduleGauges;
    if (!ReadModuleGauges(run, &moduleGauges)) return kExitUnusable;
    bool hasSound = false;
    for (const std::string& gauge : moduleGauges) hasSound = hasSound || gauge == "Sound";
    if (!hasSound) {
        fprintf(stderr, "panelhost: the module %s has no Sound gauge\n", run.modulePath.c_str());
        return kExitUnusable;
    }

    Heading("simulator folder %s", place.simFolder.c_str());
    // The simulator runs in its folder: WAV paths that start with a dot are relative to it.
    if (!SetCurrentDirectoryA(place.simFolder.c_str()))
        ReportWarning(place.simFolder, 0, "", "the simulator folder cannot be entered: WAV paths that start with a "
                                              "dot are taken from the current folder instead");
    if (path.size() >= MAX_PATH) {
        ReportError(path, 0, "", "the path is " + std::to_string(path.size()) +
                                     " characters long: Windows programs, the simulator and the module among them, "
                                     "take at most 259; move it to a shorter path");
    } else if (isAircraft || SameName(name, "aircraft.cfg") || SameName(name, "sim.cfg") || SameName(name, "panel.cfg")) {
        if (!SameName(name, "panel.cfg"))
            Heading("aircraft %s", (isAircraft ? AircraftCfgOf(path) : path).c_str());
        std::vector<Finding> findings;
        std::vector<std::string> panels = PanelConfigsOf(path, &findings);
        ReportAll(findings);
        for (const std::string& panel : panels) CheckPanel(run, panel, place, moduleGauges);
    } else if (IsFolder(path)) {
        ReportError(path, 0, "", "a folder without aircraft.cfg or sim.cfg: give an INI file, a panel.cfg or an "
                                            "aircraft folder (the one that holds aircraft.cfg or sim.cfg)");
    } else {
        Heading("configuration %s", path.c_str());
        ConfigResult result;
        CheckConfiguration(run, path, &result);
    }
    int status = ReportSummary();
    // The page never changes what the check printed or its status, unless it cannot be written.
    if (!options.reportPath.empty() && !WriteSoundMap(options.reportPath)) return kExitUnusable;
    return status;
}
