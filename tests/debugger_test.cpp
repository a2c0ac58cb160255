// The Debugger gauge as the simulator hosts it: its records, its pages, its
// clicks, and the publication of the slot table's address.
#include <stdio.h>

#include <fstream>
#include <string>

#include "tests/test_support.h"
#include "tools/common/wav_files.h"

using ::testing::ElementsAre;

namespace {

class DebuggerTest : public ModuleTest {
protected:
    void TearDown() override {
        ModuleTest::TearDown();
        if (!folder_.empty()) RemoveTree(folder_);
    }
    // Starts the module with a Sound gauge reading `ini` and a Debugger gauge.
    void StartWith(const std::string& ini) {
        folder_ = MakeTempFolder("kvo_debugger");
        ini_ = folder_ + "\\sounds.ini";
        std::ofstream(ini_.c_str()) << ini;
        Start();
        host::AddGauge("Sound", ini_.c_str());
        debugger_ = host::AddGauge("Debugger", "");
    }
    std::vector<std::string> Lines() {
        host::UpdateDebugger(debugger_);
        return {host::DebuggerLine(debugger_, 0), host::DebuggerLine(debugger_, 1), host::DebuggerLine(debugger_, 2)};
    }
    std::vector<std::string> Step(bool right) {
        EXPECT_TRUE(host::ClickDebugger(debugger_, !right));
        return Lines();
    }

    std::string folder_;
    std::string ini_;
    int debugger_ = -1;
};

// One line per record: the fields the host reads, in a form easy to compare.
std::string Describe(const StringElement* e) {
    char text[160];
    snprintf(text, sizeof text, "%d at %d,%d %dx%d chars %d flags %x colours %x/%x/%x %s %d/%d/%d %d %d",
             e->header.element_type, e->header.position.x, e->header.position.y, e->img_size.x, e->img_size.y,
             e->max_string_length, e->header.image_flags, e->fg_color, e->bg_color, e->hilite_color, e->font_name,
             e->font_weight, e->font_charset, e->char_height, e->seq != nullptr, e->update_cb != nullptr);
    return text;
}

std::string Describe(const MouseRect& r) {
    char text[96];
    snprintf(text, sizeof text, "%d %d,%d,%d,%d cursor %d flags %x help %d event %d fn %d", r.rect_type,
             r.relative_box.x, r.relative_box.y, r.relative_box.size_x, r.relative_box.size_y, r.cursor, r.mouse_flags,
             r.help_id, r.event_id, r.mouse_function != nullptr);
    return text;
}

TEST_F(DebuggerTest, ElementAndMouseRecordsAreTheHostsOwn) {
    GaugeHeader* header = host::Linkage()->gauge_headers[1];
    ASSERT_NE(header->elements_list, nullptr);
    ElementHeader* element = *header->elements_list;
    EXPECT_EQ(element->element_type, kElementStaticImage);
    EXPECT_EQ(element->resource_id, 512);
    EXPECT_EQ(element->image_flags, 0x83u);
    std::vector<std::string> lines;
    while (element->next_element != nullptr) {
        ASSERT_EQ(element->next_element[1], nullptr);  // each lists exactly the next one
        element = element->next_element[0];
        lines.push_back(Describe(reinterpret_cast<StringElement*>(element)));
    }
    EXPECT_THAT(lines, ElementsAre(// type, position, size, characters, flags, colours, font, highlights, callback
                                   "2 at 5,2 117x10 chars 10 flags 83 colours ffffff/0/0 Arial 500/1/0 0 1",
                                   "2 at 30,2 120x10 chars 65 flags 83 colours ffffff/0/0 Arial 500/1/0 0 1",
                                   "2 at 5,12 130x10 chars 130 flags 83 colours ffffff/0/0 Arial 500/1/0 0 1"));

    MouseRect* mouse = header->mouse_rect;
    ASSERT_NE(mouse, nullptr);
    std::vector<std::string> rects;
    for (int i = 0; i < 8; ++i) rects.push_back(Describe(mouse[i]));
    EXPECT_THAT(rects, ElementsAre("1 0,0,0,0 cursor -1 flags 0 help 0 event 0 fn 0",
                                   "1 0,0,150,25 cursor -1 flags 0 help 0 event 0 fn 0",
                                   "4 0,0,0,0 cursor -1 flags 0 help 0 event 0 fn 1",
                                   "3 0,0,0,0 cursor -1 flags 0 help 0 event 0 fn 0",
                                   "2 1,1,75,25 cursor 2 flags 20200000 help 0 event 0 fn 1",
                                   "2 76,1,74,25 cursor 1 flags 20200000 help 0 event 0 fn 1",
                                   "3 0,0,0,0 cursor -1 flags 0 help 0 event 0 fn 0",
                                   "0 0,0,0,0 cursor -1 flags 0 help 0 event 0 fn 0"));

    // The tooltip's text is the configuration path in use.
    StartWith("[Config]\nMaxSounds=1\n");
    host::RunFrame();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mouse[2].mouse_function)), ini_);
}

