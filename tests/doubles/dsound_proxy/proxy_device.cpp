// The wrapped device: every IDirectSound method forwarded to the real one,
// with rules and log lines for SetCooperativeLevel, CreateSoundBuffer and the
// final Release; buffers it creates come back wrapped.
#include <stdio.h>
#include <stdlib.h>

#include "proxy.h"

volatile LONG g_proxyLiveObjects;

namespace {

struct ProxyDevice {
    IDirectSound iface;  // first, so that the interface pointer is the wrapper
    IDirectSound* real;
    LONG refs;
    int id;
};

ProxyDevice* From(IDirectSound* This) { return (ProxyDevice*)This; }

// What a rule left for a call that went to the real method.
HRESULT Result(FaultAction action, HRESULT code, HRESULT real) {
    return action == kFaultOverride ? code : real;
}

HRESULT STDMETHODCALLTYPE DevQueryInterface(IDirectSound* This, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectSound)) {
        InterlockedIncrement(&From(This)->refs);
        *out = This;
        return S_OK;
    }
    // Other interfaces (IDirectSound8 ...) are the real object's, unwatched.
    IDirectSound* real = From(This)->real;
    return real->lpVtbl->QueryInterface(real, riid, out);
}

ULONG STDMETHODCALLTYPE DevAddRef(IDirectSound* This) {
    return (ULONG)InterlockedIncrement(&From(This)->refs);
}

ULONG STDMETHODCALLTYPE DevRelease(IDirectSound* This) {
    ProxyDevice* d = From(This);
    LONG left = InterlockedDecrement(&d->refs);
    if (left > 0) {
        FaultLog("dev%d Release -> %ld", d->id, left);
        return (ULONG)left;
    }
    HRESULT code = 0;
    FaultAction action = FaultDecide("Release", &code);
    FaultLog("dev%d Release -> 0", d->id);
    d->real->lpVtbl->Release(d->real);
    free(d);
    InterlockedDecrement(&g_proxyLiveObjects);
    return action == kFaultPass ? 0 : (ULONG)code;
}

HRESULT STDMETHODCALLTYPE DevCreateSoundBuffer(IDirectSound* This, LPCDSBUFFERDESC desc,
                                               LPLPDIRECTSOUNDBUFFER out, IUnknown* outer) {
    ProxyDevice* d = From(This);
    int primary = desc && (desc->dwFlags & DSBCAPS_PRIMARYBUFFER);
    const char* call = primary ? "CreatePrimaryBuffer" : "CreateSoundBuffer";
    char details[160];
    if (!desc) {
        snprintf(details, sizeof(details), "desc=null");
    } else if (primary) {
        snprintf(details, sizeof(details), "flags=0x%08lX", desc->dwFlags);
    } else {
        char format[96];
        FaultFormatWave(desc->lpwfxFormat, format, sizeof(format));
        snprintf(details, sizeof(details), "flags=0x%08lX bytes=%lu format=%s", desc->dwFlags,
                 desc->dwBufferBytes, format);
    }
    HRESULT code = 0;
    FaultAction action = FaultDecide(call, &code);
    HRESULT hr = code;
    IDirectSoundBuffer* wrapped = nullptr;
    int id = 0;
    if (action != kFaultFail) {
        // A buffer above the limit is made smaller than asked: the caller
        // believes it has room it cannot be given (memory running out).
        DSBUFFERDESC limited;
        const DSBUFFERDESC* asked = desc;
        DWORD limit = FaultBufferLimit();
        if (desc && !primary && limit != 0 && desc->dwBufferBytes > limit) {
            limited = *desc;
            limited.dwBufferBytes = limit;
            asked = &limited;
        }
        IDirectSoundBuffer* real = nullptr;
        hr = d->real->lpVtbl->CreateSoundBuffer(d->real, asked, out ? &real : nullptr, outer);
        if (SUCCEEDED(hr) && real) {
            wrapped = WrapBuffer(real, !primary, &id);
            if (!wrapped) hr = E_OUTOFMEMORY;
        }
        hr = Result(action, code, hr);
    }
    if (out) *out = wrapped;
    if (wrapped)
        FaultLog("dev%d %s %s -> buf%d 0x%08lX", d->id, call, details, id, (unsigned long)hr);
    else
        FaultLog("dev%d %s %s -> 0x%08lX", d->id, call, details, (unsigned long)hr);
    return hr;
}

