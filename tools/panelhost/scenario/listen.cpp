// --listen: the module runs its panel at the simulator's rate while lines
// typed at the console (or sent down a pipe) play, loop, stop, tune and mute
// its sounds. Every scenario line works there too. The names come from the
// module itself: the control variables its load registered and its published
// slot table. Each console command is confirmed only once the module has
// served it; a command an XML gauge overwrote first is reported as such.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "host/host.h"
#include "module/startup_frames.h"
#include "tools/panelhost/common/names.h"
#include "tools/panelhost/common/slot_table_view.h"
#include "tools/panelhost/scenario/runner.h"

namespace {

const int kLineChars = 4096;
const char kCommands[] = "play, loop, stop NAME|all, volume NAME DB (-100..0), pan NAME -10000..10000 (left..right, "
                         "as gauges write the pan), mute, unmute, pause, list, quit";

struct Slot {
    int index;
    std::string variable;  // its command variable, as the module's table names it
    std::string sound;     // its [Sounds] value as written, volume and all, for the line to paste
};

// The panel as the module loaded it.
struct Panel {
    std::string ini;  // the configuration the module took
    std::vector<Slot> slots;
    std::string volumeIn, panIn, globals;
};

// Lines from the console, read on a thread of their own so that frames run on
// while nobody types. The thread is never joined (it may wait in a read to
// the end of the program), so it holds the console as long as it runs.
struct Console {
    std::mutex lock;
    std::deque<std::string> lines;
    bool ended = false;
};

void ReadTypedLines(std::shared_ptr<Console> console) {
    char line[kLineChars];
    while (fgets(line, sizeof line, stdin) != nullptr) {
        std::lock_guard<std::mutex> hold(console->lock);
        console->lines.push_back(Trimmed(line));
    }
    std::lock_guard<std::mutex> hold(console->lock);
    console->ended = true;
}

struct Listening {
    Run* run;
    Panel panel;
    bool paused = false;
    bool quit = false;
    int lineNumber = 0;
};

// Runs the configuration load and the frames to the audio start-up, then
// takes the panel's names from the module; false, after a line, when the
// module shows none.
bool LearnPanel(Listening* l) {
    std::vector<std::string> controls;
    for (int i = 0; i < kFramesToServe; ++i) {
        RunFrames(l->run, 1);
        if (controls.empty()) controls = LoadRegistrations(host::Frame());
    }
    // Off its configuration page, a Debugger gauge has the module publish its table.
    int debugger = l->run->debuggers.empty() ? host::AddGauge("Debugger", "") : l->run->debuggers[0];
    if (debugger >= 0) {
        host::ClickDebugger(debugger, false);
        host::UpdateDebugger(debugger);
    }
    TraceModule();
    TableView table = ReadSlotTable();
    if (debugger < 0 || table.soundCount < 0 || controls.size() < kControlVariables) {
        SayAlways("listen", "the module did not load a configuration and publish its slot table: nothing to play");
        return false;
    }
    Panel& panel = l->panel;
    panel.ini = ModuleIniPath(debugger);
    panel.volumeIn = controls[kVolumeVarIn];
    panel.panIn = controls[kPanVarIn];
    panel.globals = table.globalVariable;
    for (size_t i = 0; i < table.slots.size(); ++i) {
        char key[16], value[1024];
        snprintf(key, sizeof key, "Sound%02d", static_cast<int>(i));
        GetPrivateProfileStringA("Sounds", key, "", value, sizeof value, panel.ini.c_str());
        panel.slots.push_back({static_cast<int>(i), table.slots[i].variable, value});
    }
    return true;
}

const char* SlotState(const SlotView& slot) {
    if (slot.failed) return "failed";
    if (!slot.loaded) return "not loaded";
    if (slot.playing) return slot.playMode == 2 ? "looping" : "playing";
    return "idle";
}

void PrintSlots(const Panel& panel) {
    SayAlways("slots", "%s: %d sounds; volume in %s, pan in %s, global commands %s", panel.ini.c_str(),
              static_cast<int>(panel.slots.size()), panel.volumeIn.c_str(), panel.panIn.c_str(), panel.globals.c_str());
    TableView table = ReadSlotTable();
    for (const Slot& slot : panel.slots) {
        double command = host::VariableValue(slot.variable.c_str());
        if (static_cast<size_t>(slot.index) >= table.slots.size()) {
            SayAlways("slot", "%2d  %-24s = %-6.10g Sound%02d=%s", slot.index, slot.variable.c_str(), command,
                      slot.index, slot.sound.c_str());
            continue;
        }
        const SlotView& now = table.slots[static_cast<size_t>(slot.index)];
        SayAlways("slot", "%2d  %-24s = %-6.10g %-10s volume %-6d pan %-6d Sound%02d=%s", slot.index,
                  slot.variable.c_str(), command, SlotState(now), static_cast<int>(now.volume),
                  static_cast<int>(now.pan), slot.index, slot.sound.c_str());
    }
}

// NAME: a slot number or its command variable.
const Slot* FindSlot(const Panel& panel, const std::string& name) {
    char* end = nullptr;
    long number = strtol(name.c_str(), &end, 10);
    for (const Slot& slot : panel.slots) {
        if (!name.empty() && *end == '\0' && slot.index == number) return &slot;
        if (SameName(slot.variable, name)) return &slot;
    }
    return nullptr;
}

// The [Sounds] line with VOLUME (hundredths of a decibel, or percent) in place of the one written.
std::string SoundLine(const Slot& slot, long volume) {
    std::string path = slot.sound.substr(0, slot.sound.find(','));
    char line[1200];
    snprintf(line, sizeof line, "Sound%02d=%s,%ld", slot.index, path.c_str(), volume);
    return line;
}

// A console command on its way to the module: the variables it writes, its
// command last, and what the module's table shows once it was served.
struct Command {
    std::string typed;
    const Slot* slot = nullptr;  // null: a global command
    struct Write {
        std::string name;
        double value;
    };
    std::vector<Write> writes;
    long volume = 0;       // volume: the value written into VolumeVarIn
    int32_t expected = 0;  // volume: the slot's volume in hundredths; pan: its pan
    bool percent = false;
};

// An XML gauge's write that undid one of the command's before the module read it.
bool Overwritten(const Listening& l, const Command& command) {
    for (const Command::Write& write : command.writes) {
        auto noted = l.run->watched.find(Folded(write.name));
        if (noted == l.run->watched.end() || !noted->second.made || noted->second.value == write.value) continue;
        SayAlways("unserved", "%s: %s wrote %s = %.10g at frame %d, over the %.10g typed, before the module read "
                              "it: the module never had the command%s",
                  command.typed.c_str(), noted->second.by.c_str(), write.name.c_str(), noted->second.value,
                  noted->second.frame, write.value, command.slot != nullptr && command.writes.size() > 1
                                                        ? "; nothing was tuned"
                                                        : "");
        return true;
    }
    return false;
}

// What the module made of a slot command, from its table.
void JudgeSlot(const Listening& l, const Command& command) {
    const Slot& slot = *command.slot;
    const double code = command.writes.back().value;
    TableView table = ReadSlotTable();
    if (static_cast<size_t>(slot.index) >= table.slots.size())
        return SayAlways("unserved", "%s: the module's table no longer holds slot %d", command.typed.c_str(),
                         slot.index);
    const SlotView& now = table.slots[static_cast<size_t>(slot.index)];
    if (now.failed)
        return SayAlways("unserved", "%s: slot %d has failed (the box above says why); writing 10 into %s clears it",
                         command.typed.c_str(), slot.index, slot.variable.c_str());
    if (now.command != static_cast<int32_t>(code))
        return SayAlways("unserved", "%s: the module read %d from %s, not %.10g", command.typed.c_str(),
                         static_cast<int>(now.command), slot.variable.c_str(), code);
    switch (static_cast<int>(code)) {
    case 3:
        if (now.volume != command.expected)
            return SayAlways("unserved", "%s: the module set slot %d to %d, not %d", command.typed.c_str(), slot.index,
                             static_cast<int>(now.volume), static_cast<int>(command.expected));
        return SayAlways("tuned", "%s   (paste into %s%s)", SoundLine(slot, command.volume).c_str(),
                         l.panel.ini.c_str(), command.percent ? "; in percent, as the INI's other volumes" : "");
    case 5:
        if (now.pan != command.expected)
            return SayAlways("unserved", "%s: the module panned slot %d to %d, not %d", command.typed.c_str(),
                             slot.index, static_cast<int>(now.pan), static_cast<int>(command.expected));
        return SayAlways("served", "%s: slot %d panned to %d", command.typed.c_str(), slot.index,
                         static_cast<int>(now.pan));
    case 1:
        if (now.playing && now.playMode == 2)
            return SayAlways("unserved", "%s: slot %d loops, and play does not restart a loop (the module set %s back "
                                         "to 2): stop it first", command.typed.c_str(), slot.index,
                             slot.variable.c_str());
        if (!now.playing) return SayAlways("unserved", "%s: slot %d did not start", command.typed.c_str(), slot.index);
        return SayAlways("served", "%s: slot %d plays once", command.typed.c_str(), slot.index);
    case 2:
        if (!now.playing && now.playMode != 2)
            return SayAlways("unserved", "%s: slot %d did not start", command.typed.c_str(), slot.index);
        return SayAlways("served", "%s: slot %d loops%s", command.typed.c_str(), slot.index,
                         now.playing ? "" : " from the next frame (its once-play just ended)");
    default:
        return SayAlways("served", "%s: slot %d stopped", command.typed.c_str(), slot.index);
    }
}

// Writes the command, runs the frame in which the module serves it and says
// what came of it.
void Send(Listening* l, const Command& command) {
    l->run->watched.clear();
    for (const Command::Write& write : command.writes) {
        host::SetVariable(write.name.c_str(), write.value);
        l->run->watched[Folded(write.name)] = GaugeWrite();
    }
    RunFrames(l->run, 1);
    if (!Overwritten(*l, command)) {
        if (command.slot != nullptr) {
            JudgeSlot(*l, command);
        } else if (host::VariableValue(l->panel.globals.c_str()) != 0) {
            // The module writes 0 into the variable once it has served a global command.
            SayAlways("unserved", "%s: the module left %s at %.10g", command.typed.c_str(), l->panel.globals.c_str(),
                      host::VariableValue(l->panel.globals.c_str()));
        } else {
            SayAlways("served", "%s: global command %.10g served", command.typed.c_str(), command.writes.back().value);
        }
    }
    l->run->watched.clear();
}

// A line of the console's own; true, as the line was taken.
bool Tell(const char* text, const std::string& item = "") {
    SayAlways("listen", text, item.c_str());
    return true;
}

bool ParseNumber(const std::string& word, double* value) {
    char* end = nullptr;
    *value = strtod(word.c_str(), &end);
    return !word.empty() && *end == '\0' && isfinite(*value);
}

// The console's own words; false when the line is none of them.
bool ConsoleWord(Listening* l, const std::string& line, const std::vector<std::string>& w) {
    const std::string& word = w[0];
    const Slot* slot = w.size() >= 2 ? FindSlot(l->panel, w[1]) : nullptr;
    double number = 0;
    Command command;
    command.typed = line;
    if (word == "quit" && w.size() == 1) {
        l->quit = true;
        return true;
    } else if (word == "list" && w.size() == 1) {
        PrintSlots(l->panel);
        return true;
    } else if (word == "pause" && w.size() == 1) {
        // The simulator's clock held where it is, or let run again.
        l->paused = !l->paused;
        if (l->paused) {
            host::SetModuleVarValue(host::kSimClockToken, 1e6 + host::Frame());
            host::RunSimClock(false);
        } else {
            host::RunSimClock(true);
        }
        SayAlways("pause", l->paused ? "the simulation is paused" : "the simulation runs");
        return true;
    } else if ((word == "mute" || word == "unmute") && w.size() == 1) {
        command.writes.push_back({l->panel.globals, word == "mute" ? 2.0 : 3.0});
    } else if (word == "stop" && w.size() == 2 && w[1] == "all") {
        command.writes.push_back({l->panel.globals, 1.0});
    } else if ((word == "play" || word == "loop" || word == "stop") && w.size() == 2) {
        if (slot == nullptr) return Tell("no slot %s: give its number or its variable", w[1]);
        // A once-play still playing starts again only after a 0 has been seen.
        if (word == "play" && host::VariableValue(slot->variable.c_str()) == 1) {
            host::SetVariable(slot->variable.c_str(), 0);
            RunFrames(l->run, 1);
        }
        command.slot = slot;
        command.writes.push_back({slot->variable, word == "play" ? 1.0 : word == "loop" ? 2.0 : 0.0});
    } else if (word == "volume" && w.size() == 3 && ParseNumber(w[2], &number)) {
        if (slot == nullptr) return Tell("no slot %s: give its number or its variable", w[1]);
        if (number > 0 || number < -100) return Tell("volume takes decibels from -100 to 0");
        // In percent mode (a percentage in the INI turns it on) volumes are
        // exchanged and written as percentages: 100 full, one per decibel.
        command.percent = host::VariableValue("Old Volume Control") != 0;
        // (0 percent would read back as hundredths, full volume: 1 is the quietest.)
        command.volume = command.percent ? std::max(1L, lround(100 + number)) : lround(number * 100);
        command.expected = static_cast<int32_t>(command.percent ? (command.volume - 100) * 100 : command.volume);
        command.slot = slot;
        command.writes.push_back({l->panel.volumeIn, static_cast<double>(command.volume)});
        command.writes.push_back({slot->variable, 3});
    } else if (word == "pan" && w.size() == 3 && ParseNumber(w[2], &number)) {
        if (slot == nullptr) return Tell("no slot %s: give its number or its variable", w[1]);
        if (number < -10000 || number > 10000)
            return Tell("pan takes what the gauges write: -10000 (left) to 10000 (right), 0 the centre");
        command.expected = static_cast<int32_t>(lround(number));
        command.slot = slot;
        command.writes.push_back({l->panel.panIn, static_cast<double>(command.expected)});
        command.writes.push_back({slot->variable, 5});
    } else {
        return false;
    }
    Send(l, command);
    return true;
}

void Take(Listening* l, const std::string& line) {
    ++l->lineNumber;
    std::vector<std::string> words;
    std::string reason;
    if (!SplitWords(line, &words, &reason)) return SayAlways("listen", "%s", reason.c_str());
    if (words.empty()) return;
    SayAlways("typed", "%s", line.c_str());
    if (ConsoleWord(l, line, words)) return;
    Step step;
    bool empty = false;
    if (!ParseLine(line, l->lineNumber, &step, &empty, &reason))
        return SayAlways("listen", "%s (or: %s)", reason.c_str(), kCommands);
    if (!RunStep(l->run, step)) l->quit = true;
}

}  // namespace

