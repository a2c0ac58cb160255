// The command engine end to end: the built module in the stand-in, driven
// frame by frame through its named variables, playing on Wine's DirectSound.
#include <fstream>
#include <string>

#include "tests/test_support.h"
#include "tools/common/wav_files.h"

namespace {

using ::testing::HasSubstr;

const char* const kSlotVar[] = {"kvo_xml_id_00", "kvo_xml_id_01", "kvo_xml_id_02", "kvo_xml_id_03"};

class EngineTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        folder_ = MakeTempFolder("kvo_engine");
        ASSERT_TRUE(WriteTone(folder_ + "\\short.wav", 0.15));
        ASSERT_TRUE(WriteTone(folder_ + "\\loop.wav", 0.3));
        ini_ = folder_ + "\\sounds.ini";
        std::ofstream(ini_.c_str()) << "[Config]\nMaxSounds=4\nErrorFlag=-7\n"
                                       "[Sounds]\nSound00=short.wav\nSound01=loop.wav\n"
                                       "Sound02=missing.wav\nSound03=SHORT.WAV\n";
        Start();
        host::AddGauge("Sound", ini_.c_str());
        host::RunFrames(11);  // the load, then ten frames to the audio start-up
        ASSERT_EQ(host::VariableValue("VoiceAvailable"), 1.0);
    }
    void TearDown() override {
        ModuleTest::TearDown();
        RemoveTree(folder_);
    }
    static double Var(const char* name) { return host::VariableValue(name); }
    static double Slot(int slot) { return Var(kSlotVar[slot]); }
    static void Command(int slot, double value) { host::SetVariable(kSlotVar[slot], value); }
    // Runs frames until the slot's variable leaves `value`; the frame count.
    static int FramesWhile(int slot, double value, int limit = 200) {
        int frames = 0;
        while (Slot(slot) == value && frames < limit) {
            Sleep(5);
            host::RunFrame();
            ++frames;
        }
        return frames;
    }
    // Sets the volume unit, serves one command and gives the value reported
    // (over a value no report can give, so that a report left out shows).
    static double ReportedVolume(int slot, double oldVolumeControl) {
        host::SetVariable("Old Volume Control", oldVolumeControl);
        host::SetVariable("kvo_lvchime_volume_out", 12345);
        Command(slot, 4);
        host::RunFrame();
        return Var("kvo_lvchime_volume_out");
    }
    // A module restart as the simulator makes it, with `gauges` new Sound
    // gauges run to the audio start-up.
    void Restart(int gauges = 1) {
        host::KillGauges();
        host::StopModule();
        host::StartModule();
        for (int i = 0; i < gauges; ++i) host::AddGauge("Sound", ini_.c_str());
        host::RunFrames(11);
    }
    static void ApplyVolume(int slot, double oldVolumeControl, double input) {
        host::SetVariable("Old Volume Control", oldVolumeControl);
        host::SetVariable("kvo_lvchime_volume_in", input);
        Command(slot, 3);
        host::RunFrame();
    }
    std::string folder_;
    std::string ini_;
};

TEST_F(EngineTest, PlayOnceReadsOneUntilTheFrameAfterItsEnd) {
    // The start publishes the buffer's volume and loop state, over values
    // that differ from both.
    ApplyVolume(0, 0, -1500);
    host::SetVariable("kvo_loop_played", 7);
    Command(0, 1);
    host::RunFrame();
    EXPECT_EQ(Slot(0), 1.0);
    EXPECT_EQ(Var("kvo_loop_played"), 0.0);
    EXPECT_EQ(Var("kvo_volume_played"), -1500.0);
    int frames = FramesWhile(0, 1.0);
    EXPECT_GT(frames, 2);
    EXPECT_LT(frames, 200);
    EXPECT_EQ(Slot(0), 0.0);
    EXPECT_TRUE(host::MessageBoxes().empty());
}

