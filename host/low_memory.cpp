// The 64-bit stand-in keeps the module's memory above 4 GiB. Under Wine a
// 64-bit process's heap lies below 4 GiB, where a pointer cut to 32 bits
// would still work; with every free range down there taken and the heaps'
// room down there used up, each block the module gets lies above, and a cut
// pointer faults at once.
#include "host/host.h"

namespace host {

#ifdef _WIN64

namespace {

const uintptr_t kLow = uintptr_t(1) << 32;
const uintptr_t kGranularity = 0x10000;  // where the system can place a reservation

// Reserves every free range below 4 GiB.
void ReserveFreeRanges() {
    uintptr_t at = kGranularity;
    MEMORY_BASIC_INFORMATION info;
    while (at < kLow && VirtualQuery(reinterpret_cast<void*>(at), &info, sizeof info) == sizeof info) {
        uintptr_t base = reinterpret_cast<uintptr_t>(info.BaseAddress);
        uintptr_t end = base + info.RegionSize;
        if (end <= at) break;
        if (info.State == MEM_FREE) {
            uintptr_t start = (base + kGranularity - 1) & ~(kGranularity - 1);
            uintptr_t stop = end < kLow ? end : kLow;
            if (start < stop) VirtualAlloc(reinterpret_cast<void*>(start), stop - start, MEM_RESERVE, PAGE_NOACCESS);
        }
        at = end;
    }
}

// Takes blocks of `size` from the heap until several in a row come from
// above 4 GiB; those go back. The ones below stay taken for good.
void UseUpLowRoom(HANDLE heap, size_t size) {
    const int kHighInARow = 8;
    void* high[kHighInARow];
    int highCount = 0;
    for (int taken = 0; taken < 1000000 && highCount < kHighInARow; ++taken) {
        void* block = HeapAlloc(heap, 0, size);
        if (block == nullptr) break;
        if (reinterpret_cast<uintptr_t>(block) >= kLow) {
            high[highCount++] = block;
            continue;
        }
        // Kept for good; the run of high ones starts again.
        for (int i = 0; i < highCount; ++i) HeapFree(heap, 0, high[i]);
        highCount = 0;
    }
    for (int i = 0; i < highCount; ++i) HeapFree(heap, 0, high[i]);
}

}  // namespace

bool ReserveLowAddressSpace() {
    static bool reserved = false;
    if (!reserved) ReserveFreeRanges();
    reserved = true;
    // Every heap of the process, the C runtime's too; small sizes class by
    // class, as a heap keeps separate room for each. Blocks taken before the
    // first call and freed since give room below again, hence every call.
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    if (count > 64) count = 64;
    for (DWORD h = 0; h < count; ++h) {
        for (size_t size = 65536; size > 16384; size /= 2) UseUpLowRoom(heaps[h], size);
        for (size_t size = 16384; size >= 16; size -= 16) UseUpLowRoom(heaps[h], size);
    }
    return true;
}

#else

bool ReserveLowAddressSpace() { return false; }

#endif

}  // namespace host
