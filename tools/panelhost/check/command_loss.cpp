// Commands that the scripts of one panel take from each other.
#include "tools/panelhost/check/command_loss.h"

#include <stdlib.h>
#include <string.h>

#include <map>
#include <set>

#include "tools/panelhost/common/names.h"

namespace {

const size_t kMaxPairsPerInput = 5;  // findings about one input: the first pairs say enough

double Code(const std::string& value) { return strtod(value.c_str(), nullptr); }

bool IsSettingsCommand(const PanelWrite& write) {
    if (write.value.empty()) return false;
    double code = Code(write.value);
    return code >= 3 && code <= 8 && code == static_cast<int>(code);
}

// Commands that read the inputs: 3 and 7, 8 the volume; 5 and 7, 8 the pan.
bool ReadsInput(double code, bool volume) {
    return code == 7 || code == 8 || (volume ? code == 3 : code == 5);
}

bool RunsEveryUpdate(ScriptRole role) { return role == kScriptUpdate || role == kScriptValue; }

// Blank-separated tokens of TEXT.
std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) ++i;
        if (i > start) tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

// Whether the script compares NAME with VALUE by "!=" before OFFSET:
// "(L:name, unit) value !=" or "value (L:name, unit) !=".
bool ComparesNotEqual(const std::string& text, size_t offset, const std::string& name, const std::string& value) {
    std::string folded = Folded(text.substr(0, offset));
    std::string read = "l:" + Folded(name);
    for (size_t at = folded.find(read); at != std::string::npos; at = folded.find(read, at + 1)) {
        size_t open = folded.rfind('(', at);
        size_t close = folded.find(')', at);
        if (open == std::string::npos || close == std::string::npos || close > offset) continue;
        if (!Trimmed(folded.substr(open + 1, at - open - 1)).empty()) continue;  // a write "(>L:...)", not a read
        std::vector<std::string> after = Tokens(folded.substr(close + 1, offset - close - 1));
        std::vector<std::string> before = Tokens(folded.substr(0, open));
        if (after.size() >= 2 && Code(after[0]) == Code(value) && after[0].find_first_not_of("0123456789.+-") == std::string::npos &&
            after[1] == "!=")
            return true;
        if (!before.empty() && !after.empty() && after[0] == "!=" && Code(before.back()) == Code(value) &&
            before.back().find_first_not_of("0123456789.+-") == std::string::npos)
            return true;
    }
    return false;
}

std::string Where(const PanelWrite& write) { return write.file + ":" + std::to_string(write.line); }

// A variable the script both reads and writes, other than NAME: a state it
// remembers from one update to the next; "" when none.
std::string RememberedState(const std::vector<LVarUse>& uses, int script, const std::string& name) {
    for (const LVarUse& read : uses) {
        if (read.script != script || read.write || SameName(read.name, name)) continue;
        for (const LVarUse& write : uses)
            if (write.script == script && write.write && SameName(write.name, read.name)) return read.name;
    }
    return "";
}

bool ReadsVariable(const std::vector<LVarUse>& uses, int script, const std::string& name) {
    for (const LVarUse& use : uses)
        if (use.script == script && !use.write && SameName(use.name, name)) return true;
    return false;
}

}  // namespace

void CollectPanelWrites(const std::string& file, const std::vector<GaugeScript>& scripts,
                        const std::vector<LVarUse>& uses, std::vector<PanelWrite>* writes) {
    for (const LVarUse& use : uses) {
        if (!use.write) continue;
        PanelWrite write;
        write.file = file;
        write.line = use.useLine;  // where the script writes it, through a macro or not
        write.name = use.name;
        write.value = use.constant ? use.value : "";
        write.role = use.role;
        write.script = file + "#" + std::to_string(use.script);
        double code = use.constant ? Code(use.value) : 0;
        if ((code == 1 || code == 2) && RunsEveryUpdate(use.role) && use.script >= 0 &&
            static_cast<size_t>(use.script) < scripts.size())
            write.keeps = !use.conditional ||
                          ComparesNotEqual(scripts[static_cast<size_t>(use.script)].text, use.offset, use.name, use.value);
        if ((code == 2 || code == 8 || !use.constant) && RunsEveryUpdate(use.role) && use.conditional &&
            !ReadsVariable(uses, use.script, use.name))
            write.remembered = RememberedState(uses, use.script, use.name);
        writes->push_back(write);
    }
}

