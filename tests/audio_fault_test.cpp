// Device set-up, buffer loading, restoring and the engine's failure paths,
// with chosen DirectSound calls failing through the fault-injecting dsound.dll.
#include <string.h>

#include <fstream>
#include <string>

#include "audio/audio_output.h"
#include "audio/sound_buffer.h"
#include "config/config.h"
#include "config/slot_table.h"
#include "engine/pre_update.h"
#include "engine/silencing.h"
#include "fault_control.h"
#include "module/module_state.h"
#include "tests/test_support.h"
#include "tests/wav_files.h"
#include "tests/white_box.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const long kNoDriver = KVO_DSERR_NODRIVER;
const long kInvalidCall = static_cast<long>(0x88780032);  // DSERR_INVALIDCALL
const char kDefaultPlayback[] = "{DEF00000-9C6D-47ED-AAF1-4DDA8F2B5C03}";
const char kDefaultVoice[] = "{DEF00002-9C6D-47ED-AAF1-4DDA8F2B5C03}";

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class FaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fault::Loaded());
        AttachWhiteBoxHost();
        folder_ = MakeTempFolder("kvo_fault");
        SetEnvironmentVariableA("APPDATA", folder_.c_str());
        fault::Reset();
        memset(table_, 0, sizeof table_);
        slots = table_;
        soundCount = 2;
        errorFlagValue = -1;
        muteState = -1;
        NamedVarRegister(&table_[0].commandVar, "L:fault0");
        ASSERT_TRUE(WriteTone(folder_ + "\\tone.wav", 0.2));
        snprintf(table_[0].wavPath, sizeof table_[0].wavPath, "%s\\tone.wav", folder_.c_str());
    }
    void TearDown() override {
        ReleaseAllAudio();
        slots = nullptr;
        soundCount = 0;
        fault::Reset();
        RemoveTree(folder_);
    }
    // The one box the set-up showed, which must name `location`.
    void ExpectOneBoxAt(int location) {
        auto boxes = host::MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_THAT(boxes[0].text, HasSubstr("\nLocation " + std::to_string(location) + "\n"));
        host::ClearMessageBoxes();
    }
    SoundBuffer* LoadSlot(int useVoice = 0) {
        currentSlot = 0;
        LoadSlotSound(useVoice);
        return table_[0].buffer;
    }
    std::string folder_;
    SoundSlot table_[3];
};

TEST_F(FaultTest, EachSetUpStepReportsItsLocation) {
    struct Case { const char* call; long code; int skip; int times; int location; } cases[] = {
        {"DirectSoundCreate", kNoDriver, 0, 2, 10},
        {"SetCooperativeLevel", kInvalidCall, 0, 1, 11},
        {"SetCooperativeLevel", 1, 0, 1, 11},  // any non-zero result
        {"CreatePrimaryBuffer", 1, 0, 1, 12},  // a positive code other than no-virtualization
        {"SetFormat", kInvalidCall, 0, 1, 120},
        {"DirectSoundCreate", kNoDriver, 1, 2, 13},
        {"SetFormat", kInvalidCall, 1, 1, 130},
    };
    for (const Case& c : cases) {
        fault::Reset();
        ReleaseAllAudio();
        fault::Fail(c.call, c.code, c.skip, c.times);
        EXPECT_EQ(SetUpAudioDevices(), static_cast<int32_t>(c.code)) << c.call << " " << c.location;
        EXPECT_EQ(gaugeSound.devicesReady, 0);
        ExpectOneBoxAt(c.location);
    }
    // Without a voice device every set-up reports again, and none is available.
    ReleaseAllAudio();
    fault::Reset();
    fault::Fail("DirectSoundCreate", kNoDriver, 1, 2);
    EXPECT_EQ(IsVoiceDeviceAvailable(), 0);
    ExpectOneBoxAt(13);
    fault::Fail("DirectSoundCreate", kNoDriver, 1, 2);
    EXPECT_EQ(IsVoiceDeviceAvailable(), 0);
    ExpectOneBoxAt(13);
    EXPECT_NE(gaugeSound.primaryDevice, nullptr);
    EXPECT_EQ(gaugeSound.voiceDevice, nullptr);
}

