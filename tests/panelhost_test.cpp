// panelhost: the scenario reader line by line, and the whole command line
// run as a child process: --check, the exit statuses and the trace rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <math.h>
#include <string>

#include "tests/panelhost_run.h"
#include "tests/test_support.h"
#include "tools/common/wav_files.h"
#include "tools/panelhost/common/script_number.h"
#include "tools/panelhost/scenario/scenario.h"
#include "tools/panelhost/scenario/script.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The host program the launcher picks when neither a module nor a version
// is given: that of its own architecture.
#ifdef _WIN64
const char kDefaultHost[] = "x64-6";
#else
const char kDefaultHost[] = "10";
#endif

Step Parsed(const char* line) {
    Step step;
    bool empty = true;
    std::string reason;
    EXPECT_TRUE(ParseLine(line, 7, &step, &empty, &reason)) << line << ": " << reason;
    EXPECT_FALSE(empty) << line;
    return step;
}

TEST(ScenarioReader, GoodLines) {
    EXPECT_EQ(Parsed("gauge").text[0], "");
    EXPECT_EQ(Parsed("gauge  C:\\My Sounds\\a.ini   # the panel's line").text[0], "C:\\My Sounds\\a.ini");
    EXPECT_EQ(Parsed("gauge \"C:\\My Sounds\\a.ini\"").text[0], "C:\\My Sounds\\a.ini");

    Step set = Parsed("set \"Old Volume Control\" 1");
    EXPECT_EQ(set.kind, kStepSet);
    EXPECT_EQ(set.name, "Old Volume Control");
    EXPECT_EQ(set.value, 1.0);
    EXPECT_EQ(set.line, 7);
    Step expect = Parsed("expect kvo_xml_id_00 -7.5");
    EXPECT_EQ(expect.kind, kStepExpect);
    EXPECT_EQ(expect.value, -7.5);
    EXPECT_EQ(Parsed("print \"a#b\"  # a comment").name, "a#b");

    Step key = Parsed("key 65692");
    EXPECT_EQ(key.event, 65692u);
    EXPECT_EQ(key.parameter, 0);
    EXPECT_EQ(Parsed("key 65692 -1").parameter, -1);
    EXPECT_EQ(Parsed("frames 0").count, 0);
    EXPECT_EQ(Parsed("wait 250").count, 250);

    Step hold = Parsed("probe 1000");
    EXPECT_EQ(hold.kind, kStepProbeHold);
    EXPECT_EQ(hold.value, 1000.0);
    EXPECT_EQ(Parsed("probe run").kind, kStepProbeRun);

    EXPECT_EQ(Parsed("expect-box \"LSF - Load Sound File Failed\\nC:\\a.wav\"").text[0],
              "LSF - Load Sound File Failed\nC:\\a.wav");
    Step debug = Parsed("expect-debug \"\" \"Configuration File\" \"CFG = a b\"");
    EXPECT_EQ(debug.text[0], "");
    EXPECT_EQ(debug.text[1], "Configuration File");
    EXPECT_EQ(debug.text[2], "CFG = a b");
    Step simconnect = Parsed("simconnect view 4294967295");
    EXPECT_EQ(simconnect.name, "view");
    EXPECT_EQ(simconnect.event, 4294967295u);
    EXPECT_EQ(Parsed("global time 255").parameter, 255);
    EXPECT_EQ(Parsed("global sound -3").kind, kStepGlobalSound);
    EXPECT_EQ(Parsed("click right").name, "right");
    EXPECT_EQ(Parsed("allow-boxes").kind, kStepAllowBoxes);

    Step aircraft = Parsed("aircraft \"C:\\My Planes\\kvo\"  # the folder");
    EXPECT_EQ(aircraft.kind, kStepAircraft);
    EXPECT_EQ(aircraft.text[0], "C:\\My Planes\\kvo");
    Step avar = Parsed("avar \"GENERAL ENG RPM:1\" 2400.5");
    EXPECT_EQ(avar.kind, kStepAvar);
    EXPECT_EQ(avar.name, "GENERAL ENG RPM:1");
    EXPECT_EQ(avar.value, 2400.5);
    EXPECT_EQ(Parsed("avar \"A:ENG COMBUSTION:2\" 1").name, "ENG COMBUSTION:2");  // the letter as scripts write it
    EXPECT_EQ(avar.text[0], "A");
    Step cvar = Parsed("avar \"C:fs9gps:WaypointIndex\" 3");
    EXPECT_EQ(cvar.text[0], "C");
    EXPECT_EQ(cvar.name, "fs9gps:WaypointIndex");
    Step click = Parsed("click Switches 3");
    EXPECT_EQ(click.kind, kStepClickGauge);
    EXPECT_EQ(click.name, "Switches");
    EXPECT_EQ(click.count, 3);
    EXPECT_EQ(click.text[0], "LeftSingle");
    EXPECT_EQ(Parsed("click Switches 3 WheelUp").text[0], "WheelUp");

    for (const char* blank : {"", "   ", "\t# only a comment", "#"}) {
        Step step;
        bool empty = false;
        std::string reason;
        EXPECT_TRUE(ParseLine(blank, 1, &step, &empty, &reason));
        EXPECT_TRUE(empty) << "'" << blank << "'";
    }
}

TEST(ScenarioReader, BadLinesSayWhy) {
    struct Case { const char* line; const char* reason; } cases[] = {
        {"jump 3", "unknown command 'jump'"},
        {"set \"Old Volume Control 1", "not closed"},
        {"frames", "frames N"},
        {"frames -1", "frames N"},
        {"frames 2.5", "frames N"},
        {"frames 10000001", "frames N"},
        {"wait soon", "wait MS"},
        {"set a", "set NAME VALUE"},
        {"set a b", "'b' is not a number"},
        {"expect a 1 2", "expect NAME VALUE"},
        {"expect a nan", "'nan' is not a number"},
        {"key", "key EVENT"},
        {"key 65692 x", "key EVENT"},
        {"key 4294967296", "key EVENT"},
        {"probe walk", "probe VALUE"},
        {"global time 256", "global time N"},
        {"global moon 1", "global time N"},
        {"simconnect view -1", "simconnect"},
        {"simconnect crash 1", "simconnect"},
        {"click middle", "left or right"},
        {"expect-debug a b", "\"COMMAND\" \"VARIABLE\" \"PAGE\""},
        {"expect-box LSF failed", "double quotes"},
        {"start now", "start takes nothing"},
        {"print", "print NAME"},
        {"aircraft", "aircraft PATH"},
        {"avar RPM", "avar \"GENERAL ENG RPM:1\" 2400"},
        {"avar \"RPM:1\" fast", "'fast' is not a number"},
        {"click Switches -1", "click GAUGE N"},
        {"click Switches 1 2", "left or right"},
    };
    for (const Case& c : cases) {
        Step step;
        bool empty = false;
        std::string reason;
        EXPECT_FALSE(ParseLine(c.line, 1, &step, &empty, &reason)) << c.line;
        EXPECT_THAT(reason, HasSubstr(c.reason)) << c.line;
    }
}