TEST_F(EngineTest, LoopCommandsSettleOnTwo) {
    // 2 during a once-play waits for its end, then loops.
    Command(0, 1);
    host::RunFrame();
    Command(0, 2);
    host::RunFrames(2);
    EXPECT_EQ(Var("kvo_loop_played"), 0.0);
    for (int i = 0; i < 200 && Var("kvo_loop_played") == 0.0; ++i) {
        Sleep(5);
        host::RunFrame();
    }
    EXPECT_EQ(Var("kvo_loop_played"), 1.0);
    EXPECT_EQ(Slot(0), 2.0);

    // 1 or 7 on a looping slot go back to 2; 9 reports the loop.
    Command(0, 1);
    host::RunFrame();
    EXPECT_EQ(Slot(0), 2.0);
    Command(0, 7);
    host::RunFrame();
    EXPECT_EQ(Slot(0), 2.0);
    Command(0, 9);
    host::RunFrame();
    EXPECT_EQ(Var("kvo_lvchime_loop_out"), 1.0);
    EXPECT_EQ(Slot(0), 2.0);

    // 0 stops and rewinds; the play mode goes back to idle.
    Command(0, 0);
    host::RunFrame();
    Command(0, 9);
    host::RunFrame();
    EXPECT_EQ(Var("kvo_lvchime_loop_out"), 0.0);
    EXPECT_EQ(Slot(0), 0.0);

    // 8 reads 8 until the loop is seen running, then 2.
    host::SetVariable("kvo_lvchime_pan_in", -300);
    Command(1, 8);
    host::RunFrame();
    EXPECT_EQ(Slot(1), 8.0);
    EXPECT_EQ(Var("kvo_pan_played"), -300.0);
    host::RunFrame();
    EXPECT_EQ(Slot(1), 2.0);
    EXPECT_TRUE(host::MessageBoxes().empty());
}

TEST_F(EngineTest, VolumeAndPanInputsInBothUnits) {
    struct Case { double oldVolumeControl, input, expected; } cases[] = {
        {1, 50, -5000}, {1, 150, 0}, {1, -20, -10000}, {1, 75.9, -2500}, {0, 500, 0}, {0, -12000, -10000}, {0, -2550, -2550},
    };
    for (const Case& c : cases) {
        ApplyVolume(0, c.oldVolumeControl, c.input);
        EXPECT_EQ(Slot(0), 0.0);  // the play mode
        EXPECT_EQ(ReportedVolume(0, 0), c.expected) << c.oldVolumeControl << " " << c.input;
    }
    EXPECT_EQ(ReportedVolume(0, 1), 74.5);

    host::SetVariable("kvo_lvchime_pan_in", 20000);
    Command(0, 5);
    host::RunFrame();
    Command(0, 6);
    host::RunFrame();
    EXPECT_EQ(Var("kvo_lvchime_pan_out"), 10000.0);
    EXPECT_TRUE(host::MessageBoxes().empty());
}

TEST_F(EngineTest, ReportsOnSlotsNotYetLoaded) {
    Command(0, 9);
    host::RunFrame();
    EXPECT_EQ(Slot(0), -1.0);
    host::SetVariable("kvo_lvchime_volume_out", 5);
    Command(1, 4);  // loads first
    host::RunFrame();
    EXPECT_EQ(Var("kvo_lvchime_volume_out"), 0.0);
    EXPECT_EQ(Slot(1), 0.0);
    Command(0, 11);
    host::RunFrame();
    EXPECT_EQ(Slot(0), 0.0);
    Command(0, 1);
    host::RunFrame();
    EXPECT_EQ(Slot(0), 1.0);
}

TEST_F(EngineTest, MissingFileShowsTheErrorFlagUntilUnloaded) {
    Command(2, 1);
    host::RunFrame();
    auto boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_THAT(boxes[0].text, HasSubstr("Location 5"));
    EXPECT_EQ(boxes[1].text, "LSF - Load Sound File Failed\n" + folder_ + "\\missing.wav");
    EXPECT_EQ(Slot(2), -7.0);
    Command(2, 3);
    host::RunFrames(3);
    EXPECT_EQ(Slot(2), -7.0);
    EXPECT_EQ(host::MessageBoxes().size(), 2u);

    Command(2, 10);
    host::RunFrame();
    EXPECT_EQ(Slot(2), 0.0);
    host::ClearMessageBoxes();
    Command(2, 2);
    host::RunFrame();
    ASSERT_EQ(host::MessageBoxes().size(), 1u);
    EXPECT_THAT(host::MessageBoxes()[0].text, HasSubstr("LSF - Load Sound File Failed"));
    EXPECT_EQ(Slot(2), -7.0);
    // Other slots play on.
    Command(0, 1);
    host::RunFrame();
    EXPECT_EQ(Slot(0), 1.0);
}

