// Devices and shared sound buffers on Wine's real DirectSound.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "audio/audio_output.h"
#include "audio/sound_buffer.h"
#include "config/config.h"
#include "config/slot_table.h"
#include "engine/pre_update.h"
#include "engine/silencing.h"
#include "tests/test_support.h"
#include "tests/white_box.h"
#include "tools/common/wav_files.h"

namespace {

using ::testing::HasSubstr;

const int kSlots = 3;

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        AttachWhiteBoxHost();
        folder_ = MakeTempFolder("kvo_audio");
        // The device file is looked for under APPDATA: none there by default.
        SetEnvironmentVariableA("APPDATA", folder_.c_str());
        memset(table_, 0, sizeof table_);
        slots = table_;
        soundCount = kSlots;
        errorFlagValue = -1;
        muteState = -1;
        for (int i = 0; i < kSlots; ++i) {
            std::string name = "L:slot" + std::to_string(i);
            NamedVarRegister(&table_[i].commandVar, name.c_str());
        }
    }
    void TearDown() override {
        ReleaseAllAudio();
        slots = nullptr;
        soundCount = 0;
        RemoveTree(folder_);
    }
    std::string Path(const char* name) { return folder_ + "\\" + name; }
    std::string Tone(const char* name, double seconds = 0.5) {
        std::string path = Path(name);
        EXPECT_TRUE(WriteTone(path, seconds));
        return path;
    }
    SoundBuffer* Load(int slot, const std::string& path, int useVoice = 0) {
        snprintf(table_[slot].wavPath, sizeof table_[slot].wavPath, "%s", path.c_str());
        currentSlot = slot;
        LoadSlotSound(useVoice);
        return table_[slot].buffer;
    }
    int ListLength() {
        int count = 0;
        for (SoundBuffer* b = gaugeSound.head; b != nullptr; b = b->next) ++count;
        return count;
    }
    std::string folder_;
    SoundSlot table_[kSlots];
};

GUID Guid(const char* text, int* ok) {
    GUID guid;
    memset(&guid, 0xAB, sizeof guid);
    *ok = ParseDeviceGuid(text, &guid);
    return guid;
}