TEST_F(FaultTest, PrimaryBufferIsTriedThreeTimes) {
    fault::Fail("CreatePrimaryBuffer", KVO_DS_NO_VIRTUALIZATION, 0, 1);
    EXPECT_EQ(SetUpAudioDevices(), 0);
    EXPECT_TRUE(host::MessageBoxes().empty());

    ReleaseAllAudio();
    fault::Reset();
    fault::Fail("CreatePrimaryBuffer", kInvalidCall, 0, 2);
    DWORD start = GetTickCount();
    EXPECT_EQ(SetUpAudioDevices(), 0);
    EXPECT_GE(GetTickCount() - start, 1900u);  // a second's wait after each failure
    EXPECT_EQ(fault::Count("CreatePrimaryBuffer"), 4);  // three on the primary device, one on the voice one
    EXPECT_TRUE(host::MessageBoxes().empty());
}

TEST_F(FaultTest, DeviceGuidsFallBackToTheDefaults) {
    CreateDirectoryA((folder_ + "\\kvo_sound").c_str(), nullptr);
    std::string file = folder_ + "\\kvo_sound\\sound.cfg";
    WritePrivateProfileStringA("DEVICE", "PrimaryDevice", "{12345678-ABCD-EF01-2345-6789ABCDEF01}", file.c_str());
    WritePrivateProfileStringA("DEVICE", "VoiceDevice", "{12345678-ABCD-EF01-2345-6789ABCDEF0}", file.c_str());
    ASSERT_EQ(SetUpAudioDevices(), 0);
    std::string log = fault::Log();
    // The configured device first; absent, so the default, silently. The
    // voice GUID of 37 characters is not used at all.
    EXPECT_THAT(log, HasSubstr("DirectSoundCreate {12345678-ABCD-EF01-2345-6789ABCDEF01} -> 0x"));
    EXPECT_THAT(log, HasSubstr(std::string("DirectSoundCreate ") + kDefaultPlayback + " -> dev"));
    EXPECT_EQ(Occurrences(log, std::string("DirectSoundCreate ") + kDefaultVoice), 1);
    EXPECT_EQ(Occurrences(log, "DirectSoundCreate "), 3);
    EXPECT_THAT(log, HasSubstr("SetCooperativeLevel hwnd=0x00000000 level=2"));
    EXPECT_THAT(log, HasSubstr("SetFormat format=1/2/22050/88200/4/16/0"));
    EXPECT_TRUE(host::MessageBoxes().empty());
}

TEST_F(FaultTest, VoiceDeviceThatCannotBeSetUpIsDropped) {
    for (const char* call : {"SetCooperativeLevel", "CreatePrimaryBuffer"}) {
        ReleaseAllAudio();
        fault::Reset();
        fault::Fail(call, kInvalidCall, 1, 1);
        EXPECT_EQ(SetUpAudioDevices(), 0) << call;
        EXPECT_EQ(gaugeSound.voiceDevice, nullptr);
        EXPECT_EQ(IsVoiceDeviceAvailable(), 0);
        EXPECT_EQ(fault::LiveObjects(), 1) << call;  // only the primary device
    }
    // A voice request then plays on the primary device.
    ASSERT_NE(LoadSlot(1), nullptr);
    EXPECT_THAT(fault::Log(), HasSubstr("dev1 CreateSoundBuffer flags=0x000000E8"));
    EXPECT_TRUE(host::MessageBoxes().empty());
}

TEST_F(FaultTest, BufferCreationAndFillFailuresNameTheirStep) {
    ASSERT_EQ(SetUpAudioDevices(), 0);
    fault::Fail("CreateSoundBuffer", static_cast<long>(0x88780064), 0, 1);  // DSERR_BADFORMAT
    EXPECT_EQ(LoadSlot(), nullptr);
    auto boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_THAT(boxes[0].text, HasSubstr("Location 6\nFile: " + std::string(table_[0].wavPath)));
    EXPECT_THAT(boxes[1].text, HasSubstr("LSF"));

    host::ClearMessageBoxes();
    ASSERT_TRUE(WriteTone(folder_ + "\\second.wav", 0.2));
    snprintf(table_[0].wavPath, sizeof table_[0].wavPath, "%s\\second.wav", folder_.c_str());
    fault::Fail("Lock", kInvalidCall, 0, 1);
    EXPECT_EQ(LoadSlot(), nullptr);
    ASSERT_EQ(host::MessageBoxes().size(), 2u);
    EXPECT_THAT(host::MessageBoxes()[0].text, HasSubstr("Location 9\nFile: "));
    EXPECT_THAT(host::MessageBoxes()[0].text, Not(HasSubstr("second.wav")));
    // The failed buffer was released at once.
    EXPECT_EQ(fault::LiveObjects(), 2);
}