TEST(ScenarioReader, WholeScenarioKeepsLineNumbers) {
    std::vector<Step> steps;
    int line = 0;
    std::string reason;
    ASSERT_TRUE(ParseScenario("gauge a.ini\r\n\n# comment\nframes 11\nset x 1", &steps, &line, &reason));
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].text[0], "a.ini");
    EXPECT_EQ(steps[1].line, 4);
    EXPECT_EQ(steps[2].line, 5);
    EXPECT_EQ(steps[2].source, "set x 1");
    EXPECT_FALSE(ParseScenario("start\n\nframes 1\nframes x\nframes y", &steps, &line, &reason));
    EXPECT_EQ(line, 4);

    // Saved by a Windows editor: the byte-order mark is not part of the first command.
    ASSERT_TRUE(ParseScenario("\xEF\xBB\xBFgauge a.ini\r\nframes 11\r\n", &steps, &line, &reason)) << reason;
    EXPECT_EQ(steps[0].kind, kStepGauge);
    EXPECT_EQ(steps[0].text[0], "a.ini");
    // Another encoding or a binary file: one line saying so, no raw bytes.
    struct Case { std::string text, reason; } unreadable[] = {
        {std::string("\xFF\xFEg\0a\0u\0g\0e\0", 12), "saved as UTF-16"},
        {std::string("start\n\x7f" "ELF\x01\0\0", 12), "not a text file"},
    };
    for (const Case& c : unreadable) {
        EXPECT_FALSE(ParseScenario(c.text, &steps, &line, &reason));
        EXPECT_EQ(line, 0);
        EXPECT_THAT(reason, HasSubstr(c.reason));
    }
}

// A script run against a store of its own: L: variables in a map, the
// events it sends in a list.
struct ScriptRun {
    std::map<std::string, double> lvars, avars, cvars, gvars;
    std::vector<std::string> keys;
    std::vector<std::string> unset;
    ScriptWorld world;
    ScriptRun() {
        world.readL = [this](const std::string& name) { return lvars[name]; };
        world.writeL = [this](const std::string& name, double value) { lvars[name] = value; };
        world.sendKey = [this](const std::string& name, double value) {
            keys.push_back(name + "=" + std::to_string(static_cast<int>(value)));
        };
        world.unsetRead = [this](char kind, const std::string& name) { unset.push_back(kind + (":" + name)); };
        world.avars = &avars;
        world.cvars = &cvars;
        world.gvars = &gvars;
    }
    // The number left on top, or NaN when the script does not compile or run.
    double Top(const std::string& text) {
        CompiledScript script;
        std::string token, problem;
        size_t offset = 0;
        if (!CompileScript(text, &script, &token, &offset)) return NAN;
        double top = 0;
        if (!RunScript(script, &world, &problem, &offset, &top)) return NAN;
        return top;
    }
};

struct ScriptCase {
    const char* script;
    double top;
};

TEST(ScriptLanguage, ArithmeticComparisonsAndLogic) {
    ScriptRun run;
    ScriptCase cases[] = {
        {"1 2 +", 3}, {"7 2 -", 5}, {"3 4 *", 12}, {"9 2 /", 4.5}, {"9 4 %", 1}, {"2 10 pow", 1024},
        {"5 neg", -5}, {"5 /-/", -5}, {"5 ++", 6}, {"5 --", 4},
        {"7 2 div", 3}, {"-7 2 div", -3}, {"3 sqr", 9}, {"16 sqrt", 4}, {"0 exp", 1}, {"1 ln", 0},
        {"1000 log", 3}, {"100 lg", 2}, {"-8 3 pow", -512},
        {"2 2 ==", 1}, {"2 3 !=", 1}, {"3 2 >", 1}, {"3 2 <", 0}, {"2 2 >=", 1}, {"3 2 <=", 0},
        {"3 2 &gt;", 1}, {"2 3 &lt;=", 1},
        {"1 0 and", 0}, {"1 0 or", 1}, {"1 1 &&", 1}, {"0 0 ||", 0}, {"0 !", 1}, {"2 !", 0}, {"3 not", 0},
        {"12 10 &", 8}, {"12 3 |", 15}, {"12 10 ^", 6}, {"1 4 <<", 16}, {"16 2 >>", 4}, {"0 ~", -1},
        {"-1 63 <<", -9223372036854775808.0}, {"12.9 10.2 &amp;", 8},
        {"3 8 min", 3}, {"3 8 max", 8}, {"-4.5 abs", 4.5}, {"2.7 flr", 2}, {"2.1 ceil", 3}, {"2.5 near", 3},
        {"-2.7 int", -2}, {"-2.7 flr", -3}, {"-5 sgn", -1}, {"0 sgn", 0}, {"0.2 sgn", 1},
        {"1 eps", 2.220446049250313e-16},
        {"5 1 10 rng", 1}, {"11 1 10 rng", 0},
        {"0x1F", 31}, {"0xff 0X0f &", 15}, {"-0x10", -16}, {".5 1e3 *", 500}, {"true", 1}, {"false 1 +", 1},
        {"10 20 1 ?", 20}, {"10 20 0 ?", 10},
        {"'on' 'on' ==", 1}, {"'on' 'off' ==", 0}, {"'on' 'off' !=", 1},
    };
    for (const ScriptCase& c : cases) EXPECT_EQ(run.Top(c.script), c.top) << c.script;
}

TEST(ScriptLanguage, Angles) {
    ScriptRun run;
    const double pi = 3.14159265358979323846;
    ScriptCase cases[] = {
        {"pi", pi}, {"180 dgrd", pi}, {"pi rddg", 180}, {"-90 dnor", 270}, {"370 dnor", 10}, {"720 d360", 0},
        {"-1 rnor", 2 * pi - 1}, {"pi 3 * rnor", pi},
        {"0 sin", 0}, {"0 cos", 1}, {"pi 4 / tan", 1}, {"pi 4 / tg", 1}, {"pi 4 / ctg", 1},
        {"1 asin", pi / 2}, {"1 acos", 0}, {"1 atg", pi / 4},
        {"1 0 atg2", pi / 2}, {"0 -1 atg2", pi},  // y x atg2: the top is x
    };
    for (const ScriptCase& c : cases) EXPECT_NEAR(run.Top(c.script), c.top, 1e-12) << c.script;
    // The same seed gives the same sequence, each from 0 up to 1.
    EXPECT_EQ(run.Top("7 seed rand 7 seed rand =="), 1);
    EXPECT_EQ(run.Top("rand d 0 >= r 1 < and"), 1);
}

TEST(ScriptLanguage, Strings) {
    ScriptRun run;
    run.world.mouseEvent = "LeftSingle";
    ScriptCase cases[] = {
        {"'ab' 'cd' scat 'abcd' ==", 1}, {"'n' 1 scat 'n1' ==", 1}, {"'v' 2.5 scat 'v2.5' ==", 1},
        {"'abc' 'abc' scmp", 0}, {"'abc' 'abd' scmp", -1}, {"'b' 'a' scmp", 1}, {"'ABC' 'abc' scmp", -1},
        {"'ABC' 'abc' scmi", 0}, {"'abd' 'ABC' scmi", 1},
        {"'hello' 'll' sstr", 2}, {"'hello' 'x' sstr", -1},
        {"'hello' 'o' schr", 4}, {"'hello' 108 schr", 2}, {"'hello' 'z' schr", -1},
        {"'abcdef' 2 3 ssub 'cde' ==", 1}, {"'abc' 1 9 ssub 'bc' ==", 1}, {"'abc' 5 1 ssub '' ==", 1},
        {"'abc' 1 symb 'b' ==", 1}, {"65 chr 'A' ==", 1}, {"'A' ord", 65}, {"'hello' slen", 5},
        {"'MiXed' lc 'mixed' ==", 1}, {"'MiXed' uc 'MIXED' ==", 1}, {"'mIXED wORD' cap 'Mixed word' ==", 1},
        {"'x' 'y' 1 ? 'y' ==", 1},
        {"(M:Event) 'LeftSingle' scmp 0 == if{ 7 } els{ 8 }", 7},
    };
    for (const ScriptCase& c : cases) EXPECT_EQ(run.Top(c.script), c.top) << c.script;
}

