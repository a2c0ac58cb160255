// Finds the L: variables in an XML gauge's expanded scripts: "(L:name, unit)"
// reads and "(>L:name, unit)" writes, with the number written just before a
// write.
#include "tools/panelhost/aircraft/lvar_uses.h"

#include <ctype.h>
#include <string.h>

#include "tools/panelhost/common/names.h"
#include "tools/panelhost/common/script_number.h"

namespace {

const size_t kMaxNameLength = 260;
const size_t kMaxNumberLength = 64;  // a longer token is no number

// The token that ends just before OFFSET, blanks skipped, and where it starts.
std::string TokenBefore(const std::string& text, size_t offset, size_t* tokenStart) {
    size_t end = offset;
    while (end > 0 && IsBlank(text[end - 1])) --end;
    size_t start = end;
    while (start > 0 && end - start <= kMaxNumberLength && !IsBlank(text[start - 1]) && text[start - 1] != '{' &&
           text[start - 1] != '}')
        --start;
    *tokenStart = start;
    // A token longer than any number is not one, whatever its last characters.
    if (start > 0 && !IsBlank(text[start - 1]) && text[start - 1] != '{' && text[start - 1] != '}') return "";
    return text.substr(start, end - start);
}

// Whether OFFSET of an RPN script lies inside an if{ } or els{ } block.
bool InBlock(const std::string& s, size_t offset) {
    int depth = 0;
    for (size_t i = 0; i < offset && i < s.size(); ++i) {
        if (s[i] == '{') ++depth;
        else if (s[i] == '}' && depth > 0) --depth;
    }
    return depth > 0;
}

// Finds "(L:name[, unit])" and "(>L:name[, unit])" in an expanded script.
void CollectUses(const GaugeScript& script, int index, std::vector<LVarUse>* uses) {
    const std::string& s = script.text;
    for (size_t open = s.find('('); open != std::string::npos; open = s.find('(', open + 1)) {
        size_t i = open + 1;
        while (i < s.size() && IsBlank(s[i])) ++i;
        bool write = i < s.size() && s[i] == '>';
        if (write) ++i;
        while (i < s.size() && IsBlank(s[i])) ++i;
        if (i + 1 >= s.size() || (s[i] != 'L' && s[i] != 'l') || s[i + 1] != ':') continue;
        size_t nameStart = i + 2, nameEnd = nameStart;
        while (nameEnd < s.size() && nameEnd - nameStart <= kMaxNameLength && strchr(",)(\r\n", s[nameEnd]) == nullptr)
            ++nameEnd;
        if (nameEnd >= s.size() || (s[nameEnd] != ',' && s[nameEnd] != ')')) continue;
        std::string name = Trimmed(s.substr(nameStart, nameEnd - nameStart));
        // A ":N" index after the name is not part of it.
        size_t colon = name.rfind(':');
        if (colon != std::string::npos && colon + 1 < name.size() &&
            name.find_first_not_of("0123456789", colon + 1) == std::string::npos)
            name = Trimmed(name.substr(0, colon));
        if (name.empty()) continue;
        size_t nameAt = nameStart;
        while (nameAt < nameEnd && IsBlank(s[nameAt])) ++nameAt;
        LVarUse use;
        use.name = name;
        use.line = script.LineAt(nameAt);
        use.write = write;
        size_t valueStart = 0;
        use.value = write ? TokenBefore(s, open, &valueStart) : "";
        use.constant = IsScriptNumber(use.value);
        if (!use.constant) use.value.clear();
        // The macro that gave the name, the write or the value.
        std::string macro = script.MacroAt(nameAt);
        if (macro.empty()) macro = script.MacroAt(open);
        if (macro.empty() && use.constant) macro = script.MacroAt(valueStart);
        std::string outer = script.OuterMacroAt(nameAt);
        if (outer.empty()) outer = script.OuterMacroAt(open);
        if (macro.empty()) macro = outer;
        use.macro = macro;
        use.useLine = script.UseLineAt(nameAt);
        use.usedThrough = SameName(outer, macro) ? "" : outer;
        use.script = index;
        use.offset = open;
        use.role = script.role;
        use.conditional = script.conditional || InBlock(s, open);
        uses->push_back(use);
    }
}

}  // namespace

std::vector<LVarUse> CollectLVarUses(const std::vector<GaugeScript>& scripts) {
    std::vector<LVarUse> uses;
    for (size_t i = 0; i < scripts.size(); ++i) CollectUses(scripts[i], static_cast<int>(i), &uses);
    return uses;
}

bool ReadGaugeScripts(const std::string& bytes, std::vector<LVarUse>* uses, ScriptProblem* problem) {
    std::vector<GaugeScript> scripts;
    if (!ReadGaugeScriptList(bytes, &scripts, problem)) return false;
    std::vector<LVarUse> found = CollectLVarUses(scripts);
    uses->insert(uses->end(), found.begin(), found.end());
    return true;
}
