// The rule book: queued failure rules and random failures per call name,
// call counters, the call log, and the exported control functions.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "proxy.h"

namespace {

// Every call name a rule can name, in one table; counters and random
// settings are indexed by position here.
const char* const kCallNames[] = {
    "DirectSoundCreate", "SetCooperativeLevel", "CreatePrimaryBuffer", "CreateSoundBuffer",
    "SetFormat", "GetStatus", "Play", "Stop", "SetCurrentPosition", "SetVolume", "GetVolume",
    "SetPan", "GetPan", "Lock", "Unlock", "Restore", "Release",
};
const int kCallCount = (int)(sizeof(kCallNames) / sizeof(kCallNames[0]));

struct FailRule {
    int call;    // index into kCallNames
    HRESULT code;
    int skip;    // calls still to let through
    int times;   // calls still to answer with `code`; -1 for ever
};

struct RandomRule {
    int on;
    unsigned state;
    int permille;
    HRESULT code;
};

const int kMaxRules = 64;
const size_t kLogCapacity = 4u << 20;
const char kLogFullLine[] = "... log full, later calls not logged\n";

CRITICAL_SECTION g_lock;
FailRule g_rules[kMaxRules];  // in the order given; finished rules are dropped
int g_ruleCount;
RandomRule g_random[kCallCount];
RandomRule g_randomAll;  // for a null call name: every faultable call
int g_counts[kCallCount];
char g_log[kLogCapacity];
size_t g_logLength;
int g_logFull;
int g_devices;
int g_buffers;
DWORD g_bufferLimit;

int CallIndex(const char* call) {
    if (!call) return -1;
    for (int i = 0; i < kCallCount; ++i)
        if (strcmp(kCallNames[i], call) == 0) return i;
    return -1;
}

int UnknownCall(const char* where, const char* call) {
    fprintf(stderr, "dsound proxy: %s: unknown call name \"%s\"\n", where, call ? call : "(null)");
    return -1;
}

// A draw from the rule's generator: 1 when this call is to fail.
int RandomHit(RandomRule* r) {
    r->state = r->state * 1664525u + 1013904223u;
    return (int)((r->state >> 8) % 1000u) < r->permille;
}

FaultAction ActionFor(HRESULT code) { return code < 0 ? kFaultFail : kFaultOverride; }

// Drops rules that have nothing left to do, keeping the order of the rest.
void DropFinishedRules() {
    int kept = 0;
    for (int i = 0; i < g_ruleCount; ++i)
        if (g_rules[i].skip > 0 || g_rules[i].times != 0) g_rules[kept++] = g_rules[i];
    g_ruleCount = kept;
}

}  // namespace

void ProxyLock(void) { EnterCriticalSection(&g_lock); }
void ProxyUnlock(void) { LeaveCriticalSection(&g_lock); }

void ProxyInitState(void) { InitializeCriticalSection(&g_lock); }

FaultAction FaultDecide(const char* call, HRESULT* code) {
    int index = CallIndex(call);
    if (index < 0) return kFaultPass;
    FaultAction action = kFaultPass;
    ProxyLock();
    g_counts[index]++;
    int ruled = 0;
    for (int i = 0; i < g_ruleCount; ++i) {
        FailRule* r = &g_rules[i];
        if (r->call != index || (r->skip == 0 && r->times == 0)) continue;
        ruled = 1;
        if (r->skip > 0) {
            r->skip--;
        } else {
            if (r->times > 0) r->times--;
            *code = r->code;
            action = ActionFor(r->code);
        }
        break;
    }
    DropFinishedRules();
    if (!ruled) {
        RandomRule* r = g_random[index].on ? &g_random[index] : g_randomAll.on ? &g_randomAll : nullptr;
        if (r && RandomHit(r)) {
            *code = r->code;
            action = ActionFor(r->code);
        }
    }
    ProxyUnlock();
    return action;
}

