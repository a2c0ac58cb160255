// fuzz: the built module fed mutated WAV and INI files through the
// simulator stand-in, all in one process. Every WAV case is loaded and
// played in a slot of its own; every INI case starts a fresh copy of the
// module on a Sound gauge and commands its first slots. A case must play,
// or fail with its boxes and the ErrorFlag value in its variable; a crash, a
// hang (caught by a watchdog) or a damaged heap ends the run. Failing cases
// are saved with their seed and recipe and can be replayed one by one.
//   fuzz [COUNT] [SEED]      COUNT WAV cases and COUNT / 5 INI cases
//   fuzz --replay FILE       one saved case (.wav or .ini) again
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "host/host.h"
#include "module/startup_frames.h"
#include "tools/common/module_session.h"
#include "tools/common/paths.h"
#include "tools/common/wav_files.h"
#include "tools/fuzz/mutate.h"

namespace {

const int kErrorFlag = -7;
const std::string kLoadFailedBox = "LSF - Load Sound File Failed\n";  // then the WAV path
const int kWavBatch = 100;      // WAV cases per module start
const DWORD kMixMillis = 12;    // a case that plays is left to the mixer this long
const DWORD kHangMillis = 30000;

std::string workFolder;
std::string failFolder;

// The case under way, for the crash handler and the watchdog: fixed
// buffers, written before the case starts.
struct CurrentCase {
    char label[96];
    char file[MAX_PATH];
    char extension[8];
    char recipe[1024];
    volatile DWORD startedAt;
    volatile LONG busy;
};
CurrentCase current;

struct Tally {
    int cases = 0;
    int played = 0;
    int refused = 0;
    int failures = 0;
    std::map<std::string, int> refusals;  // by the box's location and status
    double seconds = 0;
};

double Seconds() { return Now() / 1e6; }

bool WriteBytes(const std::string& path, const fuzz::Bytes& bytes) {
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return fclose(out) == 0 && written;
}

bool ReadBytes(const std::string& path, fuzz::Bytes* bytes) {
    FILE* in = fopen(path.c_str(), "rb");
    if (in == nullptr) return false;
    unsigned char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, in)) > 0) bytes->insert(bytes->end(), block, block + got);
    fclose(in);
    return true;
}

// A path under wine's drive Z: as the shell sees it, for the notes; no
// allocation, as the crash handler uses it.
void ShellPath(const char* path, char* out, size_t size) {
    bool driveZ = (path[0] == 'Z' || path[0] == 'z') && path[1] == ':';
    snprintf(out, size, "%s", driveZ ? path + 2 : path);
    for (char* c = out; driveZ && *c != '\0'; ++c)
        if (*c == '\\') *c = '/';
}

// Copies the current case's file into the failure folder with a note of
// why, its recipe and how to replay it. Safe to call from the crash handler.
void SaveCurrentCase(const char* why) {
    CreateDirectoryA(failFolder.c_str(), nullptr);
    char saved[MAX_PATH], note[MAX_PATH];
    snprintf(saved, sizeof saved, "%s\\%s%s", failFolder.c_str(), current.label, current.extension);
    snprintf(note, sizeof note, "%s\\%s.txt", failFolder.c_str(), current.label);
    CopyFileA(current.file, saved, FALSE);
    char shown[MAX_PATH];
    ShellPath(saved, shown, sizeof shown);
    FILE* out = fopen(note, "w");
    if (out != nullptr) {
        fprintf(out, "%s\n%s\nrecipe: %s\nreplay: bash scripts/fuzz --replay %s\n", current.label, why,
                current.recipe, shown);
        fclose(out);
    }
    fprintf(stderr, "FAILED %s: %s\n  recipe: %s\n  replay: bash scripts/fuzz --replay %s\n", current.label, why,
            current.recipe, shown);
    fflush(stderr);
}

void BeginCase(const std::string& label, const std::string& file, const char* extension, const std::string& recipe) {
    snprintf(current.label, sizeof current.label, "%s", label.c_str());
    snprintf(current.file, sizeof current.file, "%s", file.c_str());
    snprintf(current.extension, sizeof current.extension, "%s", extension);
    snprintf(current.recipe, sizeof current.recipe, "%s", recipe.c_str());
    current.startedAt = GetTickCount();
    InterlockedExchange(&current.busy, 1);
}

