// The macro expander. A name after "@" that is no macro's stays as it is;
// a macro whose text holds @1 ... @9 takes the argument list written right
// after its name, in either schema; without one its @N become nothing.
#include "tools/panelhost/aircraft/macro_expander.h"

#include <ctype.h>

#include <algorithm>

#include "tools/panelhost/common/names.h"

namespace {

const int kMaxMacroDepth = 16;            // macros expanded inside macros
const size_t kMaxArgumentsLength = 1024;  // of a macro's argument list

bool IsMacroChar(char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The macro of that name, letter case aside; -1 when none.
int FindMacro(const std::map<std::string, int>& byName, const std::string& name) {
    auto found = byName.find(Folded(name));
    return found == byName.end() ? -1 : found->second;
}

struct Span {
    size_t from, to;
};
// Reads "(a, b)" at OFFSET of SOURCE into ARGUMENTS (each without blanks
// at either end); the end of the list, or OFFSET when there is none
// within kMaxArgumentsLength characters. SCANNED: how many characters
// were looked at.
size_t ReadArguments(const std::string& source, size_t offset, std::vector<Span>* arguments, size_t* scanned) {
    *scanned = 0;
    if (offset >= source.size() || source[offset] != '(') return offset;
    int depth = 0;
    size_t begin = offset + 1;
    auto add = [&](size_t end) {
        size_t from = begin, to = end;
        while (from < to && IsBlank(source[from])) ++from;
        while (to > from && IsBlank(source[to - 1])) --to;
        arguments->push_back({from, to});
    };
    for (size_t i = offset; i < source.size() && i - offset < kMaxArgumentsLength; ++i) {
        ++*scanned;
        char c = source[i];
        if (c == '(' && depth++ == 0) continue;
        if (c == ')' && --depth == 0) {
            add(i);
            return i + 1;
        }
        if (c == ',' && depth == 1) {
            add(i);
            begin = i + 1;
        }
    }
    arguments->clear();
    return offset;
}

bool TakesArguments(const std::string& body) {
    for (size_t i = 0; i + 1 < body.size(); ++i)
        if (body[i] == '@' && body[i + 1] >= '1' && body[i + 1] <= '9') return true;
    return false;
}

// The body with its arguments (spans of SOURCE) filled in; false when
// that alone would be longer than LIMIT, before it is made.
bool Substituted(const LinedText& body, const LinedText& source, const std::vector<Span>& arguments, size_t limit,
                 LinedText* result) {
    const std::string& chars = body.chars;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (chars[i] == '@' && i + 1 < chars.size() && chars[i + 1] >= '1' && chars[i + 1] <= '9') {
            size_t index = static_cast<size_t>(chars[i + 1] - '1');
            if (index < arguments.size()) {
                const Span& argument = arguments[index];
                if (argument.to - argument.from > limit - result->chars.size()) return false;
                result->Append(source, argument.from, argument.to);
            }
            ++i;
        } else {
            if (result->chars.size() == limit) return false;
            result->Append(body, i, i + 1);
        }
    }
    return true;
}

bool OverBudget(ScriptProblem* problem, int line) {
    *problem = {"macros that make more than " + std::to_string(kMaxExpandedBytes >> 20) + " MB of script", line, "",
                true};
    return false;
}

}  // namespace

void MacroExpander::Index() {
    // The first definition of a name wins; one inside a <Comment> only when no other defines it.
    for (bool inComment : {false, true})
        for (size_t i = 0; i < macros.size(); ++i)
            if (macros[i].inComment == inComment) byName.emplace(Folded(macros[i].name), static_cast<int>(i));
}

bool MacroExpander::Expand(const LinedText& source, int depth, int useLine, int outer, LinedText* out) {
    const std::string& chars = source.chars;
    for (size_t i = 0; i < chars.size(); ++i) {
        const GaugeScript::Run& run = source.RunAt(i);
        int charUseLine = depth == 0 ? run.line : useLine;
        size_t nameEnd = i + 1;
        int found = -1;
        if (chars[i] == '@' && i + 1 < chars.size() && !isdigit(static_cast<unsigned char>(chars[i + 1]))) {
            while (nameEnd < chars.size() && IsMacroChar(chars[nameEnd])) ++nameEnd;
            if (nameEnd > i + 1) found = FindMacro(byName, chars.substr(i + 1, nameEnd - i - 1));
        }
        // Every character and every expansion spends the budget, so that
        // macros that expand to nothing cannot loop for long either.
        if (budget == 0) return OverBudget(problem, charUseLine);
        --budget;
        if (found < 0) {
            out->Add(chars[i], run.line, run.macro, charUseLine, depth == 0 ? run.outerMacro : outer);
            continue;
        }
        if (depth >= kMaxMacroDepth) {
            *problem = {"a macro that uses itself, or macros nested deeper than " + std::to_string(kMaxMacroDepth) +
                            " levels",
                        useLine, "@" + macros[found].name, true};
            return false;
        }
        const LinedText& body = macros[found].body;
        size_t next = nameEnd;
        std::vector<Span> arguments;
        if (TakesArguments(body.chars)) {
            size_t scanned = 0;
            next = ReadArguments(chars, next, &arguments, &scanned);
            budget -= std::min(budget, scanned);  // looking for the list is work as well
        }
        LinedText expansion;
        if (!Substituted(body, source, arguments, budget, &expansion)) return OverBudget(problem, charUseLine);
        if (!Expand(expansion, depth + 1, charUseLine, depth == 0 ? found : outer, out)) return false;
        i = next - 1;
    }
    return true;
}
