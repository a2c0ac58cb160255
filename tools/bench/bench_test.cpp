// The benchmark's own instruments: the statistics, the import redirection
// that counts allocations, and the files and session it drives the module with.
#include <gtest/gtest.h>

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

}  // namespace