void CheckCommandLoss(const std::vector<PanelWrite>& writes, const std::vector<ModuleVariable>& vars,
                      const std::string& volumeIn, const std::string& panIn, std::vector<Finding>* findings) {
    std::set<std::string> commandVars;
    for (const ModuleVariable& var : vars)
        if (var.kind == kVarCommand) commandVars.insert(Folded(var.name));

    // A keeper against the settings commands other scripts write into its variable.
    std::set<std::string> reported;
    for (const PanelWrite& keeper : writes) {
        if (!keeper.keeps || commandVars.count(Folded(keeper.name)) == 0) continue;
        for (const PanelWrite& setter : writes) {
            if (setter.script == keeper.script || !SameName(setter.name, keeper.name) || !IsSettingsCommand(setter))
                continue;
            if (!reported.insert(Folded(keeper.name)).second) break;
            const std::string& code = keeper.value;
            AddFinding(findings, kFindingWarning, keeper.file, keeper.line, keeper.name,
                       "keeps the variable at " + code + ": it writes " + code + " whenever the variable holds "
                       "anything else, so the settings command " + setter.value + " written at " + Where(setter) +
                       " is overwritten in the next update, before the module serves it, and is lost; write " + code +
                       " only where the variable is 0: (L:" + keeper.name + ", number) 0 == if{ " + code +
                       " (>L:" + keeper.name + ", number) }");
            break;
        }
    }

    // A loop written only on a change of a remembered state: lost in a hot start.
    for (const PanelWrite& write : writes) {
        if (write.remembered.empty() || commandVars.count(Folded(write.name)) == 0) continue;
        if (!reported.insert(Folded(write.name) + "#edge").second) continue;
        AddFinding(findings, kFindingWarning, write.file, write.line, write.name,
                   (write.value.empty() ? std::string("the play code") : write.value) +
                       " is written only where the state kept in " + write.remembered + " changes: a "
                   "flight that starts with the cause already true loses the loop, as the configuration load writes "
                   "0 into every command variable after the gauge's first update and the change never comes again; "
                   "compare the command variable instead: <cause> if{ (L:" + write.name + ", number) 0 == if{ 2 (>L:" +
                   write.name + ", number) } } els{ (L:" + write.name + ", number) 0 != if{ 0 (>L:" + write.name +
                   ", number) } }");
    }

    // The inputs: scripts that can run in one frame, each with commands that
    // read the input for sounds of its own.
    for (int input = 0; input < 2; ++input) {
        const std::string& inputName = input == 0 ? volumeIn : panIn;
        if (inputName.empty()) continue;
        struct ScriptUse {
            const PanelWrite* inputWrite = nullptr;
            std::set<std::string> sounds;  // folded command variables given a command that reads the input
            std::string shownSound;
        };
        std::map<std::string, ScriptUse> scripts;
        std::vector<std::string> order;
        for (const PanelWrite& write : writes) {
            if (!SameName(write.name, inputName)) continue;
            if (scripts.count(write.script) == 0) order.push_back(write.script);
            ScriptUse& use = scripts[write.script];
            if (use.inputWrite == nullptr) use.inputWrite = &write;
        }
        for (const PanelWrite& write : writes) {
            auto script = scripts.find(write.script);
            if (script == scripts.end() || commandVars.count(Folded(write.name)) == 0 || write.value.empty() ||
                !ReadsInput(Code(write.value), input == 0))
                continue;
            if (script->second.sounds.insert(Folded(write.name)).second && script->second.shownSound.empty())
                script->second.shownSound = write.name;
        }
        size_t pairs = 0;
        for (size_t a = 0; a < order.size() && pairs < kMaxPairsPerInput; ++a) {
            for (size_t b = a + 1; b < order.size() && pairs < kMaxPairsPerInput; ++b) {
                const ScriptUse& first = scripts[order[a]];
                const ScriptUse& second = scripts[order[b]];
                if (first.sounds.empty() || second.sounds.empty() || first.sounds == second.sounds) continue;
                if (!RunsEveryUpdate(first.inputWrite->role) && !RunsEveryUpdate(second.inputWrite->role)) continue;
                if (first.inputWrite->role == kScriptOther || second.inputWrite->role == kScriptOther) continue;
                ++pairs;
                AddFinding(findings, kFindingWarning, second.inputWrite->file, second.inputWrite->line, inputName,
                           "written here for " + second.shownSound + " and at " + Where(*first.inputWrite) + " for " +
                               first.shownSound + ", by scripts that can run in the same frame: the module serves "
                               "every sound of a frame with the value the input holds at its end, so one sound takes "
                               "the other's " + (input == 0 ? "volume" : "pan") + "; let one script write the input "
                               "for one sound per frame (the other waits while the first one's command is in its "
                               "variable), or play the other sound with 1 or 2, which read no input");
            }
        }
    }
}
