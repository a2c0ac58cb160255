// The per-frame cycle: start-up timeline, the gate, and the slot pass's
// reading of command values.
#include <fstream>
#include <string>

#include "config/config.h"
#include "config/slot_table.h"
#include "engine/pre_update.h"
#include "diag/error_report.h"
#include "engine/silencing.h"
#include "module/host_services.h"
#include "module/module_state.h"
#include "tests/test_support.h"
#include "tests/white_box.h"

namespace {

class CycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        AttachWhiteBoxHost();
        folder_ = MakeTempFolder("kvo_cycle");
        ini_ = folder_ + "\\a.ini";
        std::ofstream(ini_.c_str()) << "[Config]\nMaxSounds=3\nErrorFlag=-5\n";
        gauge_ = GaugeHeader();
        gauge_.parameters = &ini_[0];
        ModuleStartup();
    }
    void TearDown() override {
        ModuleShutdown();
        ImportTable.panels = nullptr;
        RemoveTree(folder_);
    }
    std::string folder_;
    std::string ini_;
    GaugeHeader gauge_;
};

TEST_F(CycleTest, ConfigurationWaitsForAGaugeHeaderAndTheDelayForTheConfiguration) {
    RunPreUpdate(nullptr);
    RunPreUpdate(nullptr);
    EXPECT_EQ(configLoaded, 0);
    EXPECT_EQ(startupDelay, 10);
    EXPECT_EQ(slots, nullptr);

    RunPreUpdate(&gauge_);
    EXPECT_EQ(configLoaded, 1);
    EXPECT_EQ(std::string(iniPath), ini_);
    EXPECT_EQ(startupDelay, 10);  // counted from the next pre-update on
    for (int frame = 1; frame <= 9; ++frame) RunPreUpdate(nullptr);
    EXPECT_EQ(startupDelay, 1);
    EXPECT_EQ(engineState, kEngineWaiting);
    EXPECT_TRUE(host::CallsOf("trigger_key").empty());

    // The tenth pre-update after the load creates the devices and runs.
    RunPreUpdate(nullptr);
    EXPECT_EQ(startupDelay, 0);
    EXPECT_EQ(engineState, kEngineRunning);
    ASSERT_EQ(host::CallsOf("trigger_key").size(), 1u);
    EXPECT_EQ(host::CallsOf("trigger_key")[0].id, 66062);
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 1.0);
    EXPECT_EQ(host::VariableValue("VoiceAvailable"), 1.0);
    RunPreUpdate(nullptr);
    EXPECT_EQ(startupDelay, 0);
    EXPECT_EQ(host::CallsOf("trigger_key").size(), 1u);
}

TEST_F(CycleTest, VolumeModeIsReadFirstInEveryFrame) {
    RunPreUpdate(&gauge_);
    for (int frame = 1; frame <= 10; ++frame) RunPreUpdate(nullptr);
    ASSERT_EQ(engineState, kEngineRunning);  // so that the frame reads the slots' variables too
    struct Case { double value; int unit; } cases[] = {{0.4, 0}, {-2.0, 1}, {0.0, 0}, {100.0, 1}};
    for (const Case& c : cases) {
        host::SetVariable("Old Volume Control", c.value);
        host::ClearCalls();
        RunPreUpdate(nullptr);
        EXPECT_EQ(oldVolumeControl, c.unit) << c.value;
        ASSERT_GT(host::CallsOf("get").size(), 1u);
        EXPECT_EQ(host::Calls().front().op, "get");
        EXPECT_EQ(host::Calls().front().name, "Old Volume Control");
    }
}

// A host that hands over no services table: every service is skipped, and
// the cycle, the gauges' routines and the audio still run.
TEST_F(CycleTest, HostWithoutAServicesTable) {
    ModuleShutdown();
    ImportTable.panels = nullptr;
    host::ClearCalls();
    ModuleStartup();
    RunPreUpdate(&gauge_);
    for (int frame = 1; frame <= 12; ++frame) RunPreUpdate(nullptr);
    EXPECT_EQ(engineState, kEngineRunning);
    for (GaugeHeader* gauge : Linkage.gauge_headers) {
        if (gauge == nullptr) continue;
        gauge->query_routine();
        gauge->install_routine(nullptr);
        gauge->initialize_routine();
        gauge->update_routine();
        gauge->generate_routine(0);
        gauge->draw_routine();
        gauge->kill_routine();
    }
    ModuleShutdown();
    EXPECT_TRUE(host::Calls().empty());
    EXPECT_TRUE(host::MessageBoxes().empty());
    ImportTable.panels = host::Services();
    ModuleStartup();
}

