// The aircraft check on a real install: the module file the simulator loads
// and the simulator it is (asked for, or read from its program), the files
// read in the encodings the simulator reads, and the commands that a
// panel's scripts take from each other.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <fstream>
#include <string>

#include "tests/panelhost_run.h"
#include "tests/test_support.h"
#include "tools/common/wav_files.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path.c_str(), std::ios::binary) << text;
}

// TEXT (ASCII) as UTF-16 little-endian with its byte-order mark.
void WriteUtf16(const std::string& path, const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) bytes += std::string(1, c) + '\0';
    WriteText(path, bytes);
}

std::string HostFile(const std::string& variant, const char* name) {
    return TestProgramFolder() + "\\panelhost\\" + variant + "\\" + name;
}

// Sets the file version in the version resource of the copy at PATH.
void PatchFileVersion(const std::string& path, uint32_t ms, uint32_t ls) {
    std::string bytes;
    {
        std::ifstream in(path.c_str(), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    size_t at = bytes.find(std::string("\xBD\x04\xEF\xFE", 4));
    ASSERT_NE(at, std::string::npos);
    memcpy(&bytes[at + 8], &ms, 4);
    memcpy(&bytes[at + 12], &ls, 4);
    WriteText(path, bytes);
}

// A simulator folder with one aircraft, built as a published one: the Sound
// gauge line, an XML gauge that loops the engine, its INI and WAV files. The
// module goes into Gauges; the test puts the simulator's program beside it.
class Install : public ::testing::Test {
protected:
    void SetUp() override {
        // The 64-bit build's own suite has no 32-bit hosts to run these against.
        if (GetFileAttributesA(HostFile("10", "kvo_sound.dll").c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "the 32-bit hosts are not built beside this program";
        root_ = MakeTempFolder("kvo_install");
        for (const char* folder : {"\\Gauges", "\\SimObjects", "\\SimObjects\\Airplanes", "\\SimObjects\\Airplanes\\Hawk",
                                   "\\SimObjects\\Airplanes\\Hawk\\panel", "\\SimObjects\\Airplanes\\Hawk\\panel\\hawk"})
            CreateDirectoryA((root_ + folder).c_str(), nullptr);
        plane_ = root_ + "\\SimObjects\\Airplanes\\Hawk";
        panel_ = plane_ + "\\panel";
        aircraftCfg_ = "[fltsim.0]\r\ntitle=Hawk\r\npanel=\r\n\r\n[General]\r\natc_type=HAWK\r\n";
        panelCfg_ = "[Window Titles]\r\nWindow00=Main Panel\r\n\r\n[Window00]\r\nsize_mm=640,480\r\n"
                    "gauge00=hawk!Engine, 0,0,10,10\r\ngauge01=kvo_sound!Sound, 0,0,1,1, .\\SimObjects\\Airplanes\\Hawk\\panel\\sound.ini\r\n";
        ini_ = "[Config]\r\nMaxSounds=1\r\n[Sounds]\r\nSound00=engine.wav\r\n[LVars]\r\nLvar00=hawk_engine\r\n";
        WriteText(panel_ + "\\hawk\\Engine.xml",
                  "<Gauge Name=\"Engine\" Version=\"1.0\">\r\n  <Update>\r\n"
                  "    (A:GENERAL ENG RPM:1, rpm) 300 &gt; (L:hawk_engine, number) 0 == and\r\n"
                  "    if{ 2 (&gt;L:hawk_engine, number) }\r\n  </Update>\r\n</Gauge>\r\n");
        EXPECT_TRUE(WriteTone(panel_ + "\\engine.wav", 0.1));
    }
    void TearDown() override {
        if (!root_.empty()) RemoveTree(root_);
    }

    void WriteFiles(bool utf16) {
        void (*write)(const std::string&, const std::string&) = utf16 ? WriteUtf16 : WriteText;
        write(plane_ + "\\aircraft.cfg", aircraftCfg_);
        write(panel_ + "\\panel.cfg", panelCfg_);
        write(panel_ + "\\sound.ini", ini_);
    }
    void InstallModule(const std::string& variant) {
        ASSERT_TRUE(CopyFileA(HostFile(variant, "kvo_sound.dll").c_str(), (root_ + "\\Gauges\\kvo_sound.dll").c_str(),
                              FALSE));
    }
    void InstallProgram(const std::string& variant) {
        ASSERT_TRUE(CopyFileA(HostFile(variant, "panelhost.exe").c_str(), (root_ + "\\sim.exe").c_str(), FALSE));
    }
    bool HasBothHalves() { return GetFileAttributesA(HostFile("x64-5", "kvo_sound.dll").c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::string root_, plane_, panel_, aircraftCfg_, panelCfg_, ini_, out_;
};

// The easiest mistake: the 32-bit module in a 64-bit simulator's Gauges.
// Named by --sim-version, or read from the simulator's program, it is an
// error that names the release's file to take; the check runs panelhost's
// own 64-bit module instead, as the simulator would the right one.
TEST_F(Install, WrongArchitectureForTheSimulator) {
    if (!HasBothHalves()) GTEST_SKIP() << "the 64-bit half is not built beside this one";
    WriteFiles(false);
    InstallModule("10");
    std::string module = root_ + "\\Gauges\\kvo_sound.dll";
    std::string error = "ERROR " + module + ": a 32-bit module: a version 5 simulator (64-bit) cannot load it "
                        "(Windows error 193), so the panel has no Sound gauge and plays no sound; put Gauges\\for "
                        "64-bit simulators (4, 5, 6)\\kvo_sound.dll of the release zip in its place";

    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 5", &out_), 1) << out_;
    EXPECT_EQ(out_.find("module " + module + ": kvo_sound "), 0u) << out_;
    EXPECT_THAT(LineWith(out_, "module " + module), HasSubstr(", 32-bit, the file the simulator loads for kvo_sound!Sound (" +
                                                               panel_ + "\\panel.cfg:7)"));
    EXPECT_THAT(out_, HasSubstr("\r\nsimulator version 5 (64-bit), from --sim-version\r\n"));
    EXPECT_THAT(out_, HasSubstr("\r\nruns panelhost's own 64-bit module "));
    EXPECT_THAT(LineWith(out_, "runs panelhost's own"), HasSubstr("\\x64-5\\kvo_sound.dll) in its 64-bit host of version 5"));
    EXPECT_THAT(out_, HasSubstr(error));
    // The rest is checked through the right module.
    EXPECT_THAT(out_, HasSubstr("1 of 1 configured sounds load and play"));
    EXPECT_THAT(out_, HasSubstr("check: 1 error, 0 warnings"));

    // The same found from the simulator's program, a version-5 one.
    InstallProgram("x64-5");
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\"", &out_), 1) << out_;
    EXPECT_THAT(out_, HasSubstr("\r\nsimulator version 5 (64-bit), from " + root_ + "\\sim.exe, file version 5.4.9\r\n"));
    EXPECT_THAT(out_, HasSubstr(error));

    // And the reverse: the 64-bit module with a version-10 program.
    InstallModule("x64-6");
    InstallProgram("10");
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\"", &out_), 1) << out_;
    EXPECT_THAT(out_, HasSubstr("a 64-bit module: a version 10 simulator (32-bit) cannot load it"));
    EXPECT_THAT(out_, HasSubstr("put Gauges\\for 32-bit simulators (9, 10, 1)\\kvo_sound.dll of the release zip"));
}

// The right module is the one the check runs, in a host of its simulator's
// version; without a program that tells the version, the check says which
// simulators the module fits.
TEST_F(Install, RightModuleIsRunInItsSimulatorsHost) {
    WriteFiles(false);
    InstallModule(HasBothHalves() ? "x64-6" : "10");
    InstallProgram(HasBothHalves() ? "x64-5" : "9");
    std::string module = root_ + "\\Gauges\\kvo_sound.dll";
    const char* host = HasBothHalves() ? "64-bit host of version 5" : "32-bit host of version 9";
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\"", &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("\r\nruns " + module + " in panelhost's " + host + "\r\n"));
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 0 warnings"));

    DeleteFileA((root_ + "\\sim.exe").c_str());
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\"", &out_), 0) << out_;
    EXPECT_THAT(LineWith(out_, "simulator: no program in " + root_ + " tells its version"),
                HasSubstr(HasBothHalves() ? "the installed module, 64-bit, fits simulators of versions 4, 5 and 6"
                                          : "the installed module, 32-bit, fits simulators of versions 10, 9 and 1"));
}

