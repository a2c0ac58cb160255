// The panel-services table and the state behind it: named variables, key
// event handlers, module variables, registered variables, element lists.
#include <math.h>
#include <string.h>

#include <map>

#include "host/host.h"
#include "host/host_internal.h"

namespace host {

namespace {

struct Variable {
    std::string name;
    double value;
};

struct KeyHandler {
    KeyEventHandler handler;
    void* userData;
};

std::vector<Variable> variables;
std::map<std::string, int32_t> forcedIds;
std::vector<ServiceCall> calls;
size_t callsDropped = 0;
std::vector<KeyHandler> keyHandlers;
std::map<int32_t, double> moduleVarValues;
bool clockRunning = true;
bool moduleVarsNeedInitialize = true;
std::vector<RegisteredVariable> registered;
PanelServices table;

std::string Folded(const char* name) {
    std::string folded(name != nullptr ? name : "");
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

void Log(const char* op, const char* name, int32_t id, double value) {
    calls.push_back({op, name != nullptr ? name : "", id, value, currentFrame});
}

const char* NameOf(int32_t id) {
    if (id >= 1 && static_cast<size_t>(id) <= variables.size()) return variables[id - 1].name.c_str();
    return "";
}

int32_t HOST_API SvcCheckNamedVariable(const char* name) {
    int32_t id = FindVariable(name);
    Log("find", name, id, 0);
    return id;
}

int32_t HOST_API SvcRegisterNamedVariable(const char* name) {
    int32_t id = RegisterVariable(name);
    Log("register", name, id, 0);
    return id;
}

double HOST_API SvcGetNamedVariableValue(int32_t id) {
    double value = (id >= 1 && static_cast<size_t>(id) <= variables.size()) ? variables[id - 1].value : 0.0;
    Log("get", NameOf(id), id, value);
    return value;
}

void HOST_API SvcSetNamedVariableValue(int32_t id, double value) {
    double previous = NAN;
    if (id >= 1 && static_cast<size_t>(id) <= variables.size()) {
        previous = variables[id - 1].value;
        variables[id - 1].value = value;
    }
    Log("set", NameOf(id), id, value);
    calls.back().previous = previous;
}

uint32_t HOST_API SvcTriggerKeyEvent(uint32_t eventId, uint32_t value) {
    Log("trigger_key", "", static_cast<int32_t>(eventId), value);
    TriggerKeyEvent(eventId, value);
    return 0;
}

void HOST_API SvcRegisterKeyEventHandler(KeyEventHandler handler, void* userData) {
    Log("register_key_handler", "", 0, 0);
    keyHandlers.push_back({handler, userData});
}

void HOST_API SvcUnregisterKeyEventHandler(KeyEventHandler handler, void* userData) {
    Log("unregister_key_handler", "", 0, 0);
    for (size_t i = 0; i < keyHandlers.size(); ++i) {
        if (keyHandlers[i].handler == handler && keyHandlers[i].userData == userData) {
            keyHandlers.erase(keyHandlers.begin() + static_cast<long>(i));
            return;
        }
    }
}

void HOST_API SvcRegisterVarByName(void* var, int32_t type, char* name) {
    Log("register_var", name, type, 0);
    registered.push_back({var, type, name != nullptr ? name : ""});
}

void HOST_API SvcUnregisterVarByName(char* name) {
    Log("unregister_var", name, 0, 0);
    for (size_t i = 0; i < registered.size(); ++i) {
        if (registered[i].name == (name != nullptr ? name : "")) {
            registered.erase(registered.begin() + static_cast<long>(i));
            return;
        }
    }
}

// The host's cell of a token variable, or null when `cell` is none of them
// (a record never initialized).
const double* ModuleVarCell(const void* cell) {
    for (const auto& entry : moduleVarValues)
        if (&entry.second == cell) return &entry.second;
    return nullptr;
}

// Points the record at the host's cell of its token, as the simulator's
// initialize_var does, and fills its value.
void HOST_API SvcInitializeVar(ModuleVar* var) {
    double* cell = &moduleVarValues[var->id];
    var->var_ptr = cell;
    var->var_type = kVarTypeFloat64;
    var->var_value = *cell;
    Log("initialize_var", "", var->id, var->var_value);
}

// Reads the value through the record's cell pointer, which only
// initialize_var fills; a record never initialized keeps its value. The
// lenient host reads by token number whatever the record holds.
void HOST_API SvcLookupVar(ModuleVar* var) {
    if (moduleVarsNeedInitialize) {
        const double* cell = ModuleVarCell(var->var_ptr);
        if (cell != nullptr) var->var_value = *cell;
    } else {
        auto found = moduleVarValues.find(var->id);
        var->var_value = found != moduleVarValues.end() ? found->second : 0.0;
    }
    Log("lookup_var", "", var->id, var->var_value);
}

void LogElement(const char* op, ElementHeader* element, double arg) {
    calls.push_back({op, "", 0, arg, currentFrame});
    calls.back().address = element;
}

void HOST_API SvcElementQuery(ElementHeader* e) { LogElement("element_query", e, 0); }
void HOST_API SvcElementInstall(ElementHeader* e, void* resource) {
    LogElement("element_install", e, static_cast<double>(reinterpret_cast<uintptr_t>(resource)));
    InstallElements(e);
}
void HOST_API SvcElementInitialize(ElementHeader* e) { LogElement("element_initialize", e, 0); }
void HOST_API SvcElementUpdate(ElementHeader* e) {
    LogElement("element_update", e, 0);
    UpdateElements(e);
}
void HOST_API SvcElementGenerate(ElementHeader* e, uint32_t phase) { LogElement("element_generate", e, phase); }
void HOST_API SvcElementPlot(ElementHeader* e) { LogElement("element_plot", e, 0); }
void HOST_API SvcElementErase(ElementHeader* e) { LogElement("element_erase", e, 0); }
void HOST_API SvcElementKill(ElementHeader* e) {
    LogElement("element_kill", e, 0);
    KillElements(e);
}

void FillTable() {
    memset(&table, 0, sizeof table);
    table.element_list_query = SvcElementQuery;
    table.element_list_install = SvcElementInstall;
    table.element_list_initialize = SvcElementInitialize;
    table.element_list_update = SvcElementUpdate;
    table.element_list_generate = SvcElementGenerate;
    table.element_list_plot = SvcElementPlot;
    table.element_list_erase = SvcElementErase;
    table.element_list_kill = SvcElementKill;
    table.trigger_key_event = SvcTriggerKeyEvent;
    table.register_var_by_name = SvcRegisterVarByName;
    table.initialize_var = SvcInitializeVar;
    table.lookup_var = SvcLookupVar;
    table.unregister_var_by_name = SvcUnregisterVarByName;
    table.check_named_variable = SvcCheckNamedVariable;
    table.register_named_variable = SvcRegisterNamedVariable;
    table.get_named_variable_value = SvcGetNamedVariableValue;
    table.set_named_variable_value = SvcSetNamedVariableValue;
    table.register_key_event_handler = SvcRegisterKeyEventHandler;
    table.unregister_key_event_handler = SvcUnregisterKeyEventHandler;
}

}  // namespace

int currentFrame = 0;

void Reset() {
    variables.clear();
    forcedIds.clear();
    calls.clear();
    callsDropped = 0;
    keyHandlers.clear();
    // Cells stay where they are: a record initialized before still points at one.
    for (auto& entry : moduleVarValues) entry.second = 0.0;
    clockRunning = true;
    moduleVarsNeedInitialize = true;
    registered.clear();
    ReleaseTextBuffers();
    currentFrame = 0;
    FillTable();
}

PanelServices* Services() {
    static bool filled = false;
    if (!filled) {
        FillTable();
        filled = true;
    }
    return &table;
}

int Frame() { return currentFrame; }

int32_t FindVariable(const char* name) {
    std::string folded = Folded(name);
    auto forced = forcedIds.find(folded);
    if (forced != forcedIds.end()) return forced->second;
    for (size_t i = 0; i < variables.size(); ++i)
        if (Folded(variables[i].name.c_str()) == folded) return static_cast<int32_t>(i + 1);
    return -1;
}

int32_t RegisterVariable(const char* name) {
    std::string folded = Folded(name);
    auto forced = forcedIds.find(folded);
    if (forced != forcedIds.end()) return forced->second;
    int32_t id = FindVariable(name);
    if (id > 0) return id;
    variables.push_back({name != nullptr ? name : "", 0.0});
    return static_cast<int32_t>(variables.size());
}

bool VariableExists(const char* name) {
    std::string folded = Folded(name);
    for (const Variable& v : variables)
        if (Folded(v.name.c_str()) == folded) return true;
    return false;
}

double VariableValue(const char* name) {
    std::string folded = Folded(name);
    for (const Variable& v : variables)
        if (Folded(v.name.c_str()) == folded) return v.value;
    return 0.0;
}

void SetVariable(const char* name, double value) {
    std::string folded = Folded(name);
    for (Variable& v : variables) {
        if (Folded(v.name.c_str()) == folded) {
            v.value = value;
            return;
        }
    }
    variables.push_back({name, value});
}

void ForceVariableId(const char* name, int32_t id) { forcedIds[Folded(name)] = id; }

std::vector<std::string> VariableNames() {
    std::vector<std::string> names;
    for (const Variable& v : variables) names.push_back(v.name);
    return names;
}

const std::vector<ServiceCall>& Calls() { return calls; }

std::vector<ServiceCall> CallsOf(const char* op) {
    std::vector<ServiceCall> matching;
    for (const ServiceCall& call : calls)
        if (call.op == op) matching.push_back(call);
    return matching;
}

size_t CallsDropped() { return callsDropped; }

void DropCalls() {
    callsDropped += calls.size();
    calls.clear();
}

void ClearCalls() {
    calls.clear();
    callsDropped = 0;
}

void TriggerKeyEvent(uint32_t eventId, uint32_t parameter) {
    std::vector<KeyHandler> handlers = keyHandlers;  // a handler may unregister itself
    for (const KeyHandler& h : handlers) h.handler(eventId, parameter, h.userData);
}

size_t KeyHandlerCount() { return keyHandlers.size(); }

void SetModuleVarValue(int32_t token, double value) { moduleVarValues[token] = value; }

void RunSimClock(bool running) { clockRunning = running; }

void RequireInitializedModuleVars(bool required) { moduleVarsNeedInitialize = required; }

void AdvanceSimClock() {
    if (clockRunning) moduleVarValues[kSimClockToken] += 1.0;
}

std::vector<RegisteredVariable> RegisteredVariables() { return registered; }

}  // namespace host