TEST_F(FaultTest, VoiceRequestsUseTheVoiceDevice) {
    ASSERT_EQ(SetUpAudioDevices(), 0);
    ASSERT_NE(LoadSlot(1), nullptr);
    EXPECT_THAT(fault::Log(), HasSubstr("dev2 CreateSoundBuffer flags=0x000000E8"));
}

TEST_F(FaultTest, LostBufferIsRestoredAndRefilledBeforePlaying) {
    SoundBuffer* buffer = LoadSlot();
    ASSERT_NE(buffer, nullptr);
    int locks = fault::Count("Lock");
    fault::SetLost(1);
    EXPECT_EQ(PlaySoundBuffer(buffer, 1), 1);
    EXPECT_EQ(fault::Count("Lock"), locks + 1);
    EXPECT_EQ(GetSoundBufferPlayState(buffer), 5);
    StopSoundBuffer(buffer, 1);

    // Restore may stay lost a while.
    fault::SetLost(1);
    fault::Fail("Restore", KVO_DSERR_BUFFERLOST, 0, 3);
    EXPECT_EQ(PlaySoundBuffer(buffer, 0), 1);
    StopSoundBuffer(buffer, 1);

    // Another failure is not retried; a buffer that stays lost is given up
    // after a bounded wait.
    for (long code : {kInvalidCall, KVO_DSERR_BUFFERLOST}) {
        fault::Reset();
        fault::SetLost(1);
        fault::Fail("Restore", code, 0, -1);
        DWORD start = GetTickCount();
        EXPECT_EQ(PlaySoundBuffer(buffer, 0), 0);
        EXPECT_LT(GetTickCount() - start, 5000u);
        EXPECT_EQ(fault::Count("Play"), 0);
    }
    EXPECT_TRUE(host::MessageBoxes().empty());
}

// Shut-down stops every buffer before it releases any, so that no release
// waits on a mixer still busy with the others.
TEST_F(FaultTest, ShutDownStopsEveryBufferBeforeReleasingOne) {
    ASSERT_TRUE(WriteTone(folder_ + "\\other.wav", 0.2));
    ASSERT_EQ(SetUpAudioDevices(), 0);
    SoundBuffer* first = AcquireSoundBuffer(table_[0].wavPath, 0);
    SoundBuffer* second = AcquireSoundBuffer((folder_ + "\\other.wav").c_str(), 0);
    ASSERT_TRUE(first != nullptr && second != nullptr && first != second);
    ASSERT_EQ(PlaySoundBuffer(first, 1), 1);
    ASSERT_EQ(PlaySoundBuffer(second, 1), 1);
    size_t before = fault::Log().size();
    ReleaseAllAudio();
    std::string shutDown = fault::Log().substr(before);
    EXPECT_EQ(Occurrences(shutDown, " Stop"), 2) << shutDown;
    EXPECT_LT(shutDown.rfind(" Stop"), shutDown.find(" Release")) << shutDown;
    EXPECT_EQ(fault::LiveObjects(), 0);
}