// A module of another release: a warning with both versions, and the check
// runs panelhost's own.
TEST_F(Install, OtherReleaseIsAWarningWithBothVersions) {
    WriteFiles(false);
    InstallModule("10");
    std::string module = root_ + "\\Gauges\\kvo_sound.dll";
    PatchFileVersion(module, 1u << 16, 0);  // 1.0.0
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 0) << out_;
    EXPECT_THAT(LineWith(out_, "WARNING " + module),
                HasSubstr(": kvo_sound 1.0.0, older than panelhost's " KVO_VERSION ": the check runs panelhost's module"));
    EXPECT_THAT(out_, HasSubstr("not the installed 1.0.0"));
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 1 warning"));
}

// The vendor's sample aircraft ship panel.cfg and aircraft.cfg as UTF-16
// with a byte-order mark; the module reads its INI so too.
TEST_F(Install, Utf16FilesAreReadAsTheSimulatorReadsThem) {
    WriteFiles(true);
    InstallModule("10");
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("gauge hawk!Engine"));
    EXPECT_THAT(out_, HasSubstr("1 of 1 configured sounds load and play"));
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 0 warnings"));

    // Without the mark it reads as nothing at all: one rule, the same in every advice.
    std::string bytes;
    for (char c : panelCfg_) bytes += std::string(1, c) + '\0';
    WriteText(panel_ + "\\panel.cfg", bytes);
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 1) << out_;
    EXPECT_THAT(LineWith(out_, "ERROR " + panel_ + "\\panel.cfg"),
                HasSubstr("the panel configuration is saved as UTF-16 without a byte-order mark, which is read as "
                          "ANSI text and found empty; save it as ANSI (the system's code page, Windows-1252 on a "
                          "western system) or as UTF-16 with a byte-order mark"));
}

