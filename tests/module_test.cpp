// The module as the simulator sees it: its exports, gauge headers, start-up,
// shut-down and gauge dispatch.
#include <math.h>
#include <string.h>

#include "tests/test_support.h"

using ::testing::ElementsAre;

TEST_F(ModuleTest, LinkageAndImportTableHoldTheHostsValues) {
    ModuleLinkage* linkage = host::Linkage();
    EXPECT_EQ(linkage->linkage.module_id, 0x13);
    EXPECT_NE(linkage->linkage.module_init, nullptr);
    EXPECT_NE(linkage->linkage.module_deinit, nullptr);
    EXPECT_EQ(linkage->linkage.module_flags, 0u);
    EXPECT_EQ(linkage->linkage.module_priority, 0u);
    EXPECT_EQ(linkage->linkage.module_version, 0x900u);
    ASSERT_NE(linkage->gauge_headers[0], nullptr);
    ASSERT_NE(linkage->gauge_headers[1], nullptr);
    EXPECT_EQ(linkage->gauge_headers[2], nullptr);

    ModuleImports* imports = host::Imports();
    EXPECT_EQ(imports->panels_id, 0x0F);
    EXPECT_EQ(imports->panels, nullptr);
    EXPECT_EQ(imports->null_id, 0);
    EXPECT_EQ(imports->null_ptr, nullptr);

    Start();
    EXPECT_EQ(host::Imports()->panels, host::Services());
}

TEST_F(ModuleTest, GaugeHeadersAndTheSoundElement) {
    GaugeHeader* sound = host::Linkage()->gauge_headers[0];
    GaugeHeader* debugger = host::Linkage()->gauge_headers[1];
    EXPECT_EQ(sound->gauge_header_version, 0x320u);
    EXPECT_EQ(debugger->gauge_header_version, 0x320u);
    EXPECT_STREQ(sound->gauge_name, "Sound");
    EXPECT_STREQ(debugger->gauge_name, "Debugger");
    EXPECT_EQ(sound->size_x_mm, 10u);
    EXPECT_EQ(debugger->size_x_mm, 100u);
    EXPECT_NE(sound->gauge_callback, nullptr);
    EXPECT_EQ(debugger->gauge_callback, nullptr);
    EXPECT_EQ(sound->mouse_rect, nullptr);
    EXPECT_EQ(sound->parameters, nullptr);

    // Each gauge's routines hand its own element list (tested below).
    EXPECT_NE(sound->kill_routine, nullptr);
    EXPECT_NE(debugger->kill_routine, nullptr);

    ASSERT_NE(sound->elements_list, nullptr);
    ElementHeader* image = *sound->elements_list;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->element_type, kElementStaticImage);
    EXPECT_EQ(image->resource_id, 256);
    EXPECT_EQ(image->position.x, 0);
    EXPECT_EQ(image->position.y, 0);
    EXPECT_EQ(image->image_flags, 0x83u);
    EXPECT_EQ(image->gauge_header, sound);
    EXPECT_EQ(image->next_element, nullptr);

    // Every other field of the Sound header is zero.
    GaugeHeader copy = *sound;
    copy.gauge_header_version = 0;
    copy.gauge_name = nullptr;
    copy.elements_list = nullptr;
    copy.query_routine = nullptr;
    copy.install_routine = nullptr;
    copy.initialize_routine = nullptr;
    copy.update_routine = nullptr;
    copy.generate_routine = nullptr;
    copy.draw_routine = nullptr;
    copy.kill_routine = nullptr;
    copy.size_x_mm = 0;
    copy.gauge_callback = nullptr;
    GaugeHeader zero = {};
    EXPECT_EQ(memcmp(&copy, &zero, sizeof zero), 0);
}

