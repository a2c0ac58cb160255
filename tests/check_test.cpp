// The aircraft check: its rule for the Sound gauge's parameter held against
// the module's own resolution, and panelhost --check run on a faulty aircraft
// it has never seen and on the clean example aircraft.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <fstream>
#include <string>

#include "tests/panelhost_run.h"
#include "tests/test_support.h"
#include "tests/wav_files.h"
#include "tools/panelhost/check/check.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path.c_str(), std::ios::binary) << text;
}

// Every parameter form, found and not found, against the module loaded from
// a panel folder: its box names the candidate and the default path, and its
// Debugger gauge shows the path it took.
TEST(ParameterForms, ResolveAsTheModuleDoes) {
    std::string panel = MakeTempFolder("kvo_forms");
    std::string module = panel + "\\kvo_sound.gau";
    ASSERT_TRUE(CopyFileA((TestProgramFolder() + "\\kvo_sound.dll").c_str(), module.c_str(), FALSE));
    WriteText(panel + "\\found.ini", "[Config]\n");
    WriteText(panel + "\\kvo_sound.ini", "[Config]\n");
    // The module's simulator folder is the running program's.
    std::string simFolder = TestProgramFolder();
    const std::string parameters[] = {"",          "found.ini",         "\\found.ini",       "/found.ini",
                                      "cfg\\a.ini", "C:\\Sounds\\a.ini", ".\\SimObjects\\a.ini", "..\\a.ini",
                                      std::string(300, 'a')};
    for (const std::string& parameter : parameters) {
        host::Reset();
        host::ClearMessageBoxes();
        ASSERT_TRUE(host::LoadModule(module.c_str()));
        host::StartModule();
        host::AddGauge("Sound", parameter.c_str());
        int debugger = host::AddGauge("Debugger", "");
        host::RunFrame();
        host::UpdateDebugger(debugger);
        std::string shown = host::DebuggerLine(debugger, 2);
        std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();

        ResolvedParameter rule = ResolveParameter(parameter, module, simFolder);
        EXPECT_EQ(rule.climbs, parameter == "..\\a.ini") << parameter;
        if (!rule.fits) {
            ASSERT_EQ(boxes.size(), 1u) << parameter;
            EXPECT_THAT(boxes[0].text, HasSubstr("Config File Not Found:\n"));
            EXPECT_EQ(shown, "CFG = " + rule.defaultPath);
        } else if (boxes.empty()) {
            EXPECT_EQ(shown, "CFG = " + rule.candidate) << rule.form;
        } else {
            EXPECT_EQ(boxes[0].text, "Config File Not Found:\n" + rule.candidate + "\n\nUsing Default:\n" +
                                         rule.defaultPath)
                << rule.form;
        }
        // The files that exist are found by both.
        EXPECT_EQ(boxes.empty(), parameter.empty() || parameter.find("found") != std::string::npos) << parameter;
        host::KillGauges();
        host::StopModule();
        host::UnloadModule();
    }
    RemoveTree(panel);
}

class AircraftCheck : public ::testing::Test {
protected:
    void SetUp() override { root_ = MakeTempFolder("kvo_aircraft"); }
    void TearDown() override { RemoveTree(root_); }

    std::string Folder(const std::string& relative) {
        std::string path = root_;
        size_t begin = 0;
        while (begin <= relative.size()) {
            size_t end = relative.find('\\', begin);
            if (end == std::string::npos) end = relative.size();
            path += "\\" + relative.substr(begin, end - begin);
            CreateDirectoryA(path.c_str(), nullptr);
            begin = end + 1;
        }
        return path;
    }
    std::string root_;
    std::string out_;
};

