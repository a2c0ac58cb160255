// The wrapped sound buffer: every IDirectSoundBuffer method forwarded to the
// real one, with rules and log lines for the calls the module makes, and the
// lost mark that makes a secondary buffer look lost until it is restored.
#include <stdio.h>
#include <stdlib.h>

#include "proxy.h"

namespace {

struct ProxyBuffer {
    IDirectSoundBuffer iface;  // first, so that the interface pointer is the wrapper
    IDirectSoundBuffer* real;
    LONG refs;
    int id;
    int secondary;
    int lost;  // under ProxyLock
    ProxyBuffer* prev;
    ProxyBuffer* next;
};

ProxyBuffer* g_live;  // every wrapped buffer not yet released, under ProxyLock

ProxyBuffer* From(IDirectSoundBuffer* This) { return (ProxyBuffer*)This; }
IDirectSoundBuffer* Real(IDirectSoundBuffer* This) { return From(This)->real; }

int IsLost(ProxyBuffer* b) {
    ProxyLock();
    int lost = b->lost;
    ProxyUnlock();
    return lost;
}

HRESULT Result(FaultAction action, HRESULT code, HRESULT real) {
    return action == kFaultOverride ? code : real;
}

// One buffer call that carries no out values: the rule, the real call unless
// the rule fails it, the log line "bufN <what> -> <hr>".
#define SIMPLE_CALL(name, what, realCall)                                               \
    ProxyBuffer* b = From(This);                                                        \
    HRESULT code = 0;                                                                   \
    FaultAction action = FaultDecide(name, &code);                                      \
    HRESULT hr = code;                                                                  \
    if (action != kFaultFail) hr = Result(action, code, (realCall));                    \
    FaultLog("buf%d %s -> 0x%08lX", b->id, what, (unsigned long)hr);                    \
    return hr

HRESULT STDMETHODCALLTYPE BufQueryInterface(IDirectSoundBuffer* This, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectSoundBuffer)) {
        InterlockedIncrement(&From(This)->refs);
        *out = This;
        return S_OK;
    }
    // Other interfaces (IDirectSoundBuffer8, 3D, notify) are the real object's, unwatched.
    return Real(This)->lpVtbl->QueryInterface(Real(This), riid, out);
}

ULONG STDMETHODCALLTYPE BufAddRef(IDirectSoundBuffer* This) {
    return (ULONG)InterlockedIncrement(&From(This)->refs);
}

ULONG STDMETHODCALLTYPE BufRelease(IDirectSoundBuffer* This) {
    ProxyBuffer* b = From(This);
    LONG left = InterlockedDecrement(&b->refs);
    if (left > 0) {
        FaultLog("buf%d Release -> %ld", b->id, left);
        return (ULONG)left;
    }
    HRESULT code = 0;
    FaultAction action = FaultDecide("Release", &code);
    FaultLog("buf%d Release -> 0", b->id);
    ProxyLock();
    if (b->prev) b->prev->next = b->next;
    else g_live = b->next;
    if (b->next) b->next->prev = b->prev;
    ProxyUnlock();
    b->real->lpVtbl->Release(b->real);
    free(b);
    InterlockedDecrement(&g_proxyLiveObjects);
    return action == kFaultPass ? 0 : (ULONG)code;
}

HRESULT STDMETHODCALLTYPE BufGetCaps(IDirectSoundBuffer* This, LPDSBCAPS caps) {
    return Real(This)->lpVtbl->GetCaps(Real(This), caps);
}

HRESULT STDMETHODCALLTYPE BufGetCurrentPosition(IDirectSoundBuffer* This, LPDWORD play, LPDWORD write) {
    return Real(This)->lpVtbl->GetCurrentPosition(Real(This), play, write);
}

HRESULT STDMETHODCALLTYPE BufGetFormat(IDirectSoundBuffer* This, LPWAVEFORMATEX format, DWORD size,
                                       LPDWORD written) {
    return Real(This)->lpVtbl->GetFormat(Real(This), format, size, written);
}

