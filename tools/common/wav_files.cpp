#include "tools/common/wav_files.h"

#include <math.h>
#include <stdio.h>

namespace {

void Le(std::vector<uint8_t>* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> ToneSamples(const WavLayout& layout, uint32_t frames) {
    std::vector<uint8_t> samples;
    for (uint32_t frame = 0; frame < frames; ++frame) {
        double level = sin(2.0 * 3.14159265358979 * 440.0 * frame / layout.rate) * 0.5;
        for (int channel = 0; channel < layout.channels; ++channel) {
            if (layout.bits == 8) samples.push_back(static_cast<uint8_t>(128 + level * 127));
            else Le(&samples, static_cast<uint32_t>(static_cast<int32_t>(level * 32767)), layout.bits / 8);
        }
    }
    return samples;
}

bool WriteWav(const std::string& path, const WavLayout& layout, const std::vector<uint8_t>& samples,
              int64_t declaredDataSize) {
    std::vector<uint8_t> fmt;
    uint16_t block = static_cast<uint16_t>(layout.channels * layout.bits / 8);
    Le(&fmt, layout.tag, 2), Le(&fmt, layout.channels, 2), Le(&fmt, layout.rate, 4);
    Le(&fmt, layout.rate * block, 4), Le(&fmt, block, 2), Le(&fmt, layout.bits, 2);
    fmt.insert(fmt.end(), layout.extra.begin(), layout.extra.end());

    std::vector<uint8_t> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    Le(&file, static_cast<uint32_t>(fmt.size()), 4);
    file.insert(file.end(), fmt.begin(), fmt.end());
    if (fmt.size() % 2) file.push_back(0);
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    Le(&file, declaredDataSize < 0 ? static_cast<uint32_t>(samples.size()) : static_cast<uint32_t>(declaredDataSize), 4);
    file.insert(file.end(), samples.begin(), samples.end());
    if (samples.size() % 2) file.push_back(0);
    uint32_t riffSize = static_cast<uint32_t>(file.size() - 8);
    for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));

    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
    return fclose(out) == 0 && written;
}

bool WriteTone(const std::string& path, double seconds) {
    WavLayout layout;
    return WriteWav(path, layout, ToneSamples(layout, static_cast<uint32_t>(seconds * layout.rate)));
}

bool WriteSquareWav(const std::string& path, uint32_t dataBytes) {
    std::vector<uint8_t> samples(dataBytes & ~3u);  // whole stereo frames
    for (size_t i = 0; i < samples.size(); i += 2) {
        uint16_t level = (i / 200) % 2 != 0 ? 0x0400 : 0xFC00;
        samples[i] = static_cast<uint8_t>(level & 0xFF);
        samples[i + 1] = static_cast<uint8_t>(level >> 8);
    }
    return WriteWav(path, WavLayout(), samples);
}
