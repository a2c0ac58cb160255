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
#include "tests/white_box.h"
#include "tools/common/wav_files.h"

namespace {

using ::testing::AnyOf;
using ::testing::Contains;
using ::testing::EndsWith;
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

    // The third failure ends the set-up.
    ReleaseAllAudio();
    fault::Reset();
    fault::Fail("CreatePrimaryBuffer", kInvalidCall, 0, 3);
    start = GetTickCount();
    EXPECT_EQ(SetUpAudioDevices(), static_cast<int32_t>(kInvalidCall));
    EXPECT_GE(GetTickCount() - start, 2900u);
    EXPECT_EQ(fault::Count("CreatePrimaryBuffer"), 3);
    EXPECT_EQ(gaugeSound.devicesReady, 0);
    ExpectOneBoxAt(12);
}

TEST_F(FaultTest, DeviceGuidsFallBackToTheDefaults) {
    CreateDirectoryA((folder_ + "\\kvo_sound").c_str(), nullptr);
    std::string file = folder_ + "\\kvo_sound\\sound.cfg";
    WritePrivateProfileStringA("DEVICE", "PrimaryDevice", "{12345678-ABCD-EF01-2345-6789ABCDEF01}", file.c_str());
    // Voice GUIDs that are not used at all: 37 characters, and a first field of 0.
    for (const char* voice : {"{12345678-ABCD-EF01-2345-6789ABCDEF0}", "{00000000-ABCD-EF01-2345-6789ABCDEF01}"}) {
        ReleaseAllAudio();
        fault::Reset();
        WritePrivateProfileStringA("DEVICE", "VoiceDevice", voice, file.c_str());
        ASSERT_EQ(SetUpAudioDevices(), 0);
        std::string log = fault::Log();
        // The configured device first; absent, so the default, silently.
        EXPECT_THAT(log, HasSubstr("DirectSoundCreate {12345678-ABCD-EF01-2345-6789ABCDEF01} -> 0x"));
        EXPECT_THAT(log, HasSubstr(std::string("DirectSoundCreate ") + kDefaultPlayback + " -> dev"));
        EXPECT_EQ(Occurrences(log, std::string("DirectSoundCreate ") + kDefaultVoice), 1) << voice;
        EXPECT_EQ(Occurrences(log, "DirectSoundCreate "), 3) << voice;
        EXPECT_THAT(log, HasSubstr("SetCooperativeLevel hwnd=0x00000000 level=2"));
        EXPECT_THAT(log, HasSubstr("SetFormat format=1/2/22050/88200/4/16/0"));
    }
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

    // A file claiming more samples than memory can hold, given a buffer
    // smaller than asked for: the copy of its samples cannot be allocated.
    // A 64-bit process may well get a block of 4 GiB (it is committed only
    // as it is written); then the short file fails the read instead.
    host::ClearMessageBoxes();
    std::string huge = folder_ + "\\huge.wav";
    ASSERT_TRUE(WriteWav(huge, WavLayout(), ToneSamples(WavLayout(), 64), 0xFFFFFFF0));
    snprintf(table_[0].wavPath, sizeof table_[0].wavPath, "%s", huge.c_str());
    fault::BufferLimit(4096);
    EXPECT_EQ(LoadSlot(), nullptr);
    ASSERT_EQ(host::MessageBoxes().size(), 2u);
#ifdef _WIN64
    EXPECT_THAT(host::MessageBoxes()[0].text, AnyOf(EndsWith("Full Error Code 0x8007000e\nLocation 7\nFile "),
                                                    EndsWith("Full Error Code 0x80004005\nLocation 8\nFile ")));
#else
    EXPECT_THAT(host::MessageBoxes()[0].text, EndsWith("Full Error Code 0x8007000e\nLocation 7\nFile "));
#endif
    EXPECT_EQ(host::MessageBoxes()[1].text, "LSF - Load Sound File Failed\n" + huge);
    EXPECT_EQ(table_[0].failed, 1);
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

    // A restored buffer that cannot be filled again is not played.
    fault::Reset();
    fault::SetLost(1);
    fault::Fail("Lock", kInvalidCall, 0, 1);
    EXPECT_EQ(PlaySoundBuffer(buffer, 0), 0);
    EXPECT_EQ(fault::Count("Restore"), 2);
    EXPECT_EQ(fault::Count("Play"), 0);
    ExpectOneBoxAt(9);
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
    std::string Tone() { return folder_ + "\\tone.wav"; }
    // The end of the slot's error report for `code` while serving `command`.
    std::string SlotReportTail(long code, int command) {
        char text[48];
        snprintf(text, sizeof text, "Full Error Code 0x%x\n\nSound ", static_cast<unsigned>(code));
        return text + Tone() + "\nAction " + std::to_string(command);
    }
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
    // Nor is any status written.
    EXPECT_THAT(NamesOf("set"), Not(Contains("FSSimIsPaused")));
    EXPECT_THAT(NamesOf("set"), Not(Contains("FSSoundIsOn")));
    EXPECT_THAT(NamesOf("set"), Not(Contains("SoundIsMuted")));
}

