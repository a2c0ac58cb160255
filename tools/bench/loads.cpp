// Configuration load and sound load, each beside a plain read of its file.
// The configuration frame is split into the time spent in the profile
// functions, in the host's services, and the rest.
#include <stdio.h>

#include "host/host.h"
#include "tools/bench/bench.h"
#include "tools/bench/sections.h"

namespace bench {

namespace {

const int kLoadRepetitions = 5;
// The sound load is short and the machine may be busy: more samples.
const int kSoundRepetitions = 15;

typedef DWORD(WINAPI* ProfileStringProc)(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR);
typedef UINT(WINAPI* ProfileIntProc)(LPCSTR, LPCSTR, INT, LPCSTR);
ProfileStringProc realProfileString;
ProfileIntProc realProfileInt;
double profileMicros = 0;
int profileCalls = 0;

DWORD WINAPI TimedProfileString(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out, DWORD size, LPCSTR file) {
    double start = Now();
    DWORD result = realProfileString(section, key, fallback, out, size, file);
    profileMicros += Now() - start;
    ++profileCalls;
    return result;
}

UINT WINAPI TimedProfileInt(LPCSTR section, LPCSTR key, INT fallback, LPCSTR file) {
    double start = Now();
    UINT result = realProfileInt(section, key, fallback, file);
    profileMicros += Now() - start;
    ++profileCalls;
    return result;
}

// The host's named-variable services, timed.
PanelServices realServices;
double hostMicros = 0;

int32_t HOST_API TimedCheck(const char* name) {
    double start = Now();
    int32_t id = realServices.check_named_variable(name);
    hostMicros += Now() - start;
    return id;
}
int32_t HOST_API TimedRegister(const char* name) {
    double start = Now();
    int32_t id = realServices.register_named_variable(name);
    hostMicros += Now() - start;
    return id;
}
void HOST_API TimedSet(int32_t id, double value) {
    double start = Now();
    realServices.set_named_variable_value(id, value);
    hostMicros += Now() - start;
}

void TimeHostServices() {
    PanelServices* services = host::Services();
    realServices = *services;
    services->check_named_variable = TimedCheck;
    services->register_named_variable = TimedRegister;
    services->set_named_variable_value = TimedSet;
}

double Median(const std::vector<double>& samples) { return Summarize(samples).median; }

// One profile read of a key, straight from the platform: median of 50.
double ProfileReadMicros(const std::string& config, const char* section, const char* key) {
    std::vector<double> samples;
    char value[128];
    for (int i = 0; i < 50; ++i) {
        double start = Now();
        GetPrivateProfileStringA(section, key, "", value, sizeof value, config.c_str());
        samples.push_back(Now() - start);
    }
    return Median(samples);
}

void ProfileReadRow(const std::string& folder, int slots) {
    std::string config = PrepareConfig(folder, slots);
    char last[16];
    snprintf(last, sizeof last, "Lvar%02d", slots - 1);
    printf("%6d %12.1f %12.1f %12.1f\n", slots, ProfileReadMicros(config, "Config", "MaxSounds"),
           ProfileReadMicros(config, "LVars", last), ProfileReadMicros(config, "LVars", "Absent"));
}

bool ConfigLoadRow(const std::string& folder, int slots) {
    std::string config = PrepareConfig(folder, slots);
    std::vector<double> total, inProfile, inHost, plain;
    int calls = 0;
    for (int i = 0; i < kLoadRepetitions; ++i) {
        plain.push_back(PlainRead(config));
        Session session;
        session.slots = slots;
        if (!OpenSession(config, &session)) {
            CloseSession();
            return false;
        }
        realProfileString = reinterpret_cast<ProfileStringProc>(RedirectImport(
            host::Module(), "kernel32.dll", "GetPrivateProfileStringA", reinterpret_cast<void*>(TimedProfileString)));
        realProfileInt = reinterpret_cast<ProfileIntProc>(RedirectImport(
            host::Module(), "kernel32.dll", "GetPrivateProfileIntA", reinterpret_cast<void*>(TimedProfileInt)));
        if (realProfileString == nullptr || realProfileInt == nullptr) {
            printf("the module imports no profile functions\n");
            CloseSession();
            return false;
        }
        TimeHostServices();
        profileMicros = hostMicros = 0;
        profileCalls = 0;
        total.push_back(PreUpdate(session));  // the frame that reads the configuration
        inProfile.push_back(profileMicros);
        inHost.push_back(hostMicros);
        calls = profileCalls;
        bool served = RunUntilServing(&session);
        CloseSession();
        if (!served) {
            printf("%6d  the module did not start serving its slots after its configuration\n", slots);
            return false;
        }
    }
    double t = Median(total), p = Median(inProfile), h = Median(inHost), r = Median(plain);
    printf("%6d %6d %10.0f %10.0f %10.2f %10.0f %10.0f %10.0f %8.1f %8.2f\n", slots, calls, t, p,
           calls > 0 ? p / calls : 0, h, t - p - h, r, r > 0 ? t / r : 0, t / slots);
    return true;
}

}  // namespace

std::string PrepareConfig(const std::string& folder, int slots) {
    // Short sounds: what is measured is the module's work per slot.
    for (int i = 0; i < slots; ++i) {
        char name[32];
        snprintf(name, sizeof name, "\\sound%02d.wav", i);
        std::string path = folder + name;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) WriteSquareWav(path, 4410 * 4);
    }
    char name[32];
    snprintf(name, sizeof name, "\\bench%d.ini", slots);
    std::string path = folder + name;
    // Written once: a file just written makes the platform read it afresh.
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) WriteConfig(path, slots);
    return path;
}