// A simulated object described by sim.cfg (a ground vehicle) has its panels
// found as an aircraft's.
TEST_F(Install, SimCfgWhereThereIsNoAircraftCfg) {
    WriteFiles(true);
    InstallModule("10");
    ASSERT_TRUE(MoveFileA((plane_ + "\\aircraft.cfg").c_str(), (plane_ + "\\sim.cfg").c_str()));
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("\r\naircraft " + plane_ + "\\sim.cfg\r\n"));
    EXPECT_THAT(out_, HasSubstr("1 of 1 configured sounds load and play"));
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 0 warnings"));
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\\sim.cfg\" --sim-version 10", &out_), 0) << out_;
}

// The guide's engine loop beside its volume button: a keeper that writes 2
// whenever the variable is not 2 overwrites the button's 3 before the module
// serves it. Writing 2 only where the variable is 0 keeps the 3.
TEST_F(Install, KeeperOverwritesTheButtonsSettingsCommand) {
    InstallModule("10");
    panelCfg_ += "gauge02=hawk!Volume, 20,0,10,10\r\n";
    WriteFiles(false);
    std::string engine = panel_ + "\\hawk\\Engine.xml";
    WriteText(engine, "<Gauge Name=\"Engine\" Version=\"1.0\">\r\n  <Update>\r\n"
                      "    (A:GENERAL ENG RPM:1, rpm) 300 &gt;\r\n"
                      "    if{ (L:hawk_engine, number) 2 != if{ 2 (&gt;L:hawk_engine, number) } }\r\n"
                      "    els{ (L:hawk_engine, number) 0 != if{ 0 (&gt;L:hawk_engine, number) } }\r\n"
                      "  </Update>\r\n</Gauge>\r\n");
    WriteText(panel_ + "\\hawk\\Volume.xml",
              "<Gauge Name=\"Volume\" Version=\"1.0\">\r\n  <Mouse>\r\n    <Area Left=\"0\" Top=\"0\" Width=\"10\" Height=\"10\">\r\n"
              "      <Click>-1800 (&gt;L:kvo_lvchime_volume_in, number) 3 (&gt;L:hawk_engine, number)</Click>\r\n"
              "    </Area>\r\n  </Mouse>\r\n</Gauge>\r\n");
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 0) << out_;
    EXPECT_THAT(LineWith(out_, "WARNING " + engine + ":4: hawk_engine: keeps the variable at 2"),
                HasSubstr("so the settings command 3 written at " + panel_ + "\\hawk\\Volume.xml:4 is overwritten in "
                          "the next update, before the module serves it, and is lost; write 2 only where the variable "
                          "is 0: (L:hawk_engine, number) 0 == if{ 2 (>L:hawk_engine, number) }"))
        << out_;
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 1 warning"));

    // Corrected as the warning says: nothing to report.
    WriteText(engine, "<Gauge Name=\"Engine\" Version=\"1.0\">\r\n  <Update>\r\n"
                      "    (A:GENERAL ENG RPM:1, rpm) 300 &gt;\r\n"
                      "    if{ (L:hawk_engine, number) 0 == if{ 2 (&gt;L:hawk_engine, number) } }\r\n"
                      "    els{ (L:hawk_engine, number) 0 != if{ 0 (&gt;L:hawk_engine, number) } }\r\n"
                      "  </Update>\r\n</Gauge>\r\n");
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 0 warnings"));
}

