// The aircraft check: its rule for the Sound gauge's parameter held against
// the module's own resolution, and panelhost --check run on a faulty aircraft
// it has never seen and on the clean example aircraft.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <fstream>
#include <string>

#include "tests/cabinet_files.h"
#include "tests/panelhost_run.h"
#include "tests/test_support.h"
#include "tools/common/paths.h"
#include "tools/common/wav_files.h"
#include "tools/panelhost/aircraft/parameter.h"

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

// A path's folder as the module takes its own: before the last \ or /,
// nothing without one. The parameter rule takes the module's folder so.
TEST(ParameterForms, FolderAsTheModuleTakesIt) {
    EXPECT_EQ(FolderOf("C:\\Sim\\Gauges\\kvo.gau"), "C:\\Sim\\Gauges");
    EXPECT_EQ(FolderOf("C:\\Sim/Gauges\\sub/kvo.gau"), "C:\\Sim/Gauges\\sub");
    EXPECT_EQ(FolderOf("C:\\kvo.gau"), "C:");
    EXPECT_EQ(FolderOf("kvo.gau"), "");
    EXPECT_EQ(ResolveParameter("a.ini", "C:\\Sim\\Gauges/sub/kvo.gau", "C:\\Sim").candidate,
              "C:\\Sim\\Gauges/sub\\a.ini");
    EXPECT_EQ(ResolveParameter("\\a.ini", "kvo.gau", "C:\\Sim").candidate, "\\a.ini");
}

// L: names are one variable whatever their letter case: the module binds
// "GPS1 Map Terrain", a gauge writes "GPS1 MAP Terrain", and the module
// serves the command (a missing file: it writes the ErrorFlag value back).
TEST(LetterCase, OneVariableWhateverTheCase) {
    std::string panel = MakeTempFolder("kvo_case");
    std::string module = panel + "\\kvo_sound.gau";
    ASSERT_TRUE(CopyFileA((TestProgramFolder() + "\\kvo_sound.dll").c_str(), module.c_str(), FALSE));
    WriteText(panel + "\\case.ini",
              "[Config]\nMaxSounds=1\nErrorFlag=-5\n[Sounds]\nSound00=missing.wav\n[LVars]\nLvar00=GPS1 Map Terrain\n");
    host::Reset();
    host::ClearMessageBoxes();
    ASSERT_TRUE(host::LoadModule(module.c_str()));
    host::StartModule();
    host::AddGauge("Sound", (panel + "\\case.ini").c_str());
    host::RunFrames(11);
    host::SetVariable("GPS1 MAP Terrain", 1);
    host::RunFrames(2);
    EXPECT_EQ(host::VariableValue("gps1 map terrain"), -5);
    EXPECT_FALSE(host::MessageBoxes().empty());
    host::KillGauges();
    host::StopModule();
    host::UnloadModule();

    // The check agrees: the write is the configured variable's, no near miss.
    std::string plane = panel + "\\Plane";
    CreateDirectoryA(plane.c_str(), nullptr);
    CreateDirectoryA((plane + "\\panel").c_str(), nullptr);
    CreateDirectoryA((plane + "\\panel\\gps").c_str(), nullptr);
    WriteText(plane + "\\aircraft.cfg", "[fltsim.0]\npanel=\n");
    WriteText(plane + "\\panel\\panel.cfg",
              "[Window00]\ngauge00=kvo_sound!Sound, 0,0,1,1, sound.ini\ngauge01=gps!Map, 0,0,10,10\n");
    ASSERT_TRUE(CopyFileA(module.c_str(), (plane + "\\panel\\kvo_sound.gau").c_str(), FALSE));
    ASSERT_TRUE(WriteTone(plane + "\\panel\\terrain.wav", 0.1));
    WriteText(plane + "\\panel\\sound.ini", "[Config]\nMaxSounds=1\n[Sounds]\nSound00=terrain.wav\n[LVars]\nLvar00=GPS1 Map Terrain\n");
    WriteText(plane + "\\panel\\gps\\Map.xml", "<Gauge><Mouse><Click>1 (&gt;L:GPS1 MAP Terrain, number)</Click></Mouse></Gauge>");
    std::string out;
    EXPECT_EQ(RunPanelhost("--check \"" + plane + "\" --sim-folder \"" + panel + "\"", &out), 0) << out;
    EXPECT_THAT(out, HasSubstr("check: 0 errors, 0 warnings"));
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
        {"WARNING ", cfg + ":11: 1 gauge of this panel not found in " + panel + " or " + root_ + "\\Gauges"},
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
    EXPECT_THAT(LineWith(out_, "1 gauge of this panel not found"), HasSubstr(": kvo_xml!Missing (line 11). "));
    // A gauge the check cannot find is a warning: 12 errors and 17 warnings before.
    EXPECT_THAT(out_, HasSubstr("check: 11 errors, 18 warnings"));
}

