// Loading the configuration: the path rules, [Config], and the slot table
// built from [Sounds] and [LVars].
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <string>

#include "config/config.h"
#include "config/slot_table.h"
#include "module/host_services.h"
#include "module/module_state.h"
#include "tests/test_support.h"
#include "tests/white_box.h"

using ::testing::ElementsAre;

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << text;
}

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        AttachWhiteBoxHost();
        folder_ = MakeTempFolder("kvo_config");
        CreateDirectoryA((folder_ + "\\sim").c_str(), nullptr);
        CreateDirectoryA((folder_ + "\\gauges").c_str(), nullptr);
        snprintf(moduleFolder, sizeof moduleFolder, "%s\\gauges", folder_.c_str());
        snprintf(simFolder, sizeof simFolder, "%s\\sim", folder_.c_str());
        snprintf(modulePath, sizeof modulePath, "%s\\gauges\\kvo_sound.dll", folder_.c_str());
        oldVolumeControl = 0;
        gauge_ = GaugeHeader();
    }
    void TearDown() override {
        DestroySlotTable();
        FreeParameterCopy();
        configLoaded = 0;
        configPathResolved = 0;
        engineState = kEngineWaiting;
        ImportTable.panels = nullptr;
        RemoveTree(folder_);
    }
    void Load(const char* parameter) {
        parameter_ = parameter;
        gauge_.parameters = &parameter_[0];
        configLoaded = 0;
        configPathResolved = 0;
        FreeParameterCopy();
        LoadConfiguration(&gauge_);
    }
    // Writes an INI file in the folder and loads it by its full path.
    void LoadIni(const std::string& text) {
        WriteFile(folder_ + "\\a.ini", text);
        Load((folder_ + "\\a.ini").c_str());
    }

    std::string folder_;
    std::string parameter_;
    GaugeHeader gauge_;
};

TEST_F(ConfigTest, ParameterFormsBuildTheCandidate) {
    WriteFile(folder_ + "\\gauges\\a.ini", "");
    CreateDirectoryA((folder_ + "\\gauges\\cfg").c_str(), nullptr);
    WriteFile(folder_ + "\\gauges\\cfg\\a.ini", "");
    CreateDirectoryA((folder_ + "\\sim\\SimObjects").c_str(), nullptr);
    WriteFile(folder_ + "\\sim\\SimObjects\\a.ini", "");

    Load((folder_ + "\\gauges\\a.ini").c_str());
    EXPECT_EQ(std::string(iniPath), folder_ + "\\gauges\\a.ini");
    Load("cfg\\a.ini");
    EXPECT_EQ(std::string(iniPath), folder_ + "\\gauges\\cfg\\a.ini");
    Load("\\a.ini");
    EXPECT_EQ(std::string(iniPath), folder_ + "\\gauges\\a.ini");
    Load("/a.ini");
    EXPECT_EQ(std::string(iniPath), folder_ + "\\gauges/a.ini");
    Load(".\\SimObjects\\a.ini");
    EXPECT_EQ(std::string(iniPath), folder_ + "\\sim\\SimObjects\\a.ini");
    EXPECT_TRUE(host::MessageBoxes().empty());
}

TEST_F(ConfigTest, NotFoundShowsTheCandidateAndUsesTheDefault) {
    // "..\" loses only its first dot.
    Load("..\\a.ini");
    std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Config File Not Found:\n" + folder_ + "\\sim.\\a.ini\n\nUsing Default:\n" + folder_ +
                                 "\\gauges\\kvo_sound.ini");
    EXPECT_EQ(boxes[0].title, folder_ + "\\gauges\\kvo_sound.dll");
    EXPECT_EQ(boxes[0].style, 0x30u);
    EXPECT_EQ(std::string(iniPath), folder_ + "\\gauges\\kvo_sound.ini");
    EXPECT_EQ(configLoaded, 1);
    EXPECT_EQ(configPathResolved, 1);
    // The default file is missing too: every key takes its default.
    EXPECT_EQ(soundCount, 10);
    EXPECT_EQ(errorFlagValue, -1);
}

TEST_F(ConfigTest, EmptyParameterTakesTheModulesIniPath) {
    snprintf(modulePath, sizeof modulePath, "C:\\Gauges\\sound.gau");
    Load("");
    ASSERT_EQ(host::MessageBoxes().size(), 1u);
    EXPECT_EQ(host::MessageBoxes()[0].text,
              "Config File Not Found:\nC:\\Gauges\\sound.ini\n\nUsing Default:\nC:\\Gauges\\sound.ini");
}