bool RunConfigLoad(const std::string& folder) {
    printf("Configuration load: the frame that reads the INI, microseconds, median of %d\n", kLoadRepetitions);
    printf("%6s %6s %10s %10s %10s %10s %10s %10s %8s %8s\n", "slots", "keys", "frame", "profile", "per key",
           "host", "rest", "plain read", "x read", "per slot");
    bool ok = true;
    for (int slots : {10, 100, 1000}) ok = ConfigLoadRow(folder, slots) && ok;
    printf("\nOne GetPrivateProfileStringA of the same files, microseconds, median of 50\n");
    printf("%6s %12s %12s %12s\n", "slots", "first key", "last key", "absent key");
    for (int slots : {10, 100, 1000}) ProfileReadRow(folder, slots);
    printf("\n");
    return ok;
}

bool RunSoundLoad(const std::string& folder) {
    const uint32_t kBytes = 20u * 1024 * 1024;
    std::string wav = folder + "\\sound00.wav";
    std::string config = folder + "\\big.ini";
    // One slot whose sound is 20 MB, in a folder of its own.
    std::string bigFolder = folder + "\\big";
    CreateDirectoryA(bigFolder.c_str(), nullptr);
    wav = bigFolder + "\\sound00.wav";
    config = bigFolder + "\\bench1.ini";
    if (!WriteSquareWav(wav, kBytes) || !WriteConfig(config, 1)) {
        printf("Sound load: cannot write %s\n\n", wav.c_str());
        return false;
    }
    Session session;
    session.slots = 1;
    bool ok = OpenSession(config, &session) && RunUntilServing(&session);
    std::vector<double> load, plain;
    for (int i = 0; ok && i < kSoundRepetitions; ++i) {
        plain.push_back(PlainRead(wav));
        SetAllCommands(session, 4);  // loads the sound, reports its volume
        load.push_back(PreUpdate(session));
        ok = SlotsNotAt(session, 0) == 0 && host::MessageBoxes().empty();
        SetAllCommands(session, 10);  // unloads it
        PreUpdate(session);
    }
    CloseSession();
    RemoveWorkFolder(bigFolder);
    printf("Sound load: a %u-byte WAV through one slot (command 4), milliseconds, median of %d\n",
           kBytes + 44, kSoundRepetitions);
    if (!ok) {
        printf("the sound did not load\n\n");
        return false;
    }
    double l = Median(load) / 1000, r = Median(plain) / 1000;
    printf("%12s %12s %8s\n", "load frame", "plain read", "x read");
    printf("%12.1f %12.1f %8.2f\n\n", l, r, r > 0 ? l / r : 0);
    return true;
}

}  // namespace bench
