#include "tools/fuzz/mutate.h"

#include <stdio.h>

#include <algorithm>

namespace fuzz {

uint64_t Random::Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint32_t Random::Below(uint32_t bound) { return bound == 0 ? 0 : static_cast<uint32_t>(Next() % bound); }

bool Random::OneIn(uint32_t n) { return Below(n) == 0; }

uint64_t CaseSeed(uint64_t runSeed, uint64_t index) {
    Random mix = {runSeed * 0x100000001B3ull ^ index};
    return mix.Next();
}

namespace {

template <typename T, size_t N>
T Pick(Random* random, const T (&values)[N]) {
    return values[random->Below(N)];
}

void PutLe(Bytes* bytes, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width && at + i < bytes->size(); ++i) (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void AppendLe(Bytes* bytes, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::string Hex(uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "0x%X", value);
    return text;
}

struct Chunk {
    std::string id;  // four characters
    Bytes payload;
};

struct Layout {
    uint16_t tag, channels;
    uint32_t rate;
    uint16_t bits;
    uint16_t extra;  // cbSize: 0 writes no count word unless the fmt chunk is 18 bytes
    const char* name;
};

// The sample layouts the bases are made in: PCM of every whole-byte size,
// float, the extensible form and a compressed format.
const Layout kLayouts[] = {
    {1, 1, 22050, 8, 0, "pcm8 mono"},        {1, 2, 44100, 16, 0, "pcm16 stereo"},
    {1, 1, 11025, 16, 0, "pcm16 mono"},      {1, 2, 48000, 24, 0, "pcm24 stereo"},
    {1, 2, 8000, 32, 0, "pcm32 stereo"},     {3, 2, 22050, 32, 0, "float32 stereo"},
    {0xFFFE, 2, 44100, 16, 22, "extensible"}, {2, 1, 22050, 4, 32, "adpcm mono"},
};

Bytes FormatPayload(const Layout& layout, bool withCountWord) {
    Bytes fmt;
    uint16_t block = static_cast<uint16_t>(layout.channels * ((layout.bits + 7) / 8));
    AppendLe(&fmt, layout.tag, 2), AppendLe(&fmt, layout.channels, 2), AppendLe(&fmt, layout.rate, 4);
    AppendLe(&fmt, layout.rate * block, 4), AppendLe(&fmt, block, 2), AppendLe(&fmt, layout.bits, 2);
    if (layout.extra > 0 || withCountWord) {
        AppendLe(&fmt, layout.extra, 2);
        for (int i = 0; i < layout.extra; ++i) fmt.push_back(static_cast<uint8_t>(i == 0 ? layout.bits : i));
    }
    return fmt;
}

std::vector<Chunk> BaseChunks(Random* random, std::string* recipe) {
    const Layout& layout = kLayouts[random->Below(sizeof kLayouts / sizeof kLayouts[0])];
    uint32_t frames = 16 + random->Below(1200);
    bool countWord = random->OneIn(3);
    std::vector<Chunk> chunks;
    chunks.push_back({"fmt ", FormatPayload(layout, countWord)});
    Bytes samples(frames * layout.channels * ((layout.bits + 7) / 8));
    for (uint8_t& b : samples) b = static_cast<uint8_t>(random->Next());
    chunks.push_back({"data", samples});
    if (random->OneIn(3)) chunks.insert(chunks.begin() + random->Below(3), Chunk{"LIST", Bytes(5 + random->Below(40), 'i')});
    *recipe = std::string(layout.name) + ", " + std::to_string(frames) + " frames" + (countWord ? ", count word" : "");
    return chunks;
}

// Format fields and the values that break readers and mixers.
void MutateFormatField(Random* random, std::vector<Chunk>* chunks, std::string* recipe) {
    struct Field {
        size_t at;
        int width;
        const char* name;
    };
    const Field fields[] = {{0, 2, "tag"},         {2, 2, "channels"},    {4, 4, "rate"}, {8, 4, "bytes/s"},
                            {12, 2, "block align"}, {14, 2, "bits"},       {16, 2, "cbSize"}};
    const uint32_t values[] = {0,  1,  2,  3,  4,   7,   8,   12,    16,    17,     24,     32,     40,         48,
                               64, 99, 100, 0xFF, 0xFFFE, 0xFFFF, 200000, 200001, 0x7FFFFFFF, 0xFFFFFFFF};
    for (Chunk& chunk : *chunks) {
        if (chunk.id != "fmt ") continue;
        if (chunk.payload.size() >= 16 && random->OneIn(3)) {
            // Another sample size with the block align and byte rate to match,
            // so that the format is consistent and reaches the mixer.
            const uint16_t sizes[] = {0, 4, 12, 20, 40, 48, 56, 64, 128};
            uint16_t bits = Pick(random, sizes);
            uint16_t channels = static_cast<uint16_t>(chunk.payload[2] | chunk.payload[3] << 8);
            uint32_t rate = static_cast<uint32_t>(chunk.payload[4] | chunk.payload[5] << 8 | chunk.payload[6] << 16 |
                                                  static_cast<uint32_t>(chunk.payload[7]) << 24);
            uint32_t block = channels * ((bits + 7u) / 8u);
            PutLe(&chunk.payload, 8, rate * block, 4);
            PutLe(&chunk.payload, 12, block, 2);
            PutLe(&chunk.payload, 14, bits, 2);
            *recipe += "; " + std::to_string(bits) + "-bit samples, block align " + std::to_string(block);
            return;
        }
        Field field = Pick(random, fields);
        uint32_t value = Pick(random, values);
        if (field.at + field.width > chunk.payload.size()) chunk.payload.resize(field.at + field.width, 0);
        PutLe(&chunk.payload, field.at, value, field.width);
        *recipe += std::string("; ") + field.name + "=" + Hex(value);
        return;
    }
}

void MutateChunkOrder(Random* random, std::vector<Chunk>* chunks, std::string* recipe) {
    switch (random->Below(5)) {
        case 0:
            std::reverse(chunks->begin(), chunks->end());
            *recipe += "; chunks reversed";
            break;
        case 1:
            if (!chunks->empty()) {
                size_t at = random->Below(static_cast<uint32_t>(chunks->size()));
                *recipe += "; " + (*chunks)[at].id + " dropped";
                chunks->erase(chunks->begin() + at);
            }
            break;
        case 2:
            if (!chunks->empty()) {
                size_t at = random->Below(static_cast<uint32_t>(chunks->size()));
                *recipe += "; " + (*chunks)[at].id + " twice";
                chunks->insert(chunks->begin() + at, (*chunks)[at]);
            }
            break;
        case 3: {
            Bytes junk(random->Below(64), 0);
            for (uint8_t& b : junk) b = static_cast<uint8_t>(random->Next());
            chunks->insert(chunks->begin() + random->Below(static_cast<uint32_t>(chunks->size() + 1)),
                           Chunk{"JUNK", junk});
            *recipe += "; junk chunk of " + std::to_string(junk.size());
            break;
        }
        default:
            if (!chunks->empty()) {
                Chunk& chunk = (*chunks)[random->Below(static_cast<uint32_t>(chunks->size()))];
                *recipe += "; " + chunk.id + " renamed";
                const std::string ids[] = {"FMT ", std::string("fmt\0", 4), "DATA", "dat ", "RIFF", "WAVE"};
                chunk.id = Pick(random, ids);
            }
            break;
    }
}

// The file with sizes as declared; `sizeFields` gets where each size sits.
Bytes Serialize(const std::vector<Chunk>& chunks, const char* form, std::vector<size_t>* sizeFields) {
    Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(form[i]));
    sizeFields->push_back(4);
    for (const Chunk& chunk : chunks) {
        std::string id = chunk.id;
        id.resize(4, '\0');
        file.insert(file.end(), id.begin(), id.end());
        sizeFields->push_back(file.size());
        AppendLe(&file, static_cast<uint32_t>(chunk.payload.size()), 4);
        file.insert(file.end(), chunk.payload.begin(), chunk.payload.end());
        if (chunk.payload.size() % 2) file.push_back(0);
    }
    PutLe(&file, 4, static_cast<uint32_t>(file.size() - 8), 4);
    return file;
}

void MutateBytes(Random* random, Bytes* file, const std::vector<size_t>& sizeFields, std::string* recipe) {
    switch (random->Below(4)) {
        case 0: {  // a chunk size at a boundary
            const uint32_t sizes[] = {0, 1, 2, 14, 15, 16, 17, 18, 0x7FFFFFFF, 0x80000000, 0xFFFFFFF8, 0xFFFFFFFE,
                                      0xFFFFFFFF};
            size_t at = sizeFields[random->Below(static_cast<uint32_t>(sizeFields.size()))];
            uint32_t value = random->OneIn(3) ? static_cast<uint32_t>(random->Below(0x10000)) : Pick(random, sizes);
            PutLe(file, at, value, 4);
            *recipe += "; size at " + std::to_string(at) + "=" + Hex(value);
            break;
        }
        case 1: {  // byte flips, mostly in the headers
            int flips = 1 + random->Below(8);
            for (int i = 0; i < flips && !file->empty(); ++i) {
                uint32_t span = random->OneIn(4) ? static_cast<uint32_t>(file->size()) : 64;
                size_t at = random->Below(std::min<uint32_t>(span, static_cast<uint32_t>(file->size())));
                (*file)[at] ^= static_cast<uint8_t>(1 + random->Below(255));
            }
            *recipe += "; " + std::to_string(flips) + " bytes flipped";
            break;
        }
        case 2: {  // cut short, mostly in the headers
            uint32_t span = random->OneIn(2) ? 64 : static_cast<uint32_t>(file->size());
            size_t length = random->Below(std::min<uint32_t>(span, static_cast<uint32_t>(file->size())));
            file->resize(length);
            *recipe += "; cut to " + std::to_string(length);
            break;
        }
        default: {  // bytes inserted or taken out
            size_t at = random->Below(static_cast<uint32_t>(file->size() + 1));
            size_t count = 1 + random->Below(8);
            if (random->OneIn(2)) {
                for (size_t i = 0; i < count; ++i)
                    file->insert(file->begin() + at, static_cast<uint8_t>(random->Next()));
                *recipe += "; " + std::to_string(count) + " bytes inserted at " + std::to_string(at);
            } else {
                count = std::min(count, file->size() - at);
                file->erase(file->begin() + at, file->begin() + at + count);
                *recipe += "; " + std::to_string(count) + " bytes taken out at " + std::to_string(at);
            }
            break;
        }
    }
}

}  // namespace

Case MakeWavCase(uint64_t caseSeed) {
    Random random = {caseSeed};
    Case result;
    std::vector<Chunk> chunks = BaseChunks(&random, &result.recipe);
    // Most cases get one to three changes, so that each kind is met on its
    // own as well as with others; about one in five stays valid.
    int structural = random.Below(3);
    for (int i = 0; i < structural; ++i) {
        if (random.OneIn(2)) MutateFormatField(&random, &chunks, &result.recipe);
        else MutateChunkOrder(&random, &chunks, &result.recipe);
    }
    std::vector<size_t> sizeFields;
    const char* form = random.OneIn(40) ? "WAVf" : "WAVE";
    if (form[3] != 'E') result.recipe += "; form type WAVf";
    result.bytes = Serialize(chunks, form, &sizeFields);
    int byteLevel = (random.OneIn(3) ? 1 : 0) + (random.OneIn(6) ? 1 : 0);
    for (int i = 0; i < byteLevel; ++i) MutateBytes(&random, &result.bytes, sizeFields, &result.recipe);
    return result;
}

std::string CommandName(int slot) {
    char name[32];
    snprintf(name, sizeof name, "fz_cmd_%02d", slot);
    return name;
}

namespace {

struct Line {
    std::string key;  // empty for a section header or a bare line
    std::string value;
    std::string text;  // the line as written when key is empty
};

std::vector<Line> BaseIni(const std::string& soundFile) {
    std::vector<Line> lines;
    lines.push_back({"", "", "[Config]"});
    lines.push_back({"MaxSounds", std::to_string(kIniSlots), ""});
    lines.push_back({"ErrorFlag", "-7", ""});
    const char* names[] = {"VolumeVarIn",  "PanVarIn",  "VolumeVarOut", "PanVarOut",
                           "VolumePlayed", "PanPlayed", "LoopPlayed",   "LoopOut"};
    for (const char* name : names) lines.push_back({name, std::string("fz_") + name, ""});
    lines.push_back({"GlobalCommands", "fz_globals", ""});
    lines.push_back({"", "", "[Sounds]"});
    const char* volumes[] = {"", ",50", ",-2000", ", 0.5e2"};
    const char* prefixes[] = {"", "\\", ".\\..\\", ""};
    for (int i = 0; i < kIniSlots; ++i) {
        char key[16];
        snprintf(key, sizeof key, "Sound%02d", i);
        lines.push_back({key, std::string(prefixes[i]) + soundFile + volumes[i], ""});
    }
    lines.push_back({"", "", "[LVars]"});
    for (int i = 0; i < kIniSlots; ++i) {
        char key[16];
        snprintf(key, sizeof key, "Lvar%02d", i);
        lines.push_back({key, CommandName(i), ""});
    }
    return lines;
}

std::string RandomText(Random* random, size_t length, bool anyByte) {
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        char c = anyByte ? static_cast<char>(random->Next()) : static_cast<char>(' ' + random->Below(95));
        text.push_back(c);
    }
    return text;
}

void MutateKey(Random* random, std::vector<Line>* lines, std::string* recipe) {
    Line& line = (*lines)[random->Below(static_cast<uint32_t>(lines->size()))];
    switch (random->Below(6)) {
        case 0:
            for (char& c : line.key) c = static_cast<char>(c ^ 0x20 * ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'));
            *recipe += "; key case swapped";
            break;
        case 1:
            line.key = RandomText(random, 1 + random->Below(20), false);
            *recipe += "; key renamed";
            break;
        case 2:
            line.key = std::string(100 + random->Below(5000), 'k');
            *recipe += "; key of " + std::to_string(line.key.size());
            break;
        case 3:
            lines->push_back(line);
            *recipe += "; line repeated at the end";
            break;
        case 4:
            line.text = line.key.empty() ? line.text.substr(0, line.text.size() / 2) : line.key + line.value;
            line.key.clear();
            *recipe += "; line broken";
            break;
        default:
            lines->insert(lines->begin() + random->Below(static_cast<uint32_t>(lines->size())),
                          Line{"", "", "[" + RandomText(random, random->Below(300), false) + "]"});
            *recipe += "; section inserted";
            break;
    }
}

void MutateValue(Random* random, std::vector<Line>* lines, std::string* recipe) {
    const char* values[] = {"",     "0",   "-1",     "1",     "99",    "1000",   "1001", "99999999999", "-2147483649",
                            "0x32", "inf", "-nan",   "1e308", "1e-9",  ",",      ",,,",  "a,b,c",       "..\\..\\x.wav",
                            "C:",   "\\",  "/",      ".",     "%s%n%x", "\"q\"", " 12 ", "\t-3",        "+5"};
    Line& line = (*lines)[random->Below(static_cast<uint32_t>(lines->size()))];
    if (line.key.empty()) return;
    switch (random->Below(4)) {
        case 0:
            line.value = Pick(random, values);
            break;
        case 1:
            line.value += "," + std::string(Pick(random, values));
            break;
        case 2:
            line.value = std::string(random->OneIn(2) ? 120 + random->Below(20) : 200 + random->Below(5000), 'v');
            break;
        default:
            line.value = RandomText(random, random->Below(200), random->OneIn(2));
            break;
    }
    *recipe += "; " + line.key.substr(0, 16) + " value of " + std::to_string(line.value.size());
}

std::string Join(const std::vector<Line>& lines, const char* newline) {
    std::string text;
    for (const Line& line : lines) text += (line.key.empty() ? line.text : line.key + "=" + line.value) + newline;
    return text;
}

// UTF-16LE with its byte-order mark; bytes above 0x7F are taken as Latin-1.
Bytes Utf16(const std::string& text) {
    Bytes bytes = {0xFF, 0xFE};
    for (unsigned char c : text) bytes.push_back(c), bytes.push_back(0);
    return bytes;
}

}  // namespace

Case MakeIniCase(uint64_t caseSeed, const std::string& soundFile) {
    Random random = {caseSeed};
    Case result;
    std::vector<Line> lines = BaseIni(soundFile);
    int changes = random.Below(4);
    for (int i = 0; i < changes; ++i) {
        if (random.OneIn(2)) MutateKey(&random, &lines, &result.recipe);
        else MutateValue(&random, &lines, &result.recipe);
    }
    const char* newline = Pick(&random, {"\n", "\r\n", "\r\n", "\r", "\n\n"});
    std::string text = Join(lines, newline);
    switch (random.Below(8)) {
        case 0:
            result.bytes = Utf16(text);
            result.recipe += "; UTF-16";
            break;
        case 1:
            text = "\xEF\xBB\xBF" + text;
            result.recipe += "; UTF-8 mark";
            break;
        case 2: {
            size_t at = random.Below(static_cast<uint32_t>(text.size()));
            text.insert(at, 1 + random.Below(3), random.OneIn(2) ? '\0' : static_cast<char>(0x80 + random.Below(128)));
            result.recipe += "; odd bytes at " + std::to_string(at);
            break;
        }
        case 3:
            text.resize(random.Below(static_cast<uint32_t>(text.size())));
            result.recipe += "; cut to " + std::to_string(text.size());
            break;
        default:
            break;
    }
    if (result.bytes.empty()) result.bytes.assign(text.begin(), text.end());
    if (result.recipe.empty()) result.recipe = "; unchanged";
    result.recipe = "newline " + std::to_string(newline[0] == '\r' ? (newline[1] ? 2 : 1) : 0) + result.recipe;
    return result;
}

}  // namespace fuzz