TEST(DeviceGuid, FixedRangesAndTheLengthRule) {
    int ok = 0;
    GUID g = Guid("{01234567-89AB-CDEF-0123-456789ABCDEF}", &ok);
    EXPECT_EQ(ok, 1);
    const GUID expected = {0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    EXPECT_TRUE(IsEqualGUID(g, expected));

    // Separators are not checked; a bad digit cuts its group's value.
    g = Guid("x0123G567x89ABx00EFx0123x4567z9ABCDEFy", &ok);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(g.Data1, 0x0123u);
    EXPECT_EQ(g.Data3, 0xEF);
    EXPECT_EQ(g.Data4[2], 0x45);
    EXPECT_EQ(g.Data4[3], 0x67);
    EXPECT_EQ(g.Data4[4], 0x00);  // "z9"
    EXPECT_EQ(g.Data4[5], 0xAB);

    for (const char* bad : {"01234567-89AB-CDEF-0123-456789ABCDEF", "{01234567-89AB-CDEF-0123-456789ABCDEF}x", ""}) {
        g = Guid(bad, &ok);
        EXPECT_EQ(ok, 0) << bad;
        EXPECT_EQ(g.Data1, 0xABABABABu) << bad;
    }
}

TEST_F(AudioTest, DefaultDevicesWithADistinctVoiceDevice) {
    // A device file naming absent devices, then one of a bad length: each
    // role falls back to its default without a word. (Which GUIDs are tried
    // shows only in the fault proxy's call log: see audio_fault_test.)
    CreateDirectoryA(Path("kvo_sound").c_str(), nullptr);
    WritePrivateProfileStringA("DEVICE", "PrimaryDevice", "{12345678-1234-1234-1234-123456789ABC}",
                               Path("kvo_sound\\sound.cfg").c_str());
    WritePrivateProfileStringA("DEVICE", "VoiceDevice", "{87654321-1234-1234-1234-123456789ABC}",
                               Path("kvo_sound\\sound.cfg").c_str());
    ASSERT_EQ(SetUpAudioDevices(), 0);
    EXPECT_EQ(gaugeSound.devicesReady, 1);
    ASSERT_NE(gaugeSound.primaryDevice, nullptr);
    EXPECT_EQ(IsVoiceDeviceAvailable(), 1);
    EXPECT_TRUE(host::MessageBoxes().empty());

    WritePrivateProfileStringA("DEVICE", "PrimaryDevice", "12345678-1234-1234-1234-123456789ABC",
                               Path("kvo_sound\\sound.cfg").c_str());
    host::CreateSimWindow();
    EXPECT_EQ(SetUpAudioDevices(), 0);
    host::DestroySimWindow();
    EXPECT_TRUE(host::MessageBoxes().empty());

    ReleaseAllAudio();
    EXPECT_EQ(gaugeSound.devicesReady, 0);
    EXPECT_EQ(gaugeSound.primaryDevice, nullptr);
    EXPECT_EQ(gaugeSound.voiceDevice, nullptr);
    // Asking for the voice device runs the set-up again.
    EXPECT_EQ(IsVoiceDeviceAvailable(), 1);
}

TEST_F(AudioTest, SlotsNamingOneFileShareItsBuffer) {
    std::string path = Tone("Shared.wav");
    SoundBuffer* first = Load(0, path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(table_[0].loaded, 1);
    // Another letter case, and a voice request, find the same object.
    SoundBuffer* second = Load(1, Path("sHARED.WAV"), 1);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->refCount, 2);
    EXPECT_EQ(Load(2, Tone("other.wav")) == first, false);
    EXPECT_EQ(ListLength(), 2);

    table_[0].buffer = ReleaseSoundBuffer(table_[0].buffer);
    EXPECT_EQ(table_[0].buffer, nullptr);
    EXPECT_EQ(first->refCount, 1);
    EXPECT_EQ(PlaySoundBuffer(second, 0), 1);
    table_[1].buffer = ReleaseSoundBuffer(second);
    EXPECT_EQ(ListLength(), 1);
    EXPECT_EQ(IsSoundBufferListed(first), 0);
    EXPECT_TRUE(host::MessageBoxes().empty());
}

TEST_F(AudioTest, BufferHoldsTheFileSamplesExactly) {
    WavLayout mono8;
    mono8.channels = 1, mono8.bits = 8, mono8.rate = 44100;
    std::vector<uint8_t> samples = ToneSamples(mono8, 4001);  // odd length, padded in the file
    ASSERT_TRUE(WriteWav(Path("mono8.wav"), mono8, samples));
    SoundBuffer* buffer = Load(0, Path("mono8.wav"));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->bufferBytes, samples.size());
    void* region = nullptr;
    DWORD bytes = 0;
    ASSERT_EQ(buffer->dsBuffer->Lock(0, buffer->bufferBytes, &region, &bytes, nullptr, nullptr, 0), DS_OK);
    ASSERT_EQ(bytes, samples.size());
    EXPECT_EQ(memcmp(region, samples.data(), bytes), 0);
    buffer->dsBuffer->Unlock(region, bytes, nullptr, 0);
}

TEST_F(AudioTest, FailedFileIsRememberedByName) {
    std::string missing = Path("missing.wav");
    EXPECT_EQ(Load(0, missing), nullptr);
    EXPECT_EQ(table_[0].failed, 1);
    EXPECT_EQ(table_[0].loaded, 0);
    EXPECT_EQ(host::VariableValue("L:slot0"), -1.0);
    auto boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_THAT(boxes[0].text, HasSubstr("Location 5"));
    EXPECT_THAT(boxes[0].text, HasSubstr(missing));
    EXPECT_EQ(boxes[1].text, "LSF - Load Sound File Failed\n" + missing);
    EXPECT_EQ(boxes[1].style, static_cast<uint32_t>(MB_ICONWARNING));
    EXPECT_EQ(boxes[1].owner, nullptr);

    // The file appears, but a failed name is not tried again.
    host::ClearMessageBoxes();
    Tone("missing.wav");
    EXPECT_EQ(Load(1, Path("MISSING.wav")), nullptr);
    ASSERT_EQ(host::MessageBoxes().size(), 1u);
    EXPECT_THAT(host::MessageBoxes()[0].text, HasSubstr("LSF - Load Sound File Failed"));

    // Samples past the end of the file: the read fails.
    host::ClearMessageBoxes();
    WavLayout layout;
    ASSERT_TRUE(WriteWav(Path("short.wav"), layout, ToneSamples(layout, 100), 4000));
    EXPECT_EQ(Load(2, Path("short.wav")), nullptr);
    ASSERT_EQ(host::MessageBoxes().size(), 2u);
    EXPECT_THAT(host::MessageBoxes()[0].text, HasSubstr("Location 8"));

    // Shut-down destroys failed objects with the rest.
    EXPECT_EQ(ListLength(), 2);
    ReleaseAllAudio();
    EXPECT_EQ(gaugeSound.head, nullptr);
    EXPECT_EQ(gaugeSound.tail, nullptr);
}