void EndCase() { InterlockedExchange(&current.busy, 0); }

// A crash anywhere in the process, the mixer's thread included.
LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    char why[64];
    snprintf(why, sizeof why, "crash, exception 0x%08lX", info->ExceptionRecord->ExceptionCode);
    SaveCurrentCase(why);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watchdog(void*) {
    for (;;) {
        Sleep(500);
        if (current.busy && GetTickCount() - current.startedAt > kHangMillis) {
            SaveCurrentCase("hang: the case ran longer than 30 s");
            TerminateProcess(GetCurrentProcess(), 4);
        }
    }
}

// A write outside a heap block shows as a damaged heap.
bool HeapsIntact() {
    HANDLE heaps[256];
    DWORD count = GetProcessHeaps(256, heaps);
    for (DWORD i = 0; i < count && i < 256; ++i)
        if (!HeapValidate(heaps[i], 0, nullptr)) return false;
    return true;
}

std::string SlotVar(int slot) {
    char name[32];
    snprintf(name, sizeof name, "kvo_xml_id_%02d", slot);
    return name;
}

// "location N, 0xCODE" from an error report's text; empty when it is none.
std::string ReportKind(const std::string& text) {
    size_t location = text.find("\nLocation ");
    size_t code = text.find("\nFull Error Code ");
    if (location == std::string::npos || code == std::string::npos) return "";
    int number = atoi(text.c_str() + location + 10);
    std::string hex = text.substr(code + 17, text.find('\n', code + 1) - code - 17);
    return "location " + std::to_string(number) + ", " + hex;
}

bool StartModuleOn(const std::string& ini) {
    Session session;
    if (!OpenSession(ini, &session)) return false;
    host::RunFrames(kFramesToServe);
    return true;
}

struct WavItem {
    std::string label;
    fuzz::Case wav;
};

// Judges one commanded slot. Played: the variable holds 1 (or 0, already
// over) and no box came. Refused: the load's error report, then the "LSF"
// box naming the file, and kErrorFlag in the variable. Returns "" or why
// the case failed; `kind` gets the refusal's kind.
std::string JudgeSlot(double value, const std::vector<host::MessageBoxRecord>& boxes, const std::string& wavPath,
                      std::string* kind) {
    kind->clear();
    if (boxes.empty()) {
        if (value == 1.0 || value == 0.0) return "";
        return "no box, but the variable reads " + std::to_string(value);
    }
    if (value != kErrorFlag) return "a box, but the variable reads " + std::to_string(value);
    if (boxes.size() != 2) return std::to_string(boxes.size()) + " boxes";
    *kind = ReportKind(boxes[0].text);
    if (kind->empty()) return "the first box is no error report: " + boxes[0].text;
    if (boxes[1].text != kLoadFailedBox + wavPath) return "the second box reads " + boxes[1].text;
    return "";
}

void Fail(Tally* tally, const std::string& why) {
    ++tally->failures;
    SaveCurrentCase(why.c_str());
}

// "\cNNN.wav": the file of a batch's case i, in the batch's folder.
std::string CaseFileName(size_t i) {
    char name[32];
    snprintf(name, sizeof name, "\\c%03d.wav", static_cast<int>(i));
    return name;
}

