// The library's entry points: the system's own dsound.dll loaded by full
// path, DirectSoundCreate with its rules and wrapped device, and the other
// DirectSound exports forwarded unchanged.
#include <stdio.h>
#include <string.h>

#include "proxy.h"

namespace {

HMODULE g_self;
HMODULE g_real;
int g_realTried;

void FormatGuid(const GUID* g, char* out, size_t size) {
    if (!g) {
        snprintf(out, size, "null");
        return;
    }
    snprintf(out, size, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g->Data1, g->Data2,
             g->Data3, g->Data4[0], g->Data4[1], g->Data4[2], g->Data4[3], g->Data4[4], g->Data4[5],
             g->Data4[6], g->Data4[7]);
}

HMODULE LoadRealDsound() {
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    const char name[] = "\\dsound.dll";
    if (n == 0 || n + sizeof(name) > sizeof(path)) {
        fprintf(stderr, "dsound proxy: no usable system folder\n");
        return nullptr;
    }
    memcpy(path + n, name, sizeof(name));
    HMODULE h = LoadLibraryA(path);
    if (h == g_self) {
        // The loader handed back this library: forwarding would loop.
        FreeLibrary(h);
        h = nullptr;
    }
    if (!h) fprintf(stderr, "dsound proxy: cannot load the system's %s\n", path);
    return h;
}

}  // namespace

void* RealDsoundProc(const char* name) {
    ProxyLock();
    if (!g_realTried) {
        g_realTried = 1;
        g_real = LoadRealDsound();
    }
    HMODULE real = g_real;
    ProxyUnlock();
    void* proc = real ? reinterpret_cast<void*>(GetProcAddress(real, name)) : nullptr;
    if (real && !proc) fprintf(stderr, "dsound proxy: the system's dsound.dll has no %s\n", name);
    return proc;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = instance;
        DisableThreadLibraryCalls(instance);
        ProxyInitState();
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DirectSoundCreate(LPCGUID guid, LPDIRECTSOUND* out, LPUNKNOWN outer) {
    char guidText[48];
    FormatGuid(guid, guidText, sizeof(guidText));
    HRESULT code = 0;
    FaultAction action = FaultDecide("DirectSoundCreate", &code);
    HRESULT hr = code;
    IDirectSound* wrapped = nullptr;
    int id = 0;
    if (action != kFaultFail) {
        typedef HRESULT(WINAPI * CreateFn)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);
        CreateFn create = (CreateFn)RealDsoundProc("DirectSoundCreate");
        IDirectSound* real = nullptr;
        hr = create ? create(guid, out ? &real : nullptr, outer) : DSERR_NODRIVER;
        if (SUCCEEDED(hr) && real) {
            wrapped = WrapDevice(real, &id);
            if (!wrapped) hr = E_OUTOFMEMORY;
        }
        if (action == kFaultOverride) hr = code;
    }
    if (out) *out = wrapped;
    if (wrapped)
        FaultLog("DirectSoundCreate %s -> dev%d 0x%08lX", guidText, id, (unsigned long)hr);
    else
        FaultLog("DirectSoundCreate %s -> 0x%08lX", guidText, (unsigned long)hr);
    return hr;
}

// Looks up the system's export `name` of type `Fn`; DSERR_NODRIVER without it.
#define FORWARD(Fn, name, ...)                                  \
    Fn real = (Fn)RealDsoundProc(name);                          \
    return real ? real(__VA_ARGS__) : DSERR_NODRIVER

extern "C" HRESULT WINAPI DirectSoundEnumerateA(LPDSENUMCALLBACKA callback, LPVOID context) {
    typedef HRESULT(WINAPI * Fn)(LPDSENUMCALLBACKA, LPVOID);
    FORWARD(Fn, "DirectSoundEnumerateA", callback, context);
}

extern "C" HRESULT WINAPI DirectSoundEnumerateW(LPDSENUMCALLBACKW callback, LPVOID context) {
    typedef HRESULT(WINAPI * Fn)(LPDSENUMCALLBACKW, LPVOID);
    FORWARD(Fn, "DirectSoundEnumerateW", callback, context);
}

extern "C" HRESULT WINAPI DirectSoundCreate8(LPCGUID guid, LPDIRECTSOUND8* out, LPUNKNOWN outer) {
    typedef HRESULT(WINAPI * Fn)(LPCGUID, LPDIRECTSOUND8*, LPUNKNOWN);
    FORWARD(Fn, "DirectSoundCreate8", guid, out, outer);
}

extern "C" HRESULT WINAPI DirectSoundCaptureCreate(LPCGUID guid, LPDIRECTSOUNDCAPTURE* out, LPUNKNOWN outer) {
    typedef HRESULT(WINAPI * Fn)(LPCGUID, LPDIRECTSOUNDCAPTURE*, LPUNKNOWN);
    FORWARD(Fn, "DirectSoundCaptureCreate", guid, out, outer);
}

extern "C" HRESULT WINAPI DirectSoundCaptureCreate8(LPCGUID guid, LPDIRECTSOUNDCAPTURE8* out, LPUNKNOWN outer) {
    typedef HRESULT(WINAPI * Fn)(LPCGUID, LPDIRECTSOUNDCAPTURE8*, LPUNKNOWN);
    FORWARD(Fn, "DirectSoundCaptureCreate8", guid, out, outer);
}

extern "C" HRESULT WINAPI DirectSoundCaptureEnumerateA(LPDSENUMCALLBACKA callback, LPVOID context) {
    typedef HRESULT(WINAPI * Fn)(LPDSENUMCALLBACKA, LPVOID);
    FORWARD(Fn, "DirectSoundCaptureEnumerateA", callback, context);
}

extern "C" HRESULT WINAPI DirectSoundCaptureEnumerateW(LPDSENUMCALLBACKW callback, LPVOID context) {
    typedef HRESULT(WINAPI * Fn)(LPDSENUMCALLBACKW, LPVOID);
    FORWARD(Fn, "DirectSoundCaptureEnumerateW", callback, context);
}

extern "C" HRESULT WINAPI DirectSoundFullDuplexCreate(LPCGUID captureGuid, LPCGUID renderGuid,
                                                      LPCDSCBUFFERDESC captureDesc, LPCDSBUFFERDESC renderDesc,
                                                      HWND window, DWORD level, LPDIRECTSOUNDFULLDUPLEX* out,
                                                      LPDIRECTSOUNDCAPTUREBUFFER8* captureBuffer,
                                                      LPDIRECTSOUNDBUFFER8* renderBuffer, LPUNKNOWN outer) {
    typedef HRESULT(WINAPI * Fn)(LPCGUID, LPCGUID, LPCDSCBUFFERDESC, LPCDSBUFFERDESC, HWND, DWORD,
                                 LPDIRECTSOUNDFULLDUPLEX*, LPDIRECTSOUNDCAPTUREBUFFER8*, LPDIRECTSOUNDBUFFER8*,
                                 LPUNKNOWN);
    FORWARD(Fn, "DirectSoundFullDuplexCreate", captureGuid, renderGuid, captureDesc, renderDesc, window, level,
            out, captureBuffer, renderBuffer, outer);
}

extern "C" HRESULT WINAPI GetDeviceID(LPCGUID source, LPGUID dest) {
    typedef HRESULT(WINAPI * Fn)(LPCGUID, LPGUID);
    FORWARD(Fn, "GetDeviceID", source, dest);
}