int RunListen(const Options& options) {
    std::string path = FullPath(options.scenarioPath);
    std::string name = Folded(path.substr(path.find_last_of("\\/") + 1));
    bool isIni = name.size() > 4 && name.compare(name.size() - 4, 4, ".ini") == 0;
    Run run;
    if (!OpenRun(options, FolderOf(path), &run)) return kExitUnusable;
    Listening listening;
    listening.run = &run;
    bool ran = true;
    if (isIni) {
        run.gauges.push_back(path);
    } else {
        Step aircraft;
        aircraft.kind = kStepAircraft;
        aircraft.text[0] = path;
        aircraft.source = "aircraft " + path;
        ran = RunStep(&run, aircraft);
    }
    if (ran && (ran = StartPanel(&run)) && (ran = LearnPanel(&listening))) {
        PrintSlots(listening.panel);
        SayAlways("listen", "type %s, or any scenario line", kCommands);
        std::shared_ptr<Console> console = std::make_shared<Console>();
        std::thread(ReadTypedLines, console).detach();
        while (!listening.quit) {
            RunFrames(&run, 1);
            std::string line;
            bool have = false, ended = false;
            {
                std::lock_guard<std::mutex> hold(console->lock);
                if (!console->lines.empty()) {
                    line = console->lines.front();
                    console->lines.pop_front();
                    have = true;
                }
                ended = console->ended && console->lines.empty();
            }
            if (have) Take(&listening, line);
            if (!have && ended) break;
        }
    }
    run.allowBoxes = true;  // listening only watches: its boxes are traced as they come
    return CloseRun(&run, ran);
}