// GetVolume and GetPan: the value read, or 0 when a rule fails the call.
HRESULT ReadLevel(IDirectSoundBuffer* This, int volume, LPLONG out) {
    const char* name = volume ? "GetVolume" : "GetPan";
    ProxyBuffer* b = From(This);
    HRESULT code = 0;
    FaultAction action = FaultDecide(name, &code);
    HRESULT hr = code;
    if (action == kFaultFail) {
        if (out) *out = 0;
    } else {
        IDirectSoundBuffer* real = b->real;
        hr = volume ? real->lpVtbl->GetVolume(real, out) : real->lpVtbl->GetPan(real, out);
        hr = Result(action, code, hr);
    }
    FaultLog("buf%d %s -> %ld 0x%08lX", b->id, name, out ? *out : 0L, (unsigned long)hr);
    return hr;
}

HRESULT STDMETHODCALLTYPE BufGetVolume(IDirectSoundBuffer* This, LPLONG volume) {
    return ReadLevel(This, 1, volume);
}

HRESULT STDMETHODCALLTYPE BufGetPan(IDirectSoundBuffer* This, LPLONG pan) {
    return ReadLevel(This, 0, pan);
}

HRESULT STDMETHODCALLTYPE BufGetFrequency(IDirectSoundBuffer* This, LPDWORD frequency) {
    return Real(This)->lpVtbl->GetFrequency(Real(This), frequency);
}

