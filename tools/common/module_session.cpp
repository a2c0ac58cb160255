#include "tools/common/module_session.h"

#include <windows.h>
#include <stdio.h>

#include "host/host.h"
#include "tools/common/paths.h"

namespace {

double simClock = 0;

}  // namespace

double Now() {
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

std::string MakeWorkFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char folder[MAX_PATH];
    snprintf(folder, sizeof folder, "%skvo_bench_%lu", base, GetCurrentProcessId());
    CreateDirectoryA(folder, nullptr);
    return folder;
}

void RemoveWorkFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string ModulePath() {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    return FolderOf(std::string(self, length)) + "\\kvo_sound.dll";
}

bool OpenSession(const std::string& configPath, Session* session) {
    host::Reset();
    host::ClearMessageBoxes();
    if (!host::LoadModule(ModulePath().c_str())) return false;
    host::StartModule();
    session->gauge = host::AddGauge("Sound", configPath.c_str());
    session->commandIds.clear();
    return session->gauge >= 0;
}

void CloseSession() {
    host::KillGauges();
    host::StopModule();
    host::UnloadModule();
    host::ClearCalls();
}

double PreUpdate(const Session& session) {
    host::SetModuleVarValue(host::kSimClockToken, ++simClock);
    host::ClearCalls();
    double start = Now();
    host::CallService(session.gauge, kServicePreUpdate, 0);
    return Now() - start;
}
