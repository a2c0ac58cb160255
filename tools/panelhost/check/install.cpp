// The install the check judges: the module file the simulator loads, the
// simulator's version, and the module the check runs because of them.
#include "tools/panelhost/check/install.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "tools/panelhost/aircraft/gauge_lookup.h"
#include "tools/panelhost/aircraft/panel_read.h"
#include "tools/panelhost/check/report.h"
#include "tools/panelhost/common/names.h"

namespace {

const size_t kMaxProgramsRead = 200;  // programs in the simulator's folder whose version is read
const char kReleaseModule32[] = "Gauges\\for 32-bit simulators (9, 10, 1)\\kvo_sound.dll";
const char kReleaseModule64[] = "Gauges\\for 64-bit simulators (4, 5, 6)\\kvo_sound.dll";

InstallFacts checkedInstall;

// The simulator's architecture by its major version: 1, 2, 3, 9 and 10 are
// 32-bit, 4, 5 and 6 64-bit; 0 when the version is none of them.
Architecture MajorArchitecture(int major) {
    if (major == 1 || major == 2 || major == 3 || major == 9 || major == 10) return kArch32;
    if (major >= 4 && major <= 6) return kArch64;
    return kArchUnknown;
}

const char* ArchName(Architecture architecture) {
    return architecture == kArch64 ? "64-bit" : architecture == kArch32 ? "32-bit" : "of an unknown machine type";
}

const char* SimulatorsOf(Architecture architecture) {
    return architecture == kArch64 ? "versions 4, 5 and 6" : "versions 10, 9 and 1 (and the other 32-bit ones)";
}

const char* ReleaseModuleFor(Architecture architecture) {
    return architecture == kArch64 ? kReleaseModule64 : kReleaseModule32;
}

// The version resource's fixed block and ProductName; false without one.
bool ReadVersionResource(const std::string& path, VS_FIXEDFILEINFO* fixed, std::string* product) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<char> block(size, 0);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return false;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return false;
    *fixed = *static_cast<VS_FIXEDFILEINFO*>(value);
    product->clear();
    struct Translation {
        WORD language, codePage;
    };
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) && length >= sizeof(Translation)) {
        const Translation* first = static_cast<const Translation*>(value);
        char key[64];
        snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\ProductName", first->language, first->codePage);
        if (VerQueryValueA(block.data(), key, &value, &length) && length > 0)
            product->assign(static_cast<const char*>(value), strnlen(static_cast<const char*>(value), length));
    }
    return true;
}

std::string VersionText(DWORD a, DWORD b, DWORD c) {
    return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c);
}

// The compiled module <container>.gau or .dll in the folder, or "".
std::string CompiledModuleIn(const std::string& folder, const std::string& container) {
    for (const char* extension : {".gau", ".dll"}) {
        std::string path = folder + "\\" + container + extension;
        if (IsFile(path)) return path;
    }
    return "";
}

// The first Sound gauge line of the panels whose container names a module file.
void FindLoadedModule(const std::string& checked, bool isIni, InstallFacts* facts) {
    if (isIni) return;
    for (const std::string& panel : PanelConfigsOf(checked)) {
        for (const PanelGauge& line : ReadPanelGauges(panel)) {
            if (!SameName(line.gauge, "Sound")) continue;
            facts->soundGaugeSeen = true;
            std::string found = CompiledModuleIn(FolderOf(panel), line.container);
            if (found.empty()) found = CompiledModuleIn(facts->simFolder + "\\Gauges", line.container);
            if (found.empty()) continue;
            facts->module = ReadModuleFile(found);
            facts->modulePanel = panel;
            facts->moduleLine = line.line;
            facts->moduleGauge = line.container + "!" + line.gauge;
            return;
        }
    }
}

// The programs of the simulator's folder whose version is one a simulator of
// this gauge interface has, of the architecture that version has.
void FindSimProgram(InstallFacts* facts) {
    if (!facts->simFolderFound) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((facts->simFolder + "\\*.exe").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<SimProgramFacts> candidates;
    size_t read = 0;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || ++read > kMaxProgramsRead) continue;
        SimProgramFacts program;
        program.path = facts->simFolder + "\\" + found.cFileName;
        VS_FIXEDFILEINFO fixed = {};
        std::string product;
        if (!ReadVersionResource(program.path, &fixed, &product)) continue;
        program.major = static_cast<int>(fixed.dwFileVersionMS >> 16);
        DWORD build = (fixed.dwFileVersionLS >> 16) != 0 ? fixed.dwFileVersionLS >> 16 : fixed.dwFileVersionLS & 0xFFFF;
        program.version = VersionText(fixed.dwFileVersionMS >> 16, fixed.dwFileVersionMS & 0xFFFF, build);
        program.architecture = FileArchitecture(program.path);
        if (MajorArchitecture(program.major) == kArchUnknown ||
            MajorArchitecture(program.major) != program.architecture)
            continue;
        candidates.push_back(program);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    if (candidates.empty()) return;
    for (const SimProgramFacts& other : candidates) {
        if (other.major == candidates[0].major) continue;
        for (const SimProgramFacts& each : candidates)
            facts->programsDisagree += (facts->programsDisagree.empty() ? "" : ", ") + each.path + " (version " +
                                       each.version + ")";
        return;
    }
    facts->program = candidates[0];
}

