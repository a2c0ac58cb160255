// What a WAV file holds, read from its chunks, and the picture of its samples.
#include "tools/panelhost/check/wav_info.h"

#include <stdio.h>
#include <string.h>

namespace {

const uint16_t kTagExtensible = 0xFFFE;
const int kMaxChunks = 4096;       // a file of more chunks than this is not walked to its end
const size_t kReadBlock = 64 * 1024;

uint32_t Read32(const unsigned char* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}
uint16_t Read16(const unsigned char* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

// Closes the file whatever way the reading ends.
struct OpenFile {
    FILE* file;
    explicit OpenFile(const std::string& path) : file(fopen(path.c_str(), "rb")) {}
    ~OpenFile() {
        if (file != nullptr) fclose(file);
    }
};

// The data a file really holds, however much its chunk declares.
uint64_t DataHeld(const WavInfo& info) {
    if (!info.haveData || info.dataOffset > info.fileSize) return 0;
    uint64_t held = info.fileSize - info.dataOffset;
    return info.dataSize < held ? info.dataSize : held;
}

}  // namespace

const char* WavTagName(uint16_t tag) {
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

WavInfo ReadWavInfo(const std::string& path) {
    WavInfo info;
    OpenFile open(path);
    if (open.file == nullptr) return info;
    info.opened = true;
    if (_fseeki64(open.file, 0, SEEK_END) != 0) return info;
    long long end = _ftelli64(open.file);
    info.fileSize = end > 0 ? static_cast<uint64_t>(end) : 0;
    unsigned char head[12];
    if (_fseeki64(open.file, 0, SEEK_SET) != 0 || fread(head, 1, sizeof head, open.file) != sizeof head) return info;
    if (memcmp(head, "RIFF", 4) != 0 || memcmp(head + 8, "WAVE", 4) != 0) return info;
    info.riff = true;
    uint64_t at = 12;
    for (int chunk = 0; chunk < kMaxChunks && at + 8 <= info.fileSize && !info.haveData; ++chunk) {
        unsigned char header[8 + 40];
        if (_fseeki64(open.file, static_cast<long long>(at), SEEK_SET) != 0) break;
        size_t got = fread(header, 1, sizeof header, open.file);
        if (got < 8) break;
        uint32_t size = Read32(header + 4);
        if (memcmp(header, "fmt ", 4) == 0 && got >= 8 + 16 && size >= 16) {
            info.haveFormat = true;
            info.tag = Read16(header + 8);
            info.channels = Read16(header + 10);
            info.rate = Read32(header + 12);
            info.byteRate = Read32(header + 16);
            info.blockAlign = Read16(header + 20);
            info.bits = Read16(header + 22);
            // EXTENSIBLE names its format in the first two bytes of its sub-format GUID.
            if (info.tag == kTagExtensible && size >= 40 && got >= 8 + 26) info.tag = Read16(header + 8 + 24);
        } else if (memcmp(header, "data", 4) == 0) {
            info.haveData = true;
            info.dataSize = size;
            info.dataOffset = at + 8;
        }
        at += 8 + static_cast<uint64_t>(size) + (size & 1);
    }
    return info;
}

std::string WavFormatName(const WavInfo& info) {
    if (!info.haveFormat) return "no format chunk";
    if (info.tag == kWavTagPcm) return "PCM " + std::to_string(info.bits) + "-bit";
    const char* name = WavTagName(info.tag);
    if (name != nullptr) return name;
    char text[48];
    snprintf(text, sizeof text, "format tag 0x%04X", info.tag);
    return text;
}

double WavSeconds(const WavInfo& info) {
    if (!info.haveFormat || !info.haveData) return -1;
    uint64_t held = DataHeld(info);
    if (info.tag == kWavTagPcm && info.blockAlign > 0 && info.rate > 0)
        return static_cast<double>(held / info.blockAlign) / info.rate;
    if (info.byteRate > 0) return static_cast<double>(held) / info.byteRate;
    return -1;
}

bool WavPeaks(const std::string& path, const WavInfo& info, size_t columns, std::vector<float>* lows,
              std::vector<float>* highs) {
    if (!info.haveFormat || !info.haveData || info.tag != kWavTagPcm || (info.bits != 8 && info.bits != 16) ||
        info.channels == 0 || columns == 0)
        return false;
    size_t sampleBytes = info.bits / 8;
    size_t frameBytes = sampleBytes * info.channels;
    uint64_t frames = DataHeld(info) / frameBytes;
    if (frames == 0) return false;
    if (frames < columns) columns = static_cast<size_t>(frames);
    OpenFile open(path);
    if (open.file == nullptr || _fseeki64(open.file, static_cast<long long>(info.dataOffset), SEEK_SET) != 0) return false;
    lows->assign(columns, 1.0f);
    highs->assign(columns, -1.0f);
    std::vector<unsigned char> block(kReadBlock - kReadBlock % frameBytes);
    uint64_t frame = 0;
    while (frame < frames) {
        uint64_t wanted = (frames - frame) * frameBytes;
        size_t got = fread(block.data(), 1, wanted < block.size() ? static_cast<size_t>(wanted) : block.size(), open.file);
        size_t blockFrames = got / frameBytes;
        if (blockFrames == 0) break;
        for (size_t f = 0; f < blockFrames; ++f, ++frame) {
            size_t column = static_cast<size_t>(frame * columns / frames);
            const unsigned char* at = block.data() + f * frameBytes;
            for (size_t c = 0; c < info.channels; ++c, at += sampleBytes) {
                // 8-bit samples are unsigned around 128, 16-bit ones signed.
                float sample = sampleBytes == 1 ? (at[0] - 128) / 128.0f
                                                : static_cast<int16_t>(Read16(at)) / 32768.0f;
                if (sample < (*lows)[column]) (*lows)[column] = sample;
                if (sample > (*highs)[column]) (*highs)[column] = sample;
            }
        }
    }
    if (frame == 0) return false;
    // Columns the data never reached (a file shorter than it says) stay flat.
    for (size_t column = 0; column < columns; ++column)
        if ((*lows)[column] > (*highs)[column]) (*lows)[column] = (*highs)[column] = 0;
    return true;
}
