// The fault-injecting dsound.dll over Wine's real DirectSound: forwarding,
// rules, lost buffers, random failures, the call log and leak counting.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "fault_control.h"

namespace {

const HRESULT kFail = E_FAIL;
const HRESULT kLost = (HRESULT)KVO_DSERR_BUFFERLOST;
const DWORD kBytes = 88200;
const char kDefaultGuid[] = "{DEF00000-9C6D-47ED-AAF1-4DDA8F2B5C03}";

WAVEFORMATEX Format() {
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM, f.nChannels = 2, f.nSamplesPerSec = 22050;
    f.nAvgBytesPerSec = 88200, f.nBlockAlign = 4, f.wBitsPerSample = 16;
    return f;
}

class DsoundProxyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fault::Loaded()) << "dsound.dll is the system's: WINEDLLOVERRIDES needs dsound=n,b";
        fault::Reset();
        window_ = CreateWindowA("STATIC", "proxy", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    }
    void TearDown() override {
        fault::Reset();
        if (buffer_) buffer_->Release();
        if (primary_) primary_->Release();
        if (device_) device_->Release();
        EXPECT_EQ(fault::LiveObjects(), 0);
        DestroyWindow(window_);
    }
    // dev1 on the default device at the priority level, its primary buffer
    // (buf1) given the fixed format and kept in primary_.
    void OpenDevice() {
        ASSERT_EQ(DirectSoundCreate(&DSDEVID_DefaultPlayback, &device_, nullptr), DS_OK);
        ASSERT_EQ(device_->SetCooperativeLevel(window_, DSSCL_PRIORITY), DS_OK);
        DSBUFFERDESC desc = {sizeof(desc), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
        ASSERT_EQ(device_->CreateSoundBuffer(&desc, &primary_, nullptr), DS_OK);
        WAVEFORMATEX f = Format();
        ASSERT_EQ(primary_->SetFormat(&f), DS_OK);
    }
    // A secondary buffer as the module makes it, filled through Lock/Unlock.
    HRESULT MakeSecondary(IDirectSoundBuffer** out) {
        WAVEFORMATEX f = Format();
        DSBUFFERDESC desc = {sizeof(desc), 0xE8, kBytes, 0, &f, GUID_NULL};
        HRESULT hr = device_->CreateSoundBuffer(&desc, out, nullptr);
        if (hr != DS_OK) return hr;
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        hr = (*out)->Lock(0, kBytes, &p1, &n1, &p2, &n2, 0);
        if (hr != DS_OK) return hr;
        memset(p1, 0x11, n1);
        return (*out)->Unlock(p1, n1, p2, n2);
    }
    DWORD Status(IDirectSoundBuffer* b) {
        DWORD s = 0xFFFFFFFF;
        EXPECT_EQ(b->GetStatus(&s), DS_OK);
        return s;
    }

    HWND window_ = nullptr;
    IDirectSound* device_ = nullptr;
    IDirectSoundBuffer* primary_ = nullptr;
    IDirectSoundBuffer* buffer_ = nullptr;
};

