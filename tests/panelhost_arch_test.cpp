// panelhost with both modules: the launcher runs each in a host program of
// its own architecture, picked by the module's machine type or by the
// simulator version, and a module that cannot run where it is asked to gets
// one line, from the launcher or from a host program run directly.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "tests/panelhost_run.h"
#include "tests/test_support.h"
#include "tools/common/wav_files.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class PanelhostArchitectures : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeTempFolder("kvo_arch");
        ASSERT_TRUE(WriteTone(folder_ + "\\good.wav", 0.1));
        ini_ = folder_ + "\\one.ini";
        std::ofstream(ini_.c_str()) << "[Config]\nMaxSounds=1\n[Sounds]\nSound00=good.wav\n";
        std::ofstream((folder_ + "\\pass.scn").c_str()) << "gauge " << ini_ << "\nframes 11\nexpect kvo_xml_id_00 0\n";
        scenario_ = "\"" + folder_ + "\\pass.scn\"";
        module32_ = TestProgramFolder() + "\\kvo_sound.dll";
        module64_ = Hosts() + "x64-6\\kvo_sound.dll";
    }
    void TearDown() override { RemoveTree(folder_); }
    static std::string Hosts() { return TestProgramFolder() + "\\panelhost\\"; }
    static std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
    std::string folder_, ini_, scenario_, module32_, module64_, out_;
};

TEST_F(PanelhostArchitectures, EachModuleRunsInAHostOfItsArchitecture) {
    EXPECT_EQ(RunPanelhost("--fast --module " + Quoted(module64_) + " " + scenario_, &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("write     FSVersionMajor = 6 (was 0)"));
    for (const char* version : {"4", "5"}) {
        EXPECT_EQ(RunPanelhost(std::string("--fast --sim-version ") + version + " " + scenario_, &out_), 0) << out_;
        EXPECT_THAT(out_, HasSubstr(std::string("write     FSVersionMajor = ") + version + " (was 0)"));
        EXPECT_THAT(out_, HasSubstr("panelhost\\x64-" + std::string(version) + "\\kvo_sound.dll"));
    }
    // No version resource: the module's architecture decides.
    EXPECT_EQ(RunPanelhost("--fast --sim-version none --module " + Quoted(module64_) + " " + scenario_, &out_), 0);
    EXPECT_THAT(out_, HasSubstr(module64_));
    EXPECT_THAT(out_, Not(HasSubstr("FSVersionMajor = ")));  // written 0 over 0
    EXPECT_EQ(RunPanelhost("--fast --sim-version none " + scenario_, &out_), 0);
    EXPECT_THAT(out_, HasSubstr("panelhost\\none\\kvo_sound.dll"));
    // The 32-bit module given by path still goes to its own hosts.
    EXPECT_EQ(RunPanelhost("--fast --sim-version 1 --module " + Quoted(module32_) + " " + scenario_, &out_), 0);
    EXPECT_THAT(out_, HasSubstr("write     FSVersionMajor = 1 (was 0)"));

    EXPECT_EQ(RunPanelhost("--check " + Quoted(ini_) + " --module " + Quoted(module64_), &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("1 of 1 configured sounds load and play"));
}

TEST_F(PanelhostArchitectures, AModuleInTheWrongHostGetsOneLine) {
    struct Case { std::string program, arguments, message; } cases[] = {
        {"", "--module " + Quoted(module64_) + " --sim-version 10 " + scenario_,
         module64_ + " is a 64-bit module; --sim-version 10 is a 32-bit simulator (give 4, 5, 6 or none)"},
        {"", "--sim-version 5 --module " + Quoted(module32_) + " " + scenario_,
         module32_ + " is a 32-bit module; --sim-version 5 is a 64-bit simulator (give 10, 9, 1 or none)"},
        {"", "--simconnect --module " + Quoted(module64_) + " " + scenario_,
         "--simconnect goes with the 32-bit module only: the 64-bit one never opens a SimConnect link"},
        {"", "--sim-version 6 --simconnect " + scenario_, "--simconnect goes with the 32-bit module only"},
        // Host programs run directly, past the launcher.
        {Hosts() + "x64-6\\panelhost.exe", "--module " + Quoted(module32_) + " " + scenario_,
         module32_ + " is a 32-bit module; this host program is 64-bit (run panelhost.exe, which picks the host)"},
        {Hosts() + "10\\panelhost.exe", "--check " + Quoted(ini_) + " --module " + Quoted(module64_),
         module64_ + " is a 64-bit module; this host program is 32-bit"},
    };
    for (const Case& c : cases) {
        int status = c.program.empty() ? RunPanelhost(c.arguments, &out_) : RunProgram(c.program, c.arguments, &out_);
        EXPECT_EQ(status, 2) << c.arguments << "\n" << out_;
        EXPECT_THAT(out_, HasSubstr(c.message)) << c.arguments;
        EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 1) << out_;
    }
}

}  // namespace
