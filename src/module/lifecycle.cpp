// Module start-up and shut-down, called by the host through Linkage.
#include <string.h>

#include "audio/audio_output.h"
#include "config/config.h"
#include "config/slot_table.h"
#include "debug/debugger.h"
#include "engine/silencing.h"
#include "module/host_services.h"
#include "module/module_state.h"
#include "simstate/host_version.h"
#include "simstate/simconnect_link.h"

static void RegisterKeyHandler() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->register_key_event_handler != nullptr)
        services->register_key_event_handler(OnKeyEvent, nullptr);
}

static void UnregisterKeyHandler() {
    PanelServices* services = HostServices();
    if (services != nullptr && services->unregister_key_event_handler != nullptr)
        services->unregister_key_event_handler(OnKeyEvent, nullptr);
}

// The module's own file name, wide and narrow, for the titles of error boxes.
static void RecordErrorBoxFileName() {
    errorBoxFileName[0] = '\0';
    DWORD length = GetModuleFileNameW(moduleInstance, moduleFileNameW, kNameLength);
    if (length == 0 || length >= kNameLength) {
        moduleFileNameW[0] = L'\0';
        return;
    }
    int converted = WideCharToMultiByte(CP_ACP, 0, moduleFileNameW, -1, errorBoxFileName, kNameLength, nullptr,
                                        nullptr);
    if (converted <= 0) errorBoxFileName[0] = '\0';
    errorBoxFileName[kNameLength - 1] = '\0';
}

void HOST_API ModuleStartup() {
    ReadModulePath();

    hostMajorVersion = ReadHostVersion().major;

    if (hostMajorVersion == 10 || hostMajorVersion == 1) {
        NamedVarRegister(&moduleVars[kVarSimConnected], "SimConnected");
        simConnectHost = GetModuleHandleA(nullptr);
        simConnectActive = StartSimConnect();
        if (simConnectActive == 0) RegisterKeyHandler();
        NamedVarLookup(&moduleVars[kVarSimConnected]);
        NamedVarSetValue(&moduleVars[kVarSimConnected], simConnectActive);
        NamedVarRegister(&moduleVars[kVarViewSystemStatus], "ViewSystemStatus");
        NamedVarRegister(&moduleVars[kVarViewSystemMessages], "ViewSystemMessages");
    }
    if (hostMajorVersion == 9) version9Host = GetModuleHandleA(nullptr);
    if (simConnectHost == nullptr && version9Host == nullptr) RegisterKeyHandler();

    NamedVarRegister(&moduleVars[kVarFSSimIsPaused], "FSSimIsPaused");
    NamedVarRegister(&moduleVars[kVarFSSoundIsOn], "FSSoundIsOn");
    NamedVarRegister(&moduleVars[kVarOldVolumeControl], "Old Volume Control");
    NamedVarRegister(&moduleVars[kVarSoundIsMuted], "SoundIsMuted");
    NamedVarRegister(&moduleVars[kVarUserMutedSounds], "UserMutedSounds");
    NamedVarRegister(&moduleVars[kVarVoiceAvailable], "VoiceAvailable");

    RecordErrorBoxFileName();

    RemoveLastComponent(modulePath, moduleFolder, sizeof moduleFolder);
    char hostPath[kNameLength];
    ReadModuleFileName(nullptr, hostPath);
    RemoveLastComponent(hostPath, simFolder, sizeof simFolder);
}

void HOST_API ModuleShutdown() {
    startupDelay = kStartupDelayFrames;
    configLoaded = 0;
    engineState = kEngineWaiting;
    configPathResolved = 0;

    ReleaseAllAudio();

    // A link whose subscriptions failed is closed too: the client library
    // must not keep a dispatch procedure of a module about to be unloaded.
    if (simConnectLink != nullptr) CloseSimConnect();
    if (simConnectHost != nullptr && simConnectActive == 1) simConnectHost = nullptr;
    simConnectActive = 0;

    if (version9Host == nullptr) UnregisterKeyHandler();
    ResetPauseProbe();
    WithdrawSoundStringBase();

    FreeParameterCopy();
    DestroySlotTable();
    FreeHostVersionInfo();
}
