// The aircraft check's XML gauges: scripts of both schemas read with their
// macros, the findings on L: writes, the look-up of loose and cabinet
// gauges, and hostile files.
#include <stdint.h>
#include <windows.h>

#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/cabinet_files.h"
#include "tests/test_support.h"
#include "tools/panelhost/aircraft/cabinet.h"
#include "tools/panelhost/aircraft/gauge_lookup.h"
#include "tools/panelhost/aircraft/gauge_scripts.h"
#include "tools/panelhost/aircraft/lvar_uses.h"
#include "tools/panelhost/aircraft/panel_read.h"
#include "tools/panelhost/check/xml_gauges.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

std::vector<ModuleVariable> ExampleVars() {
    return {{"demo_chime", kVarCommand},
            {"kvo_xml_id_03", kVarCommand},
            {"KVOGlobals", kVarGlobalCommands},
            {"kvo_lvchime_volume_in", kVarOther}};
}

const char kOldSchema[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"                                // 1
    "<Gauge Name=\"Buttons\" Version=\"1.0\">\n"                                  // 2
    "  <Macro Name=\"Chime\">L:demo_chime, number</Macro>\n"                      // 3
    "  <Element><Select><Value>(L:Panel Light:2,bool)</Value></Select></Element>\n"  // 4
    "  <!-- (>L:in_a_comment) --><Comment><Value>1 (&gt;L:x)</Value></Comment>\n"  // 5
    "  <Mouse><Area><Click>1 (&gt;@Chime)\n"                                      // 6
    "    2 ( &gt;l:KVO_xml_id_03 )</Click></Area></Mouse>\n"                      // 7
    "  <Update><![CDATA[(L:gear, enum) 0 > if{ 3 (>L:kvo_xml_id_03:1, number) }]]></Update>\n"  // 8
    "  <Element><Select><Value>-1800 (&gt;L:kvo_lvchime_volume_in,number) "
    "(L:x) (&gt;L:copy)</Value></Select></Element>\n"                             // 9
    "</Gauge>\n";

const char kNewSchema[] =
    "<SimBase.Document Type=\"AceXML\" version=\"1,0\" id=\"Engine\">\n"          // 1
    "  <SimGauge.Gauge id=\"Engine\">\n"                                         // 2
    "    <Macro id=\"Snd\"><MacroValue>(&gt;L:kvo_xml_id_@1, number)</MacroValue></Macro>\n"  // 3
    "    <Macro id=\"Loop\"><MacroValue>2</MacroValue></Macro>\n"                // 4
    "    <Element><Select><Expression id=\"E\"><Script>\n"                       // 5
    "      @Loop @Snd(03) 1 (&gt;L:KVOGlobals)</Script>\n"                       // 6
    "    </Expression></Select></Element>\n"                                     // 7
    "    <Element><Case Value=\"0 (&gt;L:demo_chime)\"/></Element>\n"            // 8
    "  </SimGauge.Gauge>\n"
    "</SimBase.Document>\n";

std::vector<LVarUse> Uses(const std::string& text) {
    std::vector<LVarUse> uses;
    ScriptProblem problem;
    EXPECT_TRUE(ReadGaugeScripts(text, &uses, &problem)) << problem.what << " at line " << problem.line;
    return uses;
}

std::string Describe(const LVarUse& use) {
    return std::to_string(use.line) + (use.write ? " >" : " ") + use.name + (use.constant ? " = " + use.value : "") +
           (use.macro.empty() ? "" : " @" + use.macro);
}

std::vector<std::string> Described(const std::vector<LVarUse>& uses) {
    std::vector<std::string> lines;
    for (const LVarUse& use : uses) lines.push_back(Describe(use));
    return lines;
}

std::string Describe(const Finding& finding) {
    return std::string(finding.level == kFindingError ? "ERROR " : "WARNING ") + std::to_string(finding.line) + " " +
           finding.item;
}

class XmlGauges : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeTempFolder("kvo_xml");
        panel_ = folder_ + "\\panel";
        gauges_ = folder_ + "\\Gauges";
        CreateDirectoryA(panel_.c_str(), nullptr);
        CreateDirectoryA(gauges_.c_str(), nullptr);
    }
    void TearDown() override { RemoveTree(folder_); }

    std::string Write(const std::string& path, const std::string& bytes) {
        size_t slash = path.find_last_of('\\');
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
        std::ofstream(path.c_str(), std::ios::binary) << bytes;
        return path;
    }
    // Checks the gauge and returns how the look-up ended; findings_ and written_ hold the rest.
    XmlGaugeLookup Lookup(const std::string& container, const std::string& gauge) {
        return CheckXmlGauge(panel_, gauges_, container, gauge, ExampleVars(), &written_, &findings_);
    }
    bool Check(const std::string& container, const std::string& gauge) {
        return Lookup(container, gauge) == kXmlGaugeChecked;
    }
    std::vector<std::string> FindingLines() const {
        std::vector<std::string> lines;
        for (const Finding& finding : findings_) lines.push_back(Describe(finding));
        return lines;
    }

    std::string folder_, panel_, gauges_;
    std::vector<bool> written_;
    std::vector<Finding> findings_;
};

}  // namespace

