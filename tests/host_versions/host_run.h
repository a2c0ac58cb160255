// Test hosts of several simulator versions: the module loaded black-box,
// started, and run with one Sound gauge up to its audio start-up.
#pragma once

#include <fstream>
#include <string>

#include "host/simconnect/simconnect_double.h"
#include "tests/test_support.h"

// Pre-updates from the configuration load to the audio start-up, inclusive.
const int kFramesToAudioStartup = 11;

class HostRunTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        folder_ = MakeTempFolder("kvo_host");
        SetEnvironmentVariableA("APPDATA", folder_.c_str());  // no device file
        ini_ = folder_ + "\\sound.ini";
        std::ofstream(ini_.c_str()) << "[Config]\nMaxSounds=1\n";
        host::CreateSimWindow();
        // A stand-in client library an earlier case loaded starts afresh.
        HMODULE library = GetModuleHandleA("SimConnect.dll");
        if (library != nullptr) {
            auto reset = reinterpret_cast<decltype(&ScdReset)>(
                reinterpret_cast<void*>(GetProcAddress(library, "ScdReset")));
            if (reset != nullptr) reset();
        }
    }
    void TearDown() override {
        ModuleTest::TearDown();
        RemoveTree(folder_);
    }
    // One Sound gauge, then every pre-update but the one of the audio start-up.
    void StartAndRunToAudioStartup() {
        if (!started_) Start();
        host::AddGauge("Sound", ini_.c_str());
        host::RunFrames(kFramesToAudioStartup - 1);
    }
    // The frame of the audio start-up; true when the engine runs after it
    // (the running cycle writes "FSSimIsPaused").
    bool RunAudioStartupFrame() {
        size_t before = host::CallsOf("set").size();
        host::RunFrame();
        std::vector<host::ServiceCall> sets = host::CallsOf("set");
        for (size_t i = before; i < sets.size(); ++i)
            if (sets[i].name == "FSSimIsPaused") return true;
        return false;
    }
    void StartAndRun() {
        StartAndRunToAudioStartup();
        ASSERT_TRUE(RunAudioStartupFrame()) << "the engine did not start";
    }

    std::string folder_;
    std::string ini_;
};
