// The link to the simulator's client library: pause, sound switch and view
// changes arrive as system events and set the module's flags.
#pragma once

#include <windows.h>

#include "simstate/simconnect_abi.h"

// Client event ids given to the three subscribed system events.
enum SimEventId : DWORD {
    kSimEventSound = 0,
    kSimEventPause = 1,
    kSimEventView = 2,
};

// One per module start; the library is loaded at run time inside an
// activation context made from the module's own manifest.
struct SimConnectLink {
    HANDLE handle;
    int connected;
    HMODULE library;
    SimConnectOpenProc open;
    SimConnectCloseProc close;
    SimConnectSubscribeProc subscribe;
    SimConnectCallDispatchProc dispatch;
};

extern SimConnectLink* simConnectLink;

// Opens the link, hands over the dispatch procedure and subscribes to
// "Pause", "Sound" and "View". 1 when all of that succeeded, else 0.
int StartSimConnect();
// Loads the library under each manifest name in turn until a connection
// opens. True when connected.
bool OpenSimConnect();
// Receives every message of the connection; only events are acted on.
void CALLBACK DispatchSimConnect(SimConnectRecv* data, DWORD size, void* context);
// Closes the connection, frees the library and the link object.
void CloseSimConnect();