// One aircraft with each kind of fault planted once; its variations share
// a panel through an alias, and one variation's panel is missing.
TEST_F(AircraftCheck, FindsEveryPlantedFault) {
    Folder("Gauges");
    std::string plane = Folder("SimObjects\\Airplanes\\Faulty");
    std::string panel = Folder("SimObjects\\Airplanes\\Faulty\\panel");
    WriteText(plane + "\\aircraft.cfg",
              "[fltsim.0]\ntitle=Faulty\npanel=\n[fltsim.1]\npanel=\"2\"  // the second\n[fltsim.2]\npanel=3\n"
              "[fltsim.3]\npanel=gone\n");
    WriteText(Folder("SimObjects\\Airplanes\\Faulty\\panel.2") + "\\panel.cfg",
              "[Window00]\ngauge00=clock!Clock, 0, 0\n");
    WriteText(plane + "\\panel.2\\clock.gau", "a compiled gauge of someone else's");
    WriteText(Folder("SimObjects\\Airplanes\\Faulty\\panel.3") + "\\panel.cfg", "[fltsim]\nalias=Faulty\\panel\n");
    ASSERT_TRUE(CopyFileA((TestProgramFolder() + "\\kvo_sound.dll").c_str(), (panel + "\\kvo_sound.gau").c_str(), FALSE));
    WriteText(panel + "\\panel.cfg",
              "[Window00]\n"
              "gauge00=kvo_sound!Sound, 0, 0, 1, 1, sound.ini\n"
              "gauge01=KVO_SOUND!Sounds, 0, 0, 1, 1\n"
              "gauge02=kvo_sound!sound, 0, 0, 1, 1, ..\\sound.ini  // meant the folder above\n"
              "[VCockpit01]\n"
              "gauge00=kvo_sound!Sound, 0, 0, 1, 1, empty.ini\n"
              "gauge01=kvo_sound!Sound, 0, 0, 1, 1, binary.ini\n"
              "gauge02=kvo_sound!Sound, 0, 0, 1, 1, folder.ini\n"
              "gauge03=kvo_sound!Sound, 0, 0, 1, 1, nosounds.ini\n"
              "gauge04=kvo_other!Debugger, 0, 0, 150, 25\n"
              "gauge05=kvo_xml!Missing, 0, 0, 10, 10\n"
              "gauge06=kvo_xml!Switches, 0, 0, 10, 10\n");
    WriteText(Folder("SimObjects\\Airplanes\\Faulty\\panel\\kvo_xml") + "\\Switches.xml",
              "<Gauge Name=\"Switches\" Version=\"1.0\">\n<Mouse>\n<Area Left=\"0\" Top=\"0\" Width=\"10\" Height=\"10\">\n"
              "<Click>1 (&gt;L:kvo_xml_id_1, number) 2 (&gt;L:kvo_xml_id_02, number)</Click>\n</Area>\n</Mouse>\n</Gauge>\n");
    ASSERT_TRUE(WriteTone(panel + "\\good.wav", 0.1));
    ASSERT_TRUE(WriteTone(Folder("Sound") + "\\dot.wav", 0.1));  // below the simulator's folder
    std::string longName(130, 'v');
    WriteText(panel + "\\sound.ini",
              "[Config]\nMaxSounds=4x\nMaxSound=5\nErrorFlag=abc\n"
              "[Sounds]\nSound00=good.wav\nSound1=good.wav\nSound01=missing.wav\nSound02=good.wav\n"
              "Sound03=.\\Sound\\dot.wav\nSound05=good.wav\n"
              "[LVars]\nLvar00=" + longName + "\nLvar03=kvo_xml_id_02\nLvar4=x\n");
    WriteText(panel + "\\empty.ini", " \r\n");
    WriteText(panel + "\\binary.ini", std::string("\x7f" "ELF\x01\x01\x00\x00\x00", 9) + "[Sounds]");
    Folder("SimObjects\\Airplanes\\Faulty\\panel\\folder.ini");
    WriteText(panel + "\\nosounds.ini", "[Config]\nMaxSounds=2\n[Sounds]\nSound00=\n");

    EXPECT_EQ(RunPanelhost("--check \"" + plane + "\"", &out_), 1) << out_;
    std::string cfg = panel + "\\panel.cfg";
    std::string ini = panel + "\\sound.ini";
    struct Expected { const char* start; std::string text; } findings[] = {
        {"ERROR ", plane + "\\aircraft.cfg:8: [fltsim.3]: its panel " + plane + "\\panel.gone\\panel.cfg is not there"},
        {"ERROR ", plane + "\\panel.2\\panel.cfg: no Sound gauge of the module"},
        {"ERROR ", cfg + ":3: KVO_SOUND!Sounds: the module has no gauge of that name; its gauges are Sound and Debugger"},
        {"WARNING ", cfg + ":4: ..\\sound.ini: a leading ..\\ does not climb a folder: the module drops the first dot "
                     "and looks for " + root_ + ".\\sound.ini"},
        {"ERROR ", cfg + ":4: ..\\sound.ini: the module looks for " + root_ + ".\\sound.ini, which is not there"},
        {"WARNING ", cfg + ":9: kvo_sound!Sound: more than one Sound gauge"},
        {"ERROR ", panel + "\\empty.ini: the configuration is empty"},
        {"ERROR ", panel + "\\binary.ini: the configuration is not a text file"},
        {"ERROR ", panel + "\\folder.ini: the configuration is a folder"},
        {"ERROR ", panel + "\\nosounds.ini: [Sounds]: no sound is configured"},
        {"ERROR ", cfg + ":10: kvo_other: no kvo_other.gau or kvo_other.dll in " + panel + " or " + root_ + "\\Gauges"},
        {"ERROR ", cfg + ":11: kvo_xml!Missing: no such XML gauge"},
        {"WARNING ", ini + ":2: MaxSounds=4x: the module reads this as 4 sound slots"},
        {"WARNING ", ini + ":3: MaxSound=5: the module never reads this key; it reads MaxSounds"},
        {"WARNING ", ini + ":4: ErrorFlag=abc: the module reads this as 0, so a failed sound looks like a stopped one"},
        {"WARNING ", ini + ":7: Sound1=good.wav: the module never reads this key; for slot 1 it reads Sound01"},
        {"WARNING ", ini + ":11: Sound05=good.wav: slot 5 is beyond MaxSounds"},
        {"WARNING ", ini + ":13: Lvar00=" + longName + ": the module reads only the first 127 characters"},
        {"WARNING ", ini + ":15: Lvar4=x: the module never reads this key; for slot 4 it reads Lvar04"},
        {"ERROR ", ini + ":8: " + panel + "\\missing.wav: the sound does not load: "},
        {"  Sound02 kvo_xml_id_02            ", "Sound02 kvo_xml_id_02            " + panel + "\\good.wav  loads and plays"},
        {"WARNING ", ini + ":9: " + panel + "\\good.wav: Sound00 and Sound02 name the same WAV file, so they share "
                     "one sound buffer"},
        {"WARNING ", ini + ":14: kvo_xml_id_02: Sound02 and Sound03 have the same command variable"},
        {"ERROR ", panel + "\\kvo_xml\\Switches.xml:4: kvo_xml_id_1: is none of the module's variables but resembles "
                   "kvo_xml_id_01"},
        {"WARNING ", ini + ":6: " + longName.substr(0, 127) + ": no XML gauge of this panel writes this command variable"},
    };
    for (const Expected& finding : findings) {
        std::string line = LineWith(out_, finding.text);
        EXPECT_EQ(line.compare(0, strlen(finding.start), finding.start), 0) << finding.text << "\n" << out_;
    }
    // The alias leads to the first variation's panel, checked once.
    EXPECT_THAT(out_, HasSubstr("alias=Faulty\\panel: the panel of "));
    EXPECT_EQ(out_.find("panel " + cfg), out_.rfind("panel " + cfg));
    EXPECT_THAT(out_, Not(HasSubstr("clock!Clock")));  // a compiled module of its own
    EXPECT_THAT(out_, Not(HasSubstr("Sound02 never plays")));  // Switches.xml writes its variable
    // Relative to the simulator's folder, the current folder of the module's process.
    EXPECT_THAT(out_, HasSubstr("Sound03 kvo_xml_id_02            .\\Sound\\dot.wav  loads and plays"));
    EXPECT_THAT(out_, HasSubstr("check: 12 errors, 17 warnings"));
}

// The example aircraft as the build makes it: nothing to report, whatever
// the simulator's folder.
TEST_F(AircraftCheck, CleanExampleHasNoFinding) {
    std::string example = TestProgramFolder() + "\\..\\examples\\aircraft";
    EXPECT_EQ(RunPanelhost("--check \"" + example + "\" --sim-folder \"" + root_ + "\"", &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("simulator folder " + root_ + "\r\n"));
    EXPECT_THAT(out_, HasSubstr("3 of 3 configured sounds load and play"));
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 0 warnings"));
    // Its panel on its own: the same gauges, no aircraft heading.
    EXPECT_EQ(RunPanelhost("--check \"" + example + "\\panel\\panel.cfg\"", &out_), 0) << out_;
    EXPECT_THAT(out_, Not(HasSubstr("aircraft ")));
    EXPECT_THAT(out_, HasSubstr("gauge kvo_example_cab!Engine"));
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 0 warnings"));
}

}  // namespace