TEST_F(ConfigTest, FoldersAndWildcardsCountAsFound) {
    Load((folder_ + "\\sim").c_str());
    EXPECT_EQ(std::string(iniPath), folder_ + "\\sim");
    WriteFile(folder_ + "\\b.ini", "[Config]\nMaxSounds=2\n");
    Load((folder_ + "\\?.ini").c_str());
    EXPECT_EQ(std::string(iniPath), folder_ + "\\?.ini");
    EXPECT_TRUE(host::MessageBoxes().empty());
}

TEST_F(ConfigTest, OverlongParametersAreNotTakenCut) {
    std::string longParameter = folder_ + "\\" + std::string(10000, 'x') + ".ini";
    Load(longParameter.c_str());
    ASSERT_EQ(host::MessageBoxes().size(), 1u);
    EXPECT_LE(host::MessageBoxes()[0].text.size(), 511u);
    EXPECT_EQ(std::string(iniPath), folder_ + "\\gauges\\kvo_sound.ini");
    EXPECT_LT(strlen(parameterCopy), 260u);
}

TEST_F(ConfigTest, MaxSoundsIsReadThroughFiveBytesAndClamped) {
    struct {
        const char* text;
        int expected;
    } cases[] = {{"MaxSounds=0\n", 0},     {"MaxSounds=-3\n", 1},   {"MaxSounds=5000\n", 1000},
                 {"MaxSounds=12345\n", 1000}, {"MaxSounds=999\n", 999}, {"MaxSounds=\n", 0},
                 {"", 10},                  {"MaxSounds=abc\n", 0},  {"MaxSounds=  7x\n", 7}};
    for (const auto& c : cases) {
        DestroySlotTable();
        LoadIni(std::string("[Config]\n") + c.text);
        EXPECT_EQ(soundCount, c.expected) << c.text;
        EXPECT_EQ(debugPage, c.expected);
        ASSERT_NE(slots, nullptr);
        EXPECT_EQ(slots[0].countWord, c.expected);
    }
}

TEST_F(ConfigTest, ErrorFlagBetweenOneAndNinetyNineBecomesMinusOne) {
    struct {
        const char* text;
        int expected;
    } cases[] = {{"ErrorFlag=50\n", -1}, {"ErrorFlag=1\n", -1},     {"ErrorFlag=99\n", -1}, {"ErrorFlag=0\n", 0},
                 {"ErrorFlag=100\n", 100}, {"ErrorFlag=250\n", 250}, {"", -1},             {"ErrorFlag=-7\n", -7}};
    for (const auto& c : cases) {
        LoadIni(std::string("[Config]\nMaxSounds=0\n") + c.text);
        EXPECT_EQ(errorFlagValue, c.expected) << c.text;
    }
}

TEST_F(ConfigTest, RegistrationOrderAndVariableNames) {
    LoadIni(
        "[Config]\nMaxSounds=3\nVolumeVarIn=my_vol_in\nPanVarIn=\nLoopOut=my_loop\nGlobalCommands=my_globals\n"
        "[LVars]\nLvar01=bell_cmd\n");
    EXPECT_THAT(RegisteredNames(),
                ElementsAre("my_vol_in", "kvo_lvchime_pan_in", "kvo_lvchime_volume_out", "kvo_lvchime_pan_out",
                            "kvo_volume_played", "kvo_pan_played", "kvo_loop_played", "my_loop", "kvo_xml_id_02",
                            "bell_cmd", "kvo_xml_id_00", "my_globals"));
    EXPECT_STREQ(slots[3].commandVar.name, "my_globals");
    EXPECT_EQ(slots[3].commandVar.id, host::FindVariable("my_globals"));
    // Every slot's command variable starts at 0; the global one is not written.
    host::SetVariable("my_globals", 2.0);
    host::SetVariable("bell_cmd", 5.0);
    DestroySlotTable();
    LoadIni("[Config]\nMaxSounds=3\nGlobalCommands=my_globals\n[LVars]\nLvar01=bell_cmd\n");
    EXPECT_EQ(host::VariableValue("bell_cmd"), 0.0);
    EXPECT_EQ(host::VariableValue("my_globals"), 2.0);
}