// Without the host's module-variable look-up the pause probe is left out:
// nothing it read could ever change, which would look like a pause for ever.
TEST_F(CycleTest, HostWithoutTheModuleVariableLookUpSeesNoPause) {
    PanelServices* services = host::Services();
    auto lookUp = services->lookup_var;
    services->lookup_var = nullptr;
    muteState = -1;
    simPaused = 0;
    RunPreUpdate(&gauge_);
    for (int frame = 1; frame <= 13; ++frame) RunPreUpdate(nullptr);
    ASSERT_EQ(engineState, kEngineRunning);
    EXPECT_EQ(simPaused, 0u);
    EXPECT_EQ(muteState, 0);
    EXPECT_EQ(host::VariableValue("FSSimIsPaused"), 0.0);

    // With it, the same clock that nothing advances here is a pause.
    services->lookup_var = lookUp;
    RunPreUpdate(nullptr);
    RunPreUpdate(nullptr);
    EXPECT_EQ(simPaused, 1u);
    EXPECT_EQ(muteState, 1);
}

TEST_F(CycleTest, ShutdownSendsTheNextStartBackToTheConfiguration) {
    RunPreUpdate(&gauge_);
    RunPreUpdate(nullptr);
    ModuleShutdown();
    EXPECT_EQ(slots, nullptr);
    EXPECT_EQ(parameterCopy, nullptr);
    EXPECT_EQ(configLoaded, 0);
    EXPECT_EQ(startupDelay, 10);

    ModuleStartup();
    std::string other = folder_ + "\\missing.ini";
    gauge_.parameters = &other[0];
    RunPreUpdate(&gauge_);
    ASSERT_EQ(host::MessageBoxes().size(), 1u);
    EXPECT_NE(host::MessageBoxes()[0].text.find(other), std::string::npos);
}

TEST_F(CycleTest, SlotPassReadsTruncatedCommandsWhileRunning) {
    RunPreUpdate(&gauge_);
    // Commands are served only while the engine runs.
    host::SetVariable("kvo_xml_id_00", 3.0);
    RunPreUpdate(nullptr);
    EXPECT_EQ(slots[0].command, 0);

    engineState = kEngineRunning;
    host::SetVariable("kvo_xml_id_00", 11.7);
    host::SetVariable("kvo_xml_id_01", -0.9);
    host::SetVariable("kvo_xml_id_02", 12.0);
    slots[1].failed = 0;
    host::ClearCalls();
    RunPreUpdate(nullptr);
    EXPECT_EQ(slots[0].command, 11);
    EXPECT_EQ(slots[1].command, 0);
    EXPECT_EQ(slots[2].command, 12);
    EXPECT_EQ(host::VariableValue("kvo_xml_id_02"), 12.0);  // out of range: left alone
    EXPECT_EQ(lastResult, 0);
    EXPECT_EQ(currentSlot, 3);
    // The global-commands slot is not part of the pass: it is read after it.
    std::vector<std::string> reads = NamesOf("get");
    ASSERT_GE(reads.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(reads.begin(), reads.begin() + 4),
              (std::vector<std::string>{"Old Volume Control", "kvo_xml_id_00", "kvo_xml_id_01", "kvo_xml_id_02"}));
}

TEST_F(CycleTest, FailedSlotShowsTheErrorFlagUntilCommandTen) {
    RunPreUpdate(&gauge_);
    engineState = kEngineRunning;
    slots[2].failed = 1;
    host::SetVariable("kvo_xml_id_02", 3.0);
    RunPreUpdate(nullptr);
    EXPECT_EQ(host::VariableValue("kvo_xml_id_02"), -5.0);
    RunPreUpdate(nullptr);
    EXPECT_EQ(host::VariableValue("kvo_xml_id_02"), -5.0);
    host::SetVariable("kvo_xml_id_02", 10.0);
    RunPreUpdate(nullptr);
    EXPECT_EQ(host::VariableValue("kvo_xml_id_02"), 0.0);
    EXPECT_EQ(slots[2].failed, 0);
}

TEST_F(CycleTest, StatusVariablesAreWrittenOnlyWhileRunning) {
    RunPreUpdate(&gauge_);
    simPaused = 1;
    simSoundOn = 0;
    host::ClearCalls();
    RunPreUpdate(nullptr);
    EXPECT_TRUE(host::CallsOf("set").empty());

    engineState = kEngineRunning;
    RunPreUpdate(nullptr);
    EXPECT_EQ(host::VariableValue("FSSimIsPaused"), 1.0);
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 0.0);
    simPaused = 0;
    simSoundOn = 1;
}

}  // namespace

namespace {

TEST_F(CycleTest, SlotErrorNamesTheCurrentSlotAndNothingOutsideTheTable) {
    RunPreUpdate(&gauge_);
    snprintf(slots[2].wavPath, sizeof slots[2].wavPath, "bell.wav");
    slots[2].command = 3;
    currentSlot = 2;
    lastResult = static_cast<int>(0x88780078);
    ReportSlotError();
    currentSlot = 500;  // left by an earlier, larger configuration
    ReportSlotError();
    std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].text.find("\n\nSound bell.wav\nAction 3"), std::string::npos);
    EXPECT_NE(boxes[1].text.find("\n\nSound \nAction 0"), std::string::npos);
    EXPECT_EQ(boxes[0].text.find("DirectSound Error\nFacility 2168\nError ID 120\n"), 0u);
}

}  // namespace
