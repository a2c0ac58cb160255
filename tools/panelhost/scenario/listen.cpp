// --listen: the module runs its panel at the simulator's rate while lines
// typed at the console (or sent down a pipe) play, loop, stop, tune and mute
// its sounds. Every scenario line works there too. A tried volume is printed
// as the [Sounds] line to paste into the INI.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <thread>

#include "config/config.h"
#include "host/host.h"
#include "tools/panelhost/aircraft/parameter.h"
#include "tools/panelhost/common/names.h"
#include "tools/panelhost/scenario/runner.h"

namespace {

const int kLineChars = 4096;

struct Slot {
    int index;
    std::string variable;  // its command variable
    std::string sound;     // its [Sounds] value as written, volume and all
};

// What the INI configures, read as the module reads it.
struct Panel {
    std::string ini;
    std::vector<Slot> slots;
    std::string volumeIn, panIn, globals;
};

// Lines from the console, read on a thread of their own so that frames run on
// while nobody types.
struct Console {
    std::mutex lock;
    std::deque<std::string> lines;
    bool ended = false;
};

void ReadTypedLines(Console* console) {
    char line[kLineChars];
    while (fgets(line, sizeof line, stdin) != nullptr) {
        std::lock_guard<std::mutex> hold(console->lock);
        console->lines.push_back(Trimmed(line));
    }
    std::lock_guard<std::mutex> hold(console->lock);
    console->ended = true;
}

std::string Profile(const std::string& ini, const char* section, const std::string& key, const char* fallback) {
    char value[1024];
    GetPrivateProfileStringA(section, key.c_str(), fallback, value, sizeof value, ini.c_str());
    return value;
}

void ReadPanel(const std::string& ini, Panel* panel) {
    panel->ini = ini;
    panel->volumeIn = Profile(ini, "Config", "VolumeVarIn", "kvo_lvchime_volume_in");
    panel->panIn = Profile(ini, "Config", "PanVarIn", "kvo_lvchime_pan_in");
    panel->globals = Profile(ini, "Config", "GlobalCommands", "KVOGlobals");
    // MaxSounds as the module takes it: four characters, at most kMaxSoundCount, one slot for a negative count.
    long count = strtol(Profile(ini, "Config", "MaxSounds", "10").substr(0, 4).c_str(), nullptr, 10);
    if (count > kMaxSoundCount) count = kMaxSoundCount;
    if (count < 0) count = 1;
    for (int i = 0; i < static_cast<int>(count); ++i) {
        char key[16];
        snprintf(key, sizeof key, "Sound%02d", i);
        Slot slot = {i, "", Profile(ini, "Sounds", key, "")};
        snprintf(key, sizeof key, "Lvar%02d", i);
        slot.variable = Profile(ini, "LVars", key, "");
        if (slot.variable.empty()) {
            snprintf(key, sizeof key, "kvo_xml_id_%02d", i);
            slot.variable = key;
        }
        panel->slots.push_back(slot);
    }
}

void PrintSlots(const Panel& panel) {
    SayAlways("slots", "%s: %d sounds; volume in %s, pan in %s, global commands %s", panel.ini.c_str(),
              static_cast<int>(panel.slots.size()), panel.volumeIn.c_str(), panel.panIn.c_str(), panel.globals.c_str());
    for (const Slot& slot : panel.slots) {
        bool exists = host::VariableExists(slot.variable.c_str());
        SayAlways("slot", "%2d  %-24s = %-6.10g Sound%02d=%s", slot.index, slot.variable.c_str(),
                  exists ? host::VariableValue(slot.variable.c_str()) : 0.0, slot.index, slot.sound.c_str());
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

struct Listening {
    Run* run;
    Panel panel;
    bool paused = false;
    bool quit = false;
    int lineNumber = 0;
};

void SetVariable(const std::string& name, double value) { host::SetVariable(name.c_str(), value); }

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
bool ConsoleWord(Listening* l, const std::vector<std::string>& w) {
    const std::string& word = w[0];
    const Slot* slot = w.size() >= 2 ? FindSlot(l->panel, w[1]) : nullptr;
    double number = 0;
    if (word == "quit" && w.size() == 1) {
        l->quit = true;
    } else if (word == "list" && w.size() == 1) {
        PrintSlots(l->panel);
    } else if ((word == "mute" || word == "unmute") && w.size() == 1) {
        SetVariable(l->panel.globals, word == "mute" ? 2 : 3);
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
    } else if (word == "stop" && w.size() == 2 && w[1] == "all") {
        SetVariable(l->panel.globals, 1);
    } else if ((word == "play" || word == "loop" || word == "stop") && w.size() == 2) {
        if (slot == nullptr) return Tell("no slot %s: give its number or its variable", w[1]);
        // A once-play still playing starts again only after a 0 has been seen.
        if (word == "play" && host::VariableValue(slot->variable.c_str()) == 1) {
            SetVariable(slot->variable, 0);
            RunFrames(l->run, 1);
        }
        SetVariable(slot->variable, word == "play" ? 1 : word == "loop" ? 2 : 0);
    } else if (word == "volume" && w.size() == 3 && ParseNumber(w[2], &number)) {
        if (slot == nullptr) return Tell("no slot %s: give its number or its variable", w[1]);
        if (number > 0 || number < -100) return Tell("volume takes decibels from -100 to 0");
        // In percent mode (a percentage in the INI turns it on) volumes are
        // exchanged and written as percentages: 100 full, one per decibel.
        bool percent = host::VariableValue("Old Volume Control") != 0;
        // (0 percent would read back as hundredths, full volume: 1 is the quietest.)
        long value = percent ? std::max(1L, lround(100 + number)) : lround(number * 100);
        SetVariable(l->panel.volumeIn, static_cast<double>(value));
        SetVariable(slot->variable, 3);
        RunFrames(l->run, 1);
        SayAlways("tuned", "%s   (paste into %s%s)", SoundLine(*slot, value).c_str(), l->panel.ini.c_str(),
                  percent ? "; in percent, as the INI's other volumes" : "");
    } else if (word == "pan" && w.size() == 3 && ParseNumber(w[2], &number)) {
        if (slot == nullptr) return Tell("no slot %s: give its number or its variable", w[1]);
        if (number < -100 || number > 100) return Tell("pan takes -100 (left) to 100 (right)");
        SetVariable(l->panel.panIn, static_cast<double>(lround(number * 100)));
        SetVariable(slot->variable, 5);
    } else {
        return false;
    }
    return true;
}

void Take(Listening* l, const std::string& line) {
    ++l->lineNumber;
    std::vector<std::string> words;
    std::string reason;
    if (!SplitWords(line, &words, &reason)) return SayAlways("listen", "%s", reason.c_str());
    if (words.empty()) return;
    SayAlways("typed", "%s", line.c_str());
    if (ConsoleWord(l, words)) return;
    Step step;
    bool empty = false;
    if (!ParseLine(line, l->lineNumber, &step, &empty, &reason))
        return SayAlways("listen", "%s (or: play, loop, stop NAME|all, volume NAME DB, pan NAME -100..100, mute, "
                                   "unmute, pause, list, quit)", reason.c_str());
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
        ReadPanel(path, &listening.panel);
    } else {
        Step aircraft;
        aircraft.kind = kStepAircraft;
        aircraft.text[0] = path;
        aircraft.source = "aircraft " + path;
        ran = RunStep(&run, aircraft);
        if (ran && !run.gauges.empty()) {
            std::string simFolder = run.simFolder.empty() ? ProgramFolder() : run.simFolder;
            ReadPanel(ResolveParameter(run.gauges[0], options.modulePath, simFolder).candidate, &listening.panel);
        }
    }
    if (ran && (ran = StartPanel(&run))) {
        // Until the module's audio is up: the configuration load and ten frames more.
        RunFrames(&run, 11);
        PrintSlots(listening.panel);
        SayAlways("listen", "type play, loop, stop NAME|all, volume NAME DB, pan NAME -100..100, mute, unmute, "
                            "pause, list, quit, or any scenario line");
        Console console;
        std::thread reader(ReadTypedLines, &console);
        reader.detach();
        while (!listening.quit) {
            RunFrames(&run, 1);
            std::string line;
            bool have = false, ended = false;
            {
                std::lock_guard<std::mutex> hold(console.lock);
                if (!console.lines.empty()) {
                    line = console.lines.front();
                    console.lines.pop_front();
                    have = true;
                }
                ended = console.ended && console.lines.empty();
            }
            if (have) Take(&listening, line);
            if (!have && ended) break;
        }
    }
    run.allowBoxes = true;  // listening only watches: its boxes are traced as they come
    return CloseRun(&run, ran);
}