// The twins of tests/aircraft, written as published panels write them: an
// older-schema annunciator with a macro per engine, a cabinet of newer-schema
// selectors, names with blanks, gauges of the simulator and of other add-ons
// that are not installed. Twin binds its sounds right; Twin Misbound binds
// them to the selectors' own variables, plays once from an update, has a
// typo, a key the module never reads, an MS ADPCM file, and its Sound gauge
// only in a window that starts closed.
class TwinAircraft : public AircraftCheck {
protected:
    void SetUp() override {
        AircraftCheck::SetUp();
        std::string source = KVO_TEST_AIRCRAFT;
        for (char& c : source) c = c == '/' ? '\\' : c;
        CopyTree("Z:" + source, root_);
        WavLayout adpcm;
        adpcm.tag = 2;
        adpcm.channels = 1;
        adpcm.bits = 4;
        adpcm.extra = {32, 0, 0xF4, 0x03, 7, 0};  // cbSize, samples per block, seven coefficients
        adpcm.extra.resize(2 + 32, 0);
        for (const char* plane : {"Twin", "Twin Misbound"}) {
            std::string panel = root_ + "\\SimObjects\\Airplanes\\" + plane + "\\panel";
            CreateDirectoryA((panel + "\\sound").c_str(), nullptr);
            for (const char* name : {"fire_bell", "switch", "gear_horn", "knob"})
                ASSERT_TRUE(WriteTone(panel + "\\sound\\" + name + ".wav", 0.1));
            ASSERT_TRUE(WriteWav(panel + "\\sound\\marker_adpcm.wav", adpcm, std::vector<uint8_t>(2048, 0)));
            ASSERT_TRUE(CopyFileA((TestProgramFolder() + "\\kvo_sound.dll").c_str(),
                                  (panel + "\\kvo_sound.gau").c_str(), FALSE));
        }
        Folder("Gauges");
    }
    std::string Plane(const char* name) { return root_ + "\\SimObjects\\Airplanes\\" + name; }
};

