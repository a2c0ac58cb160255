// Reads an XML gauge as the simulator's XML parser would accept it, keeps the
// text of its elements and attributes with their line numbers, expands the
// gauge's macros and finds the L: variables in the result.
#include "tools/panelhost/aircraft/xml_scripts.h"

#include <windows.h>
#include <ctype.h>
#include <string.h>

#include <algorithm>
#include <map>

namespace {

const int kMaxNesting = 256;     // elements open at once
const int kMaxMacroDepth = 16;   // macros expanded inside macros
const size_t kMaxNameLength = 260;
const size_t kMaxArgumentsLength = 1024;  // of a macro's argument list
const size_t kMaxNumberLength = 64;       // a longer token is no number
// An element's place: in no macro's definition, or in a <Comment>, whose
// text is no script.
const int kNoMacro = -1;
const int kInComment = -2;

// Text with the source line of every character, kept as runs (see
// GaugeScript::Run).
struct LinedText {
    std::string chars;
    std::vector<GaugeScript::Run> runs;

    void Add(char c, int line, int macro, int useLine, int outer) {
        if (runs.empty() || runs.back().line != line || runs.back().macro != macro || runs.back().useLine != useLine ||
            runs.back().outerMacro != outer)
            runs.push_back({chars.size(), line, macro, useLine, outer});
        chars.push_back(c);
    }
    void Add(char c, int line) { Add(c, line, -1, line, -1); }
    const GaugeScript::Run& RunAt(size_t offset) const {
        auto after = std::upper_bound(runs.begin(), runs.end(), offset,
                                      [](size_t at, const GaugeScript::Run& run) { return at < run.start; });
        return *(after - 1);
    }
    // Appends the characters FROM to TO of OTHER with their runs.
    void Append(const LinedText& other, size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            const GaugeScript::Run& run = other.RunAt(i);
            Add(other.chars[i], run.line, run.macro, run.useLine, run.outerMacro);
        }
    }
};