TEST_F(EngineFaultTest, FailedStepReportsTheSlotAndItsCommand) {
    StartEngine();
    ASSERT_EQ(engineState, kEngineRunning);
    // A load whose volume fails: reported and failed, but the sound stays
    // loaded and the command is served in the same frame.
    fault::Fail("SetVolume", kInvalidCall, 0, 1);
    host::SetVariable("kvo_xml_id_00", 2);
    Frame();
    ASSERT_EQ(host::MessageBoxes().size(), 1u);
    EXPECT_THAT(host::MessageBoxes()[0].text, EndsWith(SlotReportTail(kInvalidCall, 2)));
    EXPECT_EQ(slots[0].failed, 1);
    EXPECT_EQ(slots[0].loaded, 1);
    EXPECT_EQ(GetSoundBufferPlayState(slots[0].buffer), 5);
    EXPECT_EQ(Command(), -3.0);
    host::SetVariable("kvo_xml_id_00", 10);
    Frame();
    host::ClearMessageBoxes();

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

    // A started play whose volume or pan cannot be read back: reported, and
    // the reads after it meet no buffer; the variable keeps the play's 1.
    struct Case { const char* call; size_t boxes; } reads[] = {{"GetVolume", 2}, {"GetPan", 1}};
    for (const Case& read : reads) {
        host::ClearMessageBoxes();
        host::SetVariable("kvo_loop_played", 7);
        fault::Fail(read.call, kInvalidCall, 0, 1);
        host::SetVariable("kvo_xml_id_00", 1);
        Frame();
        boxes = host::MessageBoxes();
        ASSERT_EQ(boxes.size(), read.boxes) << read.call;
        EXPECT_THAT(boxes[0].text, EndsWith(SlotReportTail(kInvalidCall, 1)));
        if (read.boxes == 2) {
            EXPECT_THAT(boxes[1].text, EndsWith(SlotReportTail(E_FAIL, 1)));
        }
        EXPECT_EQ(slots[0].failed, 1);
        EXPECT_EQ(slots[0].buffer, nullptr);
        EXPECT_EQ(host::VariableValue("kvo_loop_played"), 0.0);
        EXPECT_EQ(Command(), 1.0);
        Frame();
        EXPECT_EQ(Command(), -3.0);
        host::SetVariable("kvo_xml_id_00", 10);
        Frame();
    }
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
    // A failed volume step of command 8: the slot's report, a message of its
    // own with the status, then the play fails against no buffer.
    host::ClearMessageBoxes();
    fault::Fail("SetVolume", kInvalidCall, 1, 1);  // the load's volume passes
    host::SetVariable("kvo_xml_id_00", 8);
    Frame();
    auto boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_THAT(boxes[0].text, EndsWith(SlotReportTail(kInvalidCall, 8)));
    EXPECT_EQ(boxes[1].text, "PB8 - Set Volume Failed\n" + Tone() + "\nDX Error " +
                                 std::to_string(static_cast<int>(kInvalidCall)) + "\n");
    EXPECT_EQ(boxes[2].text, "PB8 - Play Sound Failed\n" + Tone());
    EXPECT_EQ(Command(), -3.0);

    // A failed pan step of command 7: reported, then the volume step meets no
    // buffer, then the play.
    host::SetVariable("kvo_xml_id_00", 10);
    Frame();
    host::ClearMessageBoxes();
    fault::Fail("SetPan", kInvalidCall, 0, 1);
    host::SetVariable("kvo_xml_id_00", 7);
    Frame();
    boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_THAT(boxes[0].text, EndsWith(SlotReportTail(kInvalidCall, 7)));
    EXPECT_THAT(boxes[1].text, EndsWith(SlotReportTail(E_FAIL, 7)));
    EXPECT_EQ(boxes[2].text, "PB7 - Play Sound Failed\n" + Tone());
    EXPECT_EQ(Command(), -3.0);
}