bool RunWavBatch(const std::vector<WavItem>& items, Tally* tally) {
    std::string folder = workFolder + "\\wav";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string ini = "[Config]\nMaxSounds=" + std::to_string(items.size()) +
                      "\nErrorFlag=" + std::to_string(kErrorFlag) + "\n[Sounds]\n";
    for (size_t i = 0; i < items.size(); ++i) {
        char key[16];
        snprintf(key, sizeof key, "Sound%02d=", static_cast<int>(i));
        ini += key + CaseFileName(i).substr(1) + "\n";
    }
    std::string iniPath = folder + "\\fuzz.ini";
    // A case file that cannot be written would be judged as the module's refusal.
    bool written = WriteBytes(iniPath, fuzz::Bytes(ini.begin(), ini.end()));
    for (size_t i = 0; i < items.size(); ++i) written = WriteBytes(folder + CaseFileName(i), items[i].wav.bytes) && written;
    if (!written) {
        fprintf(stderr, "the cases cannot be written into %s\n", folder.c_str());
        return false;
    }
    if (!StartModuleOn(iniPath) || host::VariableValue("VoiceAvailable") != 1.0) {
        fprintf(stderr, "the module did not start its audio\n");
        return false;
    }

    for (size_t i = 0; i < items.size(); ++i) {
        std::string path = folder + CaseFileName(i);
        BeginCase(items[i].label, path, ".wav", items[i].wav.recipe);
        ++tally->cases;
        host::ClearMessageBoxes();
        std::string slot = SlotVar(static_cast<int>(i));
        host::SetVariable(slot.c_str(), 1);
        host::RunFrame();
        std::string kind;
        std::string why = JudgeSlot(host::VariableValue(slot.c_str()), host::MessageBoxes(), path, &kind);
        if (why.empty() && kind.empty()) {
            ++tally->played;
            Sleep(kMixMillis);
            host::SetVariable(slot.c_str(), 0);
            host::RunFrame();
            if (host::VariableValue(slot.c_str()) != 0.0 || !host::MessageBoxes().empty())
                why = "stopping it did not leave 0 without a box";
        } else if (why.empty()) {
            ++tally->refused;
            ++tally->refusals[kind];
        }
        if (why.empty() && !HeapsIntact()) why = "a heap is damaged";
        if (!why.empty()) Fail(tally, why);
        EndCase();
    }
    BeginCase(items.back().label + "-shutdown", iniPath, ".ini", "the module's shut-down after the batch");
    CloseSession();
    EndCase();
    return true;
}

bool RunWavCases(uint64_t seed, int count, Tally* tally) {
    double start = Seconds();
    for (int first = 0; first < count; first += kWavBatch) {
        std::vector<WavItem> items;
        for (int i = first; i < count && i < first + kWavBatch; ++i) {
            char label[64];
            snprintf(label, sizeof label, "wav-seed%llu-case%d", static_cast<unsigned long long>(seed), i);
            items.push_back({label, fuzz::MakeWavCase(fuzz::CaseSeed(seed, static_cast<uint64_t>(i)))});
        }
        if (!RunWavBatch(items, tally)) return false;
    }
    tally->seconds = Seconds() - start;
    return true;
}

// The first slots of a configuration: each one that the module registered
// is commanded to play; its name and ErrorFlag are read as the module reads
// them, through the same profile functions.
void RunIniCase(const std::string& label, const fuzz::Case& iniCase, Tally* tally) {
    std::string folder = workFolder + "\\ini";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string iniPath = folder + "\\fuzz.ini";
    bool written = WriteBytes(iniPath, iniCase.bytes);
    BeginCase(label, iniPath, ".ini", iniCase.recipe);
    ++tally->cases;
    if (!written) {
        Fail(tally, "the case cannot be written");
        EndCase();
        return;
    }
    if (!StartModuleOn(iniPath)) {
        Fail(tally, "the module did not load");
        EndCase();
        return;
    }
    std::vector<std::string> registered = host::VariableNames();
    double errorFlag = static_cast<double>(static_cast<int>(GetPrivateProfileIntA("Config", "ErrorFlag", -1, iniPath.c_str())));
    if (errorFlag >= 1 && errorFlag <= 99) errorFlag = -1;
    std::string why;
    std::vector<std::string> commanded;
    auto listed = [](const std::vector<std::string>& names, const std::string& var) {
        for (const std::string& n : names)
            if (lstrcmpiA(n.c_str(), var.c_str()) == 0) return true;
        return false;
    };
    for (int slot = 0; slot < fuzz::kIniSlots && why.empty(); ++slot) {
        char key[16], name[128];
        snprintf(key, sizeof key, "Lvar%02d", slot);
        GetPrivateProfileStringA("LVars", key, "", name, sizeof name, iniPath.c_str());
        std::string var = name[0] != '\0' ? name : SlotVar(slot);
        // A variable two slots share was commanded with the first of them;
        // a slot of the two that failed then shows ErrorFlag with no new box.
        if (!listed(registered, var) || listed(commanded, var)) continue;
        commanded.push_back(var);
        host::ClearMessageBoxes();
        host::SetVariable(var.c_str(), 1);
        host::RunFrame();
        double value = host::VariableValue(var.c_str());
        std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
        if (boxes.empty() && (value == 1.0 || value == 0.0)) {
            ++tally->played;
        } else if (!boxes.empty() && value == errorFlag && boxes.back().text.compare(0, kLoadFailedBox.size(), kLoadFailedBox) == 0) {
            ++tally->refused;
            // One box alone: another slot named the same file, which failed before.
            ++tally->refusals[boxes.size() == 2 ? ReportKind(boxes[0].text) : "a file failed before, 1 box"];
        } else {
            why = "slot " + std::to_string(slot) + " (" + var + ") reads " + std::to_string(value) + " after " +
                  std::to_string(boxes.size()) + " boxes";
        }
        host::SetVariable(var.c_str(), 0);
        host::RunFrame();
    }
    CloseSession();
    if (why.empty() && !HeapsIntact()) why = "a heap is damaged";
    if (!why.empty()) Fail(tally, why);
    EndCase();
}