TEST(ScriptLanguage, StackRegistersAndBlocks) {
    ScriptRun run;
    EXPECT_EQ(run.Top("4 d *"), 16);
    EXPECT_EQ(run.Top("1 2 p"), 1);
    EXPECT_EQ(run.Top("8 2 r /"), 0.25);
    EXPECT_EQ(run.Top("1 2 3 c 9"), 9);
    EXPECT_EQ(run.Top("5 2 b -"), -3);  // b copies the value under the top: 5 2 5
    EXPECT_EQ(run.Top("7 s3 p 1 l3 +"), 8);
    EXPECT_EQ(run.Top("7 sp49 l49 l49 *"), 49);
    EXPECT_EQ(run.Top("1 if{ 10 } els{ 20 }"), 10);
    EXPECT_EQ(run.Top("0 if{ 10 } els{ 20 }"), 20);
    EXPECT_EQ(run.Top("0 if{ 10 } 30"), 30);
    EXPECT_EQ(run.Top("1 1 if{ 0 if{ 5 } els{ 6 } 1 + } els{ 7 }"), 7);  // nested: 6 + 1
    EXPECT_EQ(run.Top("1 if{ 2 quit } 3"), 2);
    EXPECT_EQ(run.Top("1 if{2}els{3}"), 2);
    EXPECT_EQ(run.Top("30 25 20 10 4 2 case"), 25);  // the value pushed last is index 0
    EXPECT_EQ(run.Top("30 25 20 10 4 0 case 1 +"), 11);
    EXPECT_EQ(run.Top("'a' 'b' 2 1.7 case 'a' =="), 1);
}

TEST(ScriptLanguage, LabelsAndJumps) {
    ScriptRun run;
    ScriptCase cases[] = {
        {"0 :1 1 + d 5 < if{ g1 }", 5},                // a loop back to its label
        {"1 if{ 10 g2 20 } 30 :2 2 *", 20},           // out of an if{ block, past its }
        {"1 if{ 3 g1 } els{ 4 } :1 1 +", 4},          // out of the if{ part: its els{ is not run
        {"0 if{ 3 g1 } els{ 4 g1 } :1 1 +", 5},       // out of the els{ part
        {"5 g9 1 :9", 5},                             // to a label that ends the script
        {"g4 :3 7 quit :4 g3", 7},                    // forward, then back
        {"0 :1 1 + d 3 < if{ g1 } :1 100 +", 103},     // two labels :1: the first is taken
    };
    for (const ScriptCase& c : cases) EXPECT_EQ(run.Top(c.script), c.top) << c.script;
}

TEST(ScriptLanguage, VariablesAndEvents) {
    ScriptRun run;
    run.avars["general eng rpm:1"] = 2400;
    // A loop started when the A: variable passes a value, its volume from it.
    EXPECT_EQ(run.Top("(A:GENERAL ENG RPM:1, rpm) 1000 &gt; if{ 2 (&gt;L:engine, enum) } "
                      "(A:General Eng Rpm:1, rpm) 10 / (>L:engine_volume, number) (L:engine)"), 2);
    EXPECT_EQ(run.lvars["engine"], 2);
    EXPECT_EQ(run.lvars["engine_volume"], 240);
    // A switch that toggles and sends its events; G: variables are the gauge's own.
    run.Top("(G:Var1) ! d (>G:Var1) if{ 1 (>L:click) (>K:TOGGLE_SOUND) } 5 (>K:SOUND_ON)");
    EXPECT_EQ(run.gvars["var1"], 1);
    EXPECT_EQ(run.lvars["click"], 1);
    // An event's parameter is the value on top, its fraction dropped; a negative one as it is.
    run.Top("2.9 (>K:SOUND_SET) -1 (>K:AP_ALT_VAR_SET_ENGLISH)");
    EXPECT_EQ(run.keys, (std::vector<std::string>{"TOGGLE_SOUND=0", "SOUND_ON=5", "SOUND_SET=2",
                                                  "AP_ALT_VAR_SET_ENGLISH=-1"}));
    // An A: or C: variable never set reads 0, and says so once.
    EXPECT_EQ(run.Top("(A:ENG COMBUSTION:2, bool) (A:ENG COMBUSTION:2, bool) +"), 0);
    EXPECT_EQ(run.Top("(C:fs9gps:FlightPlanWaypoints, number) (C:FS9GPS:flightplanwaypoints) +"), 0);
    EXPECT_EQ(run.unset, (std::vector<std::string>{"A:ENG COMBUSTION:2", "C:fs9gps:FlightPlanWaypoints"}));
    // C: variables as the scenario set them, and written by scripts.
    run.cvars["fs9gps:waypointindex"] = 3;
    EXPECT_EQ(run.Top("(C:fs9gps:WaypointIndex, number) 1 + d (>C:fs9gps:WaypointIndex, number)"), 4);
    EXPECT_EQ(run.cvars["fs9gps:waypointindex"], 4);
    // A macro's text keeps the blanks and line breaks of its definition.
    EXPECT_EQ(run.Top("3 (>\n      L:spaced, number\n    ) (\n L:spaced, number\n )"), 3);
    // The clock: 1 day, 1 hour, 1 minute and 1.5 seconds into the run, which starts at midnight.
    run.world.absoluteTime = 90061.5;
    ScriptCase clock[] = {
        {"(P:ABSOLUTE TIME, seconds)", 90061.5}, {"(E:ABSOLUTE TIME, seconds)", 90061.5},
        {"(E:SIMULATION TIME)", 90061.5}, {"(E:LOCAL TIME, seconds)", 3661.5},
        {"(E:ZULU TIME, hours)", 3661.5 / 3600}, {"(P:local time, minutes)", 61.025},
    };
    for (const ScriptCase& c : clock) EXPECT_DOUBLE_EQ(run.Top(c.script), c.top) << c.script;
    // The mouse in click code.
    run.world.mouseEvent = "LeftSingle";
    run.world.mouseX = 12;
    run.world.mouseY = 34;
    EXPECT_EQ(run.Top("(M:X) (M:Y) +"), 46);
}

TEST(ScriptLanguage, WhatItDoesNotKnowIsNamed) {
    struct Case { const char* script; const char* token; size_t offset; } refused[] = {
        {"1 2 scatter", "scatter", 4},
        {"(E:LOCAL DAY OF YEAR, number)", "(E:LOCAL DAY OF YEAR, number)", 0},
        {"(E:LOCAL TIME, knots)", "(E:LOCAL TIME, knots)", 0},
        {"1 (>E:ZULU TIME)", "(>E:ZULU TIME)", 2},
        {"(M:Wheel)", "(M:Wheel)", 0},
        {"(K:TOGGLE_SOUND)", "(K:TOGGLE_SOUND)", 0},
        {"1 if{ 2", "if{", 2},
        {"2 }", "}", 2},
        {"1 els{ 2 }", "els{", 2},
        {"s50", "s50", 0},
        {"@Macro", "@Macro", 0},
        {"1 g3 :2", "g3", 2},       // a jump to no label
        {"1 if{ g12 }", "g12", 6},
        {"1e999", "1e999", 0},      // no double holds it
        {"0x", "0x", 0},
        {"0x1G", "0x1G", 0},
        {": 1", ":", 0},
        {"!lua", "!lua", 0},
    };
    for (const Case& c : refused) {
        CompiledScript script;
        std::string token;
        size_t offset = 99;
        EXPECT_FALSE(CompileScript(c.script, &script, &token, &offset)) << c.script;
        EXPECT_EQ(token, c.token) << c.script;
        EXPECT_EQ(offset, c.offset) << c.script;
    }
}