// Command 0 and stop-all rewind: a sound stopped mid-play starts again from
// its beginning.
TEST_F(EngineFaultTest, StopsRewindTheSound) {
    StartEngine();
    for (double global : {0.0, 1.0}) {
        host::SetVariable("kvo_xml_id_00", 2);
        Frame();
        ASSERT_EQ(GetSoundBufferPlayState(slots[0].buffer), 5);
        DWORD position = 0;
        for (int i = 0; i < 100 && position == 0; ++i) {
            Sleep(10);
            slots[0].buffer->dsBuffer->GetCurrentPosition(&position, nullptr);
        }
        ASSERT_GT(position, 0u);
        // Stop-all comes after the slot pass, which then still sees the loop.
        if (global == 0.0) host::SetVariable("kvo_xml_id_00", 0);
        host::SetVariable("KVOGlobals", global);
        Frame();
        EXPECT_EQ(GetSoundBufferPlayState(slots[0].buffer), 0);
        slots[0].buffer->dsBuffer->GetCurrentPosition(&position, nullptr);
        EXPECT_EQ(position, 0u) << "stop-all " << global;
        EXPECT_EQ(slots[0].playing, 0);
        EXPECT_EQ(Command(), 0.0);
    }
}

// Stop-all meeting a slot whose buffer has left the list forgets it: the
// slot is no longer loaded and its variable is left alone.
TEST_F(EngineFaultTest, StopAllForgetsABufferThatIsGone) {
    StartEngine();
    ASSERT_TRUE(WriteTone(folder_ + "\\other.wav", 0.2));
    SoundBuffer* other = AcquireSoundBuffer((folder_ + "\\other.wav").c_str(), 0);
    ASSERT_NE(other, nullptr);
    // Once with another buffer in the list, once with the list empty.
    for (bool emptyList : {false, true}) {
        host::SetVariable("kvo_xml_id_00", 2);
        Frame();
        ASSERT_EQ(slots[0].loaded, 1);
        if (emptyList) ReleaseSoundBuffer(other);
        ReleaseSoundBuffer(slots[0].buffer);
        host::SetVariable("kvo_xml_id_00", 12);  // no command: the slot pass leaves the slot alone
        host::SetVariable("KVOGlobals", 1);
        Frame();
        EXPECT_EQ(slots[0].loaded, 0) << emptyList;
        EXPECT_EQ(slots[0].buffer, nullptr);
        EXPECT_EQ(Command(), 12.0);
        EXPECT_EQ(host::VariableValue("KVOGlobals"), 0.0);
    }
    // The next play loads the sound again.
    host::SetVariable("kvo_xml_id_00", 1);
    Frame();
    EXPECT_EQ(slots[0].loaded, 1);
    EXPECT_EQ(Command(), 1.0);
    EXPECT_TRUE(host::MessageBoxes().empty());
}

}  // namespace
