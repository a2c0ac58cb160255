// The interpreter's string operators. Positions count from 0; a number where
// a string is taken is its text ("%.15g"). A string comes from the script's
// own quotes, M:Event or an operator here: letter case is folded by ASCII.
#include <ctype.h>
#include <math.h>

#include "tools/panelhost/common/names.h"
#include "tools/panelhost/scenario/script_machine.h"

namespace {

// A count or a position: the fraction dropped, from 0 up to LIMIT.
bool PopPosition(ScriptMachine* m, double limit, size_t* position, const std::string& op) {
    double value;
    if (!PopNumber(m, &value)) return false;
    double whole = trunc(value);
    if (!(whole >= 0 && whole <= limit)) return Stops(m, op + " takes a position or count from 0 to " +
                                                             std::to_string(static_cast<long>(limit)));
    *position = static_cast<size_t>(whole);
    return true;
}

double Sign(int compared) { return compared < 0 ? -1 : compared > 0 ? 1 : 0; }

double Found(size_t at) { return at == std::string::npos ? -1 : static_cast<double>(at); }

// s c schr: where the character c (a code, or a string's first character) is first in s.
bool FindChar(ScriptMachine* m, const std::string& op) {
    ScriptValue wanted;
    std::string s;
    if (!PopValue(m, &wanted) || !PopText(m, &s)) return false;
    char c;
    if (wanted.isText) {
        if (wanted.text.empty()) return Stops(m, op + " is given an empty string to find");
        c = wanted.text[0];
    } else {
        double code = trunc(wanted.number);
        if (!(code >= 1 && code <= 255)) return Stops(m, op + " takes a character code from 1 to 255");
        c = static_cast<char>(static_cast<unsigned char>(code));
    }
    return PushResult(m, Found(s.find(c)), op);
}

// s start count ssub: COUNT characters of S from START, fewer where S ends first.
bool Substring(ScriptMachine* m, const std::string& op) {
    size_t count, start;
    std::string s;
    if (!PopPosition(m, 65536, &count, op) || !PopPosition(m, 65536, &start, op) || !PopText(m, &s)) return false;
    return PushText(m, start < s.size() ? s.substr(start, count) : "");
}

// s i symb: the character at I, as a string.
bool CharAt(ScriptMachine* m, const std::string& op) {
    double index;
    std::string s;
    if (!PopNumber(m, &index) || !PopText(m, &s)) return false;
    double at = trunc(index);
    if (!(at >= 0 && at < static_cast<double>(s.size())))
        return Stops(m, op + ": the string '" + s + "' has no character at that position");
    return PushText(m, std::string(1, s[static_cast<size_t>(at)]));
}

std::string Cased(std::string s, int (*change)(int)) {
    for (char& c : s) c = static_cast<char>(change(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool RunText(ScriptMachine* m, int code, const std::string& op) {
    std::string a, b;
    switch (code) {
    case kConcat:
        if (!PopText(m, &b) || !PopText(m, &a)) return false;
        return PushText(m, a + b);
    // scmp and scmi: 0 when equal, else -1 or 1 as a sorts before or after b.
    case kCompare:
        if (!PopText(m, &b) || !PopText(m, &a)) return false;
        return PushResult(m, Sign(a.compare(b)), op);
    case kCompareNoCase:
        if (!PopText(m, &b) || !PopText(m, &a)) return false;
        return PushResult(m, Sign(Folded(a).compare(Folded(b))), op);
    // s t sstr: where t is first in s, -1 when it is not.
    case kFindString:
        if (!PopText(m, &b) || !PopText(m, &a)) return false;
        return PushResult(m, Found(a.find(b)), op);
    case kFindChar: return FindChar(m, op);
    case kSubstring: return Substring(m, op);
    case kCharAt: return CharAt(m, op);
    case kCharOf: {
        double value;
        if (!PopNumber(m, &value)) return false;
        double c = trunc(value);
        if (!(c >= 1 && c <= 255)) return Stops(m, op + " takes a character code from 1 to 255");
        return PushText(m, std::string(1, static_cast<char>(static_cast<unsigned char>(c))));
    }
    case kCodeOf:
        if (!PopText(m, &a)) return false;
        if (a.empty()) return Stops(m, op + " is given an empty string");
        return PushResult(m, static_cast<unsigned char>(a[0]), op);
    case kLength:
        if (!PopText(m, &a)) return false;
        return PushResult(m, static_cast<double>(a.size()), op);
    case kLower:
    case kUpper:
        if (!PopText(m, &a)) return false;
        return PushText(m, Cased(a, code == kLower ? tolower : toupper));
    default:  // cap: the first letter in capitals, the others in small letters
        if (!PopText(m, &a)) return false;
        a = Cased(a, tolower);
        if (!a.empty()) a[0] = static_cast<char>(toupper(static_cast<unsigned char>(a[0])));
        return PushText(m, a);
    }
}