struct Macro {
    std::string name;
    LinedText body;  // its characters marked as this macro's
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameStart(char c) {
    return isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsNameChar(char c) {
    return IsNameStart(c) || isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}
bool IsMacroChar(char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_'; }
// The text from OFFSET to the next blank, at most 40 characters: a problem's item.
std::string Excerpt(const std::string& text, size_t offset) {
    std::string excerpt = text.substr(offset, 40);
    return excerpt.substr(0, excerpt.find_first_of(" \t\r\n", 1));
}

void AppendUtf8(unsigned long code, LinedText* out, int line) {
    char bytes[4];
    int count;
    if (code < 0x80) {
        bytes[0] = static_cast<char>(code);
        count = 1;
    } else if (code < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | (code >> 6));
        bytes[1] = static_cast<char>(0x80 | (code & 0x3F));
        count = 2;
    } else if (code < 0x10000) {
        bytes[0] = static_cast<char>(0xE0 | (code >> 12));
        bytes[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | (code & 0x3F));
        count = 3;
    } else {
        bytes[0] = static_cast<char>(0xF0 | (code >> 18));
        bytes[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes[3] = static_cast<char>(0x80 | (code & 0x3F));
        count = 4;
    }
    for (int i = 0; i < count; ++i) out->Add(bytes[i], line);
}

// The XML reader: one pass over the text that checks it is well-formed and
// collects the text outside macro definitions (SCRIPTS) and the macros.
struct ReadScript {
    LinedText text;
    ScriptRole role;
    int mouseArea;
    bool conditional;
};

struct XmlReader {
    const std::string& text;
    ScriptProblem* problem;
    std::vector<ReadScript> scripts;
    std::vector<Macro> macros;
    int mouseAreas = 0;  // numbered so far
    bool newSchema = false;

    size_t pos = 0;
    int line = 1;
    struct Open {
        std::string name;
        int line;
        int macro;  // the macro this element defines or lies in, kNoMacro, or kInComment
        int mouseArea;     // this element's number when it is a mouse area, else -1
        bool sawVisible;   // an <Element> whose <Visible> has been read
    };
    std::vector<Open> open;
    bool rootSeen = false;
    LinedText pending;  // character data since the last tag

    XmlReader(const std::string& source, ScriptProblem* out) : text(source), problem(out) {}

    bool Fail(const std::string& what, int where, const std::string& item) {
        *problem = {what, where, item, false};
        return false;
    }
    bool StartsWith(const char* prefix) const { return text.compare(pos, strlen(prefix), prefix) == 0; }
    // Moves past COUNT characters, counting lines.
    void Skip(size_t count) {
        for (size_t end = std::min(pos + count, text.size()); pos < end; ++pos)
            if (text[pos] == '\n') ++line;
    }
    void SkipBlanks() {
        while (pos < text.size() && IsBlank(text[pos])) Skip(1);
    }
    // Moves past the next TERMINATOR; false when there is none.
    bool SkipPast(const char* terminator) {
        size_t found = text.find(terminator, pos);
        if (found == std::string::npos) return false;
        Skip(found + strlen(terminator) - pos);
        return true;
    }
    int CurrentMacro() const { return open.empty() ? kNoMacro : open.back().macro; }

    // Reads the entity reference at pos into OUT.
    bool ReadEntity(LinedText* out) {
        size_t end = text.find(';', pos);
        if (end == std::string::npos || end - pos > 12)
            return Fail("an & that begins no entity (write &amp;)", line, Excerpt(text, pos));
        std::string name = text.substr(pos + 1, end - pos - 1);
        static const struct { const char* name; char c; } kNamed[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& named : kNamed) {
            if (name == named.name) {
                out->Add(named.c, line);
                Skip(end + 1 - pos);
                return true;
            }
        }
        if (name.size() >= 2 && name[0] == '#') {
            bool hex = name[1] == 'x';
            std::string digits = name.substr(hex ? 2 : 1);
            char* stop = nullptr;
            unsigned long code = strtoul(digits.c_str(), &stop, hex ? 16 : 10);
            if (!digits.empty() && *stop == '\0' && isxdigit(static_cast<unsigned char>(digits[0])) && code > 0 &&
                code <= 0x10FFFF) {
                AppendUtf8(code, out, line);
                Skip(end + 1 - pos);
                return true;
            }
        }
        return Fail("an entity XML does not know (write &amp; for an &)", line, text.substr(pos, end + 1 - pos));
    }

    // Where text inside the open elements sits: its role, its mouse area
    // and whether it runs under a condition. An attribute's value is never
    // update or click code.
    void AddScript(const LinedText& script, bool attribute) {
        ReadScript read = {script, kScriptOther, -1, false};
        int elements = 0;
        bool inVisible = false, roleFound = attribute;
        for (size_t i = open.size(); i-- > 0;) {
            const std::string& name = open[i].name;
            if (SameName(name, "Element")) {
                ++elements;
                // Code after an element's <Visible> runs only while it is visible.
                if (elements == 1 && open[i].sawVisible && !inVisible) read.conditional = true;
            } else if (SameName(name, "Visible") || SameName(name, "Visibility")) {
                inVisible = true;
            } else if (SameName(name, "Failures")) {
                read.conditional = true;
            }
            if (roleFound) continue;
            if (SameName(name, "Click") || SameName(name, "CallbackCode") || SameName(name, "MouseClick")) {
                read.role = kScriptClick;
                roleFound = true;
                for (size_t j = i; j-- > 0;) {
                    if (open[j].mouseArea >= 0 || SameName(open[j].name, "Mouse")) {
                        if (open[j].mouseArea < 0) open[j].mouseArea = mouseAreas++;
                        read.mouseArea = open[j].mouseArea;
                        break;
                    }
                }
            } else if (SameName(name, "Update")) {
                read.role = kScriptUpdate;
                roleFound = true;
            } else if (SameName(name, "Keys") || SameName(name, "KeyMap") || SameName(name, "On") ||
                       SameName(name, "String") || SameName(name, "Tooltip") || SameName(name, "TooltipText") ||
                       SameName(name, "Tooltip_Text") || SameName(name, "TooltipID") || SameName(name, "Mouse") ||
                       SameName(name, "MouseArea") || SameName(name, "Area") || SameName(name, "Failures")) {
                roleFound = true;
            } else if (SameName(name, "Element")) {
                read.role = kScriptValue;
                roleFound = true;
            }
        }
        if (elements >= 2) read.conditional = true;
        scripts.push_back(read);
    }

    // The text collected since the last tag goes to the macro being defined,
    // or becomes a script of its own.
    void Flush() {
        int macro = CurrentMacro();
        if (macro >= 0) {
            Macro& defined = macros[static_cast<size_t>(macro)];
            for (size_t i = 0; i < pending.chars.size(); ++i)
                defined.body.Add(pending.chars[i], pending.RunAt(i).line, macro, pending.RunAt(i).line, -1);
        } else if (macro == kNoMacro) {
            for (char c : pending.chars) {
                if (!IsBlank(c)) {
                    AddScript(pending, false);
                    break;
                }
            }
        }
        pending = LinedText();
    }

    bool ReadName(std::string* name) {
        size_t start = pos;
        if (pos >= text.size() || !IsNameStart(text[pos])) return false;
        while (pos < text.size() && IsNameChar(text[pos])) ++pos;
        *name = text.substr(start, pos - start);
        return true;
    }

    bool ReadStartTag() {
        int tagLine = line;
        Skip(1);
        std::string name;
        if (!ReadName(&name)) return Fail("a < that begins no tag (write &lt;)", tagLine, Excerpt(text, pos - 1));
        if (open.empty()) {
            if (rootSeen) return Fail("a second root element after the gauge's", tagLine, "<" + name);
            rootSeen = true;
            newSchema = SameName(name, "SimBase.Document");
            if (!newSchema && !SameName(name, "Gauge"))
                return Fail("not an XML gauge: its root element is neither <Gauge> nor <SimBase.Document>",
                            tagLine, "<" + name);
        }
        if (open.size() >= static_cast<size_t>(kMaxNesting))
            return Fail("elements nested deeper than " + std::to_string(kMaxNesting) + " levels", tagLine, "<" + name);
        int macro = CurrentMacro();
        bool definesMacro = macro == kNoMacro && SameName(name, "Macro");
        if (macro == kNoMacro && SameName(name, "Comment")) macro = kInComment;
        std::string macroName;
        for (;;) {
            SkipBlanks();
            if (pos >= text.size()) return Fail("a tag that is never closed", tagLine, "<" + name);
            if (StartsWith("/>") || text[pos] == '>') break;
            std::string attribute;
            if (!ReadName(&attribute)) return Fail("a tag with text XML cannot read", line, Excerpt(text, pos));
            SkipBlanks();
            if (pos >= text.size() || text[pos] != '=')
                return Fail("an attribute without a value", line, attribute);
            Skip(1);
            SkipBlanks();
            if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\''))
                return Fail("an attribute value without quotes", line, attribute);
            char quote = text[pos];
            Skip(1);
            LinedText value;
            while (pos < text.size() && text[pos] != quote) {
                if (text[pos] == '<') return Fail("a < inside an attribute value (write &lt;)", line, attribute);
                if (text[pos] == '&') {
                    if (!ReadEntity(&value)) return false;
                } else {
                    value.Add(text[pos], line);
                    Skip(1);
                }
            }
            if (pos >= text.size()) return Fail("an attribute value that is never closed", tagLine, attribute);
            Skip(1);
            if (definesMacro && (SameName(attribute, "Name") || SameName(attribute, "id")))
                macroName = Trimmed(value.chars);
            else if (macro == kNoMacro && !value.chars.empty())
                AddScript(value, true);
        }
        if (definesMacro) {
            macros.push_back({macroName, LinedText()});
            macro = static_cast<int>(macros.size()) - 1;
        }
        int mouseArea = -1;
        if (macro == kNoMacro) {
            if (SameName(name, "Area") || SameName(name, "MouseArea")) mouseArea = mouseAreas++;
            if ((SameName(name, "Visible") || SameName(name, "Visibility")) && !open.empty() &&
                SameName(open.back().name, "Element"))
                open.back().sawVisible = true;
        }
        if (StartsWith("/>")) {
            Skip(2);
        } else {
            Skip(1);
            open.push_back({name, tagLine, macro, mouseArea, false});
        }
        return true;
    }

    bool ReadEndTag() {
        int tagLine = line;
        Skip(2);
        std::string name;
        if (!ReadName(&name)) return Fail("an end tag without a name", tagLine, Excerpt(text, pos - 2));
        SkipBlanks();
        if (pos >= text.size() || text[pos] != '>') return Fail("an end tag that is never closed", tagLine, "</" + name);
        Skip(1);
        if (open.empty()) return Fail("an end tag that closes no element", tagLine, "</" + name + ">");
        // XML wants the same letter case; a gauge that differs only in case is let pass.
        if (!SameName(open.back().name, name)) {
            char what[128];
            snprintf(what, sizeof what, "an end tag that does not match <%.60s> of line %d", open.back().name.c_str(),
                     open.back().line);
            return Fail(what, tagLine, "</" + name + ">");
        }
        open.pop_back();
        return true;
    }

    // Everything that starts with "<!": a comment, a CDATA section, a DOCTYPE.
    bool ReadMarkup() {
        int markupLine = line;
        if (StartsWith("<!--")) {
            Skip(4);
            return SkipPast("-->") || Fail("a comment that is never closed", markupLine, "<!--");
        }
        if (StartsWith("<![CDATA[")) {
            if (open.empty()) return Fail("a CDATA section outside the root element", markupLine, "<![CDATA[");
            Skip(9);
            size_t end = text.find("]]>", pos);
            if (end == std::string::npos) return Fail("a CDATA section that is never closed", markupLine, "<![CDATA[");
            while (pos < end) {
                pending.Add(text[pos], line);
                Skip(1);
            }
            Skip(3);
            return true;
        }
        if (rootSeen) return Fail("a declaration inside the document", markupLine, Excerpt(text, pos));
        int depth = 0;
        for (Skip(2); pos < text.size(); Skip(1)) {
            if (text[pos] == '[') ++depth;
            else if (text[pos] == ']') --depth;
            else if (text[pos] == '>' && depth <= 0) {
                Skip(1);
                return true;
            }
        }
        return Fail("a declaration that is never closed", markupLine, "<!");
    }

    bool Read() {
        if (StartsWith("\xEF\xBB\xBF")) pos = 3;
        while (pos < text.size()) {
            char c = text[pos];
            if (c == '<') {
                bool ok;
                if (StartsWith("<?")) {
                    int piLine = line;
                    ok = SkipPast("?>") || Fail("a processing instruction that is never closed", piLine, "<?");
                } else if (StartsWith("<!")) {
                    ok = ReadMarkup();
                } else {
                    Flush();
                    ok = StartsWith("</") ? ReadEndTag() : ReadStartTag();
                }
                if (!ok) return false;
            } else if (open.empty()) {
                if (!IsBlank(c)) return Fail("text outside the root element", line, Excerpt(text, pos));
                Skip(1);
            } else if (c == '&') {
                if (!ReadEntity(&pending)) return false;
            } else {
                pending.Add(c, line);
                Skip(1);
            }
        }
        if (!open.empty()) {
            const Open& last = open.back();
            return Fail("an element that is never closed", last.line, "<" + last.name + ">");
        }
        if (!rootSeen) return Fail("no XML element at all", 0, "");
        return true;
    }
};

// Expands the macros of a text into OUT: every character keeps the line it
// is written on, in the script or in a macro's definition, and the line of
// the outermost macro use it came through.
struct MacroExpander {
    const std::vector<Macro>& macros;
    bool withArguments;  // the newer schema's @M(a, b), with @1, @2 in the macro's text
    ScriptProblem* problem;
    size_t budget = kMaxExpandedBytes;