// The engine's failure paths, frame by frame.
class EngineFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fault::Loaded());
        AttachWhiteBoxHost();
        folder_ = MakeTempFolder("kvo_engine_fault");
        SetEnvironmentVariableA("APPDATA", folder_.c_str());
        fault::Reset();
        muteState = -1;
        userMuted = 0;
        ASSERT_TRUE(WriteTone(folder_ + "\\tone.wav", 0.3));
        ini_ = folder_ + "\\a.ini";
        std::ofstream(ini_.c_str()) << "[Config]\nMaxSounds=1\nErrorFlag=-3\n[Sounds]\nSound00=tone.wav\n";
        gauge_ = GaugeHeader();
        gauge_.parameters = &ini_[0];
        ModuleStartup();
    }
    void TearDown() override {
        ModuleShutdown();
        ImportTable.panels = nullptr;
        fault::Reset();
        RemoveTree(folder_);
    }
    void Frame(GaugeHeader* gauge = nullptr) {
        host::SetModuleVarValue(host::kSimClockToken, ++clock_);
        RunPreUpdate(gauge);
    }
    void StartEngine() {
        Frame(&gauge_);
        for (int i = 0; i < 10; ++i) Frame();
    }
    double Command() { return host::VariableValue("kvo_xml_id_00"); }
    std::string folder_;
    std::string ini_;
    GaugeHeader gauge_;
    double clock_ = 0;
};

TEST_F(EngineFaultTest, FailedAudioStartUpDisablesTheEngine) {
    fault::Fail("DirectSoundCreate", kNoDriver, 0, -1);
    StartEngine();
    EXPECT_EQ(engineState, kEngineDisabled);
    auto boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_THAT(boxes[0].text, HasSubstr("Location 10"));
    EXPECT_THAT(boxes[1].text, HasSubstr("Action 0"));
    host::SetVariable("kvo_xml_id_00", 1);
    Frame();
    EXPECT_EQ(Command(), 1.0);  // nothing is served
    EXPECT_EQ(host::VariableValue("VoiceAvailable"), 0.0);
}

TEST_F(EngineFaultTest, FailedStepReportsTheSlotAndItsCommand) {
    StartEngine();
    ASSERT_EQ(engineState, kEngineRunning);
    host::SetVariable("kvo_xml_id_00", 2);
    Frame();
    ASSERT_EQ(Command(), 2.0);

    fault::Fail("SetVolume", kInvalidCall, 0, 1);
    host::SetVariable("kvo_lvchime_volume_in", -300);
    host::SetVariable("kvo_xml_id_00", 3);
    Frame();
    auto boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_THAT(boxes[0].text, HasSubstr("Sound " + folder_ + "\\tone.wav\nAction 3"));
    EXPECT_EQ(boxes[0].title, std::string(modulePath));
    EXPECT_EQ(Command(), 2.0);  // the play mode, as the command's last step writes
    Frame();
    EXPECT_EQ(Command(), -3.0);
    host::SetVariable("kvo_xml_id_00", 10);
    Frame();
    EXPECT_EQ(Command(), 0.0);
    EXPECT_EQ(fault::LiveObjects(), 2);  // the buffer went with the failure
}

TEST_F(EngineFaultTest, FailedPlayShowsTheCommandsMessage) {
    StartEngine();
    struct Case { int command; const char* message; } cases[] = {
        {1, "Play Sound Failed\n"}, {2, "PL - Play Sound Failed\n"}, {7, "PB7 - Play Sound Failed\n"}, {8, "PB8 - Play Sound Failed\n"},
    };
    for (const Case& c : cases) {
        host::ClearMessageBoxes();
        fault::Fail("Play", kInvalidCall, 0, 1);
        host::SetVariable("kvo_xml_id_00", c.command);
        Frame();
        auto boxes = host::MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << c.command;
        EXPECT_EQ(boxes[0].text, c.message + folder_ + "\\tone.wav");
        EXPECT_EQ(boxes[0].style, static_cast<uint32_t>(MB_ICONWARNING));
        EXPECT_EQ(Command(), -3.0);
        host::SetVariable("kvo_xml_id_00", 10);
        Frame();
    }
    // A failed volume step of command 8 has a second message of its own.
    host::ClearMessageBoxes();
    fault::Fail("SetVolume", kInvalidCall, 1, 1);  // the load's volume passes
    host::SetVariable("kvo_xml_id_00", 8);
    Frame();
    auto boxes = host::MessageBoxes();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "PB8 - Set Volume Failed\n" + folder_ + "\\tone.wav\nDX Error " +
                                 std::to_string(static_cast<int>(kInvalidCall)) + "\n");
}

}  // namespace
