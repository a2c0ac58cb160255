// The Debugger's command line against the engine's reading of a slot.
#include <string.h>

#include "config/config.h"
#include "config/slot_table.h"
#include "debug/debugger.h"
#include "engine/pre_update.h"
#include "module/module_state.h"
#include "tests/test_support.h"
#include "tests/white_box.h"

TEST(DebugPagesTest, CommandLineShowsTheTruncatedCommandOfTheRunningEngine) {
    AttachWhiteBoxHost();
    ModuleStartup();
    GaugeHeader gauge = GaugeHeader();
    char missing[] = "Z:\\nowhere\\a.ini";  // the default configuration: ten slots
    gauge.parameters = missing;
    RunPreUpdate(&gauge);
    engineState = kEngineRunning;

    // A command line as the host hands it over: ten characters and their end.
    char text[16];
    memset(text, 'x', sizeof text);
    StringElement line = StringElement();
    line.max_string_length = kCommandLineChars;
    line.string = text;

    debugPage = 1;
    host::SetVariable("kvo_xml_id_01", 2.7);
    ShowSlotCommand(&line);
    EXPECT_STREQ(text, "ID=0");  // not read yet
    RunPreUpdate(nullptr);
    ShowSlotCommand(&line);
    EXPECT_STREQ(text, "ID=2");
    EXPECT_EQ(line.header.image_flags & kImageHidden, 0u);

    slots[1].command = -1234567890;
    ShowSlotCommand(&line);
    EXPECT_STREQ(text, "ID=-123456");
    EXPECT_EQ(text[11], 'x');  // nothing written past the text's end

    // Off the slot pages the line is hidden and keeps its last text.
    debugPage = soundCount;
    ShowSlotCommand(&line);
    EXPECT_NE(line.header.image_flags & kImageHidden, 0u);
    EXPECT_STREQ(text, "ID=-123456");

    ModuleShutdown();
    ImportTable.panels = nullptr;
}
