// Shared declarations of the fault-injecting DirectSound stand-in: the rule
// book, the call log, the real DirectSound library and the wrapped objects.
#pragma once

// C-style interface declarations: the wrappers fill in vtables themselves.
#ifndef CINTERFACE
#define CINTERFACE
#endif
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <stddef.h>

// What the rules say about one call.
enum FaultAction {
    kFaultPass,      // call the real method, return its result
    kFaultFail,      // do not call the real method, return the rule's code
    kFaultOverride,  // call the real method, keep its outputs, return the rule's code
};

// Counts one call of `call` and consults its rules; sets *code for kFaultFail
// and kFaultOverride.
FaultAction FaultDecide(const char* call, HRESULT* code);

// Appends one line (a '\n' is added) to the call log.
void FaultLog(const char* format, ...);

// "tag/channels/rate/avgbytes/blockalign/bits/cbSize", or "null".
void FaultFormatWave(const WAVEFORMATEX* format, char* out, size_t size);

// The most bytes a secondary buffer is created with, 0 for no limit: a
// larger buffer asked for is created at this size.
DWORD FaultBufferLimit(void);

// Next device / buffer number since the process started or the last reset.
int FaultNextDeviceId(void);
int FaultNextBufferId(void);

// Guards the rule book, the log and the list of live buffers; made once at
// process attach.
void ProxyInitState(void);
void ProxyLock(void);
void ProxyUnlock(void);

// An export of the system's own dsound.dll, loaded on first need; null (and a
// line on stderr) when it cannot be had.
void* RealDsoundProc(const char* name);

// Wrapped objects not yet released to a count of 0.
extern volatile LONG g_proxyLiveObjects;

// Wraps a real device / buffer; the wrapper owns the one reference given.
// Null when out of memory (the real object is then released).
IDirectSound* WrapDevice(IDirectSound* real, int* id);
IDirectSoundBuffer* WrapBuffer(IDirectSoundBuffer* real, int secondary, int* id);

// The real object behind a wrapper; anything else is returned as it is.
IDirectSound* UnwrapDevice(IDirectSound* device);
IDirectSoundBuffer* UnwrapBuffer(IDirectSoundBuffer* buffer);

// Marks every live secondary buffer lost (1) or clears every mark (0).
void MarkBuffersLost(int lost);
