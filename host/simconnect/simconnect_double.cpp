// A stand-in for the simulator's client library, installed as a private
// side-by-side assembly. It accepts the four calls the module makes, can
// refuse the connection or one chosen subscription, and lets the host deliver events and other
// messages to the dispatch procedure it was given.
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>

#include "simstate/simconnect_abi.h"
#include "host/simconnect/simconnect_double.h"

namespace {

const DWORD kServerVersion = 4;

struct Connection {
    bool open;
    std::string clientName;
    SimConnectDispatchProc dispatch;
    void* context;
    std::map<std::string, DWORD> subscribed;  // system event name -> client event id
};

Connection connection;
std::string refusedEvent;
bool refuseOpen = false;
std::string callLog;

// Any handle but ours is refused, so a module that mixes up handles shows.
HANDLE OurHandle() { return reinterpret_cast<HANDLE>(&connection); }

void Log(const std::string& entry) {
    if (!callLog.empty()) callLog += ';';
    callLog += entry;
}

bool Usable(HANDLE handle) { return connection.open && handle == OurHandle(); }

int Deliver(SimConnectRecv* message, DWORD size) {
    if (!connection.open || connection.dispatch == nullptr) return 0;
    connection.dispatch(message, size, connection.context);
    return 1;
}

}  // namespace

extern "C" {

HRESULT WINAPI SimConnect_Open(HANDLE* handle, LPCSTR name, HWND window, DWORD userEvent, HANDLE eventHandle,
                               DWORD configIndex) {
    char entry[64];
    snprintf(entry, sizeof entry, "open(%lu,%lu,%lu,%ld)",
             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)), static_cast<unsigned long>(userEvent),
             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(eventHandle)), static_cast<long>(configIndex));
    Log(std::string(entry) + (refuseOpen ? " refused" : ""));
    if (refuseOpen) return E_FAIL;
    if (handle == nullptr) return E_POINTER;
    connection.open = true;
    connection.clientName = name != nullptr ? name : "";
    connection.dispatch = nullptr;
    connection.context = nullptr;
    connection.subscribed.clear();
    *handle = OurHandle();
    return S_OK;
}

HRESULT WINAPI SimConnect_Close(HANDLE handle) {
    Log("close");
    if (!Usable(handle)) return E_HANDLE;
    connection.open = false;
    connection.dispatch = nullptr;
    connection.subscribed.clear();
    return S_OK;
}

HRESULT WINAPI SimConnect_CallDispatch(HANDLE handle, SimConnectDispatchProc dispatch, void* context) {
    Log("dispatch");
    if (!Usable(handle) || dispatch == nullptr) return E_INVALIDARG;
    connection.dispatch = dispatch;
    connection.context = context;
    return S_OK;
}

HRESULT WINAPI SimConnect_SubscribeToSystemEvent(HANDLE handle, DWORD clientEventId, const char* systemEventName) {
    std::string name = systemEventName != nullptr ? systemEventName : "";
    char id[16];
    snprintf(id, sizeof id, "%lu", static_cast<unsigned long>(clientEventId));
    bool refused = !Usable(handle) || name.empty() || name == refusedEvent;
    Log("subscribe " + name + "=" + id + (refused ? " refused" : ""));
    if (refused) return E_FAIL;
    connection.subscribed[name] = clientEventId;
    return S_OK;
}

void ScdReset() {
    connection = Connection();
    refusedEvent.clear();
    refuseOpen = false;
    callLog.clear();
}

void ScdRefuseSubscription(const char* systemEventName) { refusedEvent = systemEventName != nullptr ? systemEventName : ""; }

void ScdRefuseOpen(int refuse) { refuseOpen = refuse != 0; }

const char* ScdCallLog() { return callLog.c_str(); }

const char* ScdClientName() { return connection.clientName.c_str(); }

int ScdSendEvent(DWORD clientEventId, DWORD data) {
    SimConnectRecvEvent event;
    event.header.dwSize = sizeof event;
    event.header.dwVersion = kServerVersion;
    event.header.dwID = kRecvEvent;
    event.uGroupID = kSimConnectUnknownGroup;
    event.uEventID = clientEventId;
    event.dwData = data;
    return Deliver(&event.header, sizeof event);
}

int ScdSendSystemEvent(const char* systemEventName, DWORD data) {
    auto found = connection.subscribed.find(systemEventName != nullptr ? systemEventName : "");
    if (found == connection.subscribed.end()) return 0;
    return ScdSendEvent(found->second, data);
}

int ScdSendMessage(DWORD recvId, DWORD clientEventId, DWORD data) {
    // The shape of an event under another kind: only the kind may tell them apart.
    SimConnectRecvEvent message;
    message.header.dwSize = sizeof message;
    message.header.dwVersion = kServerVersion;
    message.header.dwID = recvId;
    message.uGroupID = kSimConnectUnknownGroup;
    message.uEventID = clientEventId;
    message.dwData = data;
    return Deliver(&message.header, sizeof message);
}

}  // extern "C"
