#include "module/named_var.h"

#include <string.h>

#include "module/host_services.h"

NamedVar moduleVars[kModuleVarCount];

void NamedVarInit(NamedVar* var) {
    var->id = -1;
    var->name[0] = '\0';
}

void ResetModuleVars() {
    for (int i = 0; i < kModuleVarCount; ++i) NamedVarInit(&moduleVars[i]);
}

// Empties the name, then copies the new one in whole (cut to the buffer).
static void CopyName(NamedVar* var, const char* name) {
    if (name == var->name) return;
    var->name[0] = '\0';
    if (name == nullptr) return;
    size_t length = strnlen(name, kNameLength - 1);
    memcpy(var->name, name, length);
    var->name[length] = '\0';
}

void NamedVarRegister(NamedVar* var, const char* name) {
    CopyName(var, name);
    PanelServices* services = HostServices();
    if (services != nullptr && services->register_named_variable != nullptr)
        var->id = services->register_named_variable(var->name);
}

int32_t NamedVarLookup(NamedVar* var) {
    PanelServices* services = HostServices();
    if (services != nullptr && services->check_named_variable != nullptr)
        var->id = services->check_named_variable(var->name);
    return var->id;
}

int32_t NamedVarBind(NamedVar* var, const char* name) {
    CopyName(var, name);
    PanelServices* services = HostServices();
    if (services == nullptr) return var->id;
    if (var->id <= 0 && services->register_named_variable != nullptr)
        var->id = services->register_named_variable(var->name);
    if (services->check_named_variable != nullptr) var->id = services->check_named_variable(var->name);
    return var->id;
}

void NamedVarSetValue(NamedVar* var, double value) {
    PanelServices* services = HostServices();
    if (services != nullptr && services->set_named_variable_value != nullptr)
        services->set_named_variable_value(var->id, value);
}

void NamedVarPublish(NamedVar* var, const char* name, double value) {
    CopyName(var, name);
    PanelServices* services = HostServices();
    if (services == nullptr) return;
    if (var->id < 0 && services->register_named_variable != nullptr) services->register_named_variable(var->name);
    if (var->id <= 0 && services->check_named_variable != nullptr)
        var->id = services->check_named_variable(var->name);
    if (services->set_named_variable_value != nullptr) services->set_named_variable_value(var->id, value);
}

double NamedVarGetValue(NamedVar* var) {
    PanelServices* services = HostServices();
    if (services == nullptr) return 0.0;
    if (var->id <= 0 && services->check_named_variable != nullptr)
        var->id = services->check_named_variable(var->name);
    if (services->get_named_variable_value == nullptr) return 0.0;
    return services->get_named_variable_value(var->id);
}

int TruncateToInt(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}