// panelhost's own host programs: beside the launcher in panelhost\, or the
// host program's own folder's parent.
std::string HostsFolder() {
    std::string beside = ProgramFolder() + "\\panelhost";
    return IsFolder(beside) ? beside : FolderOf(ProgramFolder());
}

std::string HostVersionFor(const std::string& simVersion, Architecture architecture) {
    if (VersionArchitecture(simVersion) == architecture) return simVersion;
    if (simVersion.empty()) return architecture == kArch64 ? "6" : "10";
    return "none";  // a version of no host of its own (2, 3): the module sets no host mark there either
}

std::string HostFolderName(const std::string& hostVersion, Architecture architecture) {
    return architecture == kArch64 ? "x64-" + hostVersion : hostVersion;
}

// Decides what the check runs, from the module found and the simulator.
void Decide(const Options& options, InstallFacts* facts) {
    const ModuleFileFacts& module = facts->module;
    Architecture runArchitecture = facts->simArchitecture != kArchUnknown ? facts->simArchitecture
                                   : module.architecture != kArchUnknown  ? module.architecture
                                                                          : OwnArchitecture();
    if (options.moduleGiven) {
        facts->verdict = InstallFacts::kGivenModule;
        runArchitecture = FileArchitecture(options.modulePath);
        if (runArchitecture == kArchUnknown) runArchitecture = OwnArchitecture();
    } else if (module.path.empty()) {
        facts->verdict = InstallFacts::kNoModule;
    } else if (module.product != "kvo_sound" || module.architecture == kArchUnknown) {
        facts->verdict = InstallFacts::kNotOurs;
    } else if (facts->simArchitecture != kArchUnknown && module.architecture != facts->simArchitecture) {
        facts->verdict = InstallFacts::kWrongArchitecture;
    } else {
        runArchitecture = module.architecture;
        facts->verdict = InstallFacts::kFits;
    }
    facts->runArchitecture = runArchitecture;
    facts->hostVersion = HostVersionFor(facts->simVersion, runArchitecture);
    facts->ownModule = ReadModuleFile(HostsFolder() + "\\" + HostFolderName(facts->hostVersion, runArchitecture) +
                                      "\\kvo_sound.dll");
    if (facts->verdict == InstallFacts::kFits && module.version != facts->ownModule.version)
        facts->verdict = InstallFacts::kOtherVersion;
    facts->runsOwn = facts->verdict != InstallFacts::kFits && facts->verdict != InstallFacts::kGivenModule;
    facts->runModule = facts->verdict == InstallFacts::kFits         ? module.path
                       : facts->verdict == InstallFacts::kGivenModule ? options.modulePath
                                                                      : facts->ownModule.path;
}

// Whether version text A ("1.2.0") is below B, number by number.
bool VersionBelow(const std::string& a, const std::string& b) {
    int x[3] = {}, y[3] = {};
    sscanf(a.c_str(), "%d.%d.%d", &x[0], &x[1], &x[2]);
    sscanf(b.c_str(), "%d.%d.%d", &y[0], &y[1], &y[2]);
    for (int i = 0; i < 3; ++i)
        if (x[i] != y[i]) return x[i] < y[i];
    return false;
}

std::string Described(const ModuleFileFacts& module) {
    std::string text = module.product.empty() ? std::string("no version resource") : module.product;
    if (!module.version.empty()) text += " " + module.version;
    return text + ", " + ArchName(module.architecture);
}

}  // namespace

ModuleFileFacts ReadModuleFile(const std::string& path) {
    ModuleFileFacts facts;
    facts.path = path;
    facts.architecture = FileArchitecture(path);
    VS_FIXEDFILEINFO fixed = {};
    if (ReadVersionResource(path, &fixed, &facts.product))
        facts.version = VersionText(fixed.dwFileVersionMS >> 16, fixed.dwFileVersionMS & 0xFFFF, fixed.dwFileVersionLS >> 16);
    return facts;
}

InstallFacts ReadInstall(const Options& options) {
    InstallFacts facts;
    std::string path = FullPath(options.checkConfig);
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    facts.checked = path;
    std::string name = path.substr(path.find_last_of('\\') + 1);
    bool isAircraft = IsFolder(path);
    bool isPanel = SameName(name, "panel.cfg");
    bool isIni = !isAircraft && !isPanel && !SameName(name, "aircraft.cfg") && !SameName(name, "sim.cfg");
    facts.aircraftFolder = isAircraft ? path : isPanel ? FolderOf(FolderOf(path)) : FolderOf(path);
    facts.simFolder = !options.simFolder.empty() ? FullPath(options.simFolder) : SimFolderAbove(facts.aircraftFolder);
    facts.simFolderFound = !facts.simFolder.empty();
    if (!facts.simFolderFound) facts.simFolder = FullPath(".");

    if (path.size() < MAX_PATH) FindLoadedModule(path, isIni, &facts);
    if (!options.simVersion.empty()) {
        facts.simVersion = options.simVersion;
        facts.simVersionFrom = "--sim-version";
    } else {
        FindSimProgram(&facts);
        if (!facts.program.path.empty()) {
            facts.simVersion = std::to_string(facts.program.major);
            facts.simVersionFrom = facts.program.path;
        }
    }
    facts.simArchitecture = facts.simVersion.empty() ? kArchUnknown : MajorArchitecture(atoi(facts.simVersion.c_str()));
    Decide(options, &facts);
    return facts;
}

