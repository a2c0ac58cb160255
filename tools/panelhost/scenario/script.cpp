// The script interpreter: words split off the text, each turned into one
// operation, blocks joined to their ends, then run on a stack.
#include "tools/panelhost/scenario/script.h"

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "tools/panelhost/common/names.h"
#include "tools/panelhost/common/script_number.h"

namespace {

enum Op {
    kPushNumber,
    kPushText,
    kRead,     // a variable
    kWrite,    // (>...)
    kStore,    // sN: the top into register N, left on the stack
    kStorePop, // spN: the same, popped
    kLoad,     // lN
    kIf,       // number: the token after the matching } or els{ block start
    kElse,     // number: the token after its }
    kEnd,      // }
    kQuit,
    kDup, kPop, kSwap, kClear,
    kAdd, kSub, kMul, kDiv, kMod, kPow, kNeg, kInc, kDec,
    kEq, kNe, kGt, kLt, kGe, kLe,
    kAnd, kOr, kNot,
    kBitAnd, kBitOr, kBitXor, kBitNot, kShiftLeft, kShiftRight,
    kMin, kMax, kAbs, kFloor, kCeil, kNear, kRange, kCase,
};

const int kRegisters = 50;

struct Word {
    const char* text;
    Op op;
};

const Word kWords[] = {
    {"d", kDup}, {"p", kPop}, {"r", kSwap}, {"c", kClear}, {"quit", kQuit},
    {"+", kAdd}, {"-", kSub}, {"*", kMul}, {"/", kDiv}, {"%", kMod}, {"pow", kPow},
    {"neg", kNeg}, {"/-/", kNeg}, {"++", kInc}, {"--", kDec},
    {"==", kEq}, {"!=", kNe}, {">", kGt}, {"<", kLt}, {">=", kGe}, {"<=", kLe},
    {"&gt;", kGt}, {"&lt;", kLt}, {"&gt;=", kGe}, {"&lt;=", kLe},
    {"and", kAnd}, {"&&", kAnd}, {"&amp;&amp;", kAnd}, {"or", kOr}, {"||", kOr}, {"!", kNot}, {"not", kNot},
    {"&", kBitAnd}, {"&amp;", kBitAnd}, {"|", kBitOr}, {"^", kBitXor}, {"~", kBitNot},
    {"<<", kShiftLeft}, {">>", kShiftRight}, {"&lt;&lt;", kShiftLeft}, {"&gt;&gt;", kShiftRight},
    {"min", kMin}, {"max", kMax}, {"abs", kAbs}, {"flr", kFloor}, {"ceil", kCeil}, {"near", kNear},
    {"rng", kRange}, {"case", kCase},
};

// A number token whose value is finite.
bool ParseNumberWord(const std::string& word, double* value) {
    if (!IsScriptNumber(word)) return false;
    double parsed = ScriptNumberValue(word);
    if (!isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

// "(L:name, unit)", "(>A:NAME:1, rpm)": the letter, the name and the unit.
bool ParseVariable(const std::string& inside, ScriptToken* token) {
    std::string body = inside;
    // Text not yet decoded from XML still writes its > as &gt;.
    if (body.compare(0, 4, "&gt;") == 0) body = ">" + body.substr(4);
    bool write = !body.empty() && body[0] == '>';
    // A macro's text may bring blanks and line breaks between > and the name.
    if (write) body = Trimmed(body.substr(1));
    if (body.size() < 2 || body[1] != ':') return false;
    char letter = static_cast<char>(toupper(static_cast<unsigned char>(body[0])));
    if (strchr("LAKPG", letter) == nullptr) return false;
    std::string rest = body.substr(2);
    size_t comma = rest.find(',');
    token->text = Trimmed(rest.substr(0, comma));
    token->unit = comma == std::string::npos ? "" : Trimmed(rest.substr(comma + 1));
    if (token->text.empty()) return false;
    token->letter = letter;
    token->op = write ? kWrite : kRead;
    // Only the events' own writes and the readable kinds are part of the language.
    if (letter == 'K' && !write) return false;
    if (letter == 'P' && write) return false;
    return true;
}

// A register word: s0..s49, sp0..sp49, l0..l49.
bool ParseRegister(const std::string& word, ScriptToken* token) {
    size_t digits;
    if (word.compare(0, 2, "sp") == 0) {
        token->op = kStorePop;
        digits = 2;
    } else if (word[0] == 's') {
        token->op = kStore;
        digits = 1;
    } else if (word[0] == 'l') {
        token->op = kLoad;
        digits = 1;
    } else {
        return false;
    }
    if (word.size() == digits || word.size() > digits + 2) return false;
    int index = 0;
    for (size_t i = digits; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
        index = index * 10 + (word[i] - '0');
    }
    if (index >= kRegisters) return false;
    token->number = index;
    return true;
}

bool Refuse(const std::string& word, size_t at, std::string* token, size_t* offset) {
    *token = word;
    *offset = at;
    return false;
}

}  // namespace

bool CompileScript(const std::string& text, CompiledScript* script, std::string* token, size_t* offset) {
    script->tokens.clear();
    std::vector<size_t> open;  // the if{ and els{ tokens waiting for their }
    size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        size_t begin = i;
        ScriptToken t;
        t.offset = begin;
        if (text[i] == '(') {
            size_t close = text.find(')', i);
            if (close == std::string::npos) return Refuse(text.substr(i, 40), begin, token, offset);
            std::string inside = text.substr(i + 1, close - i - 1);
            if (!ParseVariable(Trimmed(inside), &t)) return Refuse(text.substr(i, close - i + 1), begin, token, offset);
            i = close + 1;
        } else if (text[i] == '\'') {
            size_t close = text.find('\'', i + 1);
            if (close == std::string::npos) return Refuse(text.substr(i, 40), begin, token, offset);
            t.op = kPushText;
            t.text = text.substr(i + 1, close - i - 1);
            i = close + 1;
        } else if (text[i] == '}') {
            t.op = kEnd;
            ++i;
        } else {
            while (i < text.size() && !IsBlank(text[i]) && text[i] != '(' && text[i] != '}' && text[i] != '\'') {
                ++i;
                if (text[i - 1] == '{') break;
            }
            std::string word = text.substr(begin, i - begin);
            const Word* known = nullptr;
            for (const Word& w : kWords)
                if (word == w.text) known = &w;
            if (known != nullptr) {
                t.op = known->op;
            } else if (word == "if{") {
                t.op = kIf;
            } else if (word == "els{") {
                t.op = kElse;
            } else if (ParseNumberWord(word, &t.number)) {
                t.op = kPushNumber;
            } else if (!ParseRegister(word, &t)) {
                return Refuse(word, begin, token, offset);
            }
        }
        size_t index = script->tokens.size();
        if (t.op == kElse) {
            // els{ belongs to the if{ block that has just closed.
            if (index == 0 || script->tokens[index - 1].op != kEnd || script->tokens[index - 1].number != 1)
                return Refuse("els{", begin, token, offset);
        }
        if (t.op == kEnd) {
            if (open.empty()) return Refuse("}", begin, token, offset);
            ScriptToken& opener = script->tokens[open.back()];
            opener.number = static_cast<double>(index + 1);
            t.number = opener.op == kIf ? 1 : 0;  // whether an els{ may follow
            open.pop_back();
        }
        if (t.op == kElse) {
            // The if{ jumps past its } into this block.
            for (size_t k = index; k-- > 0;) {
                if (script->tokens[k].op == kIf && script->tokens[k].number == static_cast<double>(index)) {
                    script->tokens[k].number = static_cast<double>(index + 1);
                    break;
                }
            }
            script->tokens[index - 1].number = 0;
        }
        if (t.op == kIf || t.op == kElse) open.push_back(index);
        script->tokens.push_back(t);
    }
    if (!open.empty()) return Refuse(script->tokens[open.back()].op == kIf ? "if{" : "els{",
                                     script->tokens[open.back()].offset, token, offset);
    return true;
}

namespace {

struct Value {
    bool isText = false;
    double number = 0;
    std::string text;
};

struct Machine {
    std::vector<Value> stack;
    Value registers[kRegisters];
    std::string problem;
};

bool Pop(Machine* m, Value* value) {
    if (m->stack.empty()) {
        m->problem = "a value is taken from an empty stack";
        return false;
    }
    *value = m->stack.back();
    m->stack.pop_back();
    return true;
}

bool PopNumber(Machine* m, double* number) {
    Value value;
    if (!Pop(m, &value)) return false;
    if (value.isText) {
        m->problem = "the string '" + value.text + "' is where a number is needed";
        return false;
    }
    *number = value.number;
    return true;
}

void PushNumber(Machine* m, double number) {
    Value value;
    value.number = number;
    m->stack.push_back(value);
}

// Integer view of a number for the bit operators, as the simulator truncates.
int64_t Bits(double value) { return static_cast<int64_t>(value); }

bool Binary(Machine* m, int op) {
    Value b, a;
    if (!Pop(m, &b) || !Pop(m, &a)) return false;
    if (a.isText || b.isText) {
        if (!a.isText || !b.isText || (op != kEq && op != kNe)) {
            m->problem = "a string is where a number is needed";
            return false;
        }
        bool same = a.text == b.text;
        PushNumber(m, (op == kEq) == same ? 1 : 0);
        return true;
    }
    double x = a.number, y = b.number, r = 0;
    // What the simulator makes of a division by zero is not known here: no value is made up.
    if ((op == kDiv || op == kMod) && y == 0) {
        m->problem = "a division by zero";
        return false;
    }
    switch (op) {
    case kAdd: r = x + y; break;
    case kSub: r = x - y; break;
    case kMul: r = x * y; break;
    case kDiv: r = x / y; break;
    case kMod: r = fmod(x, y); break;
    case kPow: r = pow(x, y); break;
    case kEq: r = x == y; break;
    case kNe: r = x != y; break;
    case kGt: r = x > y; break;
    case kLt: r = x < y; break;
    case kGe: r = x >= y; break;
    case kLe: r = x <= y; break;
    case kAnd: r = (x != 0) && (y != 0); break;
    case kOr: r = (x != 0) || (y != 0); break;
    case kBitAnd: r = static_cast<double>(Bits(x) & Bits(y)); break;
    case kBitOr: r = static_cast<double>(Bits(x) | Bits(y)); break;
    case kBitXor: r = static_cast<double>(Bits(x) ^ Bits(y)); break;
    case kShiftLeft: r = static_cast<double>(Bits(x) << (Bits(y) & 63)); break;
    case kShiftRight: r = static_cast<double>(Bits(x) >> (Bits(y) & 63)); break;
    case kMin: r = x < y ? x : y; break;
    case kMax: r = x > y ? x : y; break;
    }
    PushNumber(m, r);
    return true;
}

bool Unary(Machine* m, int op) {
    double x;
    if (!PopNumber(m, &x)) return false;
    double r = 0;
    switch (op) {
    case kNeg: r = -x; break;
    case kInc: r = x + 1; break;
    case kDec: r = x - 1; break;
    case kNot: r = x == 0; break;
    case kBitNot: r = static_cast<double>(~Bits(x)); break;
    case kAbs: r = fabs(x); break;
    case kFloor: r = floor(x); break;
    case kCeil: r = ceil(x); break;
    case kNear: r = floor(x + 0.5); break;
    }
    PushNumber(m, r);
    return true;
}

// x low high rng: 1 when low <= x <= high.
bool Range(Machine* m) {
    double high, low, x;
    if (!PopNumber(m, &high) || !PopNumber(m, &low) || !PopNumber(m, &x)) return false;
    PushNumber(m, x >= low && x <= high ? 1 : 0);
    return true;
}

// v(n-1) ... v1 v0 n index case: v(index), the value pushed last being v0.
bool Case(Machine* m) {
    double index, count;
    if (!PopNumber(m, &index) || !PopNumber(m, &count)) return false;
    if (count < 0 || count != floor(count) || count > static_cast<double>(m->stack.size())) {
        m->problem = "case has fewer values on the stack than it counts";
        return false;
    }
    size_t n = static_cast<size_t>(count);
    double at = floor(index);
    if (at < 0 || at >= count) {
        m->problem = "the case index is outside its values";
        return false;
    }
    Value chosen = m->stack[m->stack.size() - 1 - static_cast<size_t>(at)];
    m->stack.resize(m->stack.size() - n);
    m->stack.push_back(chosen);
    return true;
}

bool ReadVariable(Machine* m, const ScriptToken& t, ScriptWorld* world) {
    double value = 0;
    std::string key = Folded(t.text);
    switch (t.letter) {
    case 'L':
        value = world->readL(t.text);
        break;
    case 'A': {
        auto found = world->avars->find(key);
        if (found == world->avars->end()) {
            if (world->unsetA) world->unsetA(t.text);
            (*world->avars)[key] = 0;
        } else {
            value = found->second;
        }
        break;
    }
    case 'G':
        value = (*world->gvars)[key];
        break;
    case 'P':
        if (key != "absolute time") {
            m->problem = "the simulator variable P:" + t.text + " is not known to this stand-in";
            return false;
        }
        value = world->absoluteTime;
        break;
    }
    PushNumber(m, value);
    return true;
}

bool WriteVariable(Machine* m, const ScriptToken& t, ScriptWorld* world) {
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
    case 'G': (*world->gvars)[Folded(t.text)] = value; break;
    case 'K': world->sendKey(t.text, value); break;
    }
    return true;
}

}  // namespace

