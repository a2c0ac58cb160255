// What a WAV file that does not load holds, read from its header: the
// format its tag names, and a data size that only a streaming recorder writes.
#include "tools/panelhost/check/wav_format.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

namespace {

const uint32_t kStreamingPlaceholder = 0x7FFFF000;  // a recorder's data size before it knew the length
const uint16_t kTagPcm = 1;
const uint16_t kTagExtensible = 0xFFFE;

uint32_t Read32(const unsigned char* at) { return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24); }
uint16_t Read16(const unsigned char* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

const char* FormatName(uint16_t tag) {
    switch (tag) {
    case 0x0002: return "MS ADPCM";
    case 0x0003: return "32-bit float";
    case 0x0006: return "A-law";
    case 0x0007: return "\xC2\xB5-law";
    case 0x0011: return "IMA ADPCM";
    case 0x0022: return "TrueSpeech";
    case 0x0031: return "GSM 6.10";
    case 0x0050: return "MPEG";
    case 0x0055: return "MPEG Layer 3 (MP3)";
    case 0x0160:
    case 0x0161: return "Windows Media Audio";
    default: return nullptr;
    }
}

}  // namespace

std::string WavLoadAdvice(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return "";
    unsigned char head[4096];
    size_t size = fread(head, 1, sizeof head, file);
    fclose(file);
    if (size < 12 || memcmp(head, "RIFF", 4) != 0 || memcmp(head + 8, "WAVE", 4) != 0) return "";
    uint16_t tag = 0;
    bool haveFormat = false;
    uint32_t dataSize = 0;
    bool haveData = false;
    for (size_t at = 12; at + 8 <= size && !haveData;) {
        uint32_t chunkSize = Read32(head + at + 4);
        if (memcmp(head + at, "fmt ", 4) == 0 && at + 8 + 2 <= size) {
            tag = Read16(head + at + 8);
            haveFormat = true;
            // EXTENSIBLE names its format in the first two bytes of its sub-format GUID.
            if (tag == kTagExtensible && chunkSize >= 40 && at + 8 + 26 <= size) tag = Read16(head + at + 8 + 24);
        } else if (memcmp(head + at, "data", 4) == 0) {
            dataSize = chunkSize;
            haveData = true;
        }
        if (chunkSize > size) break;
        at += 8 + chunkSize + (chunkSize & 1);
    }
    char text[512];
    if (haveFormat && tag != kTagPcm && tag != 0x0003) {
        const char* name = FormatName(tag);
        snprintf(text, sizeof text,
                 "the file is %s (format tag 0x%04X), a compressed format the module cannot play (\"Not implemented\", "
                 "0x80004001); convert it to 16-bit PCM, for example: sox \"in.wav\" -b 16 -e signed-integer \"out.wav\"",
                 name != nullptr ? name : "compressed", tag);
        return text;
    }
    if (haveData && dataSize == kStreamingPlaceholder)
        return "its data chunk declares 0x7FFFF000 bytes, the placeholder of a streaming recorder that never wrote "
               "the real length: the module refuses it however short the file; rewrite the file, for example: "
               "sox \"in.wav\" \"out.wav\"";
    return "";
}
