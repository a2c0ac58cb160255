#include "simstate/simconnect_link.h"

#include <stdio.h>
#include <stdlib.h>

#include "diag/warning_box.h"
#include "engine/silencing.h"
#include "module/module_state.h"
#include "module/named_var.h"

SimConnectLink* simConnectLink = nullptr;

// Names under which the module's manifest resource is looked for, in order.
static const char* ManifestName(int attempt) {
    switch (attempt) {
    case 0:
        return "RT_MANIFEST";
    case 1:
        return "IDR_RT_MANIFEST1";
    default:
        return MAKEINTRESOURCEA(101);
    }
}
static const int kManifestNameCount = 3;

static void ForgetLibrary(SimConnectLink* link) {
    if (link->library != nullptr) FreeLibrary(link->library);
    link->library = nullptr;
    link->open = nullptr;
    link->close = nullptr;
    link->subscribe = nullptr;
    link->dispatch = nullptr;
}

template <typename Proc>
static Proc EntryPoint(HMODULE library, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// One try: the library loaded inside the context made from `manifestName`,
// and the connection opened with it.
static void TryOpen(SimConnectLink* link, const char* modulePathCopy, const char* manifestName) {
    ACTCTXA context;
    ZeroMemory(&context, sizeof context);
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = modulePathCopy;
    context.lpResourceName = manifestName;
    HANDLE actCtx = CreateActCtxA(&context);
    if (actCtx == INVALID_HANDLE_VALUE) return;
    ULONG_PTR cookie = 0;
    if (!ActivateActCtx(actCtx, &cookie)) {
        ReleaseActCtx(actCtx);
        return;
    }
    link->library = LoadLibraryA("SimConnect.dll");
    if (link->library != nullptr) {
        link->open = EntryPoint<SimConnectOpenProc>(link->library, "SimConnect_Open");
        link->close = EntryPoint<SimConnectCloseProc>(link->library, "SimConnect_Close");
        link->subscribe = EntryPoint<SimConnectSubscribeProc>(link->library, "SimConnect_SubscribeToSystemEvent");
        link->dispatch = EntryPoint<SimConnectCallDispatchProc>(link->library, "SimConnect_CallDispatch");
        link->connected = 0;
        if (link->open != nullptr)
            link->connected =
                link->open(&link->handle, modulePathCopy, nullptr, 0, nullptr, kSimConnectConfigLocal) >= 0 ? 1 : 0;
        // A library that gave no connection is not kept: the next name loads
        // it again, and only the one in use is freed at shut-down.
        if (link->connected == 0) ForgetLibrary(link);
    }
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(actCtx);
}

bool OpenSimConnect() {
    SimConnectLink* link = simConnectLink;
    if (link == nullptr) return false;
    if (link->connected == 1) return true;
    if (moduleInstance == nullptr) return false;
    char path[kNameLength];
    ReadModuleFileName(moduleInstance, path);
    for (int attempt = 0; attempt < kManifestNameCount && link->connected != 1; ++attempt)
        TryOpen(link, path, ManifestName(attempt));
    return link->connected == 1;
}

int StartSimConnect() {
    if (simConnectLink != nullptr) CloseSimConnect();
    simConnectLink = static_cast<SimConnectLink*>(calloc(1, sizeof(SimConnectLink)));
    if (simConnectLink == nullptr) return 0;
    SimConnectLink* link = simConnectLink;
    if (!OpenSimConnect()) return 0;
    if (link->dispatch == nullptr || link->dispatch(link->handle, DispatchSimConnect, nullptr) < 0) return 0;
    if (link->subscribe == nullptr) return 0;
    if (link->subscribe(link->handle, kSimEventPause, "Pause") < 0) return 0;
    if (link->subscribe(link->handle, kSimEventSound, "Sound") < 0) return 0;
    if (link->subscribe(link->handle, kSimEventView, "View") < 0) return 0;
    return 1;
}

// A view change: its data into "ViewSystemStatus", and a box when the
// gauges asked for one through "ViewSystemMessages".
static void OnViewEvent(DWORD data) {
    NamedVarLookup(&moduleVars[kVarViewSystemStatus]);
    NamedVarSetValue(&moduleVars[kVarViewSystemStatus], static_cast<double>(data));
    if (NamedVarGetValue(&moduleVars[kVarViewSystemMessages]) > 0.0) {
        char text[16];
        snprintf(text, sizeof text, "View Status: %d", static_cast<int>(data));
        ShowWarningBox(text, kTitleViewStatus);
    }
}

void CALLBACK DispatchSimConnect(SimConnectRecv* data, DWORD size, void* /*context*/) {
    // Messages too short for what they claim to be are ignored.
    if (data == nullptr || size < sizeof(SimConnectRecv) || data->dwID != kRecvEvent) return;
    if (size < sizeof(SimConnectRecvEvent)) return;
    const SimConnectRecvEvent* event = reinterpret_cast<const SimConnectRecvEvent*>(data);
    switch (event->uEventID) {
    case kSimEventSound:
        simSoundOn = static_cast<int>(event->dwData & 1);
        break;
    case kSimEventPause:
        simPaused = event->dwData;
        break;
    case kSimEventView:
        OnViewEvent(event->dwData);
        break;
    default:
        break;
    }
}

void CloseSimConnect() {
    SimConnectLink* link = simConnectLink;
    if (link == nullptr) return;
    if (link->connected == 1 && link->close != nullptr) link->close(link->handle);
    link->handle = nullptr;
    link->connected = 0;
    ForgetLibrary(link);
    free(link);
    simConnectLink = nullptr;
}