TEST_F(DebuggerTest, ThreeSlotsRingThroughConfigurationVariablesAndSlots) {
    std::string wav = "C:" + std::string(125, 'w');  // the longest values the profile reads
    std::string lvar = "kvo_" + std::string(123, 'v');
    StartWith("[Config]\nMaxSounds=3\nVolumeVarIn=my_volume\n[Sounds]\nSound00=bell.wav\nSound01=" + wav +
              "\n[LVars]\nLvar01=" + lvar + "\n");
    // No slot table yet: the configuration page's texts with an empty path.
    EXPECT_THAT(Lines(), ElementsAre("", "Configuration File", "CFG = "));

    host::RunFrame();
    EXPECT_THAT(Lines(), ElementsAre("", "Configuration File", "CFG = " + ini_));
    host::SetVariable("KVOGlobals", 2.9);
    host::SetVariable("kvo_volume_played", -2550.0);
    const char* pages[] = {"Global: KVOGlobals = 2",
                           "VolIn: my_volume = 0",
                           "PanIn: kvo_lvchime_pan_in = 0",
                           "VolOut: kvo_lvchime_volume_out = 0",
                           "PanOut: kvo_lvchime_pan_out = 0",
                           "LoopOut: kvo_lvchime_loop_out = 0",
                           "VolPlayed: kvo_volume_played = -2550",
                           "PanPlayed: kvo_pan_played = 0",
                           "LoopPlayed: kvo_loop_played = 0"};
    for (const char* page : pages) EXPECT_THAT(Step(true), ElementsAre("", "Configuration File", page));


    EXPECT_THAT(Step(true), ElementsAre("ID=0", "L:Var=kvo_xml_id_00", "Wav = " + folder_ + "\\bell.wav"));
    // Every text is cut to its element's character count.
    EXPECT_THAT(Step(true), ElementsAre("ID=0", ("L:Var=" + lvar).substr(0, 65), ("Wav = " + wav).substr(0, 130)));
    Step(false);
    EXPECT_THAT(Step(false), ElementsAre("", "Configuration File", "LoopPlayed: kvo_loop_played = 0"));
}

TEST_F(DebuggerTest, WithoutSoundSlotsTheCommandLineStaysHidden) {
    StartWith("[Config]\nMaxSounds=0\n");
    host::RunFrame();
    std::vector<std::string> pages;
    for (int i = 0; i < 10; ++i) {
        std::vector<std::string> lines = Step(true);
        EXPECT_THAT(lines, ElementsAre("", "Configuration File", ::testing::_));
        pages.push_back(lines[2]);
    }
    EXPECT_EQ(pages[0], "Global: KVOGlobals = 0");
    EXPECT_EQ(pages[8], "LoopPlayed: kvo_loop_played = 0");
    EXPECT_EQ(pages[9], "CFG = " + ini_);  // the ring holds ten pages

    // Holding the right half keeps stepping: one click and two repeats.
    EXPECT_TRUE(host::ClickDebugger(debugger_, false, 2));
    EXPECT_EQ(Lines()[2], "PanIn: kvo_lvchime_pan_in = 0");
}