bool RunScript(const CompiledScript& script, ScriptWorld* world, std::string* problem, size_t* offset,
               double* top) {
    Machine m;
    const std::vector<ScriptToken>& tokens = script.tokens;
    size_t pc = 0;
    bool ok = true;
    while (ok && pc < tokens.size()) {
        const ScriptToken& t = tokens[pc];
        size_t next = pc + 1;
        switch (t.op) {
        case kPushNumber: PushNumber(&m, t.number); break;
        case kPushText: {
            Value text;
            text.isText = true;
            text.text = t.text;
            m.stack.push_back(text);
            break;
        }
        case kRead: ok = ReadVariable(&m, t, world); break;
        case kWrite: ok = WriteVariable(&m, t, world); break;
        case kStore:
        case kStorePop:
            if (m.stack.empty()) {
                m.problem = "a value is taken from an empty stack";
                ok = false;
                break;
            }
            m.registers[static_cast<int>(t.number)] = m.stack.back();
            if (t.op == kStorePop) m.stack.pop_back();
            break;
        case kLoad: m.stack.push_back(m.registers[static_cast<int>(t.number)]); break;
        case kIf: {
            double condition;
            ok = PopNumber(&m, &condition);
            if (ok && condition == 0) next = static_cast<size_t>(t.number);
            break;
        }
        case kEnd:
            // The } of an if{ block that an els{ follows: the taken branch skips it.
            if (next < tokens.size() && tokens[next].op == kElse) next = static_cast<size_t>(tokens[next].number);
            break;
        case kElse: break;  // reached only by the jump into it
        case kQuit: next = tokens.size(); break;
        case kDup:
            if (m.stack.empty()) {
                m.problem = "a value is taken from an empty stack";
                ok = false;
            } else {
                m.stack.push_back(m.stack.back());
            }
            break;
        case kPop: {
            Value dropped;
            ok = Pop(&m, &dropped);
            break;
        }
        case kSwap:
            if (m.stack.size() < 2) {
                m.problem = "a value is taken from an empty stack";
                ok = false;
            } else {
                std::swap(m.stack[m.stack.size() - 1], m.stack[m.stack.size() - 2]);
            }
            break;
        case kClear: m.stack.clear(); break;
        case kNeg: case kInc: case kDec: case kNot: case kBitNot: case kAbs: case kFloor: case kCeil: case kNear:
            ok = Unary(&m, t.op);
            break;
        case kRange: ok = Range(&m); break;
        case kCase: ok = Case(&m); break;
        default: ok = Binary(&m, t.op); break;
        }
        if (!ok) {
            *problem = m.problem;
            *offset = t.offset;
            return false;
        }
        pc = next;
    }
    if (top != nullptr) *top = !m.stack.empty() && !m.stack.back().isText ? m.stack.back().number : 0;
    return true;
}
