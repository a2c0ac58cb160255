// The benchmark's own instruments: the statistics, the import redirection
// that counts allocations, and the files and session it drives the module with.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "host/host.h"
#include "tools/bench/bench.h"
#include "tools/bench/sections.h"

namespace {

std::vector<double> Ramp(int n) {
    std::vector<double> samples;
    for (int i = n; i >= 1; --i) samples.push_back(i);  // unsorted on purpose
    return samples;
}

TEST(BenchStatistics, NearestRankMedianAndP99) {
    EXPECT_EQ(bench::Summarize(Ramp(100)).median, 50);
    EXPECT_EQ(bench::Summarize(Ramp(100)).p99, 99);
    EXPECT_EQ(bench::Summarize(Ramp(1000)).p99, 990);
    EXPECT_EQ(bench::Summarize(Ramp(3)).median, 2);
    EXPECT_EQ(bench::Summarize(Ramp(3)).p99, 3);
    EXPECT_EQ(bench::Summarize(Ramp(1)).p99, 1);
    EXPECT_EQ(bench::Summarize({}).median, 0);
}

// The files the tables are measured on: keys numbered as the module reads
// them, and a WAV of the asked size in whole stereo frames.
TEST(BenchFiles, ConfigurationAndWavAreWhatTheTablesSay) {
    std::string folder = MakeWorkFolder();
    std::string config = folder + "\\c.ini";
    ASSERT_TRUE(bench::WriteConfig(config, 101));
    char value[64];
    EXPECT_EQ(GetPrivateProfileIntA("Config", "MaxSounds", 0, config.c_str()), 101u);
    GetPrivateProfileStringA("Sounds", "Sound07", "", value, sizeof value, config.c_str());
    EXPECT_STREQ(value, "sound07.wav");
    GetPrivateProfileStringA("LVars", "Lvar100", "", value, sizeof value, config.c_str());
    EXPECT_STREQ(value, "bench_cmd_100");

    std::string wav = folder + "\\w.wav";
    ASSERT_TRUE(WriteSquareWav(wav, 100003));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(wav.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 44u + 100000u);
    EXPECT_GE(bench::PlainRead(wav), 0);
    EXPECT_EQ(bench::PlainRead(folder + "\\missing.wav"), -1);
    RemoveWorkFolder(folder);
}

class BenchSession : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeWorkFolder(); }
    void TearDown() override {
        CloseSession();
        RemoveWorkFolder(folder_);
    }
    std::string folder_;
};

TEST_F(BenchSession, RedirectImportSwapsTheModulesEntryAndGivesTheOldOneBack) {
    Session session;
    session.slots = 1;
    ASSERT_TRUE(OpenSession(bench::PrepareConfig(folder_, 1), &session));
    void* real = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "malloc"));
    ASSERT_NE(real, nullptr);
    void* marker = reinterpret_cast<void*>(&Ramp);
    EXPECT_EQ(bench::RedirectImport(host::Module(), "MSVCRT.DLL", "malloc", marker), real);
    EXPECT_EQ(bench::RedirectImport(host::Module(), "msvcrt.dll", "malloc", real), marker);
    EXPECT_EQ(bench::RedirectImport(host::Module(), "msvcrt.dll", "no_such_function", marker), nullptr);
}

TEST_F(BenchSession, TheModuleLoadsTheBenchConfigurationAndEverySound) {
    Session session;
    session.slots = 12;
    ASSERT_TRUE(OpenSession(bench::PrepareConfig(folder_, 12), &session));
    ASSERT_TRUE(bench::RunUntilServing(&session));
    ASSERT_EQ(session.commandIds.size(), 12u);
    bench::SetAllCommands(session, 4);
    PreUpdate(session);
    EXPECT_EQ(bench::SlotsNotAt(session, 0), 0);
    EXPECT_TRUE(host::MessageBoxes().empty());
    bench::SetAllCommands(session, 2);
    PreUpdate(session);
    PreUpdate(session);
    EXPECT_EQ(bench::SlotsNotAt(session, 2), 0);
}

// The counter sees the module's allocations where there must be some (the
// slot table, each sound's buffer), and running frames allocate nothing.
TEST_F(BenchSession, AllocationCounterSeesTheModulesAllocations) {
    Session session;
    session.slots = 5;
    ASSERT_TRUE(OpenSession(bench::PrepareConfig(folder_, 5), &session));
    EXPECT_NE(bench::CountModuleAllocations(host::Module()).find("calloc"), std::string::npos);
    long before = bench::ModuleAllocationCount();
    ASSERT_TRUE(bench::RunUntilServing(&session));
    EXPECT_GT(bench::ModuleAllocationCount(), before);

    bench::SetAllCommands(session, 4);
    before = bench::ModuleAllocationCount();
    PreUpdate(session);
    EXPECT_GE(bench::ModuleAllocationCount() - before, 5);

    bench::SetAllCommands(session, 2);
    PreUpdate(session);
    before = bench::ModuleAllocationCount();
    for (int i = 0; i < 200; ++i) PreUpdate(session);
    EXPECT_EQ(bench::ModuleAllocationCount() - before, 0);
}