void ReportInstall(const InstallFacts& facts) {
    const ModuleFileFacts& module = facts.module;
    if (!module.path.empty())
        Heading("module %s: %s, the file the simulator loads for %s (%s:%d)", module.path.c_str(),
                Described(module).c_str(), facts.moduleGauge.c_str(), facts.modulePanel.c_str(), facts.moduleLine);
    else if (facts.soundGaugeSeen)
        Heading("module: none in the panel folder or in %s\\Gauges for the panel's Sound gauge", facts.simFolder.c_str());
    else
        Heading("module: no Sound gauge names one");

    if (facts.simVersion == "none") {
        Heading("simulator without a version resource (--sim-version none): either architecture");
    } else if (!facts.simVersion.empty()) {
        Heading("simulator version %s (%s), from %s%s%s", facts.simVersion.c_str(), ArchName(facts.simArchitecture),
                facts.simVersionFrom.c_str(), facts.program.path.empty() ? "" : ", file version ",
                facts.program.version.c_str());
    } else {
        std::string fits = module.architecture != kArchUnknown && module.product == "kvo_sound"
                               ? std::string("; the installed module, ") + ArchName(module.architecture) +
                                     ", fits simulators of " + SimulatorsOf(module.architecture)
                               : std::string();
        if (!facts.programsDisagree.empty())
            Heading("simulator: several programs in %s could be its own: %s; give --sim-version%s",
                    facts.simFolder.c_str(), facts.programsDisagree.c_str(), fits.c_str());
        else if (facts.simFolderFound)
            Heading("simulator: no program in %s tells its version (give --sim-version)%s", facts.simFolder.c_str(),
                    fits.c_str());
        else
            Heading("simulator: not known (give --sim-folder or --sim-version)%s", fits.c_str());
    }

    std::string host = std::string(ArchName(facts.runArchitecture)) + " host of version " + facts.hostVersion;
    std::string own = "panelhost's own " + std::string(ArchName(facts.runArchitecture)) + " module " +
                      facts.ownModule.version + " (" + facts.ownModule.path + ")";
    switch (facts.verdict) {
    case InstallFacts::kFits:
        Heading("runs %s in panelhost's %s", facts.runModule.c_str(), host.c_str());
        break;
    case InstallFacts::kGivenModule:
        Heading("runs %s, given with --module, in panelhost's %s", facts.runModule.c_str(), host.c_str());
        break;
    case InstallFacts::kNoModule:
        Heading("runs %s in its %s: no module file of the aircraft to run", own.c_str(), host.c_str());
        break;
    case InstallFacts::kNotOurs:
        Heading("runs %s in its %s: %s is not kvo_sound", own.c_str(), host.c_str(), module.path.c_str());
        break;
    case InstallFacts::kWrongArchitecture:
        Heading("runs %s in its %s, as the simulator would the right module", own.c_str(), host.c_str());
        ReportError(module.path, 0, "",
                    std::string("a ") + ArchName(module.architecture) + " module: a version " + facts.simVersion +
                        " simulator (" + ArchName(facts.simArchitecture) +
                        ") cannot load it (Windows error 193), so the panel has no Sound gauge and plays no sound; "
                        "put " + ReleaseModuleFor(facts.simArchitecture) + " of the release zip in its place");
        break;
    case InstallFacts::kOtherVersion:
        Heading("runs %s in its %s, not the installed %s", own.c_str(), host.c_str(), module.version.c_str());
        ReportWarning(module.path, 0, "",
                      "kvo_sound " + (module.version.empty() ? std::string("without a version") : module.version) +
                          ", " + (VersionBelow(module.version, facts.ownModule.version) ? "older" : "newer") + " than panelhost's " +
                          facts.ownModule.version + ": the check runs panelhost's module, which may judge what the "
                          "installed one does differently; install " + ReleaseModuleFor(module.architecture) +
                          " of release " + facts.ownModule.version + ", or check with that release's panelhost");
        break;
    }
}

const InstallFacts& CheckedInstall() { return checkedInstall; }

void SetCheckedInstall(const InstallFacts& facts) { checkedInstall = facts; }

void PrepareCheckLaunch(Options* options) {
    if (options->checkConfig.empty() || options->moduleGiven) return;
    InstallFacts facts = ReadInstall(*options);
    options->hostArchitecture = facts.runArchitecture;
    options->simVersion = facts.hostVersion;
}