void FaultLog(const char* format, ...) {
    char line[600];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof(line) - 1, format, args);
    va_end(args);
    if (n < 0) return;
    if ((size_t)n > sizeof(line) - 2) n = (int)sizeof(line) - 2;
    line[n++] = '\n';
    line[n] = '\0';
    ProxyLock();
    if (!g_logFull) {
        if (g_logLength + n + sizeof(kLogFullLine) <= kLogCapacity) {
            memcpy(g_log + g_logLength, line, (size_t)n);
            g_logLength += (size_t)n;
        } else {
            memcpy(g_log + g_logLength, kLogFullLine, sizeof(kLogFullLine) - 1);
            g_logLength += sizeof(kLogFullLine) - 1;
            g_logFull = 1;
            fprintf(stderr, "dsound proxy: call log full (%u bytes)\n", (unsigned)kLogCapacity);
        }
    }
    ProxyUnlock();
}

void FaultFormatWave(const WAVEFORMATEX* f, char* out, size_t size) {
    if (!f) {
        snprintf(out, size, "null");
        return;
    }
    snprintf(out, size, "%u/%u/%lu/%lu/%u/%u/%u", f->wFormatTag, f->nChannels, f->nSamplesPerSec,
             f->nAvgBytesPerSec, f->nBlockAlign, f->wBitsPerSample, f->cbSize);
}

DWORD FaultBufferLimit(void) {
    ProxyLock();
    DWORD limit = g_bufferLimit;
    ProxyUnlock();
    return limit;
}

int FaultNextDeviceId(void) {
    ProxyLock();
    int id = ++g_devices;
    ProxyUnlock();
    return id;
}

int FaultNextBufferId(void) {
    ProxyLock();
    int id = ++g_buffers;
    ProxyUnlock();
    return id;
}

// ---- control interface, exported undecorated ----

extern "C" void __cdecl KvoFaultReset(void) {
    ProxyLock();
    g_ruleCount = 0;
    memset(g_random, 0, sizeof(g_random));
    memset(&g_randomAll, 0, sizeof(g_randomAll));
    memset(g_counts, 0, sizeof(g_counts));
    g_logLength = 0;
    g_logFull = 0;
    g_devices = 0;
    g_buffers = 0;
    g_bufferLimit = 0;
    ProxyUnlock();
    MarkBuffersLost(0);
}

extern "C" void __cdecl KvoFaultFail(const char* call, long code, int skip, int times) {
    int index = CallIndex(call);
    if (index < 0) {
        UnknownCall("KvoFaultFail", call);
        return;
    }
    ProxyLock();
    DropFinishedRules();
    if (g_ruleCount < kMaxRules) {
        FailRule* r = &g_rules[g_ruleCount++];
        r->call = index;
        r->code = (HRESULT)code;
        r->skip = skip > 0 ? skip : 0;
        r->times = times < 0 ? -1 : times;
    } else {
        fprintf(stderr, "dsound proxy: KvoFaultFail: more than %d rules, \"%s\" ignored\n", kMaxRules, call);
    }
    ProxyUnlock();
}

extern "C" void __cdecl KvoFaultRandom(const char* call, unsigned seed, int permille, long code) {
    RandomRule* r = &g_randomAll;
    if (call) {
        int index = CallIndex(call);
        if (index < 0) {
            UnknownCall("KvoFaultRandom", call);
            return;
        }
        r = &g_random[index];
    }
    ProxyLock();
    r->on = permille > 0;
    r->state = seed;
    r->permille = permille > 1000 ? 1000 : permille;
    r->code = (HRESULT)code;
    ProxyUnlock();
}

extern "C" void __cdecl KvoFaultSetLost(int lost) { MarkBuffersLost(lost ? 1 : 0); }

extern "C" int __cdecl KvoFaultCount(const char* call) {
    int index = CallIndex(call);
    if (index < 0) return UnknownCall("KvoFaultCount", call);
    ProxyLock();
    int n = g_counts[index];
    ProxyUnlock();
    return n;
}

extern "C" int __cdecl KvoFaultLog(char* out, int size) {
    ProxyLock();
    size_t length = g_logLength;
    if (out && size > 0) {
        size_t n = length < (size_t)size - 1 ? length : (size_t)size - 1;
        memcpy(out, g_log, n);
        out[n] = '\0';
    }
    ProxyUnlock();
    return (int)length;
}

extern "C" void __cdecl KvoFaultBufferLimit(unsigned long bytes) {
    ProxyLock();
    g_bufferLimit = bytes;
    ProxyUnlock();
}

extern "C" int __cdecl KvoFaultLiveObjects(void) { return (int)g_proxyLiveObjects; }