// A WAV whose "data" chunk claims far more than the file holds fails as a
// file cut short fails, and neither the module nor DirectSound asks for
// memory anywhere near the claimed size. The sound read first shows that
// both counters see the allocations of a buffer that is made.
TEST_F(BenchSession, DataClaimedBeyondTheFileTakesNoMemoryForIt) {
    const uint32_t kControlBytes = 100000;
    const uint32_t kHeldBytes = 1000;
    struct Claim {
        const char* what;
        uint32_t bytes;
        const char* firstBox;  // the end of the first box
    } claims[] = {
        {"short file", 8000, "Full Error Code 0x80004005\nLocation 8\nFile "},
        {"250 MB", 250u << 20, "Full Error Code 0x80004005\nLocation 8\nFile "},
        // Beyond the largest buffer DirectSound makes: it refuses the size
        // itself, as it always did, before it allocates anything.
        {"1 GB", 1u << 30, "Full Error Code 0x80070057\nLocation 6\nFile "},
        {"1.9 GB", 1900u << 20, "Full Error Code 0x80070057\nLocation 6\nFile "},
    };
    const int kSlots = 1 + sizeof claims / sizeof claims[0];
    std::string config = folder_ + "\\claims.ini";
    ASSERT_TRUE(bench::WriteConfig(config, kSlots));
    ASSERT_TRUE(WriteSquareWav(folder_ + "\\sound00.wav", kControlBytes));
    for (int i = 1; i < kSlots; ++i) {
        char name[32];
        snprintf(name, sizeof name, "\\sound%02d.wav", i);
        std::string path = folder_ + name;
        ASSERT_TRUE(WriteSquareWav(path, kHeldBytes));
        // The data chunk's size field, at offset 40 of the 44-byte header.
        FILE* file = fopen(path.c_str(), "r+b");
        ASSERT_NE(file, nullptr);
        uint32_t claimed = claims[i - 1].bytes;
        uint8_t field[4] = {uint8_t(claimed), uint8_t(claimed >> 8), uint8_t(claimed >> 16), uint8_t(claimed >> 24)};
        fseek(file, 40, SEEK_SET);
        fwrite(field, 1, 4, file);
        fclose(file);
    }

    Session session;
    session.slots = kSlots;
    ASSERT_TRUE(OpenSession(config, &session));
    ASSERT_TRUE(bench::RunUntilServing(&session));
    ASSERT_NE(bench::CountModuleAllocations(host::Module()).find("malloc"), std::string::npos);
    ASSERT_NE(bench::CountSoundAllocations().find("HeapAlloc"), std::string::npos);

    bench::ResetLargestAllocations();
    host::SetVariable(bench::CommandName(0).c_str(), 4);
    PreUpdate(session);
    ASSERT_EQ(host::VariableValue(bench::CommandName(0).c_str()), 0);
    EXPECT_GE(bench::LargestModuleAllocation(), kControlBytes);
    EXPECT_GE(bench::LargestSoundAllocation(), kControlBytes);

    const size_t kFileBytes = 44 + kHeldBytes;
    for (int i = 1; i < kSlots; ++i) {
        const Claim& claim = claims[i - 1];
        host::ClearMessageBoxes();
        bench::ResetLargestAllocations();
        host::SetVariable(bench::CommandName(i).c_str(), 1);
        PreUpdate(session);
        EXPECT_EQ(host::VariableValue(bench::CommandName(i).c_str()), -1) << claim.what;
        printf("%s claimed by a file of %u bytes: largest request %lu in the module, %lu in dsound.dll\n", claim.what,
               static_cast<unsigned>(kFileBytes), static_cast<unsigned long>(bench::LargestModuleAllocation()),
               static_cast<unsigned long>(bench::LargestSoundAllocation()));
        EXPECT_LT(bench::LargestModuleAllocation(), kFileBytes) << claim.what;
        EXPECT_LT(bench::LargestSoundAllocation(), kFileBytes) << claim.what;
        auto boxes = host::MessageBoxes();
        ASSERT_EQ(boxes.size(), 2u) << claim.what;
        EXPECT_THAT(boxes[0].text, ::testing::HasSubstr(claim.firstBox)) << claim.what;
        EXPECT_THAT(boxes[1].text, ::testing::StartsWith("LSF - Load Sound File Failed\n")) << claim.what;
    }
}

}  // namespace
