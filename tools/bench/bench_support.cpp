#include "tools/bench/bench.h"

#include <algorithm>
#include <stdio.h>
#include <string.h>

#include "host/host.h"

namespace bench {

Summary Summarize(std::vector<double> samples) {
    if (samples.empty()) return {0, 0};
    std::sort(samples.begin(), samples.end());
    size_t n = samples.size();
    // Nearest rank: the smallest sample with at least p of all at or below it.
    size_t medianRank = (n + 1) / 2;
    size_t p99Rank = (n * 99 + 99) / 100;
    return {samples[medianRank - 1], samples[p99Rank - 1]};
}

void* RedirectImport(HMODULE module, const char* dll, const char* function, void* replacement) {
    BYTE* base = reinterpret_cast<BYTE*>(module);
    IMAGE_DOS_HEADER* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    IMAGE_NT_HEADERS* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    IMAGE_DATA_DIRECTORY dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return nullptr;
    void* previous = nullptr;
    for (IMAGE_IMPORT_DESCRIPTOR* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         desc->Name != 0; ++desc) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + desc->Name), dll) != 0) continue;
        IMAGE_THUNK_DATA* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (desc->OriginalFirstThunk != 0 ? desc->OriginalFirstThunk : desc->FirstThunk));
        IMAGE_THUNK_DATA* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++entries) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            IMAGE_IMPORT_BY_NAME* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(byName->Name), function) != 0) continue;
            DWORD old = 0;
            VirtualProtect(&entries->u1.Function, sizeof entries->u1.Function, PAGE_READWRITE, &old);
            previous = reinterpret_cast<void*>(entries->u1.Function);
            entries->u1.Function = reinterpret_cast<uintptr_t>(replacement);
            VirtualProtect(&entries->u1.Function, sizeof entries->u1.Function, old, &old);
        }
    }
    return previous;
}

namespace {

bool WriteAll(const std::string& path, const std::string& text) {
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool written = fwrite(text.data(), 1, text.size(), out) == text.size();
    return fclose(out) == 0 && written;
}

}  // namespace

std::string CommandName(int slot) {
    char name[32];
    snprintf(name, sizeof name, "bench_cmd_%02d", slot);
    return name;
}

bool WriteConfig(const std::string& path, int slots) {
    char line[64];
    snprintf(line, sizeof line, "[Config]\r\nMaxSounds=%d\r\n\r\n[Sounds]\r\n", slots);
    std::string text = line;
    for (int i = 0; i < slots; ++i) {
        snprintf(line, sizeof line, "Sound%02d=sound%02d.wav\r\n", i, i);
        text += line;
    }
    text += "\r\n[LVars]\r\n";
    for (int i = 0; i < slots; ++i) {
        snprintf(line, sizeof line, "Lvar%02d=%s\r\n", i, CommandName(i).c_str());
        text += line;
    }
    return WriteAll(path, text);
}

double PlainRead(const std::string& path) {
    double start = Now();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    DWORD size = GetFileSize(file, nullptr);
    std::vector<uint8_t> data(size > 0 ? size : 1);
    DWORD got = 0;
    BOOL ok = ReadFile(file, data.data(), size, &got, nullptr);
    CloseHandle(file);
    double elapsed = Now() - start;
    return ok && got == size ? elapsed : -1;
}

bool RunUntilServing(Session* session) {
    for (int frame = 0; frame < 40; ++frame) {
        PreUpdate(*session);
        // A serving frame ends by writing the simulator's pause state.
        for (const host::ServiceCall& call : host::Calls()) {
            if (call.op != "set" || call.name != "FSSimIsPaused") continue;
            session->commandIds.clear();
            for (int i = 0; i < session->slots; ++i) {
                int32_t id = host::FindVariable(CommandName(i).c_str());
                if (id <= 0) return false;
                session->commandIds.push_back(id);
            }
            return true;
        }
    }
    return false;
}

void SetAllCommands(const Session& session, double value) {
    PanelServices* services = host::Services();
    for (int32_t id : session.commandIds) services->set_named_variable_value(id, value);
    host::ClearCalls();
}

int SlotsNotAt(const Session& session, double value) {
    int count = 0;
    PanelServices* services = host::Services();
    for (int32_t id : session.commandIds)
        if (services->get_named_variable_value(id) != value) ++count;
    host::ClearCalls();
    return count;
}

}  // namespace bench
