// --check: an INI file, a panel.cfg or an aircraft folder, checked as the
// simulator and the module would read them.
#include "tools/panelhost/check/check.h"

#include <stdio.h>
#include <string.h>

#include "tools/panelhost/aircraft/gauge_lookup.h"
#include "tools/panelhost/aircraft/panel_read.h"
#include "tools/panelhost/check/config_check.h"
#include "tools/panelhost/check/module_run.h"
#include "tools/panelhost/check/panel_check.h"
#include "tools/panelhost/check/report.h"
#include "tools/panelhost/common/names.h"

int RunCheck(const Options& options) {
    std::string path = FullPath(options.checkConfig);
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    std::string name = path.substr(path.find_last_of('\\') + 1);
    bool isAircraft = IsFolder(path) && IsFile(path + "\\aircraft.cfg");
    // The aircraft folder: the path itself, above a panel folder, or beside an INI file.
    std::string aircraftFolder = isAircraft ? path
                                 : SameName(name, "panel.cfg") ? FolderOf(FolderOf(path))
                                                               : FolderOf(path);
    CheckPlace place;
    place.simFolder = !options.simFolder.empty() ? FullPath(options.simFolder) : SimFolderAbove(aircraftFolder);
    if (place.simFolder.empty()) place.simFolder = FullPath(".");
    place.gaugesFolder = place.simFolder + "\\Gauges";

    // The module's own gauge names; a module that cannot be loaded stops the check.
    std::vector<std::string> moduleGauges;
    if (!ReadModuleGauges(options, &moduleGauges)) return kExitUnusable;
    bool hasSound = false;
    for (const std::string& gauge : moduleGauges) hasSound = hasSound || gauge == "Sound";
    if (!hasSound) {
        fprintf(stderr, "panelhost: the module %s has no Sound gauge\n", options.modulePath.c_str());
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
    } else if (isAircraft || SameName(name, "aircraft.cfg") || SameName(name, "panel.cfg")) {
        if (!SameName(name, "panel.cfg"))
            Heading("aircraft %s", (isAircraft ? path + "\\aircraft.cfg" : path).c_str());
        std::vector<Finding> findings;
        std::vector<std::string> panels = PanelConfigsOf(path, &findings);
        ReportAll(findings);
        for (const std::string& panel : panels) CheckPanel(options, panel, place, moduleGauges);
    } else if (IsFolder(path)) {
        ReportError(path, 0, "", "a folder without aircraft.cfg: give an INI file, a panel.cfg or an "
                                            "aircraft folder (the one that holds aircraft.cfg)");
    } else {
        Heading("configuration %s", path.c_str());
        ConfigResult result;
        CheckConfiguration(options, path, &result);
    }
    return ReportSummary();
}
