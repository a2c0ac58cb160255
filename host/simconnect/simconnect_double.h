// Control of the stand-in client library from a host or a test. The library
// lives in a private assembly folder beside the module; a host loads it by
// full path first (the module's own load inside its activation context then
// gets the same copy) and reaches these functions through GetProcAddress.
#pragma once

#include <windows.h>

#include <string>

// Folder of the private assembly, beside the module.
const char kSimConnectAssemblyFolder[] = "Microsoft.FlightSimulator.SimConnect";

extern "C" {
// Forgets the connection, the refusal and the call log.
void ScdReset();
// Refuses the subscription to this system event from now on (null or "": none).
void ScdRefuseSubscription(const char* systemEventName);
// Refuses every open from now on (0: accepts again).
void ScdRefuseOpen(int refuse);
// The calls so far, ';'-separated: "open(window,userEvent,eventHandle,config)",
// "dispatch", "subscribe Name=id" (each with " refused" when refused), "close".
const char* ScdCallLog();
// The client name given to the last open.
const char* ScdClientName();
// Deliver an event with this client event id / to the id subscribed for this
// system event / a message of another kind with an event's fields. 1 when a
// dispatch procedure of an open connection received it.
int ScdSendEvent(DWORD clientEventId, DWORD data);
int ScdSendSystemEvent(const char* systemEventName, DWORD data);
int ScdSendMessage(DWORD recvId, DWORD clientEventId, DWORD data);
}

// The control functions of a loaded stand-in.
struct SimConnectDouble {
    HMODULE dll;
    decltype(&ScdReset) reset;
    decltype(&ScdRefuseSubscription) refuseSubscription;
    decltype(&ScdRefuseOpen) refuseOpen;
    decltype(&ScdCallLog) callLog;
    decltype(&ScdClientName) clientName;
    decltype(&ScdSendEvent) sendEvent;
    decltype(&ScdSendSystemEvent) sendSystemEvent;
    decltype(&ScdSendMessage) sendMessage;
};

// Loads the stand-in installed under `moduleFolder` and binds its control
// functions. False when it or any function is missing.
inline bool LoadSimConnectDouble(const std::string& moduleFolder, SimConnectDouble* stand_in) {
    std::string path = moduleFolder + "\\" + kSimConnectAssemblyFolder + "\\SimConnect.dll";
    HMODULE dll = LoadLibraryA(path.c_str());
    *stand_in = SimConnectDouble();
    if (dll == nullptr) return false;
    stand_in->dll = dll;
#define KVO_BIND(field, name) \
    stand_in->field = reinterpret_cast<decltype(stand_in->field)>(reinterpret_cast<void*>(GetProcAddress(dll, name)))
    KVO_BIND(reset, "ScdReset");
    KVO_BIND(refuseSubscription, "ScdRefuseSubscription");
    KVO_BIND(refuseOpen, "ScdRefuseOpen");
    KVO_BIND(callLog, "ScdCallLog");
    KVO_BIND(clientName, "ScdClientName");
    KVO_BIND(sendEvent, "ScdSendEvent");
    KVO_BIND(sendSystemEvent, "ScdSendSystemEvent");
    KVO_BIND(sendMessage, "ScdSendMessage");
#undef KVO_BIND
    return stand_in->reset && stand_in->refuseSubscription && stand_in->refuseOpen && stand_in->callLog && stand_in->clientName &&
           stand_in->sendEvent && stand_in->sendSystemEvent && stand_in->sendMessage;
}
