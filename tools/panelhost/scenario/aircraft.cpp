// The `aircraft PATH` line: the panels the aircraft leads to, read as the
// check reads them. The module's gauges join the run with their own
// parameters; every XML gauge is found where the simulator finds it, loose
// or in a cabinet, and compiled for the run, or left out with the reason.
#include <stdio.h>

#include "tools/panelhost/aircraft/gauge_lookup.h"
#include "tools/panelhost/aircraft/gauge_scripts.h"
#include "tools/panelhost/aircraft/panel_read.h"
#include "tools/panelhost/aircraft/parameter.h"
#include "tools/panelhost/common/names.h"
#include "tools/panelhost/scenario/runner.h"

namespace {

std::string FileStem(const std::string& path) {
    std::string name = path.substr(path.find_last_of("\\/") + 1);
    return name.substr(0, name.find_last_of('.'));
}

void SayFindings(const std::vector<Finding>& findings) {
    for (const Finding& finding : findings) {
        if (finding.level != kFindingError) continue;
        Say("aircraft", "%s:%d: %s%s%s", finding.file.c_str(), finding.line, finding.item.c_str(),
            finding.item.empty() ? "" : ": ", finding.message.c_str());
    }
}

// The most stray }s one script may hold before it is left out.
const int kMaxStrayBraces = 64;

// Compiles one script; false after a line naming the token it refused: the
// script is left out, the gauge's other scripts run. A } that closes no
// block is taken as the simulator takes it: it does nothing, and the code
// around it runs as if it were not there; each is said once, where it is.
bool Compile(const GaugeScript& source, const std::string& file, const std::string& gauge, XmlScript* script) {
    std::string text = source.text;
    std::string token;
    size_t offset = 0;
    for (int stray = 0; !CompileScript(text, &script->code, &token, &offset); ++stray) {
        if (token == "}" && offset < text.size() && text[offset] == '}' && stray < kMaxStrayBraces) {
            Say("xml", "%s:%d: a } that closes no block: it does nothing, as in the simulator (the XML gauge %s)",
                file.c_str(), source.LineAt(offset), gauge.c_str());
            text[offset] = ' ';
            continue;
        }
        Say("xml", "%s:%d: '%s' is outside the script language panelhost runs: this script of the XML gauge %s is "
                   "left out, its other scripts run",
            file.c_str(), source.LineAt(offset), token.c_str(), gauge.c_str());
        return false;
    }
    for (const ScriptToken& t : script->code.tokens) script->lines.push_back(source.LineAt(t.offset));
    return true;
}

void LoadXmlGauge(Run* run, const std::string& name, const std::string& file, const std::string& bytes) {
    std::vector<GaugeScript> scripts;
    ScriptProblem problem;
    if (!ReadGaugeScriptList(bytes, &scripts, &problem)) {
        ++run->xml.notRun.leftOut;
        Say("xml", "%s:%d: %s%s%s: the XML gauge %s is left out", file.c_str(), problem.line, problem.what.c_str(),
            problem.item.empty() ? "" : ": ", problem.item.c_str(), name.c_str());
        return;
    }
    XmlGauge gauge;
    gauge.name = name;
    gauge.file = file;
    std::vector<XmlScript> values;
    int conditional = 0;
    for (const GaugeScript& source : scripts) {
        if (source.role == kScriptOther) continue;
        if (source.conditional && source.role != kScriptClick) {
            ++conditional;
            continue;
        }
        XmlScript script;
        if (!Compile(source, file, name, &script)) {
            ++run->xml.notRun.scriptsLeftOut;
            continue;
        }
        if (source.role == kScriptUpdate) {
            gauge.frame.push_back(script);
        } else if (source.role == kScriptValue) {
            values.push_back(script);
        } else if (source.mouseArea >= 0) {
            size_t area = static_cast<size_t>(source.mouseArea);
            if (gauge.areas.size() <= area) gauge.areas.resize(area + 1);
            gauge.areas[area].push_back({script, source.clickKinds, source.clickEvent});
        }
    }
    // The update code first, then the elements' value code, as the simulator runs them.
    gauge.frame.insert(gauge.frame.end(), values.begin(), values.end());
    Say("xml", "the XML gauge %s from %s: scripts each frame %d, mouse areas %d", name.c_str(), file.c_str(),
        static_cast<int>(gauge.frame.size()), static_cast<int>(gauge.areas.size()));
    if (conditional > 0)
        Say("xml", "%s: %d scripts of %s run only under a condition the gauge sets: they are not run", file.c_str(),
            conditional, name.c_str());
    run->xml.gauges.push_back(gauge);
}

// A gauge of the module: the Sound gauge with its parameter, or the Debugger.
// The simulator's module file is MODULEFILE ("" when none is found): a
// parameter that names a path from the module's folder (empty, a leading
// backslash, a relative path) is made a full path from there, as the module
// in the simulator would take it. A leading dot stays for --sim-folder.
bool AddModuleGauge(Run* run, const PanelGauge& line, const std::string& moduleFile) {
    Step step;
    step.line = line.line;
    if (SameName(line.gauge, "Sound")) {
        step.kind = kStepGauge;
        step.text[0] = line.parameter;
        if (!moduleFile.empty() && (line.parameter.empty() || line.parameter[0] != '.')) {
            step.text[0] = ResolveParameter(line.parameter, moduleFile, "").candidate;
            Say("aircraft", "%s!%s %s: from the module %s, %s", line.container.c_str(), line.gauge.c_str(),
                line.parameter.c_str(), moduleFile.c_str(), step.text[0].c_str());
            return RunStep(run, step);
        }
    } else if (SameName(line.gauge, "Debugger")) {
        step.kind = kStepDebugger;
    } else {
        ++run->xml.notRun.notFound;
        Say("aircraft", "the module has no gauge %s: the line is left out", line.gauge.c_str());
        return true;
    }
    Say("aircraft", "%s!%s %s", line.container.c_str(), line.gauge.c_str(), line.parameter.c_str());
    return RunStep(run, step);
}

}  // namespace