// Two scripts that can run in one frame write the pan input for different
// sounds: one beep takes the other's side. A click against a click cannot
// meet in one frame.
TEST_F(Install, TwoWritersOfThePanInput) {
    InstallModule("10");
    panelCfg_ += "gauge02=hawk!Beeps, 20,0,10,10\r\n";
    ini_ = "[Config]\r\nMaxSounds=3\r\n[Sounds]\r\nSound00=engine.wav\r\nSound01=left.wav\r\nSound02=right.wav\r\n"
           "[LVars]\r\nLvar00=hawk_engine\r\nLvar01=hawk_beep_left\r\nLvar02=hawk_beep_right\r\n";
    WriteFiles(false);
    ASSERT_TRUE(WriteTone(panel_ + "\\left.wav", 0.1));
    ASSERT_TRUE(WriteTone(panel_ + "\\right.wav", 0.1));
    std::string beeps = panel_ + "\\hawk\\Beeps.xml";
    std::string update = "  <Update>\r\n    (A:GEAR HANDLE POSITION, bool) (L:hawk_gear_was, bool) != if{\r\n"
                         "      (A:GEAR HANDLE POSITION, bool) (&gt;L:hawk_gear_was, bool)\r\n"
                         "      -8000 (&gt;L:kvo_lvchime_pan_in, number) 7 (&gt;L:hawk_beep_left, number) }\r\n"
                         "  </Update>\r\n";
    std::string click = "      <Click>8000 (&gt;L:kvo_lvchime_pan_in, number) 7 (&gt;L:hawk_beep_right, number)</Click>\r\n";
    std::string mouse = "  <Mouse>\r\n    <Area Left=\"0\" Top=\"0\" Width=\"10\" Height=\"10\">\r\n" + click +
                        "    </Area>\r\n  </Mouse>\r\n";
    WriteText(beeps, "<Gauge Name=\"Beeps\" Version=\"1.0\">\r\n" + update + mouse + "</Gauge>\r\n");
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 0) << out_;
    EXPECT_THAT(LineWith(out_, "WARNING " + beeps + ":9: kvo_lvchime_pan_in: written here for hawk_beep_right and at " +
                                   beeps + ":5 for hawk_beep_left, by scripts that can run in the same frame"),
                HasSubstr("one sound takes the other's pan"))
        << out_;
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 1 warning"));

    // Two clicks: one per frame, nothing to report.
    std::string second = "    <Area Left=\"0\" Top=\"10\" Width=\"10\" Height=\"10\">\r\n      <Click>-8000 "
                         "(&gt;L:kvo_lvchime_pan_in, number) 7 (&gt;L:hawk_beep_left, number)</Click>\r\n    </Area>\r\n";
    WriteText(beeps, "<Gauge Name=\"Beeps\" Version=\"1.0\">\r\n  <Mouse>\r\n    <Area Left=\"0\" Top=\"0\" "
                     "Width=\"10\" Height=\"10\">\r\n" + click + "    </Area>\r\n" + second + "  </Mouse>\r\n</Gauge>\r\n");
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 0 warnings"));
}