TEST_F(DebuggerTest, SlotAndVolumePagesFollowTheRunningEngine) {
    StartWith("[Config]\nMaxSounds=3\n[Sounds]\nSound00=loop.wav\nSound01=once.wav\n");
    ASSERT_TRUE(WriteTone(folder_ + "\\loop.wav", 0.2));
    ASSERT_TRUE(WriteTone(folder_ + "\\once.wav", 0.2));
    host::RunFrames(11);  // the load, then ten frames to the audio start-up
    ASSERT_EQ(host::VariableValue("VoiceAvailable"), 1.0);

    // The command line shows the command as the slot pass truncated it.
    Step(false);
    Step(false);
    host::SetVariable("kvo_xml_id_00", 2.7);
    EXPECT_EQ(Step(false)[0], "ID=0");
    host::RunFrame();
    EXPECT_EQ(Lines()[0], "ID=2");
    host::SetVariable("kvo_xml_id_00", -1234567890.0);
    host::RunFrame();
    EXPECT_EQ(Lines()[0], "ID=-123456");

    // VolumePlayed after a play at -25.5 dB, then after one in percent units.
    Step(false);
    Step(false);
    Step(false);
    host::SetVariable("kvo_lvchime_volume_in", -2550);
    host::SetVariable("kvo_xml_id_01", 7);
    host::RunFrame();
    EXPECT_EQ(Lines()[2], "VolPlayed: kvo_volume_played = -2550");
    host::SetVariable("kvo_xml_id_01", 0);
    host::RunFrame();
    host::SetVariable("Old Volume Control", 1);
    host::SetVariable("kvo_xml_id_01", 1);
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("kvo_volume_played"), 74.5);
    EXPECT_EQ(Lines()[2], "VolPlayed: kvo_volume_played = 74");
}

TEST_F(DebuggerTest, SoundStringBaseIsPublishedOncePerModuleStart) {
    StartWith("[Config]\nMaxSounds=3\n");
    host::RunFrames(2);
    EXPECT_TRUE(host::CallsOf("register_var").empty());  // not on the configuration page

    for (int start = 0; start < 2; ++start) {
        Step(true);
        host::RunFrames(2);
        Step(false);
        Step(false);
        std::vector<host::ServiceCall> published = host::CallsOf("register_var");
        ASSERT_EQ(published.size(), static_cast<size_t>(start + 1));
        EXPECT_EQ(published.back().name, "SoundStringBase");
        EXPECT_EQ(published.back().id, 30);  // the type number
        std::vector<host::RegisteredVariable> cells = host::RegisteredVariables();
        ASSERT_EQ(cells.size(), 1u);
        uint64_t cell = *static_cast<uint64_t*>(cells[0].cell);
        ASSERT_NE(cell, 0u);
        // A 64-bit variable holding a 32-bit address, or the 64-bit module's
        // whole one: its table lies above 4 GiB (the stand-in sees to it).
        EXPECT_EQ(cell >> 32 != 0, sizeof(void*) == 8) << std::hex << cell;
        const int32_t* table = reinterpret_cast<const int32_t*>(static_cast<uintptr_t>(cell));
        EXPECT_EQ(table[0], 3);  // soundCount
        EXPECT_STREQ(reinterpret_cast<const char*>(table) + 296, "kvo_xml_id_00");  // slot 0's variable

        void* address = cells[0].cell;
        host::StopModule();
        EXPECT_EQ(NamesOf("unregister_var"), std::vector<std::string>(start + 1, "SoundStringBase"));
        EXPECT_TRUE(host::RegisteredVariables().empty());
        EXPECT_EQ(*static_cast<uint64_t*>(address), 0u);
        host::StartModule();
        host::RunFrame();  // loads the configuration again, back on its page
        EXPECT_EQ(Lines()[2], "CFG = " + ini_);
    }
}

}  // namespace
