// panelhost: the scenario reader line by line, and the whole command line
// run as a child process: --check, the exit statuses and the trace rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
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
    Step click = Parsed("click Switches 3");
    EXPECT_EQ(click.kind, kStepClickGauge);
    EXPECT_EQ(click.name, "Switches");
    EXPECT_EQ(click.count, 3);

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
    std::map<std::string, double> lvars, avars, gvars;
    std::vector<std::string> keys;
    std::vector<std::string> unset;
    ScriptWorld world;
    ScriptRun() {
        world.readL = [this](const std::string& name) { return lvars[name]; };
        world.writeL = [this](const std::string& name, double value) { lvars[name] = value; };
        world.sendKey = [this](const std::string& name, double value) {
            keys.push_back(name + "=" + std::to_string(static_cast<int>(value)));
        };
        world.unsetA = [this](const std::string& name) { unset.push_back(name); };
        world.avars = &avars;
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

TEST(ScriptLanguage, ArithmeticComparisonsAndLogic) {
    ScriptRun run;
    struct Case { const char* script; double top; } cases[] = {
        {"1 2 +", 3}, {"7 2 -", 5}, {"3 4 *", 12}, {"9 2 /", 4.5}, {"9 4 %", 1}, {"2 10 pow", 1024},
        {"5 neg", -5}, {"5 /-/", -5}, {"5 ++", 6}, {"5 --", 4},
        {"2 2 ==", 1}, {"2 3 !=", 1}, {"3 2 >", 1}, {"3 2 <", 0}, {"2 2 >=", 1}, {"3 2 <=", 0},
        {"3 2 &gt;", 1}, {"2 3 &lt;=", 1},
        {"1 0 and", 0}, {"1 0 or", 1}, {"1 1 &&", 1}, {"0 0 ||", 0}, {"0 !", 1}, {"2 !", 0},
        {"12 10 &", 8}, {"12 3 |", 15}, {"12 10 ^", 6}, {"1 4 <<", 16}, {"16 2 >>", 4}, {"0 ~", -1},
        {"3 8 min", 3}, {"3 8 max", 8}, {"-4.5 abs", 4.5}, {"2.7 flr", 2}, {"2.1 ceil", 3}, {"2.5 near", 3},
        {"5 1 10 rng", 1}, {"11 1 10 rng", 0},
        {"30 25 20 10 4 2 case", 25}, {"30 25 20 10 4 0 case 1 +", 11},
        {"'on' 'on' ==", 1}, {"'on' 'off' ==", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(run.Top(c.script), c.top) << c.script;
}

TEST(ScriptLanguage, StackRegistersAndBlocks) {
    ScriptRun run;
    EXPECT_EQ(run.Top("4 d *"), 16);
    EXPECT_EQ(run.Top("1 2 p"), 1);
    EXPECT_EQ(run.Top("8 2 r /"), 0.25);
    EXPECT_EQ(run.Top("1 2 3 c 9"), 9);
    EXPECT_EQ(run.Top("7 s3 p 1 l3 +"), 8);
    EXPECT_EQ(run.Top("7 sp49 l49 l49 *"), 49);
    EXPECT_EQ(run.Top("1 if{ 10 } els{ 20 }"), 10);
    EXPECT_EQ(run.Top("0 if{ 10 } els{ 20 }"), 20);
    EXPECT_EQ(run.Top("0 if{ 10 } 30"), 30);
    EXPECT_EQ(run.Top("1 1 if{ 0 if{ 5 } els{ 6 } 1 + } els{ 7 }"), 7);  // nested: 6 + 1
    EXPECT_EQ(run.Top("1 if{ 2 quit } 3"), 2);
    EXPECT_EQ(run.Top("1 if{2}els{3}"), 2);
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
    ASSERT_EQ(run.keys.size(), 2u);
    EXPECT_EQ(run.keys[0], "TOGGLE_SOUND=0");
    EXPECT_EQ(run.keys[1], "SOUND_ON=5");
    // An A: variable never set reads 0, and says so once.
    EXPECT_EQ(run.Top("(A:ENG COMBUSTION:2, bool) (A:ENG COMBUSTION:2, bool) +"), 0);
    EXPECT_EQ(run.unset, std::vector<std::string>{"ENG COMBUSTION:2"});
    // A macro's text keeps the blanks and line breaks of its definition.
    EXPECT_EQ(run.Top("3 (>\n      L:spaced, number\n    ) (\n L:spaced, number\n )"), 3);
    run.world.absoluteTime = 12.5;
    EXPECT_EQ(run.Top("(P:ABSOLUTE TIME, seconds)"), 12.5);
}

TEST(ScriptLanguage, WhatItDoesNotKnowIsNamed) {
    struct Case { const char* script; const char* token; size_t offset; } refused[] = {
        {"1 2 scat", "scat", 4},
        {"(E:LOCAL TIME, seconds)", "(E:LOCAL TIME, seconds)", 0},
        {"(M:Event) 'LeftSingle' scmp", "(M:Event)", 0},
        {"(K:TOGGLE_SOUND)", "(K:TOGGLE_SOUND)", 0},
        {"1 if{ 2", "if{", 2},
        {"2 }", "}", 2},
        {"1 els{ 2 }", "els{", 2},
        {"s50", "s50", 0},
        {"@Macro", "@Macro", 0},
        {"1 2 ?", "?", 4},
    };
    for (const Case& c : refused) {
        CompiledScript script;
        std::string token;
        size_t offset = 99;
        EXPECT_FALSE(CompileScript(c.script, &script, &token, &offset)) << c.script;
        EXPECT_EQ(token, c.token) << c.script;
        EXPECT_EQ(offset, c.offset) << c.script;
    }
    // A run stops at the token that cannot go on, and says why; no value is made up.
    struct Stop { const char* script; const char* problem; size_t offset; } stops[] = {
        {"1 +", "empty stack", 2},
        {"'a' 1 +", "a string is where a number is needed", 6},
        {"1 2 3 3 5 case", "outside its values", 10},
        {"(P:LOCAL TIME, seconds)", "not known to this stand-in", 0},
        {"1 0 /", "a division by zero", 4},
        {"7 0 %", "a division by zero", 4},
    };
    ScriptRun run;
    for (const Stop& c : stops) {
        CompiledScript script;
        std::string token, problem;
        size_t offset = 99;
        ASSERT_TRUE(CompileScript(c.script, &script, &token, &offset)) << c.script << ": " << token;
        EXPECT_FALSE(RunScript(script, &run.world, &problem, &offset)) << c.script;
        EXPECT_THAT(problem, HasSubstr(c.problem)) << c.script;
        EXPECT_EQ(offset, c.offset) << c.script;
    }
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
        {"--check " + ini + " --fast", "--check takes a path, --sim-folder and --module only"},
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
    EXPECT_THAT(LineWith(out_, "'(E:LOCAL TIME, seconds)' is outside the script language"),
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

// A piped console session: the slot table, a loop tuned and panned, the line
// to paste, a once played again while it plays, stop all and quit.
TEST_F(PanelhostCommandLine, ListenReadsAPipe) {
    std::string ini = Write("listen.ini", "[Config]\nMaxSounds=2\n[Sounds]\nSound00=good.wav\nSound01=good.wav,-300\n"
                                          "[LVars]\nLvar01=tone_loop\n");
    std::string input = "list\nloop tone_loop\nvolume tone_loop -12.5\npan 1 -50\nframes 1\nexpect tone_loop 2\n"
                        "volume 1 3\nplay 0\nplay 0\nplay nothing\nmute\nfly\nstop all\nframes 1\n"
                        "expect tone_loop 0\nquit\nframes 100\n";
    EXPECT_EQ(RunPanelhostWithInput("--listen " + ini, input, &out_), 0) << out_;
    EXPECT_THAT(LineWith(out_, "slot       1  tone_loop"), HasSubstr("Sound01=good.wav,-300"));
    EXPECT_THAT(LineWith(out_, "slot       0  kvo_xml_id_00"), HasSubstr("Sound00=good.wav"));
    EXPECT_THAT(out_, HasSubstr("write     kvo_loop_played = 1 (was 0)"));
    EXPECT_THAT(out_, HasSubstr("tuned     Sound01=good.wav,-1250   (paste into " + folder_ + "\\listen.ini)"));
    EXPECT_THAT(out_, HasSubstr("write     tone_loop = 2 (was 5)"));  // the pan served on the loop
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

}  // namespace