TEST_F(DsoundProxyTest, ForwardsToTheRealDeviceAndLogsEveryCall) {
    OpenDevice();
    ASSERT_EQ(MakeSecondary(&buffer_), DS_OK);
    EXPECT_EQ(buffer_->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Status(buffer_), (DWORD)(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    EXPECT_EQ(buffer_->Stop(), DS_OK);
    EXPECT_EQ(buffer_->SetCurrentPosition(0), DS_OK);
    EXPECT_EQ(Status(buffer_), 0u);
    LONG volume = 0, pan = 0;
    EXPECT_EQ(buffer_->SetVolume(-2000), DS_OK);
    EXPECT_EQ(buffer_->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, -2000);
    EXPECT_EQ(buffer_->SetPan(100), DS_OK);
    EXPECT_EQ(buffer_->GetPan(&pan), DS_OK);
    EXPECT_EQ(pan, 100);
    EXPECT_EQ(primary_->Release(), 0u);
    primary_ = nullptr;
    EXPECT_EQ(fault::LiveObjects(), 2);

    char hwnd[16];
    snprintf(hwnd, sizeof(hwnd), "0x%08lX", (unsigned long)(ULONG_PTR)window_);
    const std::string expected = std::string("DirectSoundCreate ") + kDefaultGuid + " -> dev1 0x00000000\n" +
        "dev1 SetCooperativeLevel hwnd=" + hwnd + " level=2 -> 0x00000000\n"
        "dev1 CreatePrimaryBuffer flags=0x00000001 -> buf1 0x00000000\n"
        "buf1 SetFormat format=1/2/22050/88200/4/16/0 -> 0x00000000\n"
        "dev1 CreateSoundBuffer flags=0x000000E8 bytes=88200 format=1/2/22050/88200/4/16/0 -> buf2 0x00000000\n"
        "buf2 Lock offset=0 bytes=88200 flags=0x00000000 -> 0x00000000\n"
        "buf2 Unlock bytes=88200 bytes2=0 -> 0x00000000\n"
        "buf2 Play flags=1 -> 0x00000000\n"
        "buf2 GetStatus -> 0x00000005 0x00000000\n"
        "buf2 Stop -> 0x00000000\n"
        "buf2 SetCurrentPosition 0 -> 0x00000000\n"
        "buf2 GetStatus -> 0x00000000 0x00000000\n"
        "buf2 SetVolume -2000 -> 0x00000000\n"
        "buf2 GetVolume -> -2000 0x00000000\n"
        "buf2 SetPan 100 -> 0x00000000\n"
        "buf2 GetPan -> 100 0x00000000\n"
        "buf1 Release -> 0\n";
    EXPECT_EQ(fault::Log(), expected);
    EXPECT_EQ(fault::Count("GetStatus"), 2);
    EXPECT_EQ(fault::Count("Release"), 1);
    EXPECT_EQ(fault::Count("NoSuchCall"), -1);

    // Bounded copy: cut and terminated, the full length returned.
    char small[8];
    memset(small, 'z', sizeof(small));
    EXPECT_EQ(fault::Log(small, 0), (int)expected.size());
    EXPECT_EQ(small[0], 'z');
    EXPECT_EQ(fault::Log(small, sizeof(small)), (int)expected.size());
    EXPECT_STREQ(small, expected.substr(0, 7).c_str());
}

TEST_F(DsoundProxyTest, FailureRuleSkipsTheRealCallAndNullsOutputs) {
    IDirectSound* device = (IDirectSound*)1;
    ASSERT_TRUE(fault::Fail("DirectSoundCreate", KVO_DSERR_NODRIVER, 0, 1));
    EXPECT_EQ(DirectSoundCreate(nullptr, &device, nullptr), (HRESULT)KVO_DSERR_NODRIVER);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(fault::LiveObjects(), 0);
    OpenDevice();
    EXPECT_NE(fault::Log().find("DirectSoundCreate null -> 0x88780078\nDirectSoundCreate " +
                                std::string(kDefaultGuid) + " -> dev1 "), std::string::npos);

    buffer_ = (IDirectSoundBuffer*)1;
    fault::Fail("CreateSoundBuffer", kFail, 0, 1);
    EXPECT_EQ(MakeSecondary(&buffer_), kFail);
    EXPECT_EQ(buffer_, nullptr);
    EXPECT_NE(fault::Log().find("format=1/2/22050/88200/4/16/0 -> 0x80004005\n"), std::string::npos);
    ASSERT_EQ(MakeSecondary(&buffer_), DS_OK);

    // The refused volume never reaches the buffer.
    LONG volume = 1;
    buffer_->SetVolume(-2000);
    fault::Fail("SetVolume", kFail, 0, 1);
    fault::Fail("GetVolume", kFail, 0, 1);
    EXPECT_EQ(buffer_->SetVolume(-5000), kFail);
    EXPECT_EQ(buffer_->GetVolume(&volume), kFail);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(buffer_->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, -2000);

    void* p1 = (void*)1;
    DWORD n1 = 1;
    fault::Fail("Lock", kFail, 0, 1);
    EXPECT_EQ(buffer_->Lock(0, kBytes, &p1, &n1, nullptr, nullptr, 0), kFail);
    EXPECT_EQ(p1, nullptr);
    EXPECT_EQ(n1, 0u);
}

TEST_F(DsoundProxyTest, SuccessCodeRuleKeepsTheRealResult) {
    ASSERT_EQ(DirectSoundCreate(&DSDEVID_DefaultPlayback, &device_, nullptr), DS_OK);
    device_->SetCooperativeLevel(window_, DSSCL_PRIORITY);
    fault::Fail("CreatePrimaryBuffer", KVO_DS_NO_VIRTUALIZATION, 0, 1);
    DSBUFFERDESC desc = {sizeof(desc), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
    EXPECT_EQ(device_->CreateSoundBuffer(&desc, &primary_, nullptr), (HRESULT)KVO_DS_NO_VIRTUALIZATION);
    ASSERT_NE(primary_, nullptr);
    WAVEFORMATEX f = Format();
    EXPECT_EQ(primary_->SetFormat(&f), DS_OK);

    ASSERT_EQ(MakeSecondary(&buffer_), DS_OK);
    LONG volume = 0;
    fault::Fail("SetVolume", 1, 0, 1);
    EXPECT_EQ(buffer_->SetVolume(-3000), 1);
    EXPECT_EQ(buffer_->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, -3000);

    // A rule on the last Release gives its code, and the object goes all the same.
    fault::Fail("Release", 7, 0, 1);
    EXPECT_EQ(buffer_->Release(), 7u);
    buffer_ = nullptr;
    EXPECT_EQ(fault::LiveObjects(), 2);
}

TEST_F(DsoundProxyTest, RulesSkipRepeatAndQueueInOrder) {
    OpenDevice();
    ASSERT_EQ(MakeSecondary(&buffer_), DS_OK);
    fault::Fail("SetPan", kFail, 1, 2);
    fault::Fail("SetPan", DSERR_INVALIDPARAM, 0, 1);
    std::string seen;
    for (int i = 0; i < 5; ++i) {
        HRESULT hr = buffer_->SetPan(0);
        seen += hr == DS_OK ? '.' : hr == kFail ? 'f' : hr == DSERR_INVALIDPARAM ? 'p' : '?';
    }
    EXPECT_EQ(seen, ".ffp.");
    EXPECT_EQ(fault::Count("SetPan"), 5);

    fault::Fail("Stop", kFail, 0, -1);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(buffer_->Stop(), kFail);
    fault::Reset();
    EXPECT_EQ(buffer_->Stop(), DS_OK);
}

TEST_F(DsoundProxyTest, LostMarkUntilRestoreSucceeds) {
    OpenDevice();
    ASSERT_EQ(MakeSecondary(&buffer_), DS_OK);
    ASSERT_EQ(buffer_->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_TRUE(fault::SetLost(1));
    EXPECT_EQ(Status(buffer_), (DWORD)DSBSTATUS_BUFFERLOST);
    EXPECT_EQ(Status(primary_) & DSBSTATUS_BUFFERLOST, 0u);

    // Play and Lock are refused without reaching the buffer.
    buffer_->Stop();
    EXPECT_EQ(buffer_->Play(0, 0, 0), kLost);
    void* p1 = (void*)1;
    DWORD n1 = 1;
    EXPECT_EQ(buffer_->Lock(0, kBytes, &p1, &n1, nullptr, nullptr, 0), kLost);
    EXPECT_EQ(p1, nullptr);

    fault::Fail("Restore", KVO_DSERR_BUFFERLOST, 0, 2);
    EXPECT_EQ(buffer_->Restore(), kLost);
    EXPECT_EQ(buffer_->Restore(), kLost);
    EXPECT_EQ(Status(buffer_), (DWORD)DSBSTATUS_BUFFERLOST);
    EXPECT_EQ(buffer_->Restore(), DS_OK);
    EXPECT_EQ(Status(buffer_), 0u);
    EXPECT_EQ(buffer_->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Status(buffer_), (DWORD)DSBSTATUS_PLAYING);

    fault::SetLost(1);
    fault::SetLost(0);
    EXPECT_EQ(Status(buffer_), (DWORD)DSBSTATUS_PLAYING);
}

TEST_F(DsoundProxyTest, RandomFailuresRepeatWithTheSeed) {
    OpenDevice();
    ASSERT_EQ(MakeSecondary(&buffer_), DS_OK);
    auto pattern = [this](const char* call, unsigned seed) {
        fault::Reset();
        fault::Random(call, seed, 300, kFail);
        std::string p;
        for (int i = 0; i < 60; ++i) p += buffer_->SetVolume(-100) == kFail ? 'x' : '.';
        return p;
    };
    std::string first = pattern(nullptr, 7);
    EXPECT_EQ(pattern(nullptr, 7), first);
    EXPECT_NE(first.find('x'), std::string::npos);
    EXPECT_NE(first.find('.'), std::string::npos);
    EXPECT_NE(pattern(nullptr, 8), first);
    EXPECT_EQ(pattern("SetVolume", 7), first);
    EXPECT_EQ(pattern("GetPan", 7), std::string(60, '.'));
}

}  // namespace
