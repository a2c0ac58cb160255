// A stand-in for the simulator: loads a gauge module, gives it a
// panel-services table, hosts gauge instances and records what the module
// does. Everything runs on the calling thread, as in the simulator.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <functional>
#include <string>
#include <vector>

#include "module/host_abi.h"

namespace host {

// One call the module made into the services table.
struct ServiceCall {
    std::string op;    // "register", "find", "get", "set", "key", ...
    std::string name;  // variable name where the call has one
    int32_t id;
    double value;
    int frame;
    double previous = 0;  // "set": the variable's value before, NaN when the id names none
    const void* address = nullptr;  // "element_...": the element list handed to the host
};

struct MessageBoxRecord {
    std::string title;
    std::string text;
    uint32_t style;
    HWND owner;
    bool shown;  // a real dialog appeared and was closed by the host
    int frame = 0;
    size_t callIndex = 0;  // service calls logged before the box (counting dropped ones), to place it among them
};

struct RegisteredVariable {
    void* cell;
    int32_t type;
    std::string name;
};

// Clears the variable store, the logs, the handlers and the module variables.
// The services table gets every entry back.
void Reset();
PanelServices* Services();
int Frame();

// Named variables as the host keeps them: case-insensitive names, ids from 1.
int32_t RegisterVariable(const char* name);
int32_t FindVariable(const char* name);  // -1 when absent
bool VariableExists(const char* name);
double VariableValue(const char* name);  // 0 when absent
void SetVariable(const char* name, double value);
// Makes registering and finding this name answer with `id` (0 or -1 to test
// how the module copes with ids that are not positive).
void ForceVariableId(const char* name, int32_t id);
std::vector<std::string> VariableNames();  // in the order they were created

// The call log: the calls since the last DropCalls (all since the Reset
// unless a program drops them). The calls logged since the Reset number
// CallsDropped() + Calls().size(); a call's place in that count stays the
// same when earlier ones are dropped.
const std::vector<ServiceCall>& Calls();
std::vector<ServiceCall> CallsOf(const char* op);
size_t CallsDropped();
// Forgets the calls logged so far, counting them: a program that has read
// them keeps its memory flat however long it runs.
void DropCalls();
// Empties the log and its count, as if no call had been made.
void ClearCalls();

void TriggerKeyEvent(uint32_t eventId, uint32_t parameter);
size_t KeyHandlerCount();

void SetModuleVarValue(int32_t token, double value);
// The module variable that the simulator's clock advances every frame while
// the simulation runs. The host advances it by one before each frame unless
// held: a held clock looks like a pause to the module.
const int32_t kSimClockToken = 604;
void RunSimClock(bool running);
// As the simulator documents it, lookup_var reads a token variable through
// what initialize_var filled into the record, so a record never initialized
// keeps its value (the default after Reset). Off: lookup_var fills the value
// of the record's token number whatever the record holds.
void RequireInitializedModuleVars(bool required);
std::vector<RegisteredVariable> RegisteredVariables();

// From now on a crash of this program ends it with the exception's code
// (never 0) after one line on stderr.
void EndOnCrash();

// The 64-bit stand-in takes every free range of the address space below
// 4 GiB (once) and the room its heaps have there (again each time) before it
// loads a module, so that every block the module gets lies above 4 GiB.
// True when it has done so; false in the 32-bit stand-in.
bool ReserveLowAddressSpace();

// The module: loaded fresh, started, stopped and unloaded like the simulator does.
bool LoadModule(const char* path);
HMODULE Module();
ModuleLinkage* Linkage();
ModuleImports* Imports();
void StartModule();
void StopModule();
void UnloadModule();

// Gauge instances, driven through the services in the simulator's order.
// Returns the instance number; the header is the host's own copy.
int AddGauge(const char* gaugeName, const char* parameters);
GaugeHeader* Gauge(int instance);
void CallService(int instance, int32_t service, uintptr_t extra, bool nullHeader = false);
void RunFrame();
void RunFrames(int count);
void KillGauges();

// A Debugger gauge instance as the simulator shows it. UpdateDebugger runs
// the instance's update routine, which has the host call each string
// element's update callback; DebuggerLine reads line n back (0 command,
// 1 variable, 2 page), empty while the line is hidden.
const int kDebuggerWidth = 150;
const int kDebuggerHeight = 25;
bool UpdateDebugger(int instance);
std::string DebuggerLine(int instance, int n);
// A left-button click at (x, y) in gauge pixels on the first child mouse
// rectangle holding that point; a rectangle that repeats while held is
// called `heldRepeats` more times. Returns whether a function was called.
bool ClickGauge(int instance, int x, int y, int heldRepeats = 0);
// A click in the middle of the gauge's left or right half.
bool ClickDebugger(int instance, bool left, int heldRepeats = 0);

// Message boxes: the module's MessageBoxA calls are recorded and every dialog
// on this thread is closed as soon as it shows.
void HookMessageBoxes(HMODULE module);
const std::vector<MessageBoxRecord>& MessageBoxes();
void ClearMessageBoxes();
// From now on each box that shows runs `action` from inside its own message
// loop before it is closed, as a simulator that goes on running frames
// (RunFrame) while a box is open. Boxes shown while the action runs are
// closed at once. Null: every box is closed as soon as it shows.
void RunWhileBoxOpen(std::function<void()> action);

// A window of class "FS98MAIN", as the simulator's main window.
HWND CreateSimWindow();
void DestroySimWindow();

}  // namespace host
