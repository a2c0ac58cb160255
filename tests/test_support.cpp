#include "tests/test_support.h"

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
