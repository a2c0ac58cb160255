// What a WAV file holds, read from its chunks: the format, the rate, the
// channels and the length, and for 8- and 16-bit PCM a picture of its samples.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct WavInfo {
    bool opened = false;      // the file could be opened
    bool riff = false;        // a RIFF WAVE file
    bool haveFormat = false;  // with a "fmt " chunk
    bool haveData = false;    // and a "data" chunk
    uint16_t tag = 0;         // format tag; WAVE_FORMAT_EXTENSIBLE's sub-format in its place
    uint16_t channels = 0;
    uint32_t rate = 0;        // frames per second
    uint32_t byteRate = 0;    // bytes per second, as the header says
    uint16_t blockAlign = 0;  // bytes per frame
    uint16_t bits = 0;        // per sample
    uint32_t dataSize = 0;    // as the data chunk declares it
    uint64_t dataOffset = 0;  // of the data chunk's first byte
    uint64_t fileSize = 0;
};

const uint16_t kWavTagPcm = 1;
const uint16_t kWavTagFloat = 3;
const uint32_t kWavStreamingPlaceholder = 0x7FFFF000;  // a recorder's data size before it knew the length

// Reads the chunks of the WAV file at PATH; INFO says how far it got.
WavInfo ReadWavInfo(const std::string& path);
// The name of a format tag other than PCM, null when unknown.
const char* WavTagName(uint16_t tag);
// The format's name: "PCM 16-bit", "32-bit float", "IMA ADPCM", ...
std::string WavFormatName(const WavInfo& info);
// The length in seconds of the data the file holds; negative when unknown.
double WavSeconds(const WavInfo& info);
// The lowest and highest sample (-1 to 1, all channels) of each of COLUMNS
// equal stretches (fewer for a file of fewer frames) of an 8- or 16-bit
// PCM file; false for other formats or when the data cannot be read.
bool WavPeaks(const std::string& path, const WavInfo& info, size_t columns, std::vector<float>* lows,
              std::vector<float>* highs);