HRESULT STDMETHODCALLTYPE DevGetCaps(IDirectSound* This, LPDSCAPS caps) {
    IDirectSound* real = From(This)->real;
    return real->lpVtbl->GetCaps(real, caps);
}

HRESULT STDMETHODCALLTYPE DevDuplicateSoundBuffer(IDirectSound* This, LPDIRECTSOUNDBUFFER original,
                                                  LPLPDIRECTSOUNDBUFFER out) {
    IDirectSound* real = From(This)->real;
    IDirectSoundBuffer* copy = nullptr;
    HRESULT hr = real->lpVtbl->DuplicateSoundBuffer(real, UnwrapBuffer(original), out ? &copy : nullptr);
    if (out) {
        int id = 0;
        *out = SUCCEEDED(hr) && copy ? WrapBuffer(copy, 1, &id) : nullptr;
        if (SUCCEEDED(hr) && copy && !*out) hr = E_OUTOFMEMORY;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE DevSetCooperativeLevel(IDirectSound* This, HWND window, DWORD level) {
    ProxyDevice* d = From(This);
    HRESULT code = 0;
    FaultAction action = FaultDecide("SetCooperativeLevel", &code);
    HRESULT hr = code;
    if (action != kFaultFail)
        hr = Result(action, code, d->real->lpVtbl->SetCooperativeLevel(d->real, window, level));
    FaultLog("dev%d SetCooperativeLevel hwnd=0x%08lX level=%lu -> 0x%08lX", d->id,
             (unsigned long)(ULONG_PTR)window, level, (unsigned long)hr);
    return hr;
}

HRESULT STDMETHODCALLTYPE DevCompact(IDirectSound* This) {
    IDirectSound* real = From(This)->real;
    return real->lpVtbl->Compact(real);
}

HRESULT STDMETHODCALLTYPE DevGetSpeakerConfig(IDirectSound* This, LPDWORD config) {
    IDirectSound* real = From(This)->real;
    return real->lpVtbl->GetSpeakerConfig(real, config);
}

HRESULT STDMETHODCALLTYPE DevSetSpeakerConfig(IDirectSound* This, DWORD config) {
    IDirectSound* real = From(This)->real;
    return real->lpVtbl->SetSpeakerConfig(real, config);
}

HRESULT STDMETHODCALLTYPE DevInitialize(IDirectSound* This, LPCGUID guid) {
    IDirectSound* real = From(This)->real;
    return real->lpVtbl->Initialize(real, guid);
}

IDirectSoundVtbl g_deviceVtbl = {
    DevQueryInterface, DevAddRef,           DevRelease,          DevCreateSoundBuffer,
    DevGetCaps,        DevDuplicateSoundBuffer, DevSetCooperativeLevel, DevCompact,
    DevGetSpeakerConfig, DevSetSpeakerConfig, DevInitialize,
};

}  // namespace

IDirectSound* WrapDevice(IDirectSound* real, int* id) {
    ProxyDevice* d = (ProxyDevice*)calloc(1, sizeof(ProxyDevice));
    if (!d) {
        real->lpVtbl->Release(real);
        return nullptr;
    }
    d->iface.lpVtbl = &g_deviceVtbl;
    d->real = real;
    d->refs = 1;
    d->id = FaultNextDeviceId();
    *id = d->id;
    InterlockedIncrement(&g_proxyLiveObjects);
    return &d->iface;
}

IDirectSound* UnwrapDevice(IDirectSound* device) {
    if (device && device->lpVtbl == &g_deviceVtbl) return From(device)->real;
    return device;
}
