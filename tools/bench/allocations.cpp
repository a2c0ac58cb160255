// Heap allocations while frames run: the module's import entries of every
// allocator it imports are pointed at counters, and so are DirectSound's
// heap entries (its own work and its mixing thread's, counted apart). Each
// side also keeps the largest single request it saw.
#include <stdio.h>

#include "host/host.h"
#include "tools/bench/bench.h"
#include "tools/bench/sections.h"

namespace bench {

namespace {

volatile LONG moduleAllocations = 0;
volatile LONG soundAllocations = 0;
// Largest single request of each side, in bytes, since the last reset.
void* volatile largestModuleRequest = nullptr;
void* volatile largestSoundRequest = nullptr;

typedef void*(__cdecl* MallocProc)(size_t);
typedef void*(__cdecl* CallocProc)(size_t, size_t);
typedef void*(__cdecl* ReallocProc)(void*, size_t);
typedef LPVOID(WINAPI* HeapAllocProc)(HANDLE, DWORD, SIZE_T);
typedef LPVOID(WINAPI* HeapReAllocProc)(HANDLE, DWORD, LPVOID, SIZE_T);
typedef HLOCAL(WINAPI* LocalAllocProc)(UINT, SIZE_T);
typedef HGLOBAL(WINAPI* GlobalAllocProc)(UINT, SIZE_T);
typedef LPVOID(WINAPI* VirtualAllocProc)(LPVOID, SIZE_T, DWORD, DWORD);

MallocProc realMalloc;
CallocProc realCalloc;
ReallocProc realRealloc;
HeapAllocProc realHeapAlloc, realSoundHeapAlloc;
HeapReAllocProc realHeapReAlloc, realSoundHeapReAlloc;
LocalAllocProc realLocalAlloc;
GlobalAllocProc realGlobalAlloc;
VirtualAllocProc realVirtualAlloc;

// Keeps `bytes` in `largest` when it is larger; any thread may call it.
void NoteRequest(void* volatile* largest, size_t bytes) {
    void* seen = *largest;
    while (reinterpret_cast<size_t>(seen) < bytes) {
        void* before = InterlockedCompareExchangePointer(largest, reinterpret_cast<void*>(bytes), seen);
        if (before == seen) break;
        seen = before;
    }
}

// Counts one request of the module or of DirectSound; returns its size
// unchanged for the real allocator.
size_t ModuleRequest(size_t bytes) {
    InterlockedIncrement(&moduleAllocations);
    NoteRequest(&largestModuleRequest, bytes);
    return bytes;
}
size_t SoundRequest(size_t bytes) {
    InterlockedIncrement(&soundAllocations);
    NoteRequest(&largestSoundRequest, bytes);
    return bytes;
}
// calloc's size, held at the largest value when the product overflows.
size_t Product(size_t count, size_t size) {
    return size != 0 && count > static_cast<size_t>(-1) / size ? static_cast<size_t>(-1) : count * size;
}

void* __cdecl CountMalloc(size_t n) { return realMalloc(ModuleRequest(n)); }
void* __cdecl CountCalloc(size_t n, size_t s) { return ModuleRequest(Product(n, s)), realCalloc(n, s); }
void* __cdecl CountRealloc(void* p, size_t n) { return realRealloc(p, ModuleRequest(n)); }
LPVOID WINAPI CountHeapAlloc(HANDLE h, DWORD f, SIZE_T n) { return realHeapAlloc(h, f, ModuleRequest(n)); }
LPVOID WINAPI CountHeapReAlloc(HANDLE h, DWORD f, LPVOID p, SIZE_T n) {
    return realHeapReAlloc(h, f, p, ModuleRequest(n));
}
HLOCAL WINAPI CountLocalAlloc(UINT f, SIZE_T n) { return realLocalAlloc(f, ModuleRequest(n)); }
HGLOBAL WINAPI CountGlobalAlloc(UINT f, SIZE_T n) { return realGlobalAlloc(f, ModuleRequest(n)); }
LPVOID WINAPI CountVirtualAlloc(LPVOID a, SIZE_T n, DWORD t, DWORD p) {
    return realVirtualAlloc(a, ModuleRequest(n), t, p);
}
LPVOID WINAPI CountSoundHeapAlloc(HANDLE h, DWORD f, SIZE_T n) { return realSoundHeapAlloc(h, f, SoundRequest(n)); }
LPVOID WINAPI CountSoundHeapReAlloc(HANDLE h, DWORD f, LPVOID p, SIZE_T n) {
    return realSoundHeapReAlloc(h, f, p, SoundRequest(n));
}

// Redirects one entry when the module imports it; adds its name to `names`.
// An entry already redirected keeps the real function it had.
template <typename Proc>
void Count(HMODULE module, const char* dll, const char* function, Proc counter, Proc* real, std::string* names) {
    void* previous = RedirectImport(module, dll, function, reinterpret_cast<void*>(counter));
    if (previous == nullptr) return;
    if (previous != reinterpret_cast<void*>(counter)) *real = reinterpret_cast<Proc>(previous);
    *names += *names == "" ? "" : " ";
    *names += function;
}

struct Counts {
    LONG module;
    LONG sound;
};

Counts Snapshot() { return {moduleAllocations, soundAllocations}; }

void PrintRow(const char* what, int frames, Counts before, Counts after) {
    LONG module = after.module - before.module, sound = after.sound - before.sound;
    printf("%-34s %7d %10ld %10.4f %12ld %10.4f\n", what, frames, static_cast<long>(module),
           frames > 0 ? static_cast<double>(module) / frames : 0.0, static_cast<long>(sound),
           frames > 0 ? static_cast<double>(sound) / frames : 0.0);
}

void RunCounted(const Session& session, const char* what, int frames) {
    Counts before = Snapshot();
    for (int i = 0; i < frames; ++i) PreUpdate(session);
    PrintRow(what, frames, before, Snapshot());
}

}  // namespace

// Counts the module's own allocator calls from now on: msvcrt's malloc,
// calloc and realloc (operator new ends in malloc) and the Windows heap,
// local, global and virtual allocators. Returns the entries found.
std::string CountModuleAllocations(HMODULE module) {
    std::string names;
    Count(module, "msvcrt.dll", "malloc", CountMalloc, &realMalloc, &names);
    Count(module, "msvcrt.dll", "calloc", CountCalloc, &realCalloc, &names);
    Count(module, "msvcrt.dll", "realloc", CountRealloc, &realRealloc, &names);
    Count(module, "kernel32.dll", "HeapAlloc", CountHeapAlloc, &realHeapAlloc, &names);
    Count(module, "kernel32.dll", "HeapReAlloc", CountHeapReAlloc, &realHeapReAlloc, &names);
    Count(module, "kernel32.dll", "LocalAlloc", CountLocalAlloc, &realLocalAlloc, &names);
    Count(module, "kernel32.dll", "GlobalAlloc", CountGlobalAlloc, &realGlobalAlloc, &names);
    Count(module, "kernel32.dll", "VirtualAlloc", CountVirtualAlloc, &realVirtualAlloc, &names);
    return names;
}

long ModuleAllocationCount() { return moduleAllocations; }

std::string CountSoundAllocations() {
    std::string names;
    HMODULE dsound = GetModuleHandleA("dsound.dll");
    if (dsound == nullptr) return names;
    Count(dsound, "kernel32.dll", "HeapAlloc", CountSoundHeapAlloc, &realSoundHeapAlloc, &names);
    Count(dsound, "kernel32.dll", "HeapReAlloc", CountSoundHeapReAlloc, &realSoundHeapReAlloc, &names);
    return names;
}

void ResetLargestAllocations() {
    InterlockedExchangePointer(&largestModuleRequest, nullptr);
    InterlockedExchangePointer(&largestSoundRequest, nullptr);
}
size_t LargestModuleAllocation() { return reinterpret_cast<size_t>(largestModuleRequest); }
size_t LargestSoundAllocation() { return reinterpret_cast<size_t>(largestSoundRequest); }

bool RunAllocations(const std::string& folder) {
    const int kSlots = 100;
    const int kFrames = 10000;
    printf("Allocations: %d slots, counted on the module's import entries\n", kSlots);
    Session session;
    session.slots = kSlots;
    if (!OpenSession(PrepareConfig(folder, kSlots), &session) || !RunUntilServing(&session)) {
        printf("the module did not start serving its slots\n\n");
        CloseSession();
        return false;
    }
    std::string names = CountModuleAllocations(host::Module());
    std::string soundNames = CountSoundAllocations();
    printf("module entries counted: %s\n", names.c_str());
    printf("dsound.dll entries counted (every thread): %s\n", soundNames == "" ? "none found" : soundNames.c_str());
    printf("%-34s %7s %10s %10s %12s %10s\n", "frames", "count", "module", "per frame", "dsound.dll", "per frame");

    RunCounted(session, "running, nothing loaded", kFrames);
    Counts before = Snapshot();
    SetAllCommands(session, 4);
    PreUpdate(session);
    PrintRow("the frame loading every sound", 1, before, Snapshot());
    bool ok = SlotsNotAt(session, 0) == 0;
    RunCounted(session, "running, loaded and stopped", kFrames);
    SetAllCommands(session, 2);
    before = Snapshot();
    PreUpdate(session);
    PrintRow("the frame starting every loop", 1, before, Snapshot());
    RunCounted(session, "running, all looping", kFrames);
    ok = SlotsNotAt(session, 2) == 0 && ok;
    if (!ok) printf("some slots did not load or loop\n");
    CloseSession();
    printf("\n");
    return ok;
}

}  // namespace bench
