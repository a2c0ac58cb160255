#include "module/module_state.h"

#include <stdio.h>
#include <string.h>

HINSTANCE moduleInstance = nullptr;
int engineState = kEngineWaiting;
int startupDelay = kStartupDelayFrames;
int oldVolumeControl = 0;
char modulePath[kNameLength];
char moduleFolder[kNameLength];
char simFolder[kNameLength];
wchar_t moduleFileNameW[kNameLength];
char errorBoxFileName[kNameLength];

int hostMajorVersion = 0;
HMODULE simConnectHost = nullptr;
HMODULE version9Host = nullptr;
int simConnectActive = 0;

void ModuleAttach(HINSTANCE instance) {
    moduleInstance = instance;
    ResetModuleVars();
}

void ModuleDetach() { ResetModuleVars(); }

void ReadModuleFileName(HMODULE module, char* path) {
    DWORD length = GetModuleFileNameA(module, path, kNameLength);
    if (length >= kNameLength) length = kNameLength - 1;
    path[length] = '\0';
}

void ReadModulePath() { ReadModuleFileName(moduleInstance, modulePath); }

void RemoveLastComponent(const char* path, char* folder, size_t folderSize) {
    snprintf(folder, folderSize, "%s", path);
    char* lastSlash = strrchr(folder, '\\');
    char* lastForward = strrchr(folder, '/');
    if (lastForward != nullptr && (lastSlash == nullptr || lastForward > lastSlash)) lastSlash = lastForward;
    if (lastSlash != nullptr)
        *lastSlash = '\0';
    else
        folder[0] = '\0';
}
