// The interpreter's compiler: words split off the text, each turned into one
// operation, blocks joined to their ends, jumps to their labels.
#include "tools/panelhost/scenario/script.h"

#include <ctype.h>
#include <math.h>
#include <string.h>

#include "tools/panelhost/common/names.h"
#include "tools/panelhost/common/script_number.h"
#include "tools/panelhost/scenario/script_machine.h"

namespace {

struct Word {
    const char* text;
    ScriptOp op;
};

// Operators as scripts write them, also with XML's &gt; &lt; &amp; still in
// text that was not decoded.
const Word kWords[] = {
    {"d", kDup}, {"p", kPop}, {"r", kSwap}, {"c", kClear}, {"b", kBackUp}, {"quit", kQuit},
    {"+", kAdd}, {"-", kSub}, {"*", kMul}, {"/", kDiv}, {"%", kMod}, {"div", kIntDiv}, {"pow", kPow},
    {"neg", kNeg}, {"/-/", kNeg}, {"++", kInc}, {"--", kDec},
    {"sqr", kSquare}, {"sqrt", kSqrt}, {"exp", kExp}, {"ln", kLn}, {"log", kLog10}, {"lg", kLog10},
    {"==", kEq}, {"!=", kNe}, {">", kGt}, {"<", kLt}, {">=", kGe}, {"<=", kLe},
    {"&gt;", kGt}, {"&lt;", kLt}, {"&gt;=", kGe}, {"&lt;=", kLe},
    {"and", kAnd}, {"&&", kAnd}, {"&amp;&amp;", kAnd}, {"or", kOr}, {"||", kOr}, {"!", kNot}, {"not", kNot},
    {"&", kBitAnd}, {"&amp;", kBitAnd}, {"|", kBitOr}, {"^", kBitXor}, {"~", kBitNot},
    {"<<", kShiftLeft}, {">>", kShiftRight}, {"&lt;&lt;", kShiftLeft}, {"&gt;&gt;", kShiftRight},
    {"min", kMin}, {"max", kMax}, {"abs", kAbs}, {"int", kInt}, {"flr", kFloor}, {"ceil", kCeil},
    {"near", kNear}, {"sgn", kSign}, {"eps", kEpsilon}, {"rng", kRange},
    {"pi", kPushPi}, {"sin", kSin}, {"cos", kCos}, {"tan", kTan}, {"tg", kTan}, {"ctg", kCot},
    {"asin", kAsin}, {"acos", kAcos}, {"atg", kAtan}, {"atg2", kAtan2},
    {"dgrd", kDegToRad}, {"rddg", kRadToDeg}, {"dnor", kNormDeg}, {"d360", kNormDeg}, {"rnor", kNormRad},
    {"seed", kSeed}, {"rand", kRandom},
    {"case", kCase}, {"?", kChoose},
    {"scat", kConcat}, {"scmp", kCompare}, {"scmi", kCompareNoCase}, {"sstr", kFindString},
    {"schr", kFindChar}, {"ssub", kSubstring}, {"symb", kCharAt}, {"chr", kCharOf}, {"ord", kCodeOf},
    {"slen", kLength}, {"lc", kLower}, {"uc", kUpper}, {"cap", kCapital},
};

const size_t kMaxHexDigits = 16;  // the most a hexadecimal number's value is taken exactly from

// A number as scripts write it (the shared grammar: "-1.5", ".5", "1e3",
// "0x1F"), refused when no double holds it. True and false are 1 and 0:
// some gauges write them, and nothing else could be meant.
bool ParseNumberWord(const std::string& word, double* value) {
    std::string folded = Folded(word);
    if (folded == "true" || folded == "false") {
        *value = folded == "true" ? 1 : 0;
        return true;
    }
    if (!IsScriptNumber(word)) return false;
    size_t hex = folded.find("0x");
    if (hex != std::string::npos && folded.find_first_not_of('0', hex + 2) != std::string::npos &&
        folded.size() - folded.find_first_not_of('0', hex + 2) > kMaxHexDigits)
        return false;
    double parsed = ScriptNumberValue(word);
    if (!isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

// The time variables of P: and E:, all from the run's clock, in seconds.
const char* const kTimeNames[] = {"absolute time", "simulation time", "local time", "zulu time"};

bool IsTimeName(const std::string& folded) {
    for (const char* name : kTimeNames)
        if (folded == name) return true;
    return false;
}

// Units a time is read in; any other unit is refused rather than read as seconds.
bool IsTimeUnit(const std::string& folded) {
    return folded.empty() || folded == "seconds" || folded == "second" || folded == "number" ||
           folded == "minutes" || folded == "minute" || folded == "hours" || folded == "hour";
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
    if (strchr("LAKPGEMC", letter) == nullptr) return false;
    std::string rest = body.substr(2);
    size_t comma = rest.find(',');
    token->text = Trimmed(rest.substr(0, comma));
    token->unit = comma == std::string::npos ? "" : Trimmed(rest.substr(comma + 1));
    if (token->text.empty()) return false;
    token->letter = letter;
    token->op = write ? kWrite : kRead;
    std::string name = Folded(token->text);
    switch (letter) {
    case 'K': return write;  // events are sent, never read
    case 'P':
    case 'E': return !write && IsTimeName(name) && IsTimeUnit(Folded(token->unit));
    case 'M': return !write && (name == "event" || name == "x" || name == "y");
    default: return true;
    }
}

// Digits only, at most nine of them: a register's, a label's or a jump's number.
bool ParseIndex(const std::string& word, size_t from, int* index) {
    if (word.size() <= from || word.size() > from + 9) return false;
    int value = 0;
    for (size_t i = from; i < word.size(); ++i) {
        if (!isdigit(static_cast<unsigned char>(word[i]))) return false;
        value = value * 10 + (word[i] - '0');
    }
    *index = value;
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
    int index = 0;
    if (word.size() > digits + 2 || !ParseIndex(word, digits, &index) || index >= kScriptRegisters) return false;
    token->number = index;
    return true;
}

// A label ":N" or a jump "gN"; the jump's target is found once all labels are known.
bool ParseLabelOrJump(const std::string& word, ScriptToken* token) {
    int index = 0;
    if (word[0] != ':' && word[0] != 'g') return false;
    if (!ParseIndex(word, 1, &index)) return false;
    token->op = word[0] == ':' ? kLabel : kJump;
    token->number = index;
    return true;
}

bool Refuse(const std::string& word, size_t at, std::string* token, size_t* offset) {
    *token = word;
    *offset = at;
    return false;
}

// Each gN jumps to the token after the first label :N; false for a jump to no label.
bool ResolveJumps(CompiledScript* script, std::string* token, size_t* offset) {
    std::vector<ScriptToken>& tokens = script->tokens;
    for (ScriptToken& jump : tokens) {
        if (jump.op != kJump) continue;
        bool found = false;
        for (size_t k = 0; k < tokens.size() && !found; ++k) {
            if (tokens[k].op == kLabel && tokens[k].number == jump.number) {
                jump.number = static_cast<double>(k + 1);
                found = true;
            }
        }
        if (!found) return Refuse(jump.text, jump.offset, token, offset);
    }
    return true;
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
            t.text = word;
            if (known != nullptr) {
                t.op = known->op;
            } else if (word == "if{") {
                t.op = kIf;
            } else if (word == "els{") {
                t.op = kElse;
            } else if (ParseNumberWord(word, &t.number)) {
                t.op = kPushNumber;
            } else if (!ParseRegister(word, &t) && !ParseLabelOrJump(word, &t)) {
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
    return ResolveJumps(script, token, offset);
}
