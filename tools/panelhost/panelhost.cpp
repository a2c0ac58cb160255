// panelhost: runs the module, its configuration and its WAV files without
// the simulator. A scenario scripts what the XML gauges and the simulator do;
// --check checks an aircraft's sound set-up. The command line, and the host
// program's run of it.
#include <stdio.h>
#include <string.h>

#include "host/host.h"
#include "tests/doubles/simconnect/simconnect_double.h"
#include "tools/panelhost/panelhost.h"

namespace {

const char kUsage[] =
    "usage: panelhost [--sim-version 10|9|1|none] [--simconnect] [--module PATH] [--no-window]\n"
    "                 [--fast] [--quiet] [--trace-all] SCENARIO\n"
    "       panelhost --check INI|PANEL.CFG|AIRCRAFT-FOLDER [--sim-folder DIR] [--module PATH]\n"
    "       panelhost --version\n";

int Usage(const char* why) {
    fprintf(stderr, "panelhost: %s\n%s", why, kUsage);
    return kExitUnusable;
}

}  // namespace

int ReadOptions(int argc, char** argv, Options* options) {
    bool others = false;  // options that only a scenario run takes
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (strcmp(arg, "--module") == 0 && hasValue) {
            options->modulePath = FullPath(argv[++i]);
            options->moduleGiven = true;
        } else if (strcmp(arg, "--check") == 0 && hasValue) {
            options->checkConfig = argv[++i];
        } else if (strcmp(arg, "--sim-folder") == 0 && hasValue) {
            options->simFolder = argv[++i];
        } else if (strcmp(arg, "--sim-version") == 0 && hasValue) {
            options->simVersion = argv[++i];
            others = true;
            if (options->simVersion != "10" && options->simVersion != "9" && options->simVersion != "1" &&
                options->simVersion != "none")
                return Usage("--sim-version takes 10, 9, 1 or none");
        } else if (strcmp(arg, "--simconnect") == 0) {
            options->simConnect = others = true;
        } else if (strcmp(arg, "--no-window") == 0) {
            options->noWindow = others = true;
        } else if (strcmp(arg, "--fast") == 0) {
            options->fast = others = true;
        } else if (strcmp(arg, "--quiet") == 0) {
            options->quiet = others = true;
        } else if (strcmp(arg, "--trace-all") == 0) {
            options->traceAll = others = true;
        } else if (arg[0] == '-' && arg[1] == '-') {
            return Usage((std::string("unknown option or missing value: ") + arg).c_str());
        } else if (options->scenarioPath.empty()) {
            options->scenarioPath = arg;
        } else {
            return Usage("give one scenario");
        }
    }
    if (!options->checkConfig.empty()) {
        if (!options->scenarioPath.empty() || others)
            return Usage("--check takes a path, --sim-folder and --module only");
        return 0;
    }
    if (!options->simFolder.empty()) return Usage("--sim-folder goes with --check");
    if (options->scenarioPath.empty()) return Usage("no scenario given");
    return 0;
}

namespace {

// A module of one's own finds SimConnect where the assembly sits beside it,
// whatever --simconnect says.
void WarnOfModuleFolder(const Options& options) {
    std::string library = FolderOf(options.modulePath) + "\\" + kSimConnectAssemblyFolder + "\\SimConnect.dll";
    bool present = GetFileAttributesA(library.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (options.simConnect && !present)
        fprintf(stderr, "panelhost: warning: no %s beside the module: its link cannot come up\n",
                kSimConnectAssemblyFolder);
    if (!options.simConnect && present)
        fprintf(stderr, "panelhost: warning: %s sits beside the module: it finds SimConnect without --simconnect\n",
                kSimConnectAssemblyFolder);
}

bool ReadFile(const std::string& path, std::string* text) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text->append(chunk, got);
    bool ok = ferror(file) == 0;
    fclose(file);
    return ok;
}

}  // namespace

std::string FullPath(const std::string& path) {
    // Through the wide API: a Linux path may be longer than the ANSI one takes.
    int wideLength = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (wideLength <= 0) return path;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], wideLength);
    DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(wide.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return path;
    int narrowLength = WideCharToMultiByte(CP_ACP, 0, full.c_str(), static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (narrowLength <= 0) return path;
    std::string narrow(static_cast<size_t>(narrowLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, full.c_str(), static_cast<int>(length), &narrow[0], narrowLength, nullptr, nullptr);
    return narrow;
}

bool LoadFreshModule(const Options& options) {
    host::Reset();
    host::ClearMessageBoxes();
    if (!OpenStandIns(options)) return false;
    if (host::LoadModule(options.modulePath.c_str())) return true;
    fprintf(stderr, "panelhost: cannot load the module %s (error %lu)\n", options.modulePath.c_str(), GetLastError());
    return false;
}

std::string ProgramFolder() {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return ".";
    return FolderOf(std::string(self, length));
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

int RunHost(int argc, char** argv) {
    Options options;
    options.modulePath = ProgramFolder() + "\\kvo_sound.dll";
    int status = ReadOptions(argc, argv, &options);
    if (status != 0) return status;
    if (options.moduleGiven) WarnOfModuleFolder(options);
    if (!options.checkConfig.empty()) return RunCheck(options);

    std::string text;
    if (!ReadFile(options.scenarioPath, &text)) {
        fprintf(stderr, "panelhost: cannot read the scenario %s\n", options.scenarioPath.c_str());
        return kExitUnusable;
    }
    std::vector<Step> steps;
    int line = 0;
    std::string reason;
    if (!ParseScenario(text, &steps, &line, &reason)) {
        if (line == 0)
            fprintf(stderr, "panelhost: %s: %s\n", options.scenarioPath.c_str(), reason.c_str());
        else
            fprintf(stderr, "panelhost: %s:%d: %s\n", options.scenarioPath.c_str(), line, reason.c_str());
        return kExitUnusable;
    }
    return RunScenario(options, steps);
}