// Bound right, the twin passes whatever add-ons' gauges are missing: numbered
// siblings of its sounds' variables are no near misses.
TEST_F(TwinAircraft, CorrectlyBoundPassesWithMissingGaugesAsOneWarning) {
    EXPECT_EQ(RunPanelhost("--check \"" + Plane("Twin") + "\"", &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("4 of 4 configured sounds load and play"));
    EXPECT_THAT(out_, Not(HasSubstr("resembles")));  // Fire_Eng2_Warning, SM2 Click
    EXPECT_THAT(LineWith(out_, "WARNING "),
                HasSubstr("panel.cfg:17: 3 gauges of this panel not found in "));
    EXPECT_THAT(out_, HasSubstr(": SimGPS!GPS_500 (line 17), Magnetic_Compass!Magnetic_Compass (line 18), "
                                "Stack_Avionics!Transponder (line 34). Their L:Var writes could not be read"));
    EXPECT_THAT(out_, HasSubstr("--sim-folder"));
    // Its gear horn loops only where its own remembered state changes: a
    // flight that starts with the gear up and the throttle back loses it.
    EXPECT_THAT(LineWith(out_, "Gear Horn.xml:5: twin_gear_horn: 2 is written only where the state kept in "
                               "twin_gear_horn_on changes"),
                HasSubstr("WARNING "));
    EXPECT_THAT(out_, HasSubstr("check: 0 errors, 2 warnings"));
}

TEST_F(TwinAircraft, MisboundFindsWhatSilencesOrBreaksItsSounds) {
    EXPECT_EQ(RunPanelhost("--check \"" + Plane("Twin Misbound") + "\"", &out_), 1) << out_;
    std::string panel = Plane("Twin Misbound") + "\\panel";
    std::string ini = panel + "\\sound.ini";
    struct Expected { const char* start; std::string text; } findings[] = {
        {"WARNING ", panel + "\\Twin Radio.cab\\COM Selector.xml:23: COM SEL: the gauge steps or toggles this "
                     "command variable from its own value"},
        {"WARNING ", panel + "\\Twin Radio.cab\\XPDR Selector.xml:23: XPDR SEL: the gauge steps or toggles"},
        {"WARNING ", panel + "\\Twin_Annunciator\\Marker.xml:4: 1: written into the command variable twin_marker "
                     "by update code, which runs on every gauge update"},
        {"ERROR ", panel + "\\Twin_Annunciator\\Gear Horn.xml:5: twin_gear_horm: is none of the module's "
                   "variables but resembles twin_gear_horn"},
        {"ERROR ", ini + ": Sound05: slot 5 has no sound key, yet an XML gauge of this panel writes its command "
                   "variable SM1 Click: the module then loads its default file ./Sound/kvo/kvo_xml_05.wav"},
        {"ERROR ", ini + ":10: " + panel + "\\sound\\marker_adpcm.wav: the sound does not load: "},
        {"WARNING ", panel + "\\panel.cfg:26: kvo_sound!Sound: every Sound gauge of this panel is in a window "
                     "that starts closed ([Window01] has visible=0)"},
    };
    for (const Expected& finding : findings) {
        std::string line = LineWith(out_, finding.text);
        EXPECT_EQ(line.compare(0, strlen(finding.start), finding.start), 0) << finding.text << "\n" << out_;
    }
    EXPECT_THAT(LineWith(out_, "marker_adpcm.wav: the sound does not load"),
                HasSubstr("the file is MS ADPCM (format tag 0x0002), a compressed format the module cannot play "
                          "(\"Not implemented\", 0x80004001); convert it to 16-bit PCM, for example: sox"));
    // A click that writes a constant into the command variable is no own state.
    EXPECT_THAT(out_, Not(HasSubstr("SM1 Click: the gauge steps")));
    // Each selector once, though both its clicks step it.
    EXPECT_EQ(out_.find("COM SEL: the gauge steps"), out_.rfind("COM SEL: the gauge steps"));
    EXPECT_THAT(out_, HasSubstr("check: 4 errors, 8 warnings"));
}

// What a new user met: a volume cut off at 127 characters, an INI saved as
// UTF-8 with letters beyond ASCII, one INI shared by two panels, a WAV path
// longer than Windows takes, a control variable's name with a part left out.
TEST_F(AircraftCheck, WhatANewUserMet) {
    std::string plane = Folder("SimObjects\\Airplanes\\New");
    std::string panel = Folder("SimObjects\\Airplanes\\New\\panel");
    Folder("SimObjects\\Airplanes\\New\\panel.2");
    Folder("Gauges");
    WriteText(plane + "\\aircraft.cfg", "[fltsim.0]\npanel=\n[fltsim.1]\npanel=2\n");
    std::string deep = Folder("SimObjects\\Airplanes\\New\\panel\\" + std::string(100, 'd'));
    std::string shared = deep + "\\sound.ini";
    for (const char* folder : {"panel", "panel.2"}) {
        WriteText(plane + "\\" + folder + "\\panel.cfg",
                  "[Window00]\ngauge00=kvo_sound!Sound, 0,0,1,1, " + shared + "\ngauge01=new!Knobs, 0,0,9,9\n"
                  "gauge02=" + std::string(150, 'c') + "!" + std::string(60, 'g') + ", 0,0,9,9\n");
        ASSERT_TRUE(CopyFileA((TestProgramFolder() + "\\kvo_sound.dll").c_str(),
                              (plane + "\\" + folder + "\\kvo_sound.gau").c_str(), FALSE));
    }
    Folder("SimObjects\\Airplanes\\New\\panel\\new");
    WriteText(panel + "\\new\\Knobs.xml",
              "<Gauge><Mouse><Click>1 (&gt;L:kvo_xml_id_00) 1 (&gt;L:kvo_xml_id_01) 1 (&gt;L:kvo_xml_id_02)\n"
              "1 (&gt;L:kvo_xml_id_03) -900 (&gt;L:kvo_lvchime_volume, number)</Click></Mouse></Gauge>");
    // The volume's comma is the 126th character: the module keeps ",-" of ",-1500".
    std::string cut = ".\\" + std::string(119, 'v') + ".wav";
    ASSERT_TRUE(WriteTone(root_ + cut.substr(1), 0.1));
    ASSERT_TRUE(WriteTone(deep + "\\caf\xC3\xA9.wav", 0.1));
    std::string tooLong = std::string(110, 'e') + ".wav";
    // A short file whose data size is a streaming recorder's placeholder.
    WavLayout layout;
    ASSERT_TRUE(WriteWav(deep + "\\rec.wav", layout, ToneSamples(layout, 2205), 0x7FFFF000));
    WriteText(shared, "[Config]\nMaxSounds=4\n[Sounds]\nSound00=" + cut + ",-1500\n"
                      "Sound01=caf\xC3\xA9.wav\nSound02=" + tooLong + "\nSound03=rec.wav\n");
    EXPECT_EQ(RunPanelhost("--check \"" + plane + "\"", &out_), 1) << out_;
    EXPECT_THAT(LineWith(out_, "Sound00="), HasSubstr("the volume ,-1500 is read as ,-, so the volume is lost"));
    EXPECT_THAT(LineWith(out_, "without a byte-order mark"), HasSubstr(shared + ":5: the file is saved as UTF-8"));
    // One finding for the long path, none of the boxes that follow from it.
    EXPECT_THAT(LineWith(out_, "full path is"),
                HasSubstr(":6: " + deep + "\\" + tooLong.substr(0, 259 - deep.size() - 1) +
                          ": the WAV file's full path is " + std::to_string(deep.size() + 1 + tooLong.size()) +
                          " characters long"))
        << out_;
    EXPECT_THAT(LineWith(out_, "full path is"), Not(HasSubstr("Location")));
    EXPECT_THAT(LineWith(out_, "rec.wav: the sound does not load"),
                HasSubstr("Location 6\\nFile " + deep + "\\rec.wav"));
    EXPECT_THAT(LineWith(out_, "rec.wav: the sound does not load"),
                HasSubstr("its data chunk declares 0x7FFFF000 bytes, the placeholder of a streaming recorder"));
    std::string gauge = panel + "\\" + std::string(150, 'c') + "\\" + std::string(60, 'g') + ".xml";
    EXPECT_THAT(LineWith(out_, "the gauge's path is"),
                HasSubstr(panel + "\\panel.cfg:4: " + gauge + ": the gauge's path is " +
                          std::to_string(gauge.size()) + " characters long"));
    EXPECT_THAT(out_, Not(HasSubstr("ccc!ggg")));  // not among the gauges not found
    // Checked once, though both panels name it.
    EXPECT_EQ(out_.find("without a byte-order mark"), out_.rfind("without a byte-order mark"));
    EXPECT_THAT(out_, HasSubstr("checked above, with another panel"));
    EXPECT_THAT(LineWith(out_, "kvo_lvchime_volume:"), HasSubstr("resembles kvo_lvchime_volume_in"));
}

// A cabinet that holds an entry named outside its folder is reported once,
// whichever of its panel's gauges the check looks for first: one it does
// not hold, or one it does.
TEST_F(AircraftCheck, CabinetFindingsInEitherLineOrder) {
    std::string panel = Folder("panel");
    WriteText(panel + "\\evil.cab",
              MakeCabinet({Entry("..\\..\\Gauges\\evil.xml", "<x/>"),
                           Entry("Panel.xml", "<Gauge><Update>2 (&gt;L:demo_chime)</Update></Gauge>")}));
    const char* const orders[] = {"gauge00=evil!Missing, 0,0,9,9\ngauge01=evil!Panel, 0,0,9,9\n",
                                  "gauge00=evil!Panel, 0,0,9,9\ngauge01=evil!Missing, 0,0,9,9\n"};
    for (const char* lines : orders) {
        WriteText(panel + "\\panel.cfg", std::string("[Window00]\n") + lines);
        EXPECT_EQ(RunPanelhost("--check \"" + panel + "\\panel.cfg\"", &out_), 1) << out_;
        std::string finding = "WARNING " + panel + "\\evil.cab: ..\\..\\Gauges\\evil.xml: is an entry named outside";
        EXPECT_THAT(out_, HasSubstr(finding)) << lines;
        EXPECT_EQ(out_.find(finding), out_.rfind(finding)) << lines;
        EXPECT_THAT(out_, HasSubstr("gauge evil!Panel")) << lines;
        EXPECT_THAT(out_, HasSubstr("1 gauge of this panel not found")) << lines;
    }
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