// One INI with volumes in both units: the percentage switches the module to
// percent, so from the next load on the hundredths of a decibel are read as
// percentages.
TEST_F(Install, VolumesInBothUnits) {
    InstallModule("10");
    WriteFiles(false);
    ASSERT_TRUE(WriteTone(panel_ + "\\gyro.wav", 0.1));
    ASSERT_TRUE(WriteTone(panel_ + "\\fan.wav", 0.1));
    std::string ini = panel_ + "\\sound.ini";
    WriteText(ini, "[Config]\r\nMaxSounds=3\r\n[Sounds]\r\nSound00=engine.wav,80\r\nSound01=gyro.wav,-300\r\n"
                   "Sound02=fan.wav,0\r\n[LVars]\r\nLvar00=hawk_engine\r\nLvar01=hawk_engine\r\nLvar02=hawk_engine\r\n");
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 0) << out_;
    EXPECT_THAT(LineWith(out_, "WARNING " + ini + ":5: Sound01=gyro.wav,-300: Sound00's ,80 is a percentage"),
                HasSubstr("from the panel's next load on it is read as a percentage, silent. Write every volume of the "
                          "file in one unit: ,97 in percent"))
        << out_;
    EXPECT_THAT(LineWith(out_, "Sound02=fan.wav,0:"), HasSubstr("silent instead of full"));

    // One unit throughout: nothing about units.
    WriteText(ini, "[Config]\r\nMaxSounds=2\r\n[Sounds]\r\nSound00=engine.wav,80\r\nSound01=gyro.wav,97\r\n"
                   "[LVars]\r\nLvar00=hawk_engine\r\nLvar01=hawk_engine\r\n");
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 0) << out_;
    EXPECT_THAT(out_, Not(HasSubstr("is a percentage")));
}