HRESULT STDMETHODCALLTYPE BufGetStatus(IDirectSoundBuffer* This, LPDWORD status) {
    ProxyBuffer* b = From(This);
    HRESULT code = 0;
    FaultAction action = FaultDecide("GetStatus", &code);
    HRESULT hr = code;
    if (action == kFaultFail) {
        if (status) *status = 0;
    } else {
        hr = b->real->lpVtbl->GetStatus(b->real, status);
        if (SUCCEEDED(hr) && status && IsLost(b))
            *status = (*status | DSBSTATUS_BUFFERLOST) & ~(DWORD)(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
        hr = Result(action, code, hr);
    }
    FaultLog("buf%d GetStatus -> 0x%08lX 0x%08lX", b->id, status ? *status : 0UL, (unsigned long)hr);
    return hr;
}

HRESULT STDMETHODCALLTYPE BufInitialize(IDirectSoundBuffer* This, LPDIRECTSOUND device, LPCDSBUFFERDESC desc) {
    return Real(This)->lpVtbl->Initialize(Real(This), UnwrapDevice(device), desc);
}

HRESULT STDMETHODCALLTYPE BufLock(IDirectSoundBuffer* This, DWORD offset, DWORD bytes, LPVOID* audio1,
                                  LPDWORD bytes1, LPVOID* audio2, LPDWORD bytes2, DWORD flags) {
    ProxyBuffer* b = From(This);
    HRESULT code = 0;
    FaultAction action = FaultDecide("Lock", &code);
    HRESULT hr = code;
    if (action != kFaultFail && IsLost(b)) {
        action = kFaultFail;
        hr = DSERR_BUFFERLOST;
    }
    if (action == kFaultFail) {
        if (audio1) *audio1 = nullptr;
        if (bytes1) *bytes1 = 0;
        if (audio2) *audio2 = nullptr;
        if (bytes2) *bytes2 = 0;
    } else {
        hr = Result(action, code,
                    b->real->lpVtbl->Lock(b->real, offset, bytes, audio1, bytes1, audio2, bytes2, flags));
    }
    FaultLog("buf%d Lock offset=%lu bytes=%lu flags=0x%08lX -> 0x%08lX", b->id, offset, bytes, flags,
             (unsigned long)hr);
    return hr;
}

HRESULT STDMETHODCALLTYPE BufPlay(IDirectSoundBuffer* This, DWORD reserved1, DWORD priority, DWORD flags) {
    ProxyBuffer* b = From(This);
    HRESULT code = 0;
    FaultAction action = FaultDecide("Play", &code);
    HRESULT hr = code;
    if (action != kFaultFail) {
        if (IsLost(b))
            hr = DSERR_BUFFERLOST;
        else
            hr = Result(action, code, b->real->lpVtbl->Play(b->real, reserved1, priority, flags));
    }
    FaultLog("buf%d Play flags=%lu -> 0x%08lX", b->id, flags, (unsigned long)hr);
    return hr;
}

HRESULT STDMETHODCALLTYPE BufSetCurrentPosition(IDirectSoundBuffer* This, DWORD position) {
    char what[48];
    snprintf(what, sizeof(what), "SetCurrentPosition %lu", position);
    SIMPLE_CALL("SetCurrentPosition", what, Real(This)->lpVtbl->SetCurrentPosition(Real(This), position));
}

HRESULT STDMETHODCALLTYPE BufSetFormat(IDirectSoundBuffer* This, LPCWAVEFORMATEX format) {
    char what[112], text[96];
    FaultFormatWave(format, text, sizeof(text));
    snprintf(what, sizeof(what), "SetFormat format=%s", text);
    SIMPLE_CALL("SetFormat", what, Real(This)->lpVtbl->SetFormat(Real(This), format));
}

HRESULT STDMETHODCALLTYPE BufSetVolume(IDirectSoundBuffer* This, LONG volume) {
    char what[48];
    snprintf(what, sizeof(what), "SetVolume %ld", volume);
    SIMPLE_CALL("SetVolume", what, Real(This)->lpVtbl->SetVolume(Real(This), volume));
}

HRESULT STDMETHODCALLTYPE BufSetPan(IDirectSoundBuffer* This, LONG pan) {
    char what[48];
    snprintf(what, sizeof(what), "SetPan %ld", pan);
    SIMPLE_CALL("SetPan", what, Real(This)->lpVtbl->SetPan(Real(This), pan));
}

HRESULT STDMETHODCALLTYPE BufSetFrequency(IDirectSoundBuffer* This, DWORD frequency) {
    return Real(This)->lpVtbl->SetFrequency(Real(This), frequency);
}

HRESULT STDMETHODCALLTYPE BufStop(IDirectSoundBuffer* This) {
    SIMPLE_CALL("Stop", "Stop", Real(This)->lpVtbl->Stop(Real(This)));
}

HRESULT STDMETHODCALLTYPE BufUnlock(IDirectSoundBuffer* This, LPVOID audio1, DWORD bytes1, LPVOID audio2,
                                    DWORD bytes2) {
    char what[64];
    snprintf(what, sizeof(what), "Unlock bytes=%lu bytes2=%lu", bytes1, bytes2);
    SIMPLE_CALL("Unlock", what, Real(This)->lpVtbl->Unlock(Real(This), audio1, bytes1, audio2, bytes2));
}

HRESULT STDMETHODCALLTYPE BufRestore(IDirectSoundBuffer* This) {
    ProxyBuffer* b = From(This);
    HRESULT code = 0;
    FaultAction action = FaultDecide("Restore", &code);
    HRESULT hr = code;
    if (action != kFaultFail) {
        hr = Result(action, code, b->real->lpVtbl->Restore(b->real));
        if (SUCCEEDED(hr)) {
            ProxyLock();
            b->lost = 0;
            ProxyUnlock();
        }
    }
    FaultLog("buf%d Restore -> 0x%08lX", b->id, (unsigned long)hr);
    return hr;
}

IDirectSoundBufferVtbl g_bufferVtbl = {
    BufQueryInterface, BufAddRef,       BufRelease,   BufGetCaps,           BufGetCurrentPosition,
    BufGetFormat,      BufGetVolume,    BufGetPan,    BufGetFrequency,      BufGetStatus,
    BufInitialize,     BufLock,         BufPlay,      BufSetCurrentPosition, BufSetFormat,
    BufSetVolume,      BufSetPan,       BufSetFrequency, BufStop,           BufUnlock,
    BufRestore,
};

}  // namespace

IDirectSoundBuffer* WrapBuffer(IDirectSoundBuffer* real, int secondary, int* id) {
    ProxyBuffer* b = (ProxyBuffer*)calloc(1, sizeof(ProxyBuffer));
    if (!b) {
        real->lpVtbl->Release(real);
        return nullptr;
    }
    b->iface.lpVtbl = &g_bufferVtbl;
    b->real = real;
    b->refs = 1;
    b->id = FaultNextBufferId();
    b->secondary = secondary;
    *id = b->id;
    ProxyLock();
    b->next = g_live;
    if (g_live) g_live->prev = b;
    g_live = b;
    ProxyUnlock();
    InterlockedIncrement(&g_proxyLiveObjects);
    return &b->iface;
}

IDirectSoundBuffer* UnwrapBuffer(IDirectSoundBuffer* buffer) {
    if (buffer && buffer->lpVtbl == &g_bufferVtbl) return From(buffer)->real;
    return buffer;
}

void MarkBuffersLost(int lost) {
    ProxyLock();
    for (ProxyBuffer* b = g_live; b; b = b->next)
        b->lost = lost && b->secondary;
    ProxyUnlock();
}
