// A version-9 host: the time of day and the sound status come from its
// GLOBAL.DLL, our stand-in loaded by the host when a case wants it.
#include "host/global_dll/global_dll.h"
#include "tests/host_versions/host_run.h"

namespace {

class Version9Test : public HostRunTest {
protected:
    void TearDown() override {
        HostRunTest::TearDown();
        if (global_ != nullptr) FreeLibrary(global_);
        global_ = nullptr;
    }
    void LoadGlobalDll(uint8_t timeOfDay, int32_t soundStatus) {
        global_ = LoadLibraryA((TestProgramFolder() + "\\GLOBAL.DLL").c_str());
        ASSERT_NE(global_, nullptr);
        ASSERT_TRUE(SetGlobalDllValues(global_, timeOfDay, soundStatus));
    }
    std::vector<double> SoundWritesOfLastFrame() {
        std::vector<double> values;
        for (const host::ServiceCall& call : host::CallsOf("set"))
            if (call.frame == host::Frame() && call.name == "FSSoundIsOn") values.push_back(call.value);
        return values;
    }
    HMODULE global_ = nullptr;
};

TEST_F(Version9Test, TimeOfDayIsFirstWrittenInTheFirstRunningPreUpdate) {
    LoadGlobalDll(200, 1);
    StartAndRunToAudioStartup();
    EXPECT_FALSE(host::VariableExists("TimeOfDay"));
    ASSERT_TRUE(RunAudioStartupFrame());
    EXPECT_EQ(host::VariableValue("TimeOfDay"), 200.0);
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 1.0);

    SetGlobalDllValues(global_, 7, 1);
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("TimeOfDay"), 7.0);
}

TEST_F(Version9Test, SoundStatusDrivesTheSoundFlagAndSurvivesALaterPostInitialize) {
    LoadGlobalDll(12, 0);
    StartAndRun();
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 0.0);
    EXPECT_EQ(host::VariableValue("SoundIsMuted"), 1.0);

    // The byte is written first, then the whole 32-bit value by the cycle.
    SetGlobalDllValues(global_, 12, 0x100);
    host::RunFrame();
    EXPECT_EQ(SoundWritesOfLastFrame(), (std::vector<double>{0.0, 256.0}));

    // A second gauge's post-initialize looks the record up again by name.
    host::AddGauge("Sound", ini_.c_str());
    SetGlobalDllValues(global_, 12, 1);
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 1.0);
    EXPECT_FALSE(host::VariableExists("FSSoundStatus"));
}

TEST_F(Version9Test, MissingGlobalDllDoesNothingUntilItIsLoaded) {
    StartAndRun();
    host::RunFrames(2);
    EXPECT_FALSE(host::VariableExists("TimeOfDay"));
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 1.0);

    LoadGlobalDll(33, 0);
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("TimeOfDay"), 33.0);
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 0.0);
}

}  // namespace
