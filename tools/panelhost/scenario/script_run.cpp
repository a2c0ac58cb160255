// The interpreter's run: the stack, the registers, the variables and the
// flow of blocks and jumps.
#include <math.h>
#include <stdint.h>
#include <stdio.h>

#include "tools/panelhost/common/names.h"
#include "tools/panelhost/scenario/script.h"
#include "tools/panelhost/scenario/script_machine.h"

namespace {

// Bounds on one run: a jump loop that never ends, a stack or a string that
// grows without end, stop it rather than the runner.
const long kMaxSteps = 200000;
const size_t kMaxStack = 10000;
const size_t kMaxText = 65536;

// A K: event's parameter is a 32-bit value, signed or not.
const double kLowestParameter = -2147483648.0;
const double kParameterLimit = 4294967296.0;

// Seconds of the run's clock as the unit asks; the unit is one IsTimeUnit accepts.
double InUnit(double seconds, const std::string& unit) {
    std::string folded = Folded(unit);
    if (folded.compare(0, 4, "hour") == 0) return seconds / 3600;
    if (folded.compare(0, 6, "minute") == 0) return seconds / 60;
    return seconds;
}

// A:, C: and G: values in their maps. One not yet set reads 0; for A: and C:
// the world hears of it, once.
double ReadMapped(std::map<std::string, double>* values, char kind, const std::string& name, ScriptWorld* world) {
    std::string key = Folded(name);
    auto found = values->find(key);
    if (found != values->end()) return found->second;
    // Held from now on, so that it is said once.
    (*values)[key] = 0;
    if (kind != 'G' && world->unsetRead) world->unsetRead(kind, name);
    return 0;
}

bool ReadVariable(ScriptMachine* m, const ScriptToken& t, ScriptWorld* world) {
    double value = 0;
    std::string key = Folded(t.text);
    switch (t.letter) {
    case 'L': value = world->readL(t.text); break;
    case 'A': value = ReadMapped(world->avars, 'A', t.text, world); break;
    case 'C': value = ReadMapped(world->cvars, 'C', t.text, world); break;
    case 'G': value = ReadMapped(world->gvars, 'G', t.text, world); break;
    case 'P':
    case 'E': {
        // The names the compiler let through: the run's clock, the local and zulu time of day from it.
        double seconds = world->absoluteTime;
        if (key == "local time" || key == "zulu time") seconds = fmod(seconds, 86400.0);
        value = InUnit(seconds, t.unit);
        break;
    }
    case 'M':
        if (world->mouseEvent.empty()) return Stops(m, "M:" + t.text + " is read outside click code");
        if (key == "event") return PushText(m, world->mouseEvent);
        value = key == "x" ? world->mouseX : world->mouseY;
        break;
    }
    // A value held elsewhere that is no number is not passed on as one.
    if (!isfinite(value)) return Stops(m, std::string(1, t.letter) + ":" + t.text + " holds no number");
    return PushResult(m, value, t.text);
}

bool WriteVariable(ScriptMachine* m, const ScriptToken& t, ScriptWorld* world) {
    double value = 0;
    // An event takes its parameter from the stack when there is one.
    if (t.letter == 'K' && m->stack.empty()) {
        world->sendKey(t.text, 0);
        return true;
    }
    if (!PopNumber(m, &value)) return false;
    switch (t.letter) {
    case 'L': world->writeL(t.text, value); break;
    case 'A': (*world->avars)[Folded(t.text)] = value; break;
    case 'C': (*world->cvars)[Folded(t.text)] = value; break;
    case 'G': (*world->gvars)[Folded(t.text)] = value; break;
    case 'K':
        if (!(value >= kLowestParameter && value < kParameterLimit))
            return Stops(m, "the value is too large for K:" + t.text + "'s 32-bit parameter");
        world->sendKey(t.text, trunc(value));
        break;
    }
    return true;
}

// x lo hi rng: 1 when lo <= x <= hi.
bool Range(ScriptMachine* m) {
    double high, low, x;
    if (!PopNumber(m, &high) || !PopNumber(m, &low) || !PopNumber(m, &x)) return false;
    return PushResult(m, x >= low && x <= high ? 1 : 0, "rng");
}

// v(n-1) ... v1 v0 n index case: v(index), the value pushed last being v0,
// the index's fraction dropped.
bool Case(ScriptMachine* m) {
    double index, count;
    if (!PopNumber(m, &index) || !PopNumber(m, &count)) return false;
    if (count < 0 || count != floor(count) || count > static_cast<double>(m->stack.size()))
        return Stops(m, "case has fewer values on the stack than it counts");
    double at = floor(index);
    if (at < 0 || at >= count) return Stops(m, "the case index is outside its values");
    ScriptValue chosen = m->stack[m->stack.size() - 1 - static_cast<size_t>(at)];
    m->stack.resize(m->stack.size() - static_cast<size_t>(count));
    m->stack.push_back(chosen);
    return true;
}

// a b c ?: b when c is true, else a. The order is the one the published
// operator lists give; a string may be chosen as well as a number.
bool Choose(ScriptMachine* m) {
    double condition;
    ScriptValue whenTrue, whenFalse;
    if (!PopNumber(m, &condition) || !PopValue(m, &whenTrue) || !PopValue(m, &whenFalse)) return false;
    m->stack.push_back(condition != 0 ? whenTrue : whenFalse);
    return true;
}

// The stack words: d, p, r, c and b.
bool RunStackWord(ScriptMachine* m, int op) {
    size_t size = m->stack.size();
    switch (op) {
    case kDup:
        if (size < 1) return Stops(m, "a value is taken from an empty stack");
        m->stack.push_back(m->stack.back());
        return true;
    case kPop: {
        ScriptValue dropped;
        return PopValue(m, &dropped);
    }
    case kSwap:
        if (size < 2) return Stops(m, "a value is taken from an empty stack");
        std::swap(m->stack[size - 1], m->stack[size - 2]);
        return true;
    case kBackUp:
        // b is read as a copy of the value under the top ("1 2 b" leaves 1 2 1).
        if (size < 2) return Stops(m, "a value is taken from an empty stack");
        m->stack.push_back(m->stack[size - 2]);
        return true;
    default:
        m->stack.clear();
        return true;
    }
}

// Runs one token; sets NEXT when it jumps.
bool Step(ScriptMachine* m, const std::vector<ScriptToken>& tokens, size_t pc, ScriptWorld* world, size_t* next) {
    const ScriptToken& t = tokens[pc];
    switch (t.op) {
    case kPushNumber: return PushResult(m, t.number, t.text);
    case kPushText: return PushText(m, t.text);
    case kRead: return ReadVariable(m, t, world);
    case kWrite: return WriteVariable(m, t, world);
    case kStore:
    case kStorePop:
        if (m->stack.empty()) return Stops(m, "a value is taken from an empty stack");
        m->registers[static_cast<int>(t.number)] = m->stack.back();
        if (t.op == kStorePop) m->stack.pop_back();
        return true;
    case kLoad:
        m->stack.push_back(m->registers[static_cast<int>(t.number)]);
        return true;
    case kIf: {
        double condition;
        if (!PopNumber(m, &condition)) return false;
        if (condition == 0) *next = static_cast<size_t>(t.number);
        return true;
    }
    case kEnd:
        // The } of an if{ block that an els{ follows: the taken branch skips it.
        if (pc + 1 < tokens.size() && tokens[pc + 1].op == kElse) *next = static_cast<size_t>(tokens[pc + 1].number);
        return true;
    case kElse:   // reached only by the jump into it
    case kLabel:
        return true;
    case kJump:
        *next = static_cast<size_t>(t.number);
        return true;
    case kQuit:
        *next = tokens.size();
        return true;
    case kDup: case kPop: case kSwap: case kClear: case kBackUp: return RunStackWord(m, t.op);
    case kRange: return Range(m);
    case kCase: return Case(m);
    case kChoose: return Choose(m);
    default:
        if (t.op >= kConcat) return RunText(m, t.op, t.text);
        return RunMath(m, t.op, t.text);
    }
}

}  // namespace