// A run stops at the token that cannot go on, and says why: arithmetic that
// has no number makes none up, each at its own place.
TEST(ScriptLanguage, StopsWhereThereIsNoNumber) {
    struct Stop { const char* script; const char* problem; size_t offset; } stops[] = {
        {"1 +", "empty stack", 2},
        {"'a' 1 +", "a string is where a number is needed", 6},
        {"'a' if{ 1 }", "the string 'a' is where a number is needed", 4},
        {"1 2 3 3 5 case", "outside its values", 10},
        {"1 0 /", "a division by zero", 4},
        {"7 0 %", "a division by zero", 4},
        {"7 0 div", "a division by zero", 4},
        {"0 -1 pow", "a division by zero", 5},
        {"0 ctg", "a division by zero", 2},
        {"-4 sqrt", "the square root of a negative number", 3},
        {"0 ln", "the logarithm of zero or a negative number", 2},
        {"-10 log", "the logarithm of zero or a negative number", 4},
        {"2 asin", "asin of a value outside -1..1", 2},
        {"-8 0.5 pow", "pow gives no number here", 7},
        {"1000 exp", "exp gives a value too large for a number", 5},
        {"1e308 10 *", "* gives a value too large for a number", 9},
        {"1e19 1 &", "a value too large for the integer operator &", 7},
        {"1e300 ~", "a value too large for the integer operator ~", 6},
        {"1 64 <<", "a shift by 64 bits", 5},
        {"5e9 (>K:SOUND_SET)", "too large for K:SOUND_SET's 32-bit parameter", 4},
        {"1 (L:broken) +", "L:broken holds no number", 2},
        {"(M:X)", "M:X is read outside click code", 0},
        {"0 chr", "chr takes a character code from 1 to 255", 2},
        {"'ab' 5 symb", "has no character at that position", 7},
        {"'' ord", "ord is given an empty string", 3},
        {":1 g1", "a jump loop that does not end", 3},  // g1 goes on at itself
        {":1 1 g1", "the stack grows past 10000 values", 3},
    };
    ScriptRun run;
    run.lvars["broken"] = NAN;
    for (const Stop& c : stops) {
        CompiledScript script;
        std::string token, problem;
        size_t offset = 99;
        ASSERT_TRUE(CompileScript(c.script, &script, &token, &offset)) << c.script << ": " << token;
        EXPECT_FALSE(RunScript(script, &run.world, &problem, &offset)) << c.script;
        EXPECT_THAT(problem, HasSubstr(c.problem)) << c.script;
        EXPECT_EQ(offset, c.offset) << c.script;
    }
    EXPECT_TRUE(run.keys.empty());  // the event whose parameter did not fit was not sent
}

class PanelhostCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeTempFolder("kvo_panelhost");
        ASSERT_TRUE(WriteTone(folder_ + "\\good.wav", 0.1));
        WavLayout layout;
        ASSERT_TRUE(WriteWav(folder_ + "\\truncated.wav", layout, ToneSamples(layout, 1000), 400000));
        std::ofstream(folder_ + "\\notriff.wav") << "this is no sound file";
    }
    void TearDown() override { RemoveTree(folder_); }
    std::string Write(const char* name, const std::string& text) {
        std::string path = folder_ + "\\" + name;
        std::ofstream(path.c_str(), std::ios::binary) << text;
        return "\"" + path + "\"";
    }
    std::string folder_;
    std::string out_;
};

// One grammar for numbers: what the check takes for a number written into a
// variable is what the interpreter pushes, with the same value.
TEST(ScriptLanguage, NumbersAsTheCheckReadsThem) {
    struct Number { const char* token; double value; } numbers[] = {
        {"12", 12}, {"-.5", -0.5}, {"+3.", 3}, {"1e3", 1000}, {"2.5E-1", 0.25}, {"0x1A", 26}, {"-0X10", -16},
    };
    ScriptRun run;
    for (const Number& n : numbers) {
        EXPECT_TRUE(IsScriptNumber(n.token)) << n.token;
        EXPECT_EQ(ScriptNumberValue(n.token), n.value) << n.token;
        EXPECT_EQ(run.Top(n.token), n.value) << n.token;
    }
    for (const char* token : {"1e", "0x", "0x1p3", "1.5.2", "12a", ".", "-e5"}) {
        EXPECT_FALSE(IsScriptNumber(token)) << token;
        EXPECT_TRUE(isnan(run.Top(token))) << token;
    }
    // Too large for a double: written as a number, but no value the interpreter pushes.
    EXPECT_TRUE(IsScriptNumber("1e400"));
    EXPECT_TRUE(isnan(run.Top("1e400")));
}

