// The simulator's client library as the module uses it: the records it
// delivers (1-byte packing) and the entry points, all __stdcall and exported
// under their plain names. Shared by the module and our stand-in library.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#pragma pack(push, 1)

// Header of every message the library hands to a dispatch procedure.
struct SimConnectRecv {
    uint32_t dwSize;     // size of the whole message
    uint32_t dwVersion;  // server version
    uint32_t dwID;       // kind of message
};

// A subscribed system event, delivered with the client's own event id. (The
// 64-bit hosts' own library appends a dwFlags; only the 32-bit module, which
// reads these 24 bytes, ever opens a link.)
struct SimConnectRecvEvent {
    SimConnectRecv header;
    uint32_t uGroupID;
    uint32_t uEventID;
    uint32_t dwData;
};

#pragma pack(pop)

static_assert(sizeof(SimConnectRecv) == 12, "SimConnectRecv");
static_assert(sizeof(SimConnectRecvEvent) == 24, "SimConnectRecvEvent");
static_assert(offsetof(SimConnectRecvEvent, uEventID) == 16, "SimConnectRecvEvent.uEventID");
static_assert(offsetof(SimConnectRecvEvent, dwData) == 20, "SimConnectRecvEvent.dwData");

// Message kinds the module or the stand-in name.
enum SimConnectRecvId : uint32_t {
    kRecvNull = 0,
    kRecvException = 1,
    kRecvOpen = 2,
    kRecvQuit = 3,
    kRecvEvent = 4,
};

const uint32_t kSimConnectUnknownGroup = 0xFFFFFFFFu;
const uint32_t kSimConnectConfigLocal = 0xFFFFFFFFu;

typedef void(CALLBACK* SimConnectDispatchProc)(SimConnectRecv* data, DWORD size, void* context);

typedef HRESULT(WINAPI* SimConnectOpenProc)(HANDLE* handle, LPCSTR name, HWND window, DWORD userEvent,
                                            HANDLE eventHandle, DWORD configIndex);
typedef HRESULT(WINAPI* SimConnectCloseProc)(HANDLE handle);
typedef HRESULT(WINAPI* SimConnectCallDispatchProc)(HANDLE handle, SimConnectDispatchProc dispatch,
                                                    void* context);
typedef HRESULT(WINAPI* SimConnectSubscribeProc)(HANDLE handle, DWORD clientEventId, const char* systemEventName);