TEST_F(ModuleTest, ResourcesHoldBothBitmaps) {
    HRSRC sound = FindResourceA(host::Module(), MAKEINTRESOURCEA(256), MAKEINTRESOURCEA(2));
    HRSRC debugger = FindResourceA(host::Module(), MAKEINTRESOURCEA(512), MAKEINTRESOURCEA(2));
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(debugger, nullptr);
    const BITMAPINFOHEADER* soundInfo =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(host::Module(), sound)));
    EXPECT_EQ(soundInfo->biWidth, 10);
    EXPECT_EQ(soundInfo->biHeight, 10);
    EXPECT_EQ(soundInfo->biBitCount, 8);
    const BITMAPINFOHEADER* debuggerInfo =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(host::Module(), debugger)));
    EXPECT_EQ(debuggerInfo->biWidth, 150);
    EXPECT_EQ(debuggerInfo->biHeight, 25);
    EXPECT_EQ(debuggerInfo->biBitCount, 4);
    const RGBQUAD* palette = reinterpret_cast<const RGBQUAD*>(debuggerInfo + 1);
    EXPECT_EQ(palette[0].rgbRed, 0);
    EXPECT_EQ(palette[0].rgbGreen, 49);
    EXPECT_EQ(palette[0].rgbBlue, 0);
    const BYTE* pixels = reinterpret_cast<const BYTE*>(palette + debuggerInfo->biClrUsed);
    for (int i = 0; i < 76 * 25; ++i) ASSERT_EQ(pixels[i], 0) << "byte " << i;

    // The manifest naming the client library's assembly, a 32-bit one: only
    // the 32-bit module has it.
    HRSRC manifest = FindResourceA(host::Module(), MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(24));
    EXPECT_EQ(manifest != nullptr, sizeof(void*) == 4);
}

TEST_F(ModuleTest, StartupRegistersTheStatusVariablesInOrder) {
    Start();
    // A host without a version resource: version 0.0.0, no host mark, so the
    // key-event handler is registered and no SimConnect variables exist.
    EXPECT_THAT(RegisteredNames(),
                ElementsAre("FSVersionMajor", "FSVersionMinor", "FSVersionBuild", "FSSimIsPaused", "FSSoundIsOn",
                            "Old Volume Control", "SoundIsMuted", "UserMutedSounds", "VoiceAvailable"));
    EXPECT_THAT(NamesOf("find"), ElementsAre("FSVersionMajor", "FSVersionMinor", "FSVersionBuild"));
    EXPECT_EQ(host::CallsOf("register_key_handler").size(), 1u);
    EXPECT_EQ(host::KeyHandlerCount(), 1u);
    EXPECT_FALSE(host::VariableExists("SimConnected"));
    EXPECT_EQ(host::VariableValue("FSVersionMajor"), 0.0);
    EXPECT_EQ(host::CallsOf("set").size(), 3u);
}

TEST_F(ModuleTest, RestartKeepsNamesAndIds) {
    Start();
    int32_t majorId = host::FindVariable("FSVersionMajor");
    int32_t pausedId = host::FindVariable("FSSimIsPaused");
    host::StopModule();
    EXPECT_EQ(host::KeyHandlerCount(), 0u);
    EXPECT_EQ(host::CallsOf("unregister_key_handler").size(), 1u);

    host::ClearCalls();
    host::StartModule();
    // Publish keeps its cached positive id: only the write is made again.
    std::vector<host::ServiceCall> sets = host::CallsOf("set");
    ASSERT_GE(sets.size(), 1u);
    EXPECT_EQ(sets[0].id, majorId);
    EXPECT_EQ(sets[0].name, "FSVersionMajor");
    EXPECT_THAT(RegisteredNames(), ElementsAre("FSSimIsPaused", "FSSoundIsOn", "Old Volume Control", "SoundIsMuted",
                                               "UserMutedSounds", "VoiceAvailable"));
    EXPECT_TRUE(host::CallsOf("find").empty());
    EXPECT_EQ(host::CallsOf("register")[0].id, pausedId);
    EXPECT_EQ(host::KeyHandlerCount(), 1u);
}

TEST_F(ModuleTest, PostInitializeLooksUpSixRecordsByTheirNames) {
    Start();
    host::ClearCalls();
    host::AddGauge("Sound", "");
    // Without a SimConnect host the two view records still have no name.
    EXPECT_THAT(NamesOf("find"), ElementsAre("FSSoundIsOn", "Old Volume Control", "FSSimIsPaused", "UserMutedSounds",
                                             "", ""));
}