TEST_F(PanelhostCommandLine, CheckJudgesEveryConfiguredSound) {
    std::string ini = Write("sounds.ini",
                            "[Config]\nMaxSounds=5\n[Sounds]\nSound00=good.wav\nSound01=missing.wav\n"
                            "Sound02=notriff.wav,50\nSound03=truncated.wav\n[LVars]\nLvar00=chime_a\n");
    EXPECT_EQ(RunPanelhost("--check " + ini, &out_), 1) << out_;
    EXPECT_THAT(LineWith(out_, "Sound00 chime_a"), HasSubstr(folder_ + "\\good.wav  loads and plays"));
    std::string missing = LineWith(out_, "missing.wav: the sound does not load");
    EXPECT_THAT(missing, HasSubstr("ERROR " + folder_ + "\\sounds.ini:5: "));
    EXPECT_THAT(missing, HasSubstr("Location 5\\nFile " + folder_ + "\\missing.wav"));
    // The default module is the copy beside the default host program.
    std::string module = TestProgramFolder() + "\\panelhost\\" + kDefaultHost + "\\kvo_sound.dll";
    EXPECT_THAT(missing, HasSubstr("then [" + module + "] LSF - Load Sound File Failed\\n" + folder_ + "\\missing.wav"));
    EXPECT_THAT(LineWith(out_, "notriff.wav: the sound does not load"), HasSubstr("MMIOERR_INVALIDFILE"));
    EXPECT_THAT(LineWith(out_, "truncated.wav: the sound does not load"), HasSubstr("Location 8"));
    EXPECT_THAT(LineWith(out_, "Sound03 kvo_xml_id_03"), HasSubstr("FAILED"));
    EXPECT_THAT(out_, Not(HasSubstr("Sound04")));  // not configured: nothing to try
    EXPECT_THAT(out_, HasSubstr("1 of 4 configured sounds load and play"));
    EXPECT_THAT(out_, HasSubstr("check: 3 errors, 0 warnings"));

    // Two spellings of one file share a buffer: a warning, not an error.
    ini = Write("good.ini", "[Config]\nMaxSounds=2\n[Sounds]\nSound00=good.wav\nSound01=\\GOOD.WAV\n");
    EXPECT_EQ(RunPanelhost("--check " + ini, &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("2 of 2 configured sounds load and play"));
    EXPECT_THAT(LineWith(out_, "WARNING " + folder_ + "\\good.ini:5: " + folder_ + "\\GOOD.WAV: Sound00 and Sound01"),
                HasSubstr("share one sound buffer: a load applies the loading slot's volume to both, and a 0 in one "
                          "slot's variable stops the other's play"));

    EXPECT_EQ(RunPanelhost("--check \"" + folder_ + "\\absent.ini\"", &out_), 1) << out_;
    EXPECT_THAT(out_, HasSubstr("ERROR " + folder_ + "\\absent.ini: the configuration does not exist"));
    // A Linux path longer than the ANSI functions take is still made a full Windows path.
    std::string longFolder(280, 'd');
    EXPECT_EQ(RunPanelhost("--check /kvo_long/" + longFolder + "/a.ini", &out_), 1) << out_;
    EXPECT_THAT(out_, HasSubstr(":\\kvo_long\\" + longFolder + "\\a.ini: the path is 298 characters long"));
}

TEST_F(PanelhostCommandLine, ExitStatusesAndTheTrace) {
    std::string ini = Write("one.ini", "[Config]\nMaxSounds=1\n[Sounds]\nSound00=good.wav\n");
    std::string scenario = Write("run.scn", "gauge " + folder_ +
                                                "\\one.ini\nframes 11\nexpect VoiceAvailable 1\n"
                                                "expect kvo_xml_id_00 3  # fails\nexpect nothing_here 0\n");
    EXPECT_EQ(RunPanelhost("--fast " + scenario, &out_), 1) << out_;
    EXPECT_THAT(out_, HasSubstr("register  kvo_xml_id_00"));
    EXPECT_THAT(out_, HasSubstr("write     VoiceAvailable = 1 (was 0)"));
    EXPECT_THAT(out_, HasSubstr("FAILED    line 4: expect kvo_xml_id_00 3: it is 0"));
    EXPECT_THAT(out_, HasSubstr("FAILED    line 5: expect nothing_here 0: no such variable"));
    EXPECT_THAT(out_, HasSubstr("3 expectations, 2 failed"));
    EXPECT_THAT(out_, Not(HasSubstr("(unchanged)")));  // FSSimIsPaused is written 0 every frame

    EXPECT_EQ(RunPanelhost("--fast --trace-all " + scenario, &out_), 1);
    EXPECT_THAT(out_, HasSubstr("write     FSSimIsPaused = 0 (unchanged)"));
    EXPECT_EQ(RunPanelhost("--fast --quiet " + scenario, &out_), 1);
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 3) << out_;  // the failures and the closing line
    EXPECT_THAT(out_, HasSubstr("FAILED    line 4"));
    EXPECT_THAT(out_, HasSubstr("done      3 expectations, 2 failed"));

    std::string passing = Write("pass.scn", "gauge " + folder_ + "\\one.ini\nframes 11\nexpect-no-box\n");
    EXPECT_EQ(RunPanelhost("--fast " + passing, &out_), 0) << out_;
    // Each version runs in a program of its own, which the module reads.
#ifndef _WIN64
    EXPECT_EQ(RunPanelhost("--fast --sim-version 9 " + passing, &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("write     FSVersionMajor = 9 (was 0)"));
    EXPECT_THAT(out_, HasSubstr("panelhost\\9\\kvo_sound.dll"));
    EXPECT_EQ(RunPanelhost("--fast --simconnect " + passing, &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("write     SimConnected = 1 (was 0)"));
    // A module elsewhere finds SimConnect by its own folder: this one has it.
    EXPECT_EQ(RunPanelhost("--fast --module \"" + TestProgramFolder() + "\\kvo_sound.dll\" " + passing, &out_), 0);
    EXPECT_THAT(out_, HasSubstr("it finds SimConnect without --simconnect"));
#endif

    struct Case { std::string arguments, message; } unusable[] = {
        {Write("bad.scn", "start\nframes eleven\n"), "bad.scn:2: frames takes"},
        {Write("global.scn", "global time 5\nframes 1\n"), "global.scn:1: 'global time 5' cannot run here: GLOBAL.DLL"},
        {Write("view.scn", "simconnect view 1\n"), "'simconnect view 1' cannot run here: SimConnect"},
        {"--sim-version 8 " + passing, "--sim-version takes 10, 9, 1 (32-bit), 4, 5, 6 (64-bit) or none"},
        {"\"" + folder_ + "\\absent.scn\"", "cannot read the scenario"},
        {"--check " + ini + " --fast", "--check takes a path, --sim-folder, --sim-version, --module and --report only"},
        {"--sim-folder \"" + folder_ + "\\absent\" " + passing, "the simulator folder"},
        {"--module \"" + folder_ + "\\good.wav\" " + passing, "cannot load the module"},
        {"--check " + ini + " --module \"" + folder_ + "\\good.wav\"", "cannot load the module"},
        {"", "no scenario given"},
        {Write("allow.scn", "allow-boxes now\n"), "allow-boxes takes nothing"},
    };
    for (const Case& c : unusable) {
        EXPECT_EQ(RunPanelhost(c.arguments, &out_), 2) << c.arguments << "\n" << out_;
        EXPECT_THAT(out_, HasSubstr(c.message)) << c.arguments;
    }
}

// Boxes nobody expected and expectations on names only the scenario used
// fail the run; --sim-folder places the panel's own dotted parameters.
TEST_F(PanelhostCommandLine, StrictScenarios) {
    Write("missing.ini", "[Config]\nMaxSounds=2\n[Sounds]\nSound00=good.wav\nSound01=absent.wav\n");
    std::string body = "gauge " + folder_ + "\\missing.ini\nframes 11\nset kvo_xml_id_01 1\nframes 1\n";
    std::string silent = Write("silent.scn", body + "expect kvo_xml_id_00 0\n");
    EXPECT_EQ(RunPanelhost("--fast " + silent, &out_), 1) << out_;
    EXPECT_THAT(LineWith(out_, "FAILED    a box that no expect-box takes (frame 12)"), HasSubstr("Location 5"));
    EXPECT_THAT(out_, HasSubstr("LSF - Load Sound File Failed\\n" + folder_ + "\\absent.wav"));
    EXPECT_THAT(out_, HasSubstr("done      1 expectations, 2 failed"));
    EXPECT_EQ(RunPanelhost("--fast --quiet " + silent, &out_), 1) << out_;
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 3) << out_;
    // Taken in order by expect-box, or allowed by a scenario that only watches.
    std::string taken = Write("taken.scn", body + "expect-box \"Location 5\"\nexpect-box \"LSF\"\n");
    EXPECT_EQ(RunPanelhost("--fast " + taken, &out_), 0) << out_;
    std::string watching = Write("watching.scn", "allow-boxes\n" + body);
    EXPECT_EQ(RunPanelhost("--fast --quiet " + watching, &out_), 0) << out_;
    EXPECT_EQ(out_, "    12  done      0 expectations, 0 failed\r\n");
    // One box taken, the other left: the run still fails.
    std::string half = Write("half.scn", body + "expect-box \"Location 5\"\n");
    EXPECT_EQ(RunPanelhost("--fast " + half, &out_), 1) << out_;
    EXPECT_THAT(out_, HasSubstr("a box that no expect-box takes (frame 12): [" ));
    EXPECT_THAT(out_, Not(HasSubstr("takes (frame 12): [" + TestProgramFolder() + "\\panelhost\\10\\kvo_sound.dll] Error")));

    std::string own = Write("own.scn", "gauge " + folder_ + "\\missing.ini\nframes 11\nset t_chmie 1\n"
                                       "expect t_chmie 1\nset KVOGlobals 2\nframes 1\nexpect UserMutedSounds 1\n");
    EXPECT_EQ(RunPanelhost("--fast " + own, &out_), 1) << out_;
    EXPECT_THAT(LineWith(out_, "FAILED    line 4: expect t_chmie 1"), HasSubstr("only the scenario touched it"));
    EXPECT_THAT(out_, HasSubstr("2 expectations, 1 failed"));

    // The panel's own line, ".\\SimObjects\\...", under the simulator folder given.
    CreateDirectoryA((folder_ + "\\SimObjects").c_str(), nullptr);
    CreateDirectoryA((folder_ + "\\SimObjects\\plane").c_str(), nullptr);
    Write("SimObjects\\plane\\sound.ini", "[Config]\nMaxSounds=1\n[Sounds]\nSound00=.\\good.wav\n");
    std::string panel = Write("panel.scn", "gauge .\\SimObjects\\plane\\sound.ini\nframes 11\nset kvo_xml_id_00 1\n"
                                           "frames 1\nexpect kvo_xml_id_00 1\n");
    EXPECT_EQ(RunPanelhost("--fast --sim-folder \"" + folder_ + "\" " + panel, &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("simulator folder " + folder_));
    // Without it the dot is the host program's folder, where there is no such file.
    EXPECT_EQ(RunPanelhost("--fast " + panel, &out_), 1) << out_;
    EXPECT_THAT(out_, HasSubstr("Config File Not Found"));
}

// The variables a run gives its gauges' scripts: C: variables from avar
// lines and scripts, E: times from the run's clock, M:Event in click code.
TEST_F(PanelhostCommandLine, ScriptVariablesFromTheRun) {
    CreateDirectoryA((folder_ + "\\gps").c_str(), nullptr);
    CreateDirectoryA((folder_ + "\\gps\\panel").c_str(), nullptr);
    CreateDirectoryA((folder_ + "\\gps\\panel\\gps_xml").c_str(), nullptr);
    Write("gps\\panel\\panel.cfg", "[Window Titles]\nWindow00=Main\n[Window00]\ngauge00=gps_xml!Route, 0, 0, 10, 10\n");
    Write("gps\\panel\\gps_xml\\Route.xml",
          "<Gauge Name=\"Route\" Version=\"1.0\">\n"
          "  <Update>\n"
          "    (C:fs9gps:WaypointIndex, number) 1 + (&gt;L:route_next, number)\n"
          "    (C:fs9gps:FlightPlanIsActive, bool) (&gt;L:route_active, bool)\n"
          "    (E:LOCAL TIME, seconds) 0 &gt; (&gt;L:route_clock_runs, bool)\n"
          "  </Update>\n"
          "  <Mouse><Area Left=\"0\" Top=\"0\" Width=\"10\" Height=\"10\">\n"
          "    <Click>(M:Event) 'LeftSingle' scmp 0 == if{ (C:fs9gps:WaypointIndex) 1 + (&gt;C:fs9gps:WaypointIndex) }\n"
          "      (M:Event) slen 0x100 + (&gt;K:AP_ALT_VAR_SET_ENGLISH)</Click>\n"
          "  </Area></Mouse>\n"
          "</Gauge>\n");
    // 3 + 1 each frame; the click moves the index on, so 4 + 1; the event's parameter is 10 + 256.
    std::string scenario = Write("gps.scn", "allow-boxes\naircraft " + folder_ + "\\gps\\panel\\panel.cfg\n"
                                            "avar \"C:fs9gps:WaypointIndex\" 3\nframes 11\nexpect route_next 4\n"
                                            "expect route_active 0\nexpect route_clock_runs 1\n"
                                            "click Route 0\nframes 1\nexpect route_next 5\n");
    EXPECT_EQ(RunPanelhost("--fast " + scenario, &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("expectations, 0 failed"));
    EXPECT_THAT(out_, HasSubstr("K:AP_ALT_VAR_SET_ENGLISH, parameter 266"));
    std::string unset = "C:fs9gps:FlightPlanIsActive is read before an avar line set it: it reads 0";
    size_t said = out_.find(unset);
    EXPECT_NE(said, std::string::npos) << out_;
    EXPECT_EQ(out_.find(unset, said + 1), std::string::npos);  // said once, not every frame
}

// The test aircraft run through its own gauges: the build's copy, under its
// own simulator folder; what the run says about the gauges it loads.
TEST_F(PanelhostCommandLine, AircraftGaugesRun) {
    std::string sim = TestProgramFolder() + "\\..\\aircraft_run";
    std::string scenario = "\"" + sim + "\\run.scn\"";
    EXPECT_EQ(RunPanelhost("--fast --sim-folder \"" + sim + "\" " + scenario, &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("expectations, 0 failed"));
    EXPECT_THAT(LineWith(out_, "the XML gauge Engine from"), HasSubstr("run_cab.cab\\Engine.xml"));
    EXPECT_THAT(LineWith(out_, "xml key   K:SOUND_TOGGLE (65552)"), HasSubstr("to the module's key handler"));
    // The gauge with a token outside the language is left out, by file and line.
    EXPECT_THAT(LineWith(out_, "'(E:LOCAL MONTH OF YEAR, number)' is outside the script language"),
                HasSubstr("Clock.xml:7: "));
    EXPECT_THAT(out_, Not(HasSubstr("run_clock_ticks")));

    // Clicks that find no code, a gauge's run-time stop, and an A: read before it was set.
    std::string lines = "aircraft " + sim + "\\SimObjects\\Airplanes\\kvo_run\\panel\\panel.cfg\n"
                        "frames 11\nclick Nothing 0\nclick Engine 1\nexpect run_clock_ticks 0\n";
    EXPECT_EQ(RunPanelhost("--fast --sim-folder \"" + sim + "\" " + Write("clicks.scn", lines), &out_), 1) << out_;
    EXPECT_THAT(out_, HasSubstr("line 3: click Nothing 0: no XML gauge of that name is loaded"));
    EXPECT_THAT(out_, HasSubstr("line 4: click Engine 1: the gauge has 1 mouse areas"));
    EXPECT_THAT(out_, HasSubstr("A:GENERAL ENG RPM:1 is read before an avar line set it: it reads 0"));
    EXPECT_THAT(out_, HasSubstr("line 5: expect run_clock_ticks 0: no such variable"));

    // The example aircraft: its parameter "\\..\\sound.ini" is taken from its own
    // module file's folder, not from panelhost's, and its gauges drive the sounds.
    std::string bin = TestProgramFolder();
    std::string example = bin.substr(0, bin.find_last_of('\\')) + "\\examples\\aircraft";
    lines = "aircraft " + example + "\nframes 11\navar \"GENERAL ENG COMBUSTION:1\" 1\nframes 2\n"
            "expect demo_engine 2\nclick Buttons 0\nframes 1\nexpect demo_chime 1\nexpect-no-box\n";
    EXPECT_EQ(RunPanelhost("--fast " + Write("example.scn", lines), &out_), 0) << out_;
    EXPECT_THAT(LineWith(out_, "kvo_sound!Sound \\..\\sound.ini: from the module"),
                HasSubstr(example + "\\panel\\kvo_sound.gau, " + example + "\\panel\\..\\sound.ini"));
}

// The glass test aircraft runs whole without --sim-folder; glass.scn holds
// the values worked out by hand for each of its scripts.
TEST_F(PanelhostCommandLine, GlassAircraftRunsWhole) {
    std::string sim = TestProgramFolder() + "\\..\\aircraft_glass";
    EXPECT_EQ(RunPanelhost("--fast \"" + sim + "\\glass.scn\"", &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("expectations, 0 failed"));
    EXPECT_THAT(LineWith(out_, "simulator folder"), HasSubstr("aircraft_glass (above the aircraft)"));
    EXPECT_THAT(out_, HasSubstr("Fms.xml:16: a } that closes no block"));
    EXPECT_THAT(out_, Not(HasSubstr("left out")));
    EXPECT_THAT(out_, Not(HasSubstr("gauges not run")));
    EXPECT_THAT(out_, Not(HasSubstr("stops here")));
}

// Writes BYTES to PATH, a folder of FOLDER (ASCII) below which the rest
// is UTF-8, through the wide-character calls; the folders on the way are made.
bool WriteBelow(const std::string& folder, const std::string& utf8Rest, const std::string& bytes) {
    auto wide = [](const std::string& utf8) {
        std::wstring text(utf8.size() + 1, L'\0');
        int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &text[0], static_cast<int>(text.size()));
        text.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
        return text;
    };
    std::wstring path = wide(folder + "\\" + utf8Rest);
    for (size_t slash = wide(folder).size() + 1; (slash = path.find(L'\\', slash)) != std::wstring::npos; ++slash)
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

// The older-schema gauge of the click and left-out runs, line by line.
const char kButtons[] =
    "<Gauge Name=\"Buttons\">\n"                                                            // 1
    "<Update>1 (&gt;L:a) } 2 (&gt;L:b)</Update>\n"                                          // 2: a stray }
    "<Element><Select><Value>(L:b) bogus_word (&gt;L:never)</Value></Select></Element>\n"  // 3: left out alone
    "<Mouse>\n"                                                                             // 4
    "<Area><Click>1 (&gt;L:first) 2 3 4 5 6 7 c</Click>\n"                                  // 5
    "  <Click>(L:flag) if{ 1 (&gt;L:second) }</Click></Area>\n"                             // 6
    "<Area Kind=\"WheelUp+WheelDown\"><Click Kind=\"WheelUp\">(L:wheel) 1 + (&gt;L:wheel)</Click>\n"  // 7
    "  <Click Kind=\"WheelDown\">(L:wheel) 1 - (&gt;L:wheel)</Click></Area>\n"              // 8
    "<Area><Click Event=\"SOUND_TOGGLE\"/></Area>\n"                                        // 9
    "</Mouse></Gauge>\n";

// An aircraft below a folder whose name is not ASCII, named in a UTF-8
// scenario with a byte-order mark: its simulator folder is found above it;
// two click scripts of one area run each on its own (jump targets and all);
// mouse events pick the scripts; a stray } is said and passed over; a script
// the interpreter refuses is left out alone; --quiet keeps one line of what
// did not run.
TEST_F(PanelhostCommandLine, AircraftClicksAndLeftOutScripts) {
    const std::string sim = "Gr\xC3\xB6\xC3\x9F" "e";  // UTF-8
    const std::string plane = sim + "\\SimObjects\\Airplanes\\plane";
    ASSERT_TRUE(WriteBelow(folder_, plane + "\\aircraft.cfg", "[fltsim.0]\ntitle=plane\n"));
    ASSERT_TRUE(WriteBelow(folder_, plane + "\\sound.ini", "[Config]\nMaxSounds=1\n[Sounds]\nSound00=.\\tone.wav\n"));
    ASSERT_TRUE(WriteBelow(folder_, plane + "\\panel\\panel.cfg",
                           "[Window00]\ngauge00=kvo_sound!Sound, 0,0,1,1, .\\SimObjects\\Airplanes\\plane\\sound.ini\n"
                           "gauge01=plane_xml!Buttons, 0,0,10,10\ngauge02=nowhere!Missing, 0,0,10,10\n"));
    ASSERT_TRUE(WriteBelow(folder_, plane + "\\panel\\plane_xml\\Buttons.xml", kButtons));
    std::ifstream wav((folder_ + "\\good.wav").c_str(), std::ios::binary);
    std::string tone((std::istreambuf_iterator<char>(wav)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(tone.empty());
    ASSERT_TRUE(WriteBelow(folder_, sim + "\\tone.wav", tone));
    std::string lines = "\xEF\xBB\xBF" "aircraft " + folder_ + "\\" + plane + "\n"  // 1
                        "frames 11\nexpect a 1\nexpect b 2\n"                        // 2-4
                        "click Buttons 0\nexpect first 1\nexpect flag 0\n"           // 5-7
                        "set flag 1\nclick Buttons 0 LeftSingle\nexpect second 1\n"  // 8-10
                        "click Buttons 1 WheelUp\nclick Buttons 1 wheelup\nclick Buttons 1 WheelDown\n"  // 11-13
                        "expect wheel 1\nclick Buttons 1\n"                          // 14-15
                        "click Buttons 2\nframes 1\nexpect FSSoundIsOn 0\nexpect-no-box\n";  // 16-19
    std::string scenario = Write("clicks.scn", lines);
    EXPECT_EQ(RunPanelhost("--fast " + scenario, &out_), 1) << out_;
    if (GetACP() == 1252) {
        EXPECT_THAT(out_, HasSubstr("simulator folder " + folder_ + "\\Gr\xF6\xDF" "e (above the aircraft)"));
    }
    EXPECT_THAT(out_, HasSubstr("Buttons.xml:2: a } that closes no block: it does nothing"));
    EXPECT_THAT(LineWith(out_, "'bogus_word' is outside the script language"), HasSubstr("Buttons.xml:3: "));
    EXPECT_THAT(out_, HasSubstr("this script of the XML gauge Buttons is left out, its other scripts run"));
    EXPECT_THAT(out_, Not(HasSubstr("never")));
    EXPECT_THAT(out_, HasSubstr("line 15: click Buttons 1: mouse area 1 has no click code for LeftSingle "
                                "(it has WheelUp, WheelDown)"));
    EXPECT_THAT(out_, HasSubstr("K:SOUND_TOGGLE (65552)"));
    EXPECT_THAT(out_, HasSubstr("gauges not run: 1 (1 not found, 0 compiled, 0 left out, 0 stopped); "
                                "scripts left out: 1"));
    EXPECT_THAT(out_, HasSubstr("done      8 expectations, 1 failed"));

    EXPECT_EQ(RunPanelhost("--fast --quiet " + scenario, &out_), 1) << out_;
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 3) << out_;  // the click, what did not run, the closing line
    EXPECT_THAT(out_, HasSubstr("FAILED    line 15: click Buttons 1"));
    EXPECT_THAT(out_, HasSubstr("gauges not run: 1"));
}

// A piped console session: the slot table, a loop tuned and panned, the line
// to paste, a once played again while it plays, stop all and quit.
TEST_F(PanelhostCommandLine, ListenReadsAPipe) {
    std::string ini = Write("listen.ini", "[Config]\nMaxSounds=2\n[Sounds]\nSound00=good.wav\nSound01=good.wav,-300\n"
                                          "[LVars]\nLvar01=tone_loop\n");
    std::string input = "list\nloop tone_loop\nvolume tone_loop -12.5\npan 1 -5000\nframes 1\nexpect tone_loop 2\n"
                        "volume 1 3\nplay 0\nplay 0\nplay nothing\nmute\nfly\nstop all\nframes 1\n"
                        "expect tone_loop 0\nquit\nframes 100\n";
    EXPECT_EQ(RunPanelhostWithInput("--listen " + ini, input, &out_), 0) << out_;
    EXPECT_THAT(LineWith(out_, "slot       1  tone_loop"), HasSubstr("Sound01=good.wav,-300"));
    EXPECT_THAT(LineWith(out_, "slot       0  kvo_xml_id_00"), HasSubstr("Sound00=good.wav"));
    EXPECT_THAT(out_, HasSubstr("write     kvo_loop_played = 1 (was 0)"));
    EXPECT_THAT(out_, HasSubstr("tuned     Sound01=good.wav,-1250   (paste into " + folder_ + "\\listen.ini)"));
    EXPECT_THAT(out_, HasSubstr("write     tone_loop = 2 (was 5)"));  // the pan served on the loop
    EXPECT_THAT(out_, HasSubstr("served    loop tone_loop: slot 1 loops"));
    EXPECT_THAT(out_, HasSubstr("served    pan 1 -5000: slot 1 panned to -5000"));
    EXPECT_THAT(out_, HasSubstr("served    stop all: global command 1 served"));
    EXPECT_THAT(out_, HasSubstr("volume takes decibels from -100 to 0"));
    EXPECT_THAT(out_, HasSubstr("no slot nothing: give its number or its variable"));
    EXPECT_THAT(out_, HasSubstr("write     UserMutedSounds = 1 (was 0)"));
    EXPECT_THAT(out_, HasSubstr("unknown command 'fly'"));
    EXPECT_THAT(out_, HasSubstr("write     tone_loop = 0 (was 2)"));
    EXPECT_THAT(out_, HasSubstr("done      2 expectations, 0 failed"));
    EXPECT_THAT(out_, Not(HasSubstr("typed     frames 100")));  // nothing after quit

    // A percentage in the INI turns percent mode on: the line to paste is in percent.
    ini = Write("percent.ini", "[Config]\nMaxSounds=1\n[Sounds]\nSound00=good.wav,50\n");
    EXPECT_EQ(RunPanelhostWithInput("--listen " + ini, "loop 0\nvolume 0 -12.5\nvolume 0 -100\n", &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("tuned     Sound00=good.wav,88   (paste into " + folder_ + "\\percent.ini; in percent"));
    EXPECT_THAT(out_, HasSubstr("tuned     Sound00=good.wav,1   "));

    // The slots are the module's own, up to the thousand it takes.
    ini = Write("many.ini", "[Config]\nMaxSounds=120\n[Sounds]\nSound110=good.wav\n[LVars]\nLvar110=far_slot\n");
    EXPECT_EQ(RunPanelhostWithInput("--listen " + ini, "play far_slot\n", &out_), 0) << out_;
    EXPECT_THAT(LineWith(out_, "slot      110  far_slot"), HasSubstr("Sound110=good.wav"));
    EXPECT_THAT(out_, Not(HasSubstr("no slot far_slot")));
}

// The names are the module's: control keys left empty mean its defaults, and
// the console's mute and stop all reach it. `list` shows what the module holds.
TEST_F(PanelhostCommandLine, ListenTakesTheModulesNames) {
    std::string ini = Write("empty_keys.ini", "[Config]\nMaxSounds=1\nVolumeVarIn=\nPanVarIn=\nGlobalCommands=\n"
                                              "[Sounds]\nSound00=good.wav,-300\n");
    std::string input = "loop 0\npan 0 2500\nmute\nlist\nunmute\nstop all\nframes 1\nexpect kvo_xml_id_00 0\n";
    EXPECT_EQ(RunPanelhostWithInput("--listen " + ini, input, &out_), 0) << out_;
    EXPECT_THAT(out_, HasSubstr("volume in kvo_lvchime_volume_in, pan in kvo_lvchime_pan_in, global commands KVOGlobals"));
    EXPECT_THAT(out_, HasSubstr("write     UserMutedSounds = 1 (was 0)"));
    EXPECT_THAT(out_, HasSubstr("served    mute: global command 2 served"));
    EXPECT_THAT(out_, HasSubstr("write     UserMutedSounds = 0 (was 1)"));
    EXPECT_THAT(out_, HasSubstr("write     kvo_xml_id_00 = 0 (was 2)"));
    EXPECT_THAT(LineWith(out_, "slot       0  kvo_xml_id_00            = 2"),
                HasSubstr("looping    volume -300   pan 2500   Sound00=good.wav,-300"));
    EXPECT_THAT(out_, HasSubstr("done      1 expectations, 0 failed"));

    // The console runs at the simulator's rate, or not at all.
    EXPECT_EQ(RunPanelhost("--listen --fast " + ini, &out_), 2) << out_;
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 1) << out_;
    EXPECT_THAT(out_, HasSubstr("--fast does not go with it"));
}

// An aircraft whose gauge turns a 3 in its sound's variable back into a 2
// before the module reads it: the volume typed is reported as overwritten,
// by whom and when, and no line to paste is printed.
TEST_F(PanelhostCommandLine, ListenSaysWhatAGaugeOverwrote) {
    Write("engine.ini", "[Config]\nMaxSounds=1\n[Sounds]\nSound00=good.wav\n[LVars]\nLvar00=engine_snd\n");
    CreateDirectoryA((folder_ + "\\panel").c_str(), nullptr);
    CreateDirectoryA((folder_ + "\\panel\\rw").c_str(), nullptr);
    std::string panel = Write("panel\\panel.cfg", "[Window00]\ngauge00=kvo_sound!Sound, 0,0,1,1, " + folder_ +
                                                   "\\engine.ini\ngauge01=rw!Engine, 0,0,9,9\n");
    Write("panel\\rw\\Engine.xml", "<Gauge Name=\"Engine\">\n<Update>\n"
                                   "(L:engine_snd, number) 3 == if{ 2 (&gt;L:engine_snd, number) }</Update>\n</Gauge>\n");
    EXPECT_EQ(RunPanelhostWithInput("--listen " + panel, "loop engine_snd\nvolume engine_snd -20\nquit\n", &out_), 0)
        << out_;
    EXPECT_THAT(out_, HasSubstr("served    loop engine_snd: slot 0 loops"));
    std::string overwritten = LineWith(out_, "unserved  volume engine_snd -20: ");
    EXPECT_THAT(overwritten, HasSubstr("the XML gauge Engine (its script at " + folder_ + "\\panel\\rw\\Engine.xml:3)"));
    EXPECT_THAT(overwritten, HasSubstr("wrote engine_snd = 2 at frame "));
    EXPECT_THAT(overwritten, HasSubstr("over the 3 typed, before the module read it"));
    EXPECT_THAT(out_, Not(HasSubstr("tuned ")));
}

}  // namespace