void RunIniCases(uint64_t seed, int count, Tally* tally) {
    double start = Seconds();
    for (int i = 0; i < count; ++i) {
        char label[64];
        snprintf(label, sizeof label, "ini-seed%llu-case%d", static_cast<unsigned long long>(seed), i);
        RunIniCase(label, fuzz::MakeIniCase(fuzz::CaseSeed(seed ^ 0x1A1, static_cast<uint64_t>(i)), "good.wav"), tally);
    }
    tally->seconds = Seconds() - start;
}

void PrintTally(const char* what, const Tally& tally, const char* played) {
    printf("%s: %d cases in %.1f s: %d %s, %d refused, %d failures\n", what, tally.cases, tally.seconds,
           tally.played, played, tally.refused, tally.failures);
    for (const auto& kind : tally.refusals) printf("  refused at %s: %d\n", kind.first.c_str(), kind.second);
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    failFolder = FolderOf(FolderOf(std::string(self, length))) + "\\fuzz-failures";
    workFolder = MakeWorkFolder();
    CreateDirectoryA((workFolder + "\\ini").c_str(), nullptr);
    // A tenth of a second of 16-bit stereo: the sound every INI case names.
    if (!WriteSquareWav(workFolder + "\\ini\\good.wav", 2205 * 4)) {
        fprintf(stderr, "cannot write in %s\n", workFolder.c_str());
        return 2;
    }
    SetUnhandledExceptionFilter(OnCrash);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));

    Tally wav, ini;
    bool ok = true;
    if (argc == 3 && strcmp(argv[1], "--replay") == 0) {
        fuzz::Case saved;
        if (!ReadBytes(argv[2], &saved.bytes)) {
            fprintf(stderr, "cannot read %s\n", argv[2]);
            return 2;
        }
        saved.recipe = "replay of " + std::string(argv[2]);
        std::string path = argv[2];
        bool isIni = path.size() > 4 && lstrcmpiA(path.c_str() + path.size() - 4, ".ini") == 0;
        double start = Seconds();
        if (isIni) RunIniCase("replay", saved, &ini);
        else ok = RunWavBatch({{"replay", saved}}, &wav);
        (isIni ? ini : wav).seconds = Seconds() - start;
    } else {
        int count = argc > 1 ? atoi(argv[1]) : 1000;
        uint64_t seed = argc > 2 ? strtoull(argv[2], nullptr, 10) : 1;
        printf("fuzz: seed %llu, %d WAV and %d INI cases\n", static_cast<unsigned long long>(seed), count, count / 5);
        ok = RunWavCases(seed, count, &wav);
        RunIniCases(seed, count / 5, &ini);
    }
    PrintTally("WAV", wav, "played");
    PrintTally("INI", ini, "slots played");
    if (wav.failures + ini.failures > 0) {
        char shown[MAX_PATH];
        ShellPath(failFolder.c_str(), shown, sizeof shown);
        printf("failing cases saved in %s\n", shown);
    }
    for (const char* sub : {"\\wav", "\\ini", ""}) RemoveWorkFolder(workFolder + sub);
    return ok && wav.failures + ini.failures == 0 ? 0 : 1;
}