TEST_F(ModuleTest, StandardRoutinesHandEachGaugesOwnElementsToTheHost) {
    Start();
    const char* expected[] = {"element_query", "element_install", "element_initialize", "element_update",
                              "element_generate", "element_plot", "element_kill"};
    for (int g = 0; g < 2; ++g) {
        ElementHeader* first = *host::Linkage()->gauge_headers[g]->elements_list;
        host::ClearCalls();
        host::AddGauge(host::Linkage()->gauge_headers[g]->gauge_name, "");
        host::RunFrame();
        host::KillGauges();
        std::vector<host::ServiceCall> calls;
        for (const host::ServiceCall& call : host::Calls())
            if (call.op.compare(0, 8, "element_") == 0) calls.push_back(call);
        ASSERT_EQ(calls.size(), 7u);
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].op, expected[i]);
            EXPECT_EQ(calls[i].address, first) << "gauge " << g;
        }
        EXPECT_EQ(calls[1].value, static_cast<double>(reinterpret_cast<uintptr_t>(host::Module())));
    }
}

TEST_F(ModuleTest, OnlyPostInitializeAndPreUpdateDoAnything) {
    Start();
    int gauge = host::AddGauge("Sound", "");
    host::CallService(gauge, kServicePreUpdate, 0);  // loads the configuration
    host::ClearCalls();
    host::ClearMessageBoxes();
    for (int32_t service : {-1, 0, 1, 2, 3, 4, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 99})
        host::CallService(gauge, service, 0);
    EXPECT_TRUE(host::Calls().empty());
    EXPECT_TRUE(host::MessageBoxes().empty());

    host::CallService(gauge, kServicePreUpdate, 0);
    EXPECT_THAT(NamesOf("get"), ElementsAre("Old Volume Control"));
    host::CallService(gauge, kServicePostInitialize, 0);
    EXPECT_EQ(host::CallsOf("find").size(), 6u);
}

TEST_F(ModuleTest, MissingServiceEntriesAreSkipped) {
    PanelServices* services = host::Services();
    services->register_named_variable = nullptr;
    services->check_named_variable = nullptr;
    services->set_named_variable_value = nullptr;
    services->get_named_variable_value = nullptr;
    services->register_key_event_handler = nullptr;
    services->unregister_key_event_handler = nullptr;
    services->element_list_query = nullptr;
    services->element_list_update = nullptr;
    Start();
    int gauge = host::AddGauge("Sound", "");
    host::RunFrames(3);
    host::CallService(gauge, kServicePreUpdate, 0, true);
    host::TriggerKeyEvent(66063, 0);
    EXPECT_TRUE(host::VariableNames().empty());
    EXPECT_TRUE(host::CallsOf("register").empty());
    EXPECT_TRUE(host::CallsOf("get").empty());
}

TEST_F(ModuleTest, SoundKeyEventsWriteTheCachedSoundVariable) {
    Start();
    int32_t soundId = host::FindVariable("FSSoundIsOn");
    host::ClearCalls();
    host::TriggerKeyEvent(66063, 0);
    host::TriggerKeyEvent(65552, 0);
    host::TriggerKeyEvent(65692, 7);
    host::TriggerKeyEvent(12345, 0);
    std::vector<host::ServiceCall> sets = host::CallsOf("set");
    ASSERT_EQ(sets.size(), 3u);
    for (const host::ServiceCall& set : sets) EXPECT_EQ(set.id, soundId);
    EXPECT_EQ(sets[0].value, 0.0);
    EXPECT_EQ(sets[1].value, 1.0);
    EXPECT_EQ(sets[2].value, 7.0);
    EXPECT_TRUE(host::CallsOf("find").empty());
}

TEST_F(ModuleTest, TwoSoundGaugesShareOneConfigurationFromTheFirstPreUpdate) {
    Start();
    host::AddGauge("Sound", "Z:\\nowhere\\first.ini");
    host::AddGauge("Sound", "Z:\\nowhere\\second.ini");
    host::RunFrames(2);
    std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.find("Config File Not Found:\nZ:\\nowhere\\first.ini\n\nUsing Default:\n"), 0u);
    // Both instances read "Old Volume Control" in every frame.
    EXPECT_EQ(NamesOf("get").size(), 4u);
    // The default configuration: ten slots, registered from the last down.
    std::vector<std::string> names = RegisteredNames();
    ASSERT_GE(names.size(), 11u);
    EXPECT_EQ(names[names.size() - 11], "kvo_xml_id_09");
    EXPECT_EQ(names[names.size() - 2], "kvo_xml_id_00");
    EXPECT_EQ(names.back(), "KVOGlobals");
}
