// Test-side access to the fault-injecting dsound.dll: the same functions as
// its exports, found at run time in the dsound.dll this process loaded.
// When that library is not the stand-in, each call says so on stderr and
// returns a value a test can assert on (false or -1).
#pragma once

#include <windows.h>
#include <stdio.h>

#include <string>

// Codes tests commonly hand to the rules.
#define KVO_DSERR_BUFFERLOST ((long)0x88780096)
#define KVO_DSERR_NODRIVER ((long)0x88780078)
#define KVO_DS_NO_VIRTUALIZATION ((long)0x0878000A)

namespace fault {

// The stand-in's export `name`, or null (and a line on stderr) without it.
inline void* Proc(const char* name, bool quiet = false) {
    HMODULE dsound = GetModuleHandleA("dsound.dll");
    void* proc = dsound ? reinterpret_cast<void*>(GetProcAddress(dsound, name)) : nullptr;
    if (!proc && !quiet)
        fprintf(stderr, "fault: %s: the loaded dsound.dll is %s\n", name,
                dsound ? "the system's, not the fault-injecting one" : "not loaded");
    return proc;
}

// True when the dsound.dll loaded in this process is the stand-in.
inline bool Loaded() { return Proc("KvoFaultReset", true) != nullptr; }

// Forgets every rule, counter, log line and lost mark.
inline bool Reset() {
    typedef void(__cdecl * Fn)(void);
    Fn fn = (Fn)Proc("KvoFaultReset");
    if (fn) fn();
    return fn != nullptr;
}

// Lets `skip` calls of `call` through, then answers `times` of them (-1: for
// ever) with `code`: below 0 without calling DirectSound, else after it.
inline bool Fail(const char* call, long code, int skip = 0, int times = 1) {
    typedef void(__cdecl * Fn)(const char*, long, int, int);
    Fn fn = (Fn)Proc("KvoFaultFail");
    if (fn) fn(call, code, skip, times);
    return fn != nullptr;
}

// Fails `call` (null: every call the rules know) with `code` with probability
// permille/1000, drawn from a generator seeded with `seed`.
inline bool Random(const char* call, unsigned seed, int permille, long code) {
    typedef void(__cdecl * Fn)(const char*, unsigned, int, long);
    Fn fn = (Fn)Proc("KvoFaultRandom");
    if (fn) fn(call, seed, permille, code);
    return fn != nullptr;
}

// 1: every live secondary buffer looks lost until restored; 0: none does.
inline bool SetLost(int lost) {
    typedef void(__cdecl * Fn)(int);
    Fn fn = (Fn)Proc("KvoFaultSetLost");
    if (fn) fn(lost);
    return fn != nullptr;
}

// Calls of `call` since the last reset; -1 for an unknown name.
inline int Count(const char* call) {
    typedef int(__cdecl * Fn)(const char*);
    Fn fn = (Fn)Proc("KvoFaultCount");
    return fn ? fn(call) : -1;
}

// Copies the log (bounded, zero-terminated when size > 0); its full length.
inline int Log(char* out, int size) {
    typedef int(__cdecl * Fn)(char*, int);
    Fn fn = (Fn)Proc("KvoFaultLog");
    if (!fn && out && size > 0) out[0] = '\0';
    return fn ? fn(out, size) : -1;
}

// The whole log as one string, empty without the stand-in.
inline std::string Log() {
    int n = Log(nullptr, 0);
    if (n <= 0) return std::string();
    std::string text((size_t)n + 1, '\0');
    int m = Log(&text[0], n + 1);
    text.resize((size_t)(m < n ? m : n));
    return text;
}

// Secondary buffers asked for with more than `bytes` are created with
// `bytes` (0: as asked), so that a caller sizing its own memory by what it
// asked for runs out of it.
inline bool BufferLimit(unsigned long bytes) {
    typedef void(__cdecl * Fn)(unsigned long);
    Fn fn = (Fn)Proc("KvoFaultBufferLimit");
    if (fn) fn(bytes);
    return fn != nullptr;
}

// Wrapped devices and buffers not yet released.
inline int LiveObjects() {
    typedef int(__cdecl * Fn)(void);
    Fn fn = (Fn)Proc("KvoFaultLiveObjects");
    return fn ? fn() : -1;
}

}  // namespace fault