TEST_F(ConfigTest, DefaultSlotsAndThePathRules) {
    LoadIni(
        "[Config]\nMaxSounds=13\n[Sounds]\nSound00=bell.wav\nSound01=\\Sounds\\bell.wav\nSound02=.\\rel.wav\n"
        "Sound04=D:\\x\\abs.wav\nSound05=/fwd.wav\n");
    EXPECT_EQ(std::string(slots[0].wavPath), folder_ + "\\bell.wav");
    EXPECT_EQ(std::string(slots[1].wavPath), folder_ + "\\Sounds\\bell.wav");
    EXPECT_STREQ(slots[2].wavPath, ".\\rel.wav");
    EXPECT_STREQ(slots[3].wavPath, "./Sound/kvo/kvo_xml_03.wav");
    EXPECT_STREQ(slots[4].wavPath, "D:\\x\\abs.wav");
    EXPECT_EQ(std::string(slots[5].wavPath), folder_ + "/fwd.wav");
    EXPECT_STREQ(slots[12].wavPath, "./Sound/kvo/kvo_xml_12.wav");
    EXPECT_STREQ(slots[3].commandVar.name, "kvo_xml_id_03");
    EXPECT_STREQ(slots[12].commandVar.name, "kvo_xml_id_12");
    EXPECT_EQ(slots[3].volume, 0);
    EXPECT_STREQ(slots[13].commandVar.name, "KVOGlobals");
    EXPECT_EQ(slots[1].countWord, 0);
}

TEST_F(ConfigTest, VolumeRulesInBothUnits) {
    const char* ini =
        "[Config]\nMaxSounds=12\n[Sounds]\nSound00=bell.wav,50\nSound01=bell.wav,150\nSound02=bell.wav,0.5\n"
        "Sound03=bell.wav,-2000\nSound04=bell.wav,0\nSound05=bell.wav,abc\nSound06=a,b.wav\nSound07=bell.wav, -30\n"
        "Sound08=bell.wav,0x32\nSound09=bell.wav,\t+2.5e1\nSound10=bell.wav,-inf\nSound11=bell.wav,5.E0x\n";
    oldVolumeControl = 1;
    LoadIni(ini);
    EXPECT_EQ(slots[0].volume, -5000);
    EXPECT_EQ(slots[1].volume, 0);
    EXPECT_EQ(slots[2].volume, -10000);
    // Percent below 0 has no lower bound here: (-2000 - 100) * 100.
    EXPECT_EQ(slots[3].volume, -210000);
    EXPECT_EQ(slots[4].volume, -10000);
    EXPECT_EQ(slots[5].volume, -10000);
    EXPECT_EQ(std::string(slots[6].wavPath), folder_ + "\\a");
    // Decimal numbers only: hexadecimal and infinity are no numbers; an
    // exponent counts, and the number ends where the text stops being one.
    EXPECT_EQ(slots[8].volume, -10000);
    EXPECT_EQ(slots[9].volume, -7500);
    EXPECT_EQ(slots[10].volume, -10000);
    EXPECT_EQ(slots[11].volume, -9500);
    EXPECT_TRUE(host::CallsOf("set").size() == 12u);  // only the command variables

    // In hundredths of a decibel, a positive value switches to percent.
    oldVolumeControl = 0;
    int32_t oldVolumeId = host::RegisterVariable("Old Volume Control");
    moduleVars[kVarOldVolumeControl].id = oldVolumeId;
    DestroySlotTable();
    LoadIni("[Config]\nMaxSounds=8\n[Sounds]\nSound00=bell.wav,-2000\nSound01=bell.wav,0\nSound02=bell.wav,abc\n"
            "Sound03=bell.wav, -30x\nSound04=bell.wav,0x32\nSound05=bell.wav,inf\nSound06=bell.wav,nan\n"
            "Sound07=bell.wav,Infinity\n");
    EXPECT_EQ(slots[0].volume, -2000);
    EXPECT_EQ(slots[1].volume, 0);
    EXPECT_EQ(slots[2].volume, 0);
    EXPECT_EQ(slots[3].volume, -30);
    for (int i = 4; i < 8; ++i) EXPECT_EQ(slots[i].volume, 0) << i;
    EXPECT_EQ(host::VariableValue("Old Volume Control"), 0.0);
    DestroySlotTable();
    LoadIni("[Config]\nMaxSounds=1\n[Sounds]\nSound00=bell.wav,0.5\n");
    EXPECT_EQ(slots[0].volume, -10000);
    EXPECT_EQ(host::VariableValue("Old Volume Control"), 1.0);
    moduleVars[kVarOldVolumeControl].id = -1;
}

TEST_F(ConfigTest, LongValuesStayWithinTheirBuffers) {
    std::string longName(5000, 'n');
    std::string longPath(5000, 'p');
    LoadIni("[Config]\nMaxSounds=2\nVolumeVarIn=" + longName + "\nGlobalCommands=" + longName + "\n[Sounds]\nSound00=" +
            longPath + "\n[LVars]\nLvar00=" + longName + "\n");
    EXPECT_EQ(strlen(moduleVars[kVarVolumeIn].name), 129u);
    EXPECT_EQ(strlen(slots[2].commandVar.name), 127u);
    EXPECT_EQ(strlen(slots[0].commandVar.name), 127u);
    EXPECT_LE(strlen(slots[0].wavPath), 259u);
}

}  // namespace