TEST_F(EngineTest, SlotsSharingAFileSeeOnePlay) {
    Command(0, 1);
    host::RunFrame();
    Command(3, 1);  // the same file: already playing, so only its flag is set
    host::RunFrame();
    EXPECT_EQ(Slot(3), 1.0);
    FramesWhile(3, 1.0);
    EXPECT_EQ(Slot(3), 0.0);
    EXPECT_EQ(Slot(0), 0.0);
}

TEST_F(EngineTest, StopAllStopsWhatTheSameFrameStarted) {
    Command(1, 2);
    Command(0, 1);
    host::SetVariable("KVOGlobals", 1);
    host::RunFrame();
    EXPECT_EQ(Slot(0), 0.0);
    EXPECT_EQ(Slot(1), 0.0);
    EXPECT_EQ(Var("KVOGlobals"), 0.0);
    Command(1, 9);
    host::RunFrame();
    EXPECT_EQ(Var("kvo_lvchime_loop_out"), 0.0);

    // Values other than exactly 1, 2 or 3 stay and do nothing.
    for (double value : {1.2, 2.5}) {
        host::SetVariable("KVOGlobals", value);
        host::RunFrame();
        EXPECT_EQ(Var("KVOGlobals"), value);
    }
}

TEST_F(EngineTest, MuteAllAndUnmuteAllAgainstTheSimulatorsSound) {
    Command(1, 2);
    host::RunFrame();
    EXPECT_EQ(ReportedVolume(1, 0), 0.0);  // audible before the mute
    host::SetVariable("KVOGlobals", 2);
    host::RunFrame();
    EXPECT_EQ(Var("SoundIsMuted"), 1.0);
    EXPECT_EQ(Var("UserMutedSounds"), 1.0);
    EXPECT_EQ(Var("KVOGlobals"), 0.0);
    EXPECT_EQ(ReportedVolume(1, 0), -10000.0);
    // Still looping, silently.
    Command(1, 9);
    host::RunFrame();
    EXPECT_EQ(Var("kvo_lvchime_loop_out"), 1.0);

    // A volume command while muted is applied at once.
    ApplyVolume(1, 0, -1200);
    EXPECT_EQ(ReportedVolume(1, 0), -1200.0);

    // Unmute while the simulator's sound is off: the user's mute is gone,
    // the sounds stay muted until the sound comes back.
    host::TriggerKeyEvent(66063, 0);
    host::RunFrame();
    host::SetVariable("KVOGlobals", 3);
    host::RunFrame();
    EXPECT_EQ(Var("UserMutedSounds"), 0.0);
    EXPECT_EQ(Var("SoundIsMuted"), 1.0);
    EXPECT_EQ(Var("FSSoundIsOn"), 0.0);
    host::TriggerKeyEvent(65552, 0);  // toggles back on
    host::RunFrame();
    EXPECT_EQ(Var("SoundIsMuted"), 0.0);
    EXPECT_EQ(ReportedVolume(1, 0), -1200.0);
    host::TriggerKeyEvent(65692, 0);
    host::RunFrame();
    EXPECT_EQ(Var("SoundIsMuted"), 1.0);
    host::TriggerKeyEvent(66062, 0);
    host::RunFrame();
    EXPECT_EQ(Var("SoundIsMuted"), 0.0);
}

