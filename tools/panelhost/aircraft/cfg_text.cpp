// The check's text files: aircraft.cfg, panel.cfg and the sound INI, read
// whole and split into sections, whatever an aircraft downloaded from
// anywhere holds.
#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include <windows.h>

#include "tools/panelhost/aircraft/cfg_text.h"
#include "tools/panelhost/common/names.h"

namespace {

const size_t kMaxTextBytes = 4 * 1024 * 1024;  // far above any real panel.cfg or INI; named in TextStateMeaning

// Text holds no NUL byte and few other control characters.
bool LooksLikeText(const std::string& text) {
    size_t controls = 0;
    for (unsigned char c : text) {
        if (c == 0) return false;
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f') ++controls;
    }
    return controls * 20 <= text.size();
}

// UTF-16 without a byte-order mark: ASCII text with every other byte 0.
bool LooksLikeUnmarkedUtf16(const std::string& text) {
    if (text.size() < 4) return false;
    size_t zeros[2] = {0, 0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\0') ++zeros[i % 2];
    size_t half = text.size() / 2;
    return (zeros[0] * 10 >= half * 9 && zeros[1] == 0) || (zeros[1] * 10 >= half * 9 && zeros[0] == 0);
}

// UTF-16 text after its byte-order mark, in the system's ANSI code page, as
// the simulator's and the module's profile reading hands it on.
void Utf16ToAnsi(std::string* text) {
    bool little = text->compare(0, 2, "\xFF\xFE") == 0;
    std::wstring wide;
    for (size_t i = 2; i + 1 < text->size(); i += 2) {
        unsigned char first = static_cast<unsigned char>((*text)[i]), second = static_cast<unsigned char>((*text)[i + 1]);
        wide.push_back(static_cast<wchar_t>(little ? first | (second << 8) : (first << 8) | second));
    }
    text->clear();
    if (wide.empty()) return;
    int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return;
    text->assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &(*text)[0], size, nullptr, nullptr);
}

// The line without its comment.
std::string WithoutComment(const std::string& line, bool cfgComments) {
    if (!cfgComments) return Trimmed(line).compare(0, 1, ";") == 0 ? std::string() : line;
    size_t cut = std::min(line.find("//"), line.find(';'));
    return cut == std::string::npos ? line : line.substr(0, cut);
}

}  // namespace

TextState ReadTextFile(const std::string& path, std::string* text) {
    text->clear();
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return kTextMissing;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return kTextFolder;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return kTextUnreadable;
    char chunk[65536];
    size_t got;
    bool tooLarge = false;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (text->size() + got > kMaxTextBytes) {
            tooLarge = true;
            break;
        }
        text->append(chunk, got);
    }
    bool failed = ferror(file) != 0;
    fclose(file);
    if (tooLarge) return kTextTooLarge;
    if (failed) return kTextUnreadable;
    if (text->compare(0, 3, "\xEF\xBB\xBF") == 0) text->erase(0, 3);
    if (text->compare(0, 2, "\xFF\xFE") == 0 || text->compare(0, 2, "\xFE\xFF") == 0) Utf16ToAnsi(text);
    else if (LooksLikeUnmarkedUtf16(*text)) return kTextUtf16;
    if (Trimmed(*text).empty()) return kTextEmpty;
    return LooksLikeText(*text) ? kTextOk : kTextBinary;
}

const char kTextEncodingRule[] =
    "save it as ANSI (the system's code page, Windows-1252 on a western system) or as UTF-16 with a byte-order "
    "mark (Notepad's \"Unicode\"); UTF-8 reads the same only while it holds nothing beyond ASCII";

std::string TextStateMeaning(TextState state) {
    switch (state) {
    case kTextOk: return "is text";
    case kTextMissing: return "does not exist";
    case kTextFolder: return "is a folder, not a file";
    case kTextEmpty: return "is empty";
    case kTextBinary: return "is not a text file";
    case kTextUtf16:
        return std::string("is saved as UTF-16 without a byte-order mark, which is read as ANSI text and found empty; ") +
               kTextEncodingRule;
    case kTextTooLarge: return "is larger than 4 MB, far more than any such file holds";
    default: return "cannot be read";
    }
}

std::vector<CfgSection> ParseCfg(const std::string& text, bool cfgComments) {
    std::vector<CfgSection> sections;
    size_t begin = 0;
    int lineNumber = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        ++lineNumber;
        std::string line = Trimmed(WithoutComment(text.substr(begin, end - begin), cfgComments));
        begin = end + 1;
        if (line.empty()) continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            sections.push_back({Trimmed(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)),
                                lineNumber, {}});
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos || sections.empty()) continue;
        sections.back().entries.push_back(
            {Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)), lineNumber});
    }
    return sections;
}

const CfgSection* FindSection(const std::vector<CfgSection>& sections, const char* name) {
    for (const CfgSection& section : sections)
        if (SameName(section.name, name)) return &section;
    return nullptr;
}

const CfgEntry* FindEntry(const CfgSection* section, const std::string& key) {
    if (section == nullptr) return nullptr;
    for (const CfgEntry& entry : section->entries)
        if (SameName(entry.key, key)) return &entry;
    return nullptr;
}
