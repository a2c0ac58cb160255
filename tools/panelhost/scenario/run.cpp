// Runs a scenario: the panel's gauges, the frames at the simulator's rate,
// the gauges' writes, key events and the clock, and the expectations.
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "host/host.h"
#include "tools/panelhost/common/names.h"
#include "tools/panelhost/common/common.h"
#include "tools/panelhost/scenario/runner.h"

namespace {

const double kFrameMilliseconds = 1000.0 / 18.0;  // the simulator's gauge rate
const double kTolerance = 1e-9;

double Now() {
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// "%SCENARIO_DIR%" in a gauge parameter or an expected text: the scenario
// file's folder.
std::string Expanded(const Run& run, std::string parameter) {
    const std::string token = "%SCENARIO_DIR%";
    for (size_t at = parameter.find(token); at != std::string::npos; at = parameter.find(token, at)) {
        parameter.replace(at, token.size(), run.scenarioFolder);
        at += run.scenarioFolder.size();
    }
    return parameter;
}

// A parameter that starts with a dot names a file below the simulator's
// folder: with --sim-folder that folder, else the host program's own.
std::string InSimFolder(const Run& run, const std::string& parameter) {
    if (run.simFolder.empty() || parameter.empty() || parameter[0] != '.') return parameter;
    return run.simFolder + parameter.substr(1);
}

bool AddSoundGauge(const Run& run, const std::string& parameter) {
    std::string expanded = InSimFolder(run, Expanded(run, parameter));
    bool added = host::AddGauge("Sound", expanded.c_str()) >= 0;
    TraceModule();
    if (!added) fprintf(stderr, "panelhost: the module has no Sound gauge\n");
    return added;
}

bool AddDebuggerGauge(Run* run) {
    int instance = host::AddGauge("Debugger", "");
    TraceModule();
    if (instance < 0) {
        fprintf(stderr, "panelhost: the module has no Debugger gauge\n");
        return false;
    }
    run->debuggers.push_back(instance);
    return true;
}

void Failure(Run* run, const Step& step, const std::string& why) {
    ++run->failures;
    SayFailure("line %d: %s: %s", step.line, step.source.c_str(), why.c_str());
}

std::string Number(double value) {
    char text[64];
    snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// Adds the names of the variables the module registered, looked up, read or
// wrote since the last call to the run's set.
void NoteModuleNames(Run* run) {
    const std::vector<host::ServiceCall>& calls = host::Calls();
    size_t dropped = host::CallsDropped();
    size_t logged = dropped + calls.size();
    if (run->callsNoted > logged) run->callsNoted = 0;  // the host was reset
    if (run->callsNoted < dropped) run->callsNoted = dropped;
    for (; run->callsNoted < logged; ++run->callsNoted) {
        const host::ServiceCall& call = calls[run->callsNoted - dropped];
        if (!call.name.empty() && (call.op == "register" || call.op == "find" || call.op == "get" ||
                                   call.op == "set" || call.op == "register_var"))
            run->touched.insert(Folded(call.name));
    }
}

// Traces what the module did since the last frame, notes its names, and
// forgets it: the log holds no more than the calls since the frame before.
void ForgetModuleCalls(Run* run) {
    TraceModule();
    NoteModuleNames(run);
    host::DropCalls();
}

void Expect(Run* run, const Step& step) {
    ++run->expectations;
    if (!host::VariableExists(step.name.c_str())) return Failure(run, step, "no such variable");
    NoteModuleNames(run);
    if (run->touched.count(Folded(step.name)) == 0)
        return Failure(run, step, "only the scenario touched it: neither the module nor a loaded XML gauge "
                                  "registered, read or wrote it, so this tests nothing of the module");
    double value = host::VariableValue(step.name.c_str());
    if (fabs(value - step.value) > kTolerance) Failure(run, step, "it is " + Number(value));
}

void ExpectBox(Run* run, const Step& step) {
    ++run->expectations;
    const std::vector<host::MessageBoxRecord>& boxes = host::MessageBoxes();
    if (run->boxesTaken >= boxes.size()) return Failure(run, step, "no box is queued");
    const host::MessageBoxRecord& box = boxes[run->boxesTaken++];
    std::string wanted = Expanded(*run, step.text[0]);
    if (box.text.find(wanted) == std::string::npos && box.title.find(wanted) == std::string::npos)
        Failure(run, step, "the oldest box reads " + BoxText(box));
}

void ExpectNoBox(Run* run, const Step& step) {
    ++run->expectations;
    const std::vector<host::MessageBoxRecord>& boxes = host::MessageBoxes();
    if (run->boxesTaken < boxes.size())
        Failure(run, step, Number(static_cast<double>(boxes.size() - run->boxesTaken)) + " queued, the oldest " +
                               BoxText(boxes[run->boxesTaken]));
}

// Clicks or reads the panel's first Debugger gauge.
void ClickDebugger(Run* run, const Step& step) {
    if (run->debuggers.empty()) return Failure(run, step, "no Debugger gauge on the panel");
    host::ClickDebugger(run->debuggers[0], step.name == "left");
    TraceModule();
}

void ExpectDebug(Run* run, const Step& step) {
    ++run->expectations;
    if (run->debuggers.empty()) return Failure(run, step, "no Debugger gauge on the panel");
    host::UpdateDebugger(run->debuggers[0]);
    TraceModule();
    std::string shown[3];
    bool same = true;
    for (int n = 0; n < 3; ++n) {
        shown[n] = host::DebuggerLine(run->debuggers[0], n);
        same = same && shown[n] == Expanded(*run, step.text[n]);
    }
    if (!same)
        Failure(run, step, "it shows \"" + shown[0] + "\" \"" + shown[1] + "\" \"" + shown[2] + "\"");
}

// Why this host cannot run the step, or null.
const char* Refusal(const Options& options, const Step& step) {
    switch (step.kind) {
    case kStepGlobalTime:
    case kStepGlobalSound:
        return options.simVersion == "9" ? nullptr : "GLOBAL.DLL is there only with --sim-version 9";
    case kStepSimConnect:
        return options.simConnect ? nullptr : "SimConnect is there only with --simconnect";
    default:
        return nullptr;
    }
}

// The system event a "simconnect" step names.
const char* SystemEventOf(const std::string& name) {
    if (name == "sound") return "Sound";
    if (name == "pause") return "Pause";
    return "View";
}

void SendSimConnect(const Step& step) {
    if (!SendSimConnectEvent(SystemEventOf(step.name), step.event))
        Say("simconnect", "not delivered: the module has no open connection subscribed to %s",
            SystemEventOf(step.name));
    TraceModule();
}

}  // namespace

bool RunStep(Run* run, const Step& step) {
    switch (step.kind) {
    case kStepGauge:
        run->gauges.push_back(step.text[0]);
        if (run->started) return AddSoundGauge(*run, step.text[0]);
        return true;
    case kStepDebugger:
        ++run->debuggersAsked;
        if (run->started) return AddDebuggerGauge(run);
        return true;
    case kStepClick:
        ClickDebugger(run, step);
        return true;
    case kStepExpectDebug:
        ExpectDebug(run, step);
        return true;
    case kStepStart:
        return StartPanel(run);
    case kStepFrames:
        if (!StartPanel(run)) return false;
        RunFrames(run, step.count);
        return true;
    case kStepWait:
        Sleep(static_cast<DWORD>(step.count));
        return true;
    case kStepSet:
        host::SetVariable(step.name.c_str(), step.value);
        return true;
    case kStepExpect:
        Expect(run, step);
        return true;
    case kStepPrint:
        if (host::VariableExists(step.name.c_str()))
            Say("print", "%s = %.10g", step.name.c_str(), host::VariableValue(step.name.c_str()));
        else
            Say("print", "%s does not exist", step.name.c_str());
        return true;
    case kStepKey:
        host::TriggerKeyEvent(step.event, static_cast<uint32_t>(step.parameter));
        TraceModule();
        return true;
    case kStepProbeHold:
        host::SetModuleVarValue(host::kSimClockToken, step.value);
        host::RunSimClock(false);
        return true;
    case kStepProbeRun:
        host::RunSimClock(true);
        return true;
    case kStepGlobalTime:
        SetGlobalTimeOfDay(static_cast<uint8_t>(step.parameter));
        return true;
    case kStepGlobalSound:
        SetGlobalSoundStatus(step.parameter);
        return true;
    case kStepSimConnect:
        SendSimConnect(step);
        return true;
    case kStepExpectBox:
        ExpectBox(run, step);
        return true;
    case kStepExpectNoBox:
        ExpectNoBox(run, step);
        return true;
    case kStepStop:
        Stop(run);
        return true;
    case kStepAllowBoxes:
        run->allowBoxes = true;
        return true;
    case kStepAircraft:
        return LoadAircraft(run, InSimFolder(*run, Expanded(*run, step.text[0])));
    case kStepAvar:
        (step.text[0] == "C" ? run->xml.cvars : run->xml.avars)[Folded(step.name)] = step.value;
        return true;
    case kStepClickGauge: {
        std::string why;
        if (!StartPanel(run)) return false;
        if (!ClickXmlGauge(run, step.name, step.count, step.text[0], &why)) Failure(run, step, why);
        return true;
    }
    default:
        return false;
    }
}

namespace {

bool IsEcho(StepKind kind) {
    return kind != kStepExpect && kind != kStepExpectBox && kind != kStepExpectNoBox && kind != kStepPrint &&
           kind != kStepExpectDebug;
}

// Every box that no expect-box took fails the run, unless it allows boxes.
void FailUntakenBoxes(Run* run) {
    const std::vector<host::MessageBoxRecord>& boxes = host::MessageBoxes();
    if (run->allowBoxes) return;
    for (size_t i = run->boxesTaken; i < boxes.size(); ++i) {
        ++run->failures;
        SayFailure("a box that no expect-box takes (frame %d): %s", boxes[i].frame, BoxText(boxes[i]).c_str());
    }
    run->boxesTaken = boxes.size();
}

}  // namespace

bool StartPanel(Run* run) {
    if (run->started) return true;
    host::StartModule();
    run->started = true;
    TraceModule();
    if (run->gauges.empty() && !AddSoundGauge(*run, "")) return false;
    for (const std::string& parameter : run->gauges)
        if (!AddSoundGauge(*run, parameter)) return false;
    for (int i = 0; i < run->debuggersAsked; ++i)
        if (!AddDebuggerGauge(run)) return false;
    return true;
}

void Stop(Run* run) {
    if (!run->started) return;
    host::KillGauges();
    host::StopModule();
    run->started = false;
    run->debuggers.clear();
    TraceModule();
}

void RunFrames(Run* run, int64_t count) {
    for (int64_t i = 0; i < count; ++i) {
        if (!run->options->fast) {
            double now = Now();
            if (run->nextFrameDue > now) Sleep(static_cast<DWORD>(run->nextFrameDue - now));
            now = Now();
            run->nextFrameDue = (run->nextFrameDue > now - kFrameMilliseconds ? run->nextFrameDue : now) +
                                kFrameMilliseconds;
        }
        ForgetModuleCalls(run);
        // As the simulator updates the gauges: the XML gauges' code before the module's pre-update.
        RunXmlGauges(run);
        host::RunFrame();
        TraceModule();
    }
}

bool RefuseSteps(const Options& options, const std::string& source, const std::vector<Step>& steps) {
    bool usable = true;
    for (const Step& step : steps) {
        const char* why = Refusal(options, step);
        if (why == nullptr) continue;
        fprintf(stderr, "panelhost: %s:%d: '%s' cannot run here: %s\n", source.c_str(), step.line,
                step.source.c_str(), why);
        usable = false;
    }
    return !usable;
}

bool OpenRun(const Options& options, const std::string& scenarioFolder, Run* run) {
    run->options = &options;
    run->scenarioFolder = scenarioFolder;
    if (!options.simFolder.empty()) {
        run->simFolder = FullPath(options.simFolder);
        // WAV paths that start with a dot are read from the current folder.
        if (!SetCurrentDirectoryA(run->simFolder.c_str())) {
            fprintf(stderr, "panelhost: the simulator folder %s cannot be entered (error %lu)\n",
                    run->simFolder.c_str(), GetLastError());
            return false;
        }
    }
    TraceSettings(options.quiet, options.traceAll);
    if (!LoadFreshModule(options)) return false;
    if (!options.noWindow) host::CreateSimWindow();
    TraceSkip();
    Say("module", "%s", options.modulePath.c_str());
    if (!run->simFolder.empty()) Say("sim", "simulator folder %s", run->simFolder.c_str());
    return true;
}

bool RunLine(Run* run, const Step& step) {
    char kind[16];
    snprintf(kind, sizeof kind, "line %d", step.line);
    if (IsEcho(step.kind)) Say(kind, "%s", step.source.c_str());
    return RunStep(run, step);
}

int CloseRun(Run* run, bool ran) {
    Stop(run);
    host::UnloadModule();
    host::DestroySimWindow();
    if (!ran) return kExitUnusable;
    FailUntakenBoxes(run);
    SayGaugesNotRun(run->xml);
    SayAlways("done", "%d expectations, %d failed", run->expectations, run->failures);
    return run->failures > 0 ? kExitFailed : kExitOk;
}

int RunScenario(const Options& options, const std::vector<Step>& steps) {
    if (RefuseSteps(options, options.scenarioPath, steps)) return kExitUnusable;
    Run run;
    if (!OpenRun(options, FolderOf(FullPath(options.scenarioPath)), &run)) return kExitUnusable;
    bool ran = true;
    for (const Step& step : steps) {
        if (!RunLine(&run, step)) {
            ran = false;
            break;
        }
    }
    return CloseRun(&run, ran);
}

namespace {

// A scenario saved as UTF-8 (with or without a byte-order mark) in the
// system's code page, in which the host opens its paths as the command line
// gives them; ANSI text stays as it is. False, with the line, when a letter
// has no place in the code page.
bool InCodePage(std::string* text, int* badLine) {
    size_t mark = text->compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    bool ascii = true;
    for (size_t i = mark; i < text->size() && ascii; ++i) ascii = static_cast<unsigned char>((*text)[i]) < 0x80;
    if (ascii || text->size() - mark > 0x7FFFFFF) return true;
    const char* utf8 = text->c_str() + mark;
    int length = static_cast<int>(text->size() - mark);
    int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, nullptr, 0);
    if (wideLength <= 0) return true;  // not UTF-8: ANSI text, read as it is
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, &wide[0], wideLength);
    *badLine = 1;
    std::string ansi;
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\n') ++*badLine;
        // A letter beyond the basic plane comes as two halves, converted together.
        int units = (wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size()) ? 2 : 1;
        char bytes[8];
        BOOL lost = FALSE;
        int made = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide[i], units, bytes, sizeof bytes, nullptr, &lost);
        if (made <= 0 || lost) return false;
        ansi.append(bytes, static_cast<size_t>(made));
        i += static_cast<size_t>(units - 1);
    }
    *text = ansi;
    return true;
}

}  // namespace

int RunScenarioFile(const Options& options) {
    std::string text;
    if (!ReadFile(options.scenarioPath, &text)) {
        fprintf(stderr, "panelhost: cannot read the scenario %s\n", options.scenarioPath.c_str());
        return kExitUnusable;
    }
    int badLine = 0;
    if (!InCodePage(&text, &badLine)) {
        fprintf(stderr, "panelhost: %s:%d: a letter that the system's code page (%u) has not: paths are opened in it\n",
                options.scenarioPath.c_str(), badLine, GetACP());
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