// The guide's snippets as the build's guide aircraft has them pass the check;
// the snippets as the guide had them before lose commands, and the check
// says which and what to write instead.
TEST(GuideSnippets, PassTheCheckAndTheirOldFormsAreFound) {
    std::string root = MakeTempFolder("kvo_guide");
    CopyTree(TestProgramFolder() + "\\..\\aircraft_guide", root);
    CreateDirectoryA((root + "\\Gauges").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((TestProgramFolder() + "\\kvo_sound.dll").c_str(), (root + "\\Gauges\\kvo_sound.dll").c_str(),
                          FALSE));
    std::string plane = root + "\\SimObjects\\Airplanes\\kvo_guide";
    std::string out;
    EXPECT_EQ(RunPanelhost("--check \"" + plane + "\"", &out), 0) << out;
    EXPECT_THAT(out, HasSubstr("4 of 4 configured sounds load and play"));
    EXPECT_THAT(out, HasSubstr("check: 0 errors, 0 warnings"));

    std::string engine = plane + "\\panel\\guide\\EngineSound.xml";
    std::string fire = plane + "\\panel\\guide\\FireBell.xml";
    WriteText(engine, "<Gauge Name=\"EngineSound\" Version=\"1.0\">\n  <Update>\n    (A:GENERAL ENG RPM:1, rpm) 300 &gt;\n"
                      "    if{ (L:myplane_engine, number) 2 != if{ 2 (&gt;L:myplane_engine, number) } }\n"
                      "    els{ (L:myplane_engine, number) 0 != if{ 0 (&gt;L:myplane_engine, number) } }\n"
                      "  </Update>\n</Gauge>\n");
    WriteText(fire, "<Gauge Name=\"FireBell\" Version=\"1.0\">\n  <Update>\n"
                    "    (A:ENG ON FIRE:1, bool) (L:myplane_fire1_was, bool) != if{\n"
                    "      (A:ENG ON FIRE:1, bool) (&gt;L:myplane_fire1_was, bool)\n"
                    "      (A:ENG ON FIRE:1, bool) if{ 2 } els{ 0 } (&gt;L:myplane_fire_bell, number) }\n"
                    "  </Update>\n</Gauge>\n");
    EXPECT_EQ(RunPanelhost("--check \"" + plane + "\"", &out), 0) << out;
    EXPECT_THAT(LineWith(out, "WARNING " + engine + ":4: myplane_engine: keeps the variable at 2"),
                HasSubstr("the settings command 3 written at " + plane + "\\panel\\guide\\EngineButtons.xml:4"))
        << out;
    EXPECT_THAT(LineWith(out, "WARNING " + fire + ":5: myplane_fire_bell: the play code is written only where the "
                              "state kept in myplane_fire1_was changes"),
                HasSubstr("a flight that starts with the cause already true loses the loop"))
        << out;
    EXPECT_THAT(out, HasSubstr("check: 0 errors, 2 warnings"));
    RemoveTree(root);
}

// A write through a grouped macro with a parameter that forms part of the
// name is the configured variable's: no "nothing writes this" for it.
TEST_F(Install, WritesThroughGroupedParameterisedMacros) {
    InstallModule("10");
    panelCfg_ += "gauge02=hawk!Chime, 20,0,10,10\r\n";
    ini_ = "[Config]\r\nMaxSounds=2\r\n[Sounds]\r\nSound00=engine.wav\r\nSound01=chime.wav\r\n"
           "[LVars]\r\nLvar00=hawk_engine\r\nLvar01=hawk_chime\r\n";
    WriteFiles(false);
    ASSERT_TRUE(WriteTone(panel_ + "\\chime.wav", 0.1));
    WriteText(panel_ + "\\hawk\\Chime.xml",
              "<Gauge Name=\"Chime\" Version=\"1.0\">\r\n  <Macros>\r\n"
              "    <Macro Name=\"Command\">(&gt;L:hawk_@1, number)</Macro>\r\n"
              "    <Macro Name=\"Play\">1 @Command(@1)</Macro>\r\n  </Macros>\r\n"
              "  <Mouse>\r\n    <Area Left=\"0\" Top=\"0\" Width=\"10\" Height=\"10\">\r\n"
              "      <Click>@Play(chime)</Click>\r\n    </Area>\r\n  </Mouse>\r\n</Gauge>\r\n");
    EXPECT_EQ(RunPanelhost("--check \"" + plane_ + "\" --sim-version 10", &out_), 0) << out_;
    EXPECT_THAT(out_, Not(HasSubstr("no XML gauge of this panel writes")));
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 0 warnings"));
}

}  // namespace