TEST_F(EngineTest, HeldClockIsAPause) {
    Command(1, 2);
    host::RunFrame();
    host::RunSimClock(false);
    host::RunFrame();
    // The pause is seen by this frame's probe, after the status was written.
    EXPECT_EQ(Var("SoundIsMuted"), 1.0);
    EXPECT_EQ(Var("FSSimIsPaused"), 0.0);
    host::RunFrame();
    EXPECT_EQ(Var("FSSimIsPaused"), 1.0);
    EXPECT_EQ(Slot(1), 2.0);  // commands are still served
    host::RunSimClock(true);
    host::RunFrame();
    EXPECT_EQ(Var("SoundIsMuted"), 0.0);

    // Across a module restart the clock is compared with its value in the
    // last frame before the shut-down: held since, the first probe after the
    // restart is a pause.
    host::RunSimClock(false);
    Restart();
    EXPECT_EQ(Var("SoundIsMuted"), 1.0);
    host::RunSimClock(true);
    host::RunFrame();
    EXPECT_EQ(Var("SoundIsMuted"), 0.0);

    // A user's mute outlasts the pause.
    host::SetVariable("KVOGlobals", 2);
    host::RunFrame();
    host::RunSimClock(false);
    host::RunFrames(2);
    host::RunSimClock(true);
    host::RunFrames(2);
    EXPECT_EQ(Var("SoundIsMuted"), 1.0);
}

// The probe's record is initialized by the host once per module start,
// before its first look-up: this host reads a token variable only through
// what initialize_var filled in, so a running clock must not look held.
TEST_F(EngineTest, PauseProbeIsInitializedOncePerStartBeforeItsFirstLookup) {
    auto firstCall = [](const char* op) {
        const std::vector<host::ServiceCall>& calls = host::Calls();
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].op == op) return i;
        return calls.size();
    };
    for (int start = 0; start < 3; ++start) {
        SCOPED_TRACE(start);
        host::RunFrames(3);
        EXPECT_EQ(Var("FSSimIsPaused"), 0.0);
        EXPECT_EQ(Var("SoundIsMuted"), 0.0);
        size_t lookup = firstCall("lookup_var");
        ASSERT_LT(lookup, host::Calls().size());
        EXPECT_LT(firstCall("initialize_var"), lookup);
        std::vector<host::ServiceCall> initializations = host::CallsOf("initialize_var");
        ASSERT_EQ(initializations.size(), 1u);
        EXPECT_EQ(initializations[0].id, host::kSimClockToken);
        host::ClearCalls();
        Restart();
    }
}

// Every Sound gauge runs the whole cycle, within one frame: however many
// there are, over however many module restarts, only a held clock is a pause.
TEST_F(EngineTest, SoundGaugesOverRestartsSeeNoFalsePause) {
    host::AddGauge("Sound", ini_.c_str());
    for (int restart = 0; restart <= 8; ++restart) {
        SCOPED_TRACE(restart);
        if (restart > 0) Restart(2 + restart % 2);
        host::RunFrames(3);
        ASSERT_EQ(Var("SoundIsMuted"), 0.0);
        ASSERT_EQ(Var("FSSimIsPaused"), 0.0);
    }
    Command(1, 2);
    host::RunFrames(2);
    EXPECT_EQ(Slot(1), 2.0);
    host::RunSimClock(false);
    host::RunFrames(2);
    EXPECT_EQ(Var("SoundIsMuted"), 1.0);
    EXPECT_EQ(Var("FSSimIsPaused"), 1.0);
    host::RunSimClock(true);
    host::RunFrames(2);
    EXPECT_EQ(Var("SoundIsMuted"), 0.0);
    EXPECT_EQ(Var("FSSimIsPaused"), 0.0);
}

TEST_F(EngineTest, MutingOutlastsARestartAndSilencesNewLoads) {
    host::SetVariable("KVOGlobals", 2);
    host::RunFrame();
    Restart();
    host::ClearCalls();
    // A sound first loaded while muted starts silent and stays so after unmute.
    Command(0, 1);
    host::RunFrame();
    EXPECT_EQ(ReportedVolume(0, 0), -10000.0);
    host::SetVariable("KVOGlobals", 3);
    host::RunFrame();
    EXPECT_EQ(Var("SoundIsMuted"), 0.0);
    EXPECT_EQ(ReportedVolume(0, 0), -10000.0);
}

}  // namespace
