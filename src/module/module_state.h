// Module-wide state of the gauge module's entry and start-up.
#pragma once

#include <windows.h>

#include "module/host_abi.h"
#include "module/named_var.h"

enum EngineState { kEngineWaiting = 0, kEngineRunning = 1, kEngineDisabled = 2 };

const int kStartupDelayFrames = 10;

extern HINSTANCE moduleInstance;
extern int engineState;
extern int startupDelay;
extern int oldVolumeControl;
extern char modulePath[kNameLength];
extern char moduleFolder[kNameLength];
extern char simFolder[kNameLength];
// The module's own path for the titles of error boxes; empty until start-up
// or when the wide file name cannot be had.
extern wchar_t moduleFileNameW[kNameLength];
extern char errorBoxFileName[kNameLength];

// The host's major version as start-up read it, and the marks it selects.
extern int hostMajorVersion;
extern HMODULE simConnectHost;
extern HMODULE version9Host;
extern int simConnectActive;

// Called from the library's entry point when it is loaded and unloaded.
void ModuleAttach(HINSTANCE instance);
void ModuleDetach();

void HOST_API ModuleStartup();
void HOST_API ModuleShutdown();

// The file of `module` (null: the host executable) into a kNameLength
// buffer, cut and terminated when it does not fit.
void ReadModuleFileName(HMODULE module, char* path);
// Refreshes `modulePath` from the module's own file.
void ReadModulePath();
// Copies `path` without its last component into `folder`.
void RemoveLastComponent(const char* path, char* folder, size_t folderSize);
