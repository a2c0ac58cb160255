// The XML reader. Entities become the characters they name; comments,
// declarations and processing instructions are skipped; CDATA is text.
#include "tools/panelhost/aircraft/xml_reader.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <utility>

#include "tools/panelhost/common/names.h"

namespace {

const int kMaxNesting = 256;  // elements open at once
// An element's place: in no macro's definition, or in a <Comment>, whose
// text is no script.
const int kNoMacro = -1;
const int kInComment = -2;

// The elements whose own text is script the simulator runs; any other
// element's text is layout, display text or a list of names.
bool IsCodeElement(const std::string& name) {
    static const char* const kCode[] = {"Update", "Value",        "Visible",    "Visibility",
                                        "Click",  "CallbackCode", "MouseClick", "Script"};
    for (const char* code : kCode)
        if (SameName(name, code)) return true;
    return false;
}
bool IsClickElement(const std::string& name) {
    return SameName(name, "Click") || SameName(name, "CallbackCode") || SameName(name, "MouseClick");
}
// The elements that may say which mouse events run their click code.
bool HoldsClickKinds(const std::string& name) {
    return IsClickElement(name) || SameName(name, "Area") || SameName(name, "MouseArea") || SameName(name, "Mouse");
}

bool IsNameStart(char c) {
    return isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsNameChar(char c) {
    return IsNameStart(c) || isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}
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

struct XmlReader {
    const std::string& text;
    ScriptProblem* problem;
    std::vector<ReadScript> scripts;
    std::vector<Macro> macros;
    int mouseAreas = 0;  // numbered so far
    bool newSchema = false;
    int elementsSeen = 0;  // numbers every element, for the click kinds below
    // The mouse events an element's Kind attribute or its <ClickType> lists, by element number.
    std::map<int, std::string> kindsOf;
    struct ClickPlace {
        int click, area;  // the numbers of a click script's element and of its mouse area
    };
    std::vector<ClickPlace> clickPlaces;  // per script

    size_t pos = 0;
    int line = 1;
    struct Open {
        std::string name;
        int line;
        int macro;  // the macro this element defines or lies in, kNoMacro, or kInComment
        int mouseArea;     // this element's number when it is a mouse area, else -1
        bool sawVisible;   // an <Element> whose <Visible> has been read
        int id;            // from elementsSeen
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
    // and whether it runs under a condition. An attribute's value, and the
    // text of an element that holds no code, is never run. EVENT: the key
    // event of a <Click Event="NAME">, SCRIPT then empty, and WHERE its line.
    void AddScript(const LinedText& script, bool attribute, int where, const std::string& event = "") {
        ReadScript read;
        read.text = script;
        read.line = script.runs.empty() ? where : script.runs.front().line;
        read.clickEvent = event;
        ClickPlace place = {-1, -1};
        int elements = 0;
        bool inVisible = false, roleFound = attribute || open.empty() || !IsCodeElement(open.back().name);
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
            if (IsClickElement(name)) {
                read.role = kScriptClick;
                roleFound = true;
                place.click = open[i].id;
                for (size_t j = i; j-- > 0;) {
                    if (open[j].mouseArea >= 0 || SameName(open[j].name, "Mouse")) {
                        if (open[j].mouseArea < 0) open[j].mouseArea = mouseAreas++;
                        read.mouseArea = open[j].mouseArea;
                        place.area = open[j].id;
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
        clickPlaces.push_back(place);
    }

    // A <ClickType>'s text: the mouse events of the innermost element that can have them.
    void AddClickKinds(const std::string& kinds) {
        for (size_t i = open.size(); i-- > 0;) {
            if (!HoldsClickKinds(open[i].name)) continue;
            std::string& known = kindsOf[open[i].id];
            known += (known.empty() ? "" : "+") + Trimmed(kinds);
            return;
        }
    }

    // Each click script's mouse events: its own element's, else its mouse area's.
    void ResolveClickKinds() {
        for (size_t i = 0; i < scripts.size(); ++i) {
            if (scripts[i].role != kScriptClick) continue;
            auto own = kindsOf.find(clickPlaces[i].click);
            auto area = kindsOf.find(clickPlaces[i].area);
            if (own != kindsOf.end()) scripts[i].clickKinds = own->second;
            else if (area != kindsOf.end()) scripts[i].clickKinds = area->second;
        }
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
                    if (SameName(open.back().name, "ClickType")) AddClickKinds(pending.chars);
                    AddScript(pending, false, line);
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
        int id = elementsSeen++;
        // A definition counts wherever it is: in grouping elements, in a <Comment>, in another macro.
        bool definesMacro = SameName(name, "Macro");
        bool inComment = macro == kInComment || (macro >= 0 && macros[static_cast<size_t>(macro)].inComment);
        if (macro == kNoMacro && SameName(name, "Comment")) macro = kInComment;
        std::string macroName, event;
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
            if (definesMacro && (SameName(attribute, "Name") || SameName(attribute, "id"))) {
                macroName = Trimmed(value.chars);
                continue;
            }
            if (macro != kNoMacro || value.chars.empty()) continue;
            if (SameName(attribute, "Kind") && HoldsClickKinds(name)) kindsOf[id] = Trimmed(value.chars);
            if (SameName(attribute, "Event") && SameName(name, "Click")) event = Trimmed(value.chars);
            AddScript(value, true, line);
        }
        if (definesMacro) {
            macros.push_back({macroName, LinedText(), inComment});
            macro = static_cast<int>(macros.size()) - 1;
        }
        int mouseArea = -1;
        if (macro == kNoMacro) {
            if (SameName(name, "Area") || SameName(name, "MouseArea")) mouseArea = mouseAreas++;
            if ((SameName(name, "Visible") || SameName(name, "Visibility")) && !open.empty() &&
                SameName(open.back().name, "Element"))
                open.back().sawVisible = true;
        }
        bool empty = StartsWith("/>");
        Skip(empty ? 2 : 1);
        open.push_back({name, tagLine, macro, mouseArea, false, id});
        // A click that sends a key event is a click script of its own, before the click's code.
        if (!event.empty()) AddScript(LinedText(), false, tagLine, event);
        if (empty) open.pop_back();
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

}  // namespace

bool ReadGaugeXml(const std::string& text, GaugeXml* xml, ScriptProblem* problem) {
    XmlReader reader(text, problem);
    if (!reader.Read()) return false;
    reader.ResolveClickKinds();
    xml->scripts = std::move(reader.scripts);
    xml->macros = std::move(reader.macros);
    xml->newSchema = reader.newSchema;
    return true;
}