TEST_F(AudioTest, FormatDirectSoundRejectsFailsAtCreation) {
    WavLayout odd;
    odd.tag = 0x2222;
    odd.extra = {4, 0, 1, 2, 3, 4};
    ASSERT_TRUE(WriteWav(Path("odd.wav"), odd, std::vector<uint8_t>(4000, 0)));
    EXPECT_EQ(Load(0, Path("odd.wav")), nullptr);
    ASSERT_EQ(host::MessageBoxes().size(), 2u);
    EXPECT_THAT(host::MessageBoxes()[0].text, HasSubstr("Location 6"));
    EXPECT_THAT(host::MessageBoxes()[0].text, HasSubstr(Path("odd.wav")));
}

// Formats that some DirectSound mixers accept and then fault on (a rate of
// 16143900 divided by zero in Wine's, 48-bit PCM faulted in it) are refused
// before DirectSound sees them; the rates at the ends and every whole-byte PCM
// sample size up to 32 bits play.
TEST_F(AudioTest, FormatsThatCrashTheMixerFailAtCreation) {
    struct Case {
        uint32_t rate;
        uint16_t channels, bits, blockAlign;  // blockAlign 0: channels × bytes per sample
    };
    const Case refused[] = {{99, 2, 16, 0}, {200001, 2, 16, 0}, {16143900, 2, 16, 0}, {22050, 2, 48, 0},
                            {22050, 1, 64, 0}, {22050, 1, 12, 0}, {22050, 2, 0, 0}, {22050, 2, 16, 2},
                            {22050, 1, 8, 2}, {22050, 2, 24, 8}};
    int file = 0;
    auto write = [&](const Case& c, std::vector<uint8_t> samples) {
        WavLayout layout;
        layout.rate = c.rate, layout.channels = c.channels, layout.bits = c.bits;
        std::string path = Path(("format" + std::to_string(file++) + ".wav").c_str());
        EXPECT_TRUE(WriteWav(path, layout, samples));
        if (c.blockAlign != 0) {  // the block align field sits at byte 32
            FILE* out = fopen(path.c_str(), "r+b");
            EXPECT_NE(out, nullptr);
            if (out == nullptr) return path;
            fseek(out, 32, SEEK_SET);
            uint8_t field[2] = {static_cast<uint8_t>(c.blockAlign), static_cast<uint8_t>(c.blockAlign >> 8)};
            fwrite(field, 1, 2, out);
            fclose(out);
        }
        return path;
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " x " << c.bits << " bits, align "
                                        << c.blockAlign);
        host::ClearMessageBoxes();
        EXPECT_EQ(Load(0, write(c, std::vector<uint8_t>(4800, 0))), nullptr);
        EXPECT_EQ(table_[0].failed, 1);
        ASSERT_EQ(host::MessageBoxes().size(), 2u);
        EXPECT_THAT(host::MessageBoxes()[0].text, HasSubstr("Location 6"));
        EXPECT_THAT(host::MessageBoxes()[1].text, HasSubstr("LSF - Load Sound File Failed"));
    }

    host::ClearMessageBoxes();
    const Case played[] = {{100, 2, 16, 0}, {200000, 2, 16, 0}, {22050, 1, 8, 0},
                           {22050, 2, 16, 0}, {22050, 2, 24, 0}, {22050, 2, 32, 0}};
    for (const Case& c : played) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.bits << " bits");
        WavLayout layout;
        layout.rate = c.rate, layout.channels = c.channels, layout.bits = c.bits;
        SoundBuffer* buffer = Load(1, write(c, ToneSamples(layout, c.rate / 10)));
        ASSERT_NE(buffer, nullptr);
        ASSERT_EQ(PlaySoundBuffer(buffer, 1), 1);
        Sleep(100);  // let the mixer take it
        EXPECT_EQ(GetSoundBufferPlayState(buffer), 5);
        StopSoundBuffer(buffer, 1);
        table_[1].buffer = ReleaseSoundBuffer(buffer);
    }
    EXPECT_TRUE(host::MessageBoxes().empty());
}