    std::map<std::string, int> byName = {};  // folded name -> the first macro of that name

    void Index() {
        for (size_t i = 0; i < macros.size(); ++i) byName.emplace(Folded(macros[i].name), static_cast<int>(i));
    }
    // The macro of that name, letter case aside; -1 when none.
    int Find(const std::string& name) const {
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
    static size_t ReadArguments(const std::string& source, size_t offset, std::vector<Span>* arguments,
                                size_t* scanned) {
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

    static bool TakesArguments(const std::string& body) {
        for (size_t i = 0; i + 1 < body.size(); ++i)
            if (body[i] == '@' && body[i + 1] >= '1' && body[i + 1] <= '9') return true;
        return false;
    }

    // The body with its arguments (spans of SOURCE) filled in; false when
    // that alone would be longer than LIMIT, before it is made.
    static bool Substituted(const LinedText& body, const LinedText& source, const std::vector<Span>& arguments,
                            size_t limit, LinedText* result) {
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

    bool OverBudget(int line) {
        *problem = {"macros that make more than " + std::to_string(kMaxExpandedBytes >> 20) + " MB of script", line, "",
                    true};
        return false;
    }

    // At DEPTH 0 SOURCE is a script as written; deeper, a macro's text used
    // at USELINE through the outermost macro OUTER.
    bool Expand(const LinedText& source, int depth, int useLine, int outer, LinedText* out) {
        const std::string& chars = source.chars;
        for (size_t i = 0; i < chars.size(); ++i) {
            const GaugeScript::Run& run = source.RunAt(i);
            int charUseLine = depth == 0 ? run.line : useLine;
            size_t nameEnd = i + 1;
            int found = -1;
            if (chars[i] == '@' && i + 1 < chars.size() && !isdigit(static_cast<unsigned char>(chars[i + 1]))) {
                while (nameEnd < chars.size() && IsMacroChar(chars[nameEnd])) ++nameEnd;
                if (nameEnd > i + 1) found = Find(chars.substr(i + 1, nameEnd - i - 1));
            }
            // Every character and every expansion spends the budget, so that
            // macros that expand to nothing cannot loop for long either.
            if (budget == 0) return OverBudget(charUseLine);
            --budget;
            if (found < 0) {
                out->Add(chars[i], run.line, run.macro, charUseLine, depth == 0 ? run.outerMacro : outer);
                continue;
            }
            if (depth >= kMaxMacroDepth) {
                *problem = {"a macro that uses itself, or macros nested deeper than " + std::to_string(kMaxMacroDepth) + " levels", useLine,
                            "@" + macros[found].name, true};
                return false;
            }
            const LinedText& body = macros[found].body;
            size_t next = nameEnd;
            std::vector<Span> arguments;
            if (withArguments && TakesArguments(body.chars)) {
                size_t scanned = 0;
                next = ReadArguments(chars, next, &arguments, &scanned);
                budget -= std::min(budget, scanned);  // looking for the list is work as well
            }
            LinedText expansion;
            if (!Substituted(body, source, arguments, budget, &expansion)) return OverBudget(charUseLine);
            if (!Expand(expansion, depth + 1, charUseLine, depth == 0 ? found : outer, out)) return false;
            i = next - 1;
        }
        return true;
    }
};

// A number written as an RPN token: decimal with an optional fraction and
// exponent, or hexadecimal.
bool IsNumber(const std::string& token) {
    size_t i = 0;
    if (i < token.size() && (token[i] == '-' || token[i] == '+')) ++i;
    if (token.compare(i, 2, "0x") == 0 || token.compare(i, 2, "0X") == 0) {
        i += 2;
        size_t digits = i;
        while (i < token.size() && isxdigit(static_cast<unsigned char>(token[i]))) ++i;
        return i > digits && i == token.size();
    }
    size_t digits = 0;
    while (i < token.size() && isdigit(static_cast<unsigned char>(token[i]))) ++i, ++digits;
    if (i < token.size() && token[i] == '.') {
        ++i;
        while (i < token.size() && isdigit(static_cast<unsigned char>(token[i]))) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '-' || token[i] == '+')) ++i;
        size_t exponent = i;
        while (i < token.size() && isdigit(static_cast<unsigned char>(token[i]))) ++i;
        if (i == exponent) return false;
    }
    return i == token.size();
}

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
        use.constant = IsNumber(use.value);
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

// The text as UTF-8 when it starts with a UTF-16 byte-order mark.
bool FromUtf16(const std::string& text, std::string* utf8) {
    bool little = text.compare(0, 2, "\xFF\xFE") == 0, big = text.compare(0, 2, "\xFE\xFF") == 0;
    if (!little && !big) return false;
    std::wstring wide;
    for (size_t i = 2; i + 1 < text.size(); i += 2) {
        unsigned char first = static_cast<unsigned char>(text[i]), second = static_cast<unsigned char>(text[i + 1]);
        wide.push_back(static_cast<wchar_t>(little ? first | (second << 8) : (first << 8) | second));
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    utf8->assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &(*utf8)[0], size, nullptr, nullptr);
    return true;
}

}  // namespace

const GaugeScript::Run& GaugeScript::RunAt(size_t offset) const {
    static const Run kNone = {0, 0, -1, 0, -1};
    if (runs.empty()) return kNone;
    auto after = std::upper_bound(runs.begin(), runs.end(), offset,
                                  [](size_t at, const Run& run) { return at < run.start; });
    return after == runs.begin() ? runs.front() : *(after - 1);
}
int GaugeScript::LineAt(size_t offset) const { return RunAt(offset).line; }
int GaugeScript::UseLineAt(size_t offset) const { return RunAt(offset).useLine; }
std::string GaugeScript::MacroAt(size_t offset) const {
    int macro = RunAt(offset).macro;
    return macro >= 0 && static_cast<size_t>(macro) < macroNames.size() ? macroNames[static_cast<size_t>(macro)] : "";
}
std::string GaugeScript::OuterMacroAt(size_t offset) const {
    int macro = RunAt(offset).outerMacro;
    return macro >= 0 && static_cast<size_t>(macro) < macroNames.size() ? macroNames[static_cast<size_t>(macro)] : "";
}

bool ReadGaugeScriptList(const std::string& bytes, std::vector<GaugeScript>* scripts, ScriptProblem* problem) {
    scripts->clear();
    std::string converted;
    const std::string& text = FromUtf16(bytes, &converted) ? converted : bytes;
    // XML allows no control characters but tab and line ends.
    int line = 1;
    for (char c : text) {
        if (c == '\n') ++line;
        else if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r') {
            *problem = {"not a text file: it holds control characters or binary data", line, "", false};
            return false;
        }
    }
    XmlReader reader(text, problem);
    if (!reader.Read()) return false;
    MacroExpander expander{reader.macros, reader.newSchema, problem};
    expander.Index();
    std::vector<std::string> names;
    for (const Macro& macro : reader.macros) names.push_back(macro.name);
    for (const ReadScript& read : reader.scripts) {
        LinedText expanded;
        if (!expander.Expand(read.text, 0, 0, -1, &expanded)) return false;
        GaugeScript script;
        script.role = read.role;
        script.mouseArea = read.mouseArea;
        script.conditional = read.conditional;
        script.text = expanded.chars;
        script.runs = expanded.runs;
        script.macroNames = names;
        script.line = read.text.runs.empty() ? 0 : read.text.runs.front().line;
        scripts->push_back(script);
    }
    return true;
}

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