bool LoadAircraft(Run* run, const std::string& given) {
    std::string path = FullPath(given);
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    std::vector<Finding> findings;
    std::vector<std::string> panels = PanelConfigsOf(path, &findings);
    SayFindings(findings);
    if (panels.empty()) {
        fprintf(stderr, "panelhost: %s leads to no panel.cfg: give an aircraft folder or a panel.cfg\n", path.c_str());
        return false;
    }
    // The simulator's folder as the check finds it: --sim-folder, else above
    // the aircraft, else the current folder. One found above is entered, as
    // --sim-folder is, for the paths that start with a dot.
    std::string aircraftFolder = SameName(path.substr(path.find_last_of('\\') + 1), "panel.cfg")
                                     ? FolderOf(FolderOf(path))
                                     : path;
    std::string simFolder = run->simFolder;
    const char* how = "--sim-folder";
    if (simFolder.empty()) {
        simFolder = SimFolderAbove(aircraftFolder);
        how = "above the aircraft";
        if (simFolder.empty() || !SetCurrentDirectoryA(simFolder.c_str())) {
            simFolder = FullPath(".");
            how = "the current folder";
        } else {
            run->simFolder = simFolder;
        }
    }
    Say("aircraft", "simulator folder %s (%s)", simFolder.c_str(), how);
    std::string gaugesFolder = simFolder + "\\Gauges";
    std::string moduleStem = FileStem(run->options->modulePath);
    for (const std::string& panel : panels) {
        Say("aircraft", "panel %s", panel.c_str());
        std::string panelFolder = FolderOf(panel);
        for (const PanelGauge& line : ReadPanelGauges(panel)) {
            std::string bytes, file;
            findings.clear();
            XmlGaugeLookup found = FindXmlGaugeBytes(panelFolder, gaugesFolder, line.container, line.gauge, &bytes,
                                                     &file, &findings);
            SayFindings(findings);
            bool moduleGauge = SameName(line.gauge, "Sound") || SameName(line.gauge, "Debugger");
            if (SameName(line.container, moduleStem) && found != kXmlGaugeChecked) {
                if (!AddModuleGauge(run, line, found == kXmlGaugeCompiled ? file : "")) return false;
            } else if (found == kXmlGaugeChecked) {
                LoadXmlGauge(run, line.gauge, file, bytes);
            } else if (found == kXmlGaugeCompiled) {
                // The module under another file name takes its own gauges.
                if (moduleGauge) {
                    if (!AddModuleGauge(run, line, file)) return false;
                } else {
                    ++run->xml.notRun.compiled;
                    Say("aircraft", "%s:%d: %s!%s is a compiled gauge (%s): not run", panel.c_str(), line.line,
                        line.container.c_str(), line.gauge.c_str(), file.c_str());
                }
            } else {
                ++run->xml.notRun.notFound;
                Say("aircraft", "%s:%d: %s!%s %s: not run", panel.c_str(), line.line, line.container.c_str(),
                    line.gauge.c_str(), found == kXmlGaugeUnreadable ? "cannot be read"
                                                                     : "is not found where the simulator looks");
            }
        }
    }
    return true;
}
