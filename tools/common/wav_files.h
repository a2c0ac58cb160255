// WAV files written by the tests, the examples, the benchmark and the
// fuzzer: a tone in a chosen PCM layout, or any header a test wants to try
// on DirectSound.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct WavLayout {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    std::vector<uint8_t> extra;  // cbSize and extra bytes, written when not empty
};

// The sample bytes of `frames` frames of a 440 Hz tone in that layout.
std::vector<uint8_t> ToneSamples(const WavLayout& layout, uint32_t frames);
// Writes a RIFF/WAVE file; `declaredDataSize` overrides the "data" size when
// not negative. Returns false when the file cannot be written.
bool WriteWav(const std::string& path, const WavLayout& layout, const std::vector<uint8_t>& samples,
              int64_t declaredDataSize = -1);
// A tone of `seconds` in the default layout (22050 Hz, 16-bit stereo).
bool WriteTone(const std::string& path, double seconds);
// A quiet square wave in the default layout whose samples take DATABYTES,
// cut to whole stereo frames.
bool WriteSquareWav(const std::string& path, uint32_t dataBytes);