TEST(XmlScripts, BothSchemasWithTheirMacros) {
    // Units, blanks, a ":N" suffix and letter case vary; comments are no script.
    EXPECT_THAT(Described(Uses(kOldSchema)),
                ElementsAre("4 Panel Light", "3 >demo_chime = 1 @Chime", "7 >KVO_xml_id_03 = 2", "8 gear",
                            "8 >kvo_xml_id_03 = 3", "9 >kvo_lvchime_volume_in = -1800", "9 x", "9 >copy"));
    // The newer schema's macro arguments; attributes are scripts too.
    EXPECT_THAT(Described(Uses(kNewSchema)),
                ElementsAre("3 >kvo_xml_id_03 = 2 @Snd", "6 >KVOGlobals = 1", "8 >demo_chime = 0"));
    // A gauge saved as UTF-16 reads the same.
    std::string utf16 = "\xFF\xFE";
    for (const char* c = kNewSchema; *c != '\0'; ++c) utf16 += std::string(1, *c) + '\0';
    EXPECT_EQ(Described(Uses(utf16)), Described(Uses(kNewSchema)));
    // "(" after a macro whose text holds no @1 ... @9 is not an argument list.
    EXPECT_THAT(Described(Uses("<Gauge><Macro Name=\"V\">7</Macro><Update>@V(&gt;L:a)</Update></Gauge>")),
                ElementsAre("1 >a = 7 @V"));
}

std::vector<GaugeScript> ScriptsOf(const std::string& gauge) {
    std::vector<GaugeScript> scripts;
    ScriptProblem problem;
    EXPECT_TRUE(ReadGaugeScriptList(gauge, &scripts, &problem)) << problem.what << " at line " << problem.line;
    return scripts;
}

