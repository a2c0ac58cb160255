#include "config/config.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "config/ini_limits.h"
#include "config/slot_table.h"
#include "module/module_state.h"

int configPathResolved = 0;
int configLoaded = 0;
char* parameterCopy = nullptr;
char iniPath[kNameLength];
int errorFlagValue = 0;
int soundCount = 100;
int debugPage = 0;

namespace {

struct ControlVariableKey {
    const char* key;
    const char* defaultName;
    ModuleVarIndex record;
};

// In the order they are read and registered.
const ControlVariableKey kControlVariables[] = {
    {"VolumeVarIn", "kvo_lvchime_volume_in", kVarVolumeIn},
    {"PanVarIn", "kvo_lvchime_pan_in", kVarPanIn},
    {"VolumeVarOut", "kvo_lvchime_volume_out", kVarVolumeOut},
    {"PanVarOut", "kvo_lvchime_pan_out", kVarPanOut},
    {"VolumePlayed", "kvo_volume_played", kVarVolumePlayed},
    {"PanPlayed", "kvo_pan_played", kVarPanPlayed},
    {"LoopPlayed", "kvo_loop_played", kVarLoopPlayed},
    {"LoopOut", "kvo_lvchime_loop_out", kVarLoopOut},
};

// `modulePath` with everything from its last "." replaced by ".ini".
void BuildDefaultPath(char* path, size_t size) {
    snprintf(path, size, "%s", modulePath);
    char* dot = strrchr(path, '.');
    size_t stem = dot != nullptr ? static_cast<size_t>(dot - path) : strlen(path);
    if (stem + 4 >= size) stem = size - 5;
    memcpy(path + stem, ".ini", 5);
}

// Builds the candidate from a parameter string. Returns false when the
// composed path does not fit: such a path is treated as not found, so that a
// cut path can never pick some other file.
bool BuildCandidate(const char* parameter, char* candidate, size_t size) {
    int length;
    if (parameter[0] == '.')
        length = snprintf(candidate, size, "%s%s", simFolder, parameter + 1);
    else if (parameter[0] == '/' || parameter[0] == '\\')
        length = snprintf(candidate, size, "%s%s", moduleFolder, parameter);
    else if (strchr(parameter, ':') != nullptr)
        length = snprintf(candidate, size, "%s", parameter);
    else
        length = snprintf(candidate, size, "%s\\%s", moduleFolder, parameter);
    return length >= 0 && static_cast<size_t>(length) < size;
}

// A directory search: any matching entry counts, folders and wildcards too.
bool PathExists(const char* path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

void ResolveConfigurationPath(GaugeHeader* gauge) {
    const char* parameter = (gauge != nullptr && gauge->parameters != nullptr) ? gauge->parameters : "";
    char defaultPath[kNameLength];
    BuildDefaultPath(defaultPath, sizeof defaultPath);

    char candidate[kNameLength];
    bool fits = true;
    if (parameter[0] != '\0' && configPathResolved == 0) {
        if (parameterCopy == nullptr) parameterCopy = static_cast<char*>(calloc(kNameLength, 1));
        if (parameterCopy != nullptr) {
            size_t length = strnlen(parameter, kNameLength - 1);
            memcpy(parameterCopy, parameter, length);
            parameterCopy[length] = '\0';
            // A parameter longer than the copy can hold is not taken cut.
            if (parameter[length] != '\0') fits = false;
        }
        configPathResolved = 1;
    } else if (configPathResolved == 0) {
        configPathResolved = 1;
    }
    if (parameterCopy != nullptr && parameterCopy[0] != '\0')
        fits = BuildCandidate(parameterCopy, candidate, sizeof candidate) && fits;
    else
        snprintf(candidate, sizeof candidate, "%s", defaultPath);

    if (fits && PathExists(candidate)) {
        snprintf(iniPath, sizeof iniPath, "%s", candidate);
        configLoaded = 1;
        return;
    }

    char text[512];
    snprintf(text, sizeof text, "Config File Not Found:\n%s\n\nUsing Default:\n%s", candidate, defaultPath);
    ShowModuleWarning(text);
    snprintf(iniPath, sizeof iniPath, "%s", defaultPath);
    configPathResolved = 1;
    configLoaded = 1;
}

void ReadConfigSection() {
    ReadModulePath();

    char maxSounds[5];
    GetPrivateProfileStringA("Config", "MaxSounds", "10", maxSounds, sizeof maxSounds, iniPath);

    errorFlagValue = static_cast<int>(GetPrivateProfileIntA("Config", "ErrorFlag", -1, iniPath));
    if (errorFlagValue >= 1 && errorFlagValue <= 99) errorFlagValue = -1;

    for (const ControlVariableKey& control : kControlVariables) {
        char name[kControlNameChars];
        name[0] = '\0';
        GetPrivateProfileStringA("Config", control.key, "", name, sizeof name, iniPath);
        NamedVarRegister(&moduleVars[control.record], name[0] != '\0' ? name : control.defaultName);
    }

    long count = strtol(maxSounds, nullptr, 10);
    if (count > kMaxSoundCount) count = kMaxSoundCount;
    if (count < 0) count = 1;
    soundCount = static_cast<int>(count);
    debugPage = soundCount;
}

}  // namespace

void ShowModuleWarning(const char* text) { MessageBoxA(nullptr, text, modulePath, MB_ICONWARNING | MB_OK); }

void LoadConfiguration(GaugeHeader* gauge) {
    if (configLoaded != 0) return;
    ResolveConfigurationPath(gauge);
    ReadConfigSection();
    if (!BuildSlotTable()) return;
    BindGlobalCommands();
}

void FreeParameterCopy() {
    free(parameterCopy);
    parameterCopy = nullptr;
}