TEST_F(AudioTest, PlayStatesVolumeAndPan) {
    SoundBuffer* buffer = Load(0, Tone("tone.wav", 0.2));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(GetSoundBufferPlayState(buffer), 0);
    ASSERT_EQ(PlaySoundBuffer(buffer, 1), 1);
    EXPECT_EQ(GetSoundBufferPlayState(buffer), 5);
    StopSoundBuffer(buffer, 1);
    EXPECT_EQ(GetSoundBufferPlayState(buffer), 0);
    ASSERT_EQ(PlaySoundBuffer(buffer, 0), 1);
    EXPECT_EQ(GetSoundBufferPlayState(buffer), 1);
    EXPECT_EQ(IsSoundBufferPlaying(buffer), 1);
    for (int i = 0; i < 100 && IsSoundBufferPlaying(buffer); ++i) Sleep(20);
    EXPECT_EQ(GetSoundBufferPlayState(buffer), 0);

    // Volumes are clamped on the way out and kept as asked.
    EXPECT_EQ(SetSoundBufferVolume(buffer, -2500), 0);
    EXPECT_EQ(ReadSoundBufferVolume(buffer), 0);
    EXPECT_EQ(CurrentVolume, -2500);
    EXPECT_EQ(SetSoundBufferVolume(buffer, 700), 0);
    EXPECT_EQ(buffer->volume, 700);
    ReadSoundBufferVolume(buffer);
    EXPECT_EQ(CurrentVolume, 0);
    CurrentPan = -25000;
    EXPECT_EQ(SetSoundBufferPan(buffer), 0);
    EXPECT_EQ(CurrentPan, -25000);
    EXPECT_EQ(ReadSoundBufferPan(buffer), 0);
    EXPECT_EQ(CurrentPan, -10000);

    EXPECT_EQ(SetSoundBufferVolume(nullptr, 0), static_cast<int32_t>(E_FAIL));
    EXPECT_EQ(ReadSoundBufferPan(nullptr), static_cast<int32_t>(E_FAIL));
    EXPECT_EQ(PlaySoundBuffer(nullptr, 0), 0);
    EXPECT_EQ(GetSoundBufferPlayState(nullptr), 0);
}

TEST_F(AudioTest, MutingAndTheLoadedVolume) {
    table_[0].volume = -10000;
    SoundBuffer* silent = Load(0, Tone("a.wav"));
    ASSERT_NE(silent, nullptr);
    EXPECT_EQ(table_[0].volume, 0);
    EXPECT_EQ(silent->volume, -10000);

    table_[1].volume = -1500;
    SoundBuffer* quiet = Load(1, Tone("b.wav"));
    ASSERT_NE(quiet, nullptr);
    muteState = 1;
    table_[2].volume = -200;
    SoundBuffer* mutedLoad = Load(2, Tone("c.wav"));
    ASSERT_NE(mutedLoad, nullptr);
    EXPECT_EQ(mutedLoad->volume, -10000);
    EXPECT_EQ(table_[2].volume, -200);

    MuteAllSoundBuffers();
    ReadSoundBufferVolume(quiet);
    EXPECT_EQ(CurrentVolume, -10000);
    EXPECT_EQ(quiet->volume, -1500);

    // Unmuting gives each object its stored value, not clamped: DirectSound
    // refuses 300, so that buffer stays silent.
    quiet->volume = 300;
    silent->volume = -700;
    UnmuteAllSoundBuffers();
    ReadSoundBufferVolume(silent);
    EXPECT_EQ(CurrentVolume, -700);
    ReadSoundBufferVolume(quiet);
    EXPECT_EQ(CurrentVolume, -10000);
    ReadSoundBufferVolume(mutedLoad);
    EXPECT_EQ(CurrentVolume, -10000);
    EXPECT_TRUE(host::MessageBoxes().empty());
}

}  // namespace
