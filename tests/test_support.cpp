#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

std::string TestProgramFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/"));
}

std::vector<std::string> NamesOf(const char* op) {
    std::vector<std::string> names;
    for (const host::ServiceCall& call : host::CallsOf(op)) names.push_back(call.name);
    return names;
}

std::vector<std::string> RegisteredNames() { return NamesOf("register"); }

void ModuleTest::SetUp() {
    host::Reset();
    host::ClearMessageBoxes();
    host::RunWhileBoxOpen(nullptr);
    ASSERT_TRUE(host::LoadModule((TestProgramFolder() + "\\kvo_sound.dll").c_str()));
}

void ModuleTest::Start() {
    host::StartModule();
    started_ = true;
}

void ModuleTest::TearDown() {
    host::KillGauges();
    if (started_) host::StopModule();
    host::UnloadModule();
}

std::string MakeTempFolder(const char* prefix) {
    static int serial = 0;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char folder[MAX_PATH];
    snprintf(folder, sizeof folder, "%s%s_%lu_%d", base, prefix, GetCurrentProcessId(), ++serial);
    CreateDirectoryA(folder, nullptr);
    return folder;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

void CopyTree(const std::string& from, const std::string& to) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << from;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CreateDirectoryA((to + "\\" + name).c_str(), nullptr);
            CopyTree(from + "\\" + name, to + "\\" + name);
        } else {
            ASSERT_TRUE(CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE)) << name;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string SlotVar(int slot) {
    char name[32];
    snprintf(name, sizeof name, "kvo_xml_id_%02d", slot);
    return name;
}

double Slot(int slot) { return host::VariableValue(SlotVar(slot).c_str()); }

void Command(int slot, double value) { host::SetVariable(SlotVar(slot).c_str(), value); }