// The scripts the runner runs: role, line and text with its blanks collapsed.
std::vector<std::string> RunnableScripts(const std::string& gauge) {
    static const char* const kRoles[] = {"update", "value", "click"};
    std::vector<std::string> runnable;
    for (const GaugeScript& script : ScriptsOf(gauge)) {
        if (script.role == kScriptOther) continue;
        std::string text;
        for (char c : script.text) {
            bool blank = c == ' ' || c == '\n' || c == '\t' || c == '\r';
            if (!blank) text += c;
            else if (!text.empty() && text.back() != ' ') text += ' ';
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        runnable.push_back(std::string(kRoles[script.role]) + " " + std::to_string(script.line) + ": " + text);
    }
    return runnable;
}

// Every macro form: definitions in grouping elements, in a <Comment> and
// after their uses; macros in macros; arguments in both schemas; macros
// that form parts of names.
TEST(XmlScripts, EveryMacroForm) {
    const char older[] =
        "<Gauge Name=\"Gps\">\n"                                                          // 1
        "<Update>(&gt;@c:WaypointIndex) @Loop(gyro) @Twice(@Inc(2), 3)</Update>\n"         // 2
        "<Element><Macro Name=\"c\">C:fs9gps</Macro></Element>\n"                          // 3
        "<Comment><Macro Name=\"Loop\">(L:@1, number) ++ (&gt;L:@1, number)</Macro>\n"     // 4
        "  <Macro Name=\"c\">C:commented_out</Macro></Comment>\n"                           // 5
        "<Macros><Macro Name=\"Twice\">@1 @2 + 2 *</Macro><Macro Name=\"Inc\">@1 1 +</Macro></Macros>\n"  // 6
        "</Gauge>\n";
    EXPECT_THAT(RunnableScripts(older),
                ElementsAre("update 2: (>C:fs9gps:WaypointIndex) (L:gyro, number) ++ (>L:gyro, number) 2 1 + 3 + 2 *"));
    // The newer schema: a macro of macros with arguments, in a grouping element, used first.
    const char newer[] =
        "<SimBase.Document Type=\"AceXML\"><SimGauge.Gauge id=\"G\">\n"                  // 1
        "<Update><Script>@Set(@Gps(WaypointIndex), 4)</Script></Update>\n"                  // 2
        "<Group><Macro id=\"Set\"><MacroValue>@2 (&gt;@1)</MacroValue></Macro>\n"            // 3
        "<Macro id=\"Gps\"><MacroValue>C:fs9gps:@1</MacroValue></Macro></Group>\n"           // 4
        "</SimGauge.Gauge></SimBase.Document>\n";
    EXPECT_THAT(RunnableScripts(newer), ElementsAre("update 2: 4 (>C:fs9gps:WaypointIndex)"));
    // A write through macros names the definition's line and the use.
    std::vector<GaugeScript> scripts = ScriptsOf(older);
    ASSERT_EQ(scripts.size(), 2u);  // the root's Name attribute, the update
    const GaugeScript& update = scripts[1];
    size_t write = update.text.find("(>L:gyro");
    ASSERT_NE(write, std::string::npos);
    EXPECT_EQ(update.LineAt(write), 4);
    EXPECT_EQ(update.MacroAt(write), "Loop");
    EXPECT_EQ(update.UseLineAt(write), 2);
    EXPECT_EQ(update.LineAt(update.text.find("gyro")), 2);  // the argument, where it is written
}

// Only the script-bearing elements are code the runner runs: layout,
// display strings and mouse event lists beside the code are not.
TEST(XmlScripts, OnlyCodeIsCode) {
    const char older[] =
        "<Gauge Name=\"Pfd\">\n"                                                            // 1
        "<Element><Position X=\"3\" Y=\"4\"/><FloatPosition>-12.000,0.000</FloatPosition>\n"  // 2
        "  <Size>20,30</Size><Axis>5,5</Axis><Image Name=\"n.bmp\">x</Image>\n"                // 3
        "  <GaugeString>%((L:alt, feet))%!5d!</GaugeString><String>ALT</String>\n"             // 4
        "  <Select><Value>(L:alt, feet) 100 /</Value></Select></Element>\n"                    // 5
        "<Element><Visible>(L:on, bool)</Visible><Rotate><Value>1</Value></Rotate></Element>\n"  // 6
        "<Mouse><Tooltip>%((L:alt))%</Tooltip><Area><Cursor Type=\"Hand\"/>\n"               // 7
        "  <Click Kind=\"LeftSingle\">1 (&gt;L:c)</Click></Area></Mouse>\n"                   // 8
        "</Gauge>\n";
    EXPECT_THAT(RunnableScripts(older), ElementsAre("value 5: (L:alt, feet) 100 /", "value 6: (L:on, bool)",
                                                    "value 6: 1", "click 8: 1 (>L:c)"));
    const char newer[] =
        "<SimBase.Document Type=\"AceXML\"><SimGauge.Gauge id=\"G\">\n"                    // 1
        "<Element><FloatPosition>-12.000,0.000</FloatPosition><GaugeText><GaugeString>%((L:x))%\n"  // 2
        "</GaugeString></GaugeText><Visibility><Script>(L:x)</Script></Visibility></Element>\n"  // 3
        "<MouseArea><MouseClick><ClickType>LeftSingle</ClickType>\n"                           // 4
        "<Script>2 (&gt;L:y)</Script></MouseClick><Tooltip>Y</Tooltip></MouseArea>\n"          // 5
        "</SimGauge.Gauge></SimBase.Document>\n";
    EXPECT_THAT(RunnableScripts(newer), ElementsAre("value 3: (L:x)", "click 5: 2 (>L:y)"));
    // The check still reads the display strings' expressions.
    EXPECT_THAT(Described(Uses(newer)), ElementsAre("2 x", "3 x", "5 >y = 2"));
}

std::vector<std::string> Clicks(const std::string& gauge) {
    std::vector<std::string> clicks;
    for (const GaugeScript& script : ScriptsOf(gauge)) {
        if (script.role != kScriptClick) continue;
        clicks.push_back(std::to_string(script.mouseArea) + " [" + script.clickKinds + "]" +
                         (script.clickEvent.empty() ? "" : " event " + script.clickEvent) + " " + script.text);
    }
    return clicks;
}

// Each click script with the mouse events that run it: its own Kind, its
// area's, or a <ClickType> beside or around it; a click that sends a key
// event is a script of its own.
TEST(XmlScripts, ClickKindsAndEvents) {
    const char older[] =
        "<Gauge><Mouse>\n"
        "<Area Kind=\"WheelUp+WheelDown\"><Click Kind=\"LeftSingle+LeftDrag\">1</Click><Click>2</Click></Area>\n"
        "<Area><Click Event=\"GEAR_TOGGLE\"/><Click Event=\"FLAPS_UP\" Kind=\"RightSingle\">3</Click></Area>\n"
        "<Area><Click>4</Click></Area>\n"
        "</Mouse></Gauge>\n";
    EXPECT_THAT(Clicks(older), ElementsAre("0 [LeftSingle+LeftDrag] 1", "0 [WheelUp+WheelDown] 2",
                                           "1 [] event GEAR_TOGGLE ", "1 [RightSingle] event FLAPS_UP ",
                                           "1 [RightSingle] 3", "2 [] 4"));
    const char newer[] =
        "<SimBase.Document><SimGauge.Gauge id=\"G\">\n"
        "<MouseArea><CallbackCode>5</CallbackCode><ClickType>LeftSingle+WheelUp</ClickType></MouseArea>\n"
        "<MouseArea><MouseClick><ClickType>RightSingle</ClickType><Script>6</Script></MouseClick>\n"
        "<MouseClick><Script>7</Script></MouseClick></MouseArea>\n"
        "</SimGauge.Gauge></SimBase.Document>\n";
    EXPECT_THAT(Clicks(newer), ElementsAre("0 [LeftSingle+WheelUp] 5", "1 [RightSingle] 6", "1 [] 7"));
}

std::string Placed(const GaugeScript& script) {
    static const char* const kRoles[] = {"update", "value", "click", "other"};
    return std::to_string(script.line) + " " + kRoles[script.role] +
           (script.mouseArea >= 0 ? " area " + std::to_string(script.mouseArea) : "") +
           (script.conditional ? " conditional" : "");
}

std::vector<std::string> ScriptPlaces(const std::string& gauge) {
    std::vector<GaugeScript> scripts;
    ScriptProblem problem;
    EXPECT_TRUE(ReadGaugeScriptList(gauge, &scripts, &problem)) << problem.what;
    std::vector<std::string> places;
    for (const GaugeScript& script : scripts) places.push_back(Placed(script));
    return places;
}

// Each script's role, mouse area and condition, in both schemas.
TEST(XmlScripts, ScriptsKnowWhenTheyRun) {
    // Attribute values are scripts of no role.
    EXPECT_THAT(ScriptPlaces(kOldSchema),
                ElementsAre("2 other", "2 other", "4 value", "6 click area 0", "8 update", "9 value"));
    EXPECT_THAT(ScriptPlaces(kNewSchema),
                ElementsAre("1 other", "1 other", "1 other", "2 other", "5 other", "5 value", "8 other"));
    const char older[] =
        "<Gauge>\n"                                                                   // 1
        "<Element><Visible>(L:a)</Visible><Select><Value>1</Value></Select>\n"       // 2
        "  <Element><Select><Value>2</Value></Select></Element></Element>\n"          // 3
        "<Mouse><Tooltip>(L:t)</Tooltip>\n"                                           // 4
        "  <Area Left=\"0\"><Click>1 (&gt;L:x)</Click></Area>\n"                      // 5
        "  <Area><Area><Click Kind=\"LeftSingle\">2</Click></Area></Area>\n"          // 6
        "</Mouse><Keys><On Key=\"A\">3</On></Keys>\n"                                 // 7
        "<Update>4</Update></Gauge>\n";                                               // 8
    EXPECT_THAT(ScriptPlaces(older), ElementsAre("2 value", "2 value conditional", "3 value conditional", "4 other",
                                                 "5 other", "5 click area 0", "6 other", "6 click area 2", "7 other", "7 other",
                                                 "8 update"));
    // A click of the whole gauge, directly in <Mouse>, makes it an area of its own.
    EXPECT_THAT(ScriptPlaces("<Gauge><Mouse><Click>1</Click></Mouse><Mouse><Area><Click>2</Click></Area></Mouse></Gauge>"),
                ElementsAre("1 click area 0", "1 click area 1"));
    const char newer[] =
        "<SimBase.Document Type=\"AceXML\"><SimGauge.Gauge id=\"G\">\n"               // 1
        "<Update><Script>1 (&gt;L:u)</Script></Update>\n"                             // 2
        "<MouseArea id=\"A\"><MouseArea id=\"B\"><CallbackCode>2</CallbackCode></MouseArea>\n"  // 3
        "<CallbackCode>3</CallbackCode><Tooltip>x</Tooltip></MouseArea>\n"            // 4
        "<Element><FailureArea><Failures>5</Failures></FailureArea></Element>\n"      // 5
        "</SimGauge.Gauge></SimBase.Document>\n";
    EXPECT_THAT(ScriptPlaces(newer),
                ElementsAre("1 other", "1 other", "2 update", "3 other", "3 other", "3 click area 1", "4 click area 0",
                            "4 other", "5 other conditional"));
    // The newer schema's other click form: a <MouseClick> holding a <Script>.
    EXPECT_THAT(ScriptPlaces("<SimBase.Document><SimGauge.Gauge id=\"G\"><MouseArea id=\"A\"><MouseClick id=\"C\">"
                             "<Script>1 (&gt;L:x)</Script></MouseClick></MouseArea></SimGauge.Gauge></SimBase.Document>"),
                ElementsAre("1 other", "1 other", "1 other", "1 click area 0"));
}

// A write inside a macro has the line of its definition; the line where the
// macro is used, and the outermost macro, come with it.
TEST(XmlScripts, MacroWritesKeepTheirDefinitionsLines) {
    const char gauge[] =
        "<Gauge>\n"                                                                    // 1
        "<Macro Name=\"Warn\">\n"                                                      // 2
        "  (L:Left_Fire, bool) if{ 1 (&gt;L:Fire_Eng1_Warning) }</Macro>\n"           // 3
        "<Macro Name=\"Both\">@Warn\n"                                                 // 4
        "  2 (&gt;L:Fire_Eng2_Warning)</Macro>\n"                                     // 5
        "<Update>\n"                                                                   // 6
        "  @Both\n"                                                                    // 7
        "  1 (&gt;L:plain)</Update></Gauge>\n";                                        // 8
    std::vector<GaugeScript> scripts;
    ScriptProblem problem;
    ASSERT_TRUE(ReadGaugeScriptList(gauge, &scripts, &problem)) << problem.what;
    ASSERT_EQ(scripts.size(), 1u);
    const GaugeScript& script = scripts[0];
    EXPECT_EQ(script.line, 6);
    size_t write = script.text.find("(>L:Fire_Eng1_Warning");
    ASSERT_NE(write, std::string::npos) << script.text;
    EXPECT_EQ(script.LineAt(write), 3);
    EXPECT_EQ(script.MacroAt(write), "Warn");
    EXPECT_EQ(script.UseLineAt(write), 7);
    EXPECT_EQ(script.OuterMacroAt(write), "Both");
    std::vector<LVarUse> uses = CollectLVarUses(scripts);
    ASSERT_EQ(uses.size(), 4u);
    EXPECT_EQ(uses[1].name, "Fire_Eng1_Warning");
    EXPECT_EQ(uses[1].line, 3);
    EXPECT_EQ(uses[1].useLine, 7);
    EXPECT_EQ(uses[1].macro, "Warn");
    EXPECT_EQ(uses[1].usedThrough, "Both");
    EXPECT_TRUE(uses[1].conditional);  // in an if{ } block
    EXPECT_EQ(Describe(uses[2]) + " used " + std::to_string(uses[2].useLine), "5 >Fire_Eng2_Warning = 2 @Both used 7");
    EXPECT_EQ(uses[2].usedThrough, "");
    EXPECT_FALSE(uses[2].conditional);
    EXPECT_EQ(uses[3].name, "plain");
    EXPECT_EQ(uses[3].line, 8);
    EXPECT_EQ(uses[3].useLine, 8);
    EXPECT_FALSE(uses[3].conditional);
    EXPECT_EQ(uses[3].role, kScriptUpdate);

    // The newer schema fills them in, each argument keeping the line it is written on.
    std::string newer = std::string("<SimBase.Document Type=\"AceXML\"><SimGauge.Gauge>\n") +  // 1
                        "<Macro id=\"Warn\"><MacroValue>\n" +                                // 2
                        "  1 (&gt;L:Fire_Eng@1_Warning)</MacroValue></Macro>\n" +            // 3
                        "<Update><Script>@Warn(1)\n" +                                        // 4
                        "@Warn(2)</Script></Update></SimGauge.Gauge></SimBase.Document>\n";  // 5
    ASSERT_TRUE(ReadGaugeScriptList(newer, &scripts, &problem)) << problem.what;
    uses = CollectLVarUses(scripts);
    ASSERT_EQ(uses.size(), 2u);
    EXPECT_EQ(Describe(uses[0]) + " used " + std::to_string(uses[0].useLine), "3 >Fire_Eng1_Warning = 1 @Warn used 4");
    EXPECT_EQ(Describe(uses[1]) + " used " + std::to_string(uses[1].useLine), "3 >Fire_Eng2_Warning = 1 @Warn used 5");
    EXPECT_EQ(uses[1].usedThrough, "");
}

TEST_F(XmlGauges, WritesJudgedAgainstTheModulesVariables) {
    std::string file = Write(panel_ + "\\kvo\\Faults.xml",
                             "<Gauge Name=\"Faults\">\n"
                             "<Macro Name=\"Big\">12</Macro>\n"
                             "<Update>\n"
                             "1 (&gt;L:kvo_xml_id_3, number)\n"       // 4: zero padding
                             "1 (&gt;L:demo_chmie, number)\n"         // 5: two characters swapped
                             "1 (&gt;L:Demo_Chime2, number)\n"        // 6: one character and letter case
                             "@Big (&gt;L:DEMO_CHIME, number)\n"      // 7: not a command code, through a macro
                             "4 (&gt;L:KVOGlobals, number)\n"         // 8: not a global command
                             "2.5 (&gt;L:kvo_xml_id_03, number)\n"    // 9: not an integer
                             "11 (&gt;L:kvo_xml_id_03) 3 (&gt;L:KVOGlobals) 0.5 (&gt;L:kvo_lvchime_volume_in)\n"
                             "(L:kvo_xml_id_3) (L:demo_chmie) 1 (&gt;L:my_gear_lever) 1 (&gt;L:kv)\n"
                             "</Update></Gauge>\n");
    ASSERT_TRUE(Check("kvo", "faults"));
    EXPECT_THAT(FindingLines(), ElementsAre("ERROR 4 kvo_xml_id_3", "ERROR 5 demo_chmie", "ERROR 6 Demo_Chime2",
                                            "ERROR 7 12", "ERROR 8 4", "ERROR 9 2.5"));
    for (const Finding& finding : findings_) EXPECT_EQ(finding.file, file);
    EXPECT_THAT(findings_[0].message, HasSubstr("resembles kvo_xml_id_03"));
    EXPECT_THAT(findings_[2].message, HasSubstr("resembles demo_chime"));
    EXPECT_THAT(findings_[3].message, HasSubstr("command variable demo_chime (through the macro @Big)"));
    EXPECT_THAT(findings_[4].message, HasSubstr("1 (stop all), 2 (mute all) or 3 (unmute all)"));
    // Any value marks a write, letter case aside; the near misses mark nothing.
    EXPECT_THAT(written_, ElementsAre(true, true, true, true));

    findings_.clear();
    Write(panel_ + "\\kvo\\Reads.xml", "<Gauge><Update>(L:demo_chime) 1 (&gt;L:demo_chime_vol)</Update></Gauge>");
    ASSERT_EQ(CheckXmlGauge(panel_, "", "kvo", "Reads", ExampleVars(), &written_, &findings_), kXmlGaugeChecked);
    EXPECT_THAT(FindingLines(), IsEmpty());  // four edits from demo_chime: the aircraft's own

    // A gauge full of faults shows the first 50 and says there are more.
    std::string many = "<Gauge><Update>";
    for (int i = 0; i < 60; ++i) many += "\n12 (&gt;L:demo_chime)";
    Write(panel_ + "\\kvo\\Many.xml", many + "</Update></Gauge>");
    findings_.clear();
    ASSERT_TRUE(Check("kvo", "Many"));
    ASSERT_EQ(findings_.size(), 51u);
    EXPECT_EQ(Describe(findings_[49]), "ERROR 51 12");
    EXPECT_EQ(Describe(findings_[50]), "WARNING 52 ");
}

// Numbered siblings are variables of their own; numbers written differently,
// typos, and a control variable's name with a part left out or added are
// near misses. A near miss inside a macro names the macro's line.
TEST_F(XmlGauges, NearMissesAndNumberedSiblings) {
    const std::vector<ModuleVariable> vars = {{"Fire_Eng1_Warning", kVarCommand}, {"SM1 SEL", kVarCommand},
                                              {"gear_1", kVarCommand},           {"L10", kVarCommand},
                                              {"kvo_xml_id_03", kVarCommand},    {"kvo_lvchime_volume_in", kVarOther}};
    Write(panel_ + "\\set\\Names.xml",
          "<Gauge>\n"                                                                            // 1
          "<Macro Name=\"Eng\">1 (&gt;L:Fire_Eng2_Warning) 1 (&gt;L:Fire_Eng1_Warnnig)</Macro>\n"  // 2
          "<Macro Name=\"Outer\">@Eng</Macro>\n"                                                 // 3
          "<Update>\n"                                                                           // 4
          "@Outer\n"                                                                             // 5
          "1 (&gt;L:SM2 SEL) 1 (&gt;L:gear_2) 1 (&gt;L:L11) 1 (&gt;L:Fire_Eng12_Warning)\n"     // 6
          "1 (&gt;L:kvo_xml_id_3) 1 (&gt;L:SM1 SLE) 1 (&gt;L:gear1)\n"                          // 7
          "-900 (&gt;L:kvo_lvchime_volume) 0 (&gt;L:kvo_lvchime_volume_in_db)\n"                // 8
          "0 (&gt;L:kvo_lvchime_pan_out) 1 (&gt;L:kvo_lvchime)\n"                               // 9
          "</Update></Gauge>\n");
    ASSERT_EQ(CheckXmlGauge(panel_, "", "set", "Names", vars, &written_, &findings_), kXmlGaugeChecked);
    EXPECT_THAT(FindingLines(),
                ElementsAre("ERROR 2 Fire_Eng1_Warnnig", "ERROR 7 kvo_xml_id_3", "ERROR 7 SM1 SLE", "ERROR 7 gear1",
                            "ERROR 8 kvo_lvchime_volume", "ERROR 8 kvo_lvchime_volume_in_db"));
    EXPECT_THAT(findings_[0].message, HasSubstr("(through the macro @Eng, inside @Outer, used at line 5)"));
    EXPECT_THAT(findings_[4].message, HasSubstr("resembles kvo_lvchime_volume_in"));
}

// Command variables a gauge keeps as its own state, and play-once codes
// written on every update.
TEST_F(XmlGauges, CommandVariablesKeptAsStateOrReplayed) {
    const std::vector<ModuleVariable> vars = {{"COM SEL", kVarCommand}, {"XPDR SEL", kVarCommand},
                                              {"BAT SW", kVarCommand},  {"chime", kVarCommand},
                                              {"horn", kVarCommand},    {"bell", kVarCommand}};
    Write(panel_ + "\\set\\State.xml",
          "<Gauge>\n"                                                                                 // 1
          "<Mouse><Area><Click>(L:COM SEL,number) 1 + (&gt;L:COM SEL,number)</Click></Area>\n"       // 2
          "<Area><Click>(L:COM SEL,number) 1 - (&gt;L:COM SEL,number)</Click></Area>\n"              // 3
          "<Area><Click>(L:BAT SW, bool) ! (&gt;L:BAT SW, bool)</Click></Area>\n"                   // 4
          "<Area><Click>(L:chime) 0 == if{ 1 (&gt;L:chime) }</Click></Area></Mouse>\n"              // 5
          "<Update>(L:XPDR SEL) (&gt;L:copy) (L:copy) 1 + (&gt;L:XPDR SEL)\n"                       // 6
          "1 (&gt;L:horn) (L:gear) if{ 1 (&gt;L:bell) }</Update>\n"                                 // 7
          "<Element><Select><Value>7 (&gt;L:bell)</Value></Select></Element>\n"                      // 8
          "<Element><Visible>(L:on)</Visible><Select><Value>1 (&gt;L:chime)</Value></Select></Element>\n"  // 9
          "<Element><Element><Select><Value>1 (&gt;L:chime)</Value></Select></Element></Element>\n"  // 10
          "<Keys><On Key=\"B\">1 (&gt;L:horn)</On></Keys>\n"                                         // 11
          "</Gauge>\n");
    ASSERT_EQ(CheckXmlGauge(panel_, "", "set", "State", vars, &written_, &findings_), kXmlGaugeChecked);
    // Once per variable and gauge; XPDR SEL is read, then written from a copy of itself.
    EXPECT_THAT(FindingLines(), ElementsAre("WARNING 2 COM SEL", "WARNING 4 BAT SW", "WARNING 6 XPDR SEL",
                                            "WARNING 7 1", "WARNING 8 7"));
    EXPECT_THAT(findings_[0].message, HasSubstr("the module writes 0 into it when a play ends and the ErrorFlag value"));
    EXPECT_THAT(findings_[3].message, HasSubstr("horn by update code"));
    EXPECT_THAT(findings_[4].message, HasSubstr("bell by an element's value code"));
}

TEST_F(XmlGauges, LooseFilesAndCabinetsInTheSimulatorsOrder) {
    const char clean[] = "<Gauge><Update>2 (&gt;L:demo_chime)</Update></Gauge>";
    const char faulty[] = "<Gauge><Update>1 (&gt;L:demo_chim)</Update></Gauge>";
    Write(gauges_ + "\\set\\Panel.xml", faulty);
    Write(gauges_ + "\\set.cab", MakeCabinet({Entry("Panel.xml", faulty)}));
    Write(panel_ + "\\set.cab", MakeCabinet({Entry("readme.txt", "x"), Entry("PANEL.XML", clean)}));
    // The panel's cabinet comes before the Gauges folder; entry names have no letter case.
    ASSERT_TRUE(Check("set", "Panel"));
    EXPECT_THAT(findings_, IsEmpty());
    EXPECT_TRUE(written_[0]);

    // A loose file comes before the cabinet beside it; findings name the cabinet entry.
    Write(panel_ + "\\set.cab", MakeCabinet({Entry("Panel.xml", faulty)}));
    Write(panel_ + "\\set\\Panel.xml", clean);
    ASSERT_TRUE(Check("set", "Panel"));
    EXPECT_THAT(findings_, IsEmpty());
    DeleteFileA((panel_ + "\\set\\Panel.xml").c_str());
    ASSERT_TRUE(Check("set", "Panel"));
    ASSERT_EQ(findings_.size(), 1u);
    EXPECT_EQ(findings_[0].file, panel_ + "\\set.cab\\Panel.xml");

    // The Gauges folder is searched when the panel folder has nothing; a
    // compiled module comes first; an unknown gauge is no finding.
    findings_.clear();
    ASSERT_EQ(CheckXmlGauge(panel_ + "\\none", gauges_, "set", "Panel", ExampleVars(), &written_, &findings_),
              kXmlGaugeChecked);
    ASSERT_EQ(findings_.size(), 1u);
    EXPECT_EQ(findings_[0].file, gauges_ + "\\set\\Panel.xml");
    findings_.clear();
    Write(panel_ + "\\set.gau", "MZ");
    EXPECT_EQ(Lookup("set", "Panel"), kXmlGaugeCompiled);
    EXPECT_EQ(Lookup("other", "Panel"), kXmlGaugeMissing);
    EXPECT_THAT(findings_, IsEmpty());
}

TEST_F(XmlGauges, HostileCabinetsGiveFindings) {
    const std::string gauge = "<Gauge><Update>2 (&gt;L:demo_chime)</Update></Gauge>";
    // An entry named outside the cabinet is reported and never read; the gauge still is.
    Write(panel_ + "\\evil.cab", MakeCabinet({Entry("..\\..\\Gauges\\evil.xml", "<x/>"), Entry("Panel.xml", gauge)}));
    ASSERT_TRUE(Check("evil", "Panel"));
    EXPECT_THAT(FindingLines(), ElementsAre("WARNING 0 ..\\..\\Gauges\\evil.xml"));
    EXPECT_TRUE(written_[0]);

    // An entry that declares more than it holds, a cut cabinet, bytes that only
    // begin like one, and a declared size beyond the limit.
    CabEntry lying = Entry("Panel.xml", gauge);
    lying.declaredSize += 5000;
    std::string whole = MakeCabinet({Entry("Panel.xml", gauge)});
    CabEntry huge = Entry("Panel.xml", gauge);
    huge.declaredSize = 0x7FFFFFF0;
    const std::vector<std::pair<const char*, std::string>> cabinets = {
        {"lying", MakeCabinet({lying})},
        {"cut", whole.substr(0, whole.size() - 20)},
        {"garbage", "MSCF" + std::string(200, '\x7F')},
        {"huge", MakeCabinet({huge})}};
    for (const auto& cabinet : cabinets) {
        findings_.clear();
        Write(panel_ + "\\" + cabinet.first + ".cab", cabinet.second);
        EXPECT_TRUE(Check(cabinet.first, "Panel")) << cabinet.first;
        ASSERT_EQ(findings_.size(), 1u) << cabinet.first;
        EXPECT_EQ(findings_[0].level, kFindingError);
        EXPECT_THAT(findings_[0].file, HasSubstr(cabinet.first)) << findings_[0].message;
    }
    EXPECT_EQ(findings_[0].item, "2147483632 bytes");
}

// A quote cannot be handed to the cabinet reader: the gauge could not be
// checked, and the finding says why.
TEST_F(XmlGauges, QuotesInCabinetNamesLeaveTheGaugeUnchecked) {
    Write(panel_ + "\\set.cab", MakeCabinet({Entry("Pa\"nel.xml", "<Gauge/>")}));
    std::string bytes, file;
    EXPECT_EQ(FindXmlGaugeBytes(panel_, "", "set", "Pa\"nel", &bytes, &file, &findings_), kXmlGaugeUnreadable);
    ASSERT_EQ(findings_.size(), 1u);
    EXPECT_EQ(findings_[0].level, kFindingError);
    EXPECT_EQ(findings_[0].item, "Pa\"nel.xml");
    EXPECT_THAT(findings_[0].message, HasSubstr("the entry's name holds a quote"));
    EXPECT_THAT(findings_[0].message, HasSubstr("the gauge could not be checked"));
    CabinetEntry entry;
    ReadCabinetEntry(panel_ + "\\a\"b.cab", "Panel.xml", kMaxGaugeBytes, &entry);
    EXPECT_THAT(entry.refused, HasSubstr("the cabinet's path holds a quote"));
    EXPECT_FALSE(entry.found);
}

// Half the size the check accepts, one script of L: uses, half of them in
// blocks: read and judged in seconds, each use placed in or out of its block.
TEST_F(XmlGauges, AFourMegabyteGaugeIsCheckedInSeconds) {
    const double kSeconds = 15;
    const std::string piece = "(L:engine_rpm, number) 100 &gt; if{ 2 (&gt;L:demo_chime, number) } ";
    std::string text = "<Gauge Name=\"Big\">\n<Update>";
    size_t uses = 0;
    for (; text.size() < 4 * 1024 * 1024; uses += 2) text += piece;
    text += "1 (&gt;L:demo_chim, number)</Update>\n</Gauge>\n";
    Write(panel_ + "\\big\\Big.xml", text);
    ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(Check("big", "Big"));
    double seconds = static_cast<double>(GetTickCount64() - start) / 1000;
    EXPECT_LT(seconds, kSeconds);
    ASSERT_EQ(findings_.size(), 1u);
    EXPECT_EQ(findings_[0].item, "demo_chim");
    EXPECT_TRUE(written_[0]);

    std::vector<LVarUse> all = Uses(text);
    ASSERT_EQ(all.size(), uses + 1);
    EXPECT_FALSE(all[uses - 2].conditional);
    EXPECT_TRUE(all[uses - 1].conditional);
    EXPECT_FALSE(all[uses].conditional);
}

TEST_F(XmlGauges, UnreadableGaugesGiveOneFindingEach) {
    std::string binary("<Gauge>\n\x01\x02\x00\xFF", 12);
    std::string huge = "<Gauge>" + std::string(kMaxGaugeBytes, ' ') + "</Gauge>";
    // Each macro uses the one before it ten times: 10^12 copies of the first.
    std::string laughs = "<Gauge><Macro Name=\"M0\">1 (&gt;L:demo_chime) </Macro>";
    for (int level = 1; level <= 12; ++level) {
        laughs += "<Macro Name=\"M" + std::to_string(level) + "\">";
        for (int copy = 0; copy < 10; ++copy) laughs += "@M" + std::to_string(level - 1) + " ";
        laughs += "</Macro>";
    }
    laughs += "<Update>@M12</Update></Gauge>";
    // A 2 MB macro of parameters, each filled with a 1000-character argument:
    // 1 GB of text, were it made before the limit is looked at.
    std::string filled = "<SimBase.Document Type=\"AceXML\"><SimGauge.Gauge><Macro id=\"A\"><MacroValue>";
    for (int i = 0; i < 1000000; ++i) filled += "@1";
    filled += "</MacroValue></Macro><Update><Script>\n@A(" + std::string(1000, 'x') +
              ")</Script></Update></SimGauge.Gauge></SimBase.Document>";
    struct Case {
        const char* name;
        std::string bytes;
        int line;
        const char* item;
        const char* why;
    };
    const Case cases[] = {
        {"unclosed", "<Gauge>\n<Update>1 (&gt;L:demo_chime)\n</Gauge>", 3, "</Gauge>", "does not match <Update> of line 2"},
        {"ampersand", "<Gauge>\n<Update>1 && 2</Update></Gauge>", 2, "&&", "write &amp;"},
        {"lessthan", "<Gauge><Update>\n1 2 < if{ }</Update></Gauge>", 2, "<", "write &lt;"},
        {"notagauge", "<html><body/></html>", 1, "<html", "neither <Gauge> nor <SimBase.Document>"},
        {"empty", "", 0, "", "no XML element"},
        {"binary", binary, 2, "", "not a text file"},
        {"huge", huge, 0, "8388623 bytes", "larger than the 8 MB"},
        {"laughs", laughs, 1, "", "more than 16 MB of script"},
        {"filled", filled, 2, "", "more than 16 MB of script"},
        {"selfish", "<Gauge><Macro Name=\"M\">@M</Macro><Update>\n@M</Update></Gauge>", 2, "@M", "uses itself"}};
    for (const Case& gauge : cases) {
        findings_.clear();
        Write(panel_ + "\\bad\\" + gauge.name + ".xml", gauge.bytes);
        EXPECT_TRUE(Check("bad", gauge.name)) << gauge.name;
        ASSERT_EQ(findings_.size(), 1u) << gauge.name;
        EXPECT_EQ(Describe(findings_[0]), "ERROR " + std::to_string(gauge.line) + " " + gauge.item) << gauge.name;
        EXPECT_THAT(findings_[0].message, HasSubstr(gauge.why));
    }
    EXPECT_FALSE(written_[0]);
}

// The example aircraft's gauges, as the build makes them, drive every sound
// its sound.ini configures, without a finding.
TEST(ExampleGauges, DriveTheExampleSoundsWithoutFinding) {
    std::string panel = TestProgramFolder() + "\\..\\examples\\aircraft\\panel";
    const std::vector<ModuleVariable> vars = {{"demo_chime", kVarCommand},
                                              {"demo_engine", kVarCommand},
                                              {"demo_click", kVarCommand},
                                              {"KVOGlobals", kVarGlobalCommands},
                                              {"kvo_lvchime_volume_in", kVarOther}};
    std::vector<bool> written;
    std::vector<Finding> findings;
    ASSERT_EQ(CheckXmlGauge(panel, "", "kvo_example_xml", "Buttons", vars, &written, &findings), kXmlGaugeChecked);
#ifdef KVO_EXAMPLE_CAB
    ASSERT_EQ(CheckXmlGauge(panel, "", "kvo_example_cab", "Engine", vars, &written, &findings), kXmlGaugeChecked);
    EXPECT_THAT(written, ElementsAre(true, true, true, true, true));
#else
    EXPECT_THAT(written, ElementsAre(true, false, true, true, false));
#endif
    EXPECT_THAT(findings, IsEmpty()) << findings[0].file << ": " << findings[0].item << " " << findings[0].message;
}

// The panel readers: an aircraft's panels through its variations and an
// alias, the gauge lines with their windows, and the XML gauges' bytes.
TEST_F(XmlGauges, PanelReadersFollowTheAircraft) {
    std::string plane = folder_ + "\\Airplanes\\Plane";
    CreateDirectoryA((folder_ + "\\Airplanes").c_str(), nullptr);
    CreateDirectoryA(plane.c_str(), nullptr);
    Write(plane + "\\aircraft.cfg", "[fltsim.0]\npanel=\n[fltsim.1]\npanel=2\n[fltsim.2]\npanel=\"\"\n[fltsim.3]\npanel=gone\n");
    Write(plane + "\\panel\\panel.cfg",
          "[Window00]\nvisible=1\ngauge00=kvo_sound!Sound, 0,0,1,1, .\\sound.ini\n"
          "[Window01]\ngauge00= Set ! Panel Lights ,0,0,10,10\ngauge01=nobang,0,0\nvisible=0\n"
          "[VCockpit01]\ngauge00=set!Panel, 0, 0, 10, 10\n[Vcockpit02]\ngauge00=kvo_sound!Sound,0,0\n");
    Write(plane + "\\panel.2\\panel.cfg", "[fltsim]\nalias=Plane\\panel\n");
    std::vector<Finding> findings;
    std::vector<std::string> panels = PanelConfigsOf(plane, &findings);
    EXPECT_THAT(panels, ElementsAre(plane + "\\panel\\panel.cfg"));
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].level, kFindingNote);  // the alias followed
    EXPECT_EQ(findings[1].level, kFindingError);
    EXPECT_EQ(findings[1].item, "[fltsim.3]");
    EXPECT_EQ(PanelConfigsOf(plane + "\\aircraft.cfg"), panels);
    EXPECT_EQ(PanelConfigsOf(plane + "\\panel.2\\panel.cfg"), panels);

    std::vector<PanelGauge> gauges = ReadPanelGauges(panels[0]);
    ASSERT_EQ(gauges.size(), 4u);
    EXPECT_EQ(gauges[0].parameter, ".\\sound.ini");
    EXPECT_TRUE(gauges[0].windowVisible);
    EXPECT_EQ(gauges[1].section + " " + gauges[1].key + " " + gauges[1].container + "!" + gauges[1].gauge,
              "Window01 gauge00 Set!Panel Lights");
    EXPECT_EQ(gauges[1].line, 5);
    EXPECT_FALSE(gauges[1].windowVisible);  // visible=0 after the gauge lines
    EXPECT_TRUE(gauges[2].windowVisible);
    EXPECT_EQ(gauges[3].parameter, "");

    // The bytes, where the simulator finds them.
    std::string bytes, file;
    Write(panel_ + "\\set.cab", MakeCabinet({Entry("PANEL LIGHTS.XML", "<Gauge/>")}));
    EXPECT_EQ(FindXmlGaugeBytes(panel_, gauges_, "set", "Panel Lights", &bytes, &file), kXmlGaugeChecked);
    EXPECT_EQ(bytes, "<Gauge/>");
    EXPECT_EQ(file, panel_ + "\\set.cab\\PANEL LIGHTS.XML");
    Write(gauges_ + "\\other.dll", "MZ");
    EXPECT_EQ(FindXmlGaugeBytes(panel_, gauges_, "other", "G", &bytes, &file), kXmlGaugeCompiled);
    EXPECT_EQ(file, gauges_ + "\\other.dll");
    EXPECT_EQ(FindXmlGaugeBytes(panel_, gauges_, "none", "G", &bytes, &file), kXmlGaugeMissing);
    EXPECT_EQ(file, "");
    Write(panel_ + "\\cut.cab", "MSCF" + std::string(200, '\x7F'));
    findings.clear();
    EXPECT_EQ(FindXmlGaugeBytes(panel_, gauges_, "cut", "G", &bytes, &file, &findings), kXmlGaugeUnreadable);
    EXPECT_EQ(findings.size(), 1u);
}