bool Stops(ScriptMachine* m, const std::string& problem) {
    m->problem = problem;
    return false;
}

bool PopValue(ScriptMachine* m, ScriptValue* value) {
    if (m->stack.empty()) return Stops(m, "a value is taken from an empty stack");
    *value = m->stack.back();
    m->stack.pop_back();
    return true;
}

bool PopNumber(ScriptMachine* m, double* number) {
    ScriptValue value;
    if (!PopValue(m, &value)) return false;
    if (value.isText) return Stops(m, "the string '" + value.text + "' is where a number is needed");
    *number = value.number;
    return true;
}

bool PopText(ScriptMachine* m, std::string* text) {
    ScriptValue value;
    if (!PopValue(m, &value)) return false;
    if (value.isText) {
        *text = value.text;
    } else {
        char written[32];
        snprintf(written, sizeof written, "%.15g", value.number);
        *text = written;
    }
    return true;
}

bool PushResult(ScriptMachine* m, double number, const std::string& op) {
    if (isnan(number)) return Stops(m, op + " gives no number here");
    if (!isfinite(number)) return Stops(m, op + " gives a value too large for a number");
    if (m->stack.size() >= kMaxStack) return Stops(m, "the stack grows past " + std::to_string(kMaxStack) + " values");
    ScriptValue value;
    value.number = number;
    m->stack.push_back(value);
    return true;
}

bool PushText(ScriptMachine* m, const std::string& text) {
    if (text.size() > kMaxText) return Stops(m, "a string grows past " + std::to_string(kMaxText) + " characters");
    if (m->stack.size() >= kMaxStack) return Stops(m, "the stack grows past " + std::to_string(kMaxStack) + " values");
    ScriptValue value;
    value.isText = true;
    value.text = text;
    m->stack.push_back(value);
    return true;
}

bool RunScript(const CompiledScript& script, ScriptWorld* world, std::string* problem, size_t* offset,
               double* top) {
    ScriptMachine m;
    const std::vector<ScriptToken>& tokens = script.tokens;
    size_t pc = 0;
    for (long steps = 0; pc < tokens.size(); ++steps) {
        size_t next = pc + 1;
        bool ok = steps < kMaxSteps ? Step(&m, tokens, pc, world, &next)
                                    : Stops(&m, "the script runs " + std::to_string(kMaxSteps) +
                                                    " steps without ending: a jump loop that does not end");
        // d and l push without a check of their own.
        if (ok && m.stack.size() > kMaxStack)
            ok = Stops(&m, "the stack grows past " + std::to_string(kMaxStack) + " values");
        if (!ok) {
            *problem = m.problem;
            *offset = tokens[pc].offset;
            return false;
        }
        pc = next;
    }
    if (top != nullptr) *top = !m.stack.empty() && !m.stack.back().isText ? m.stack.back().number : 0;
    return true;
}
