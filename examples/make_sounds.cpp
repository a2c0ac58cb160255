// Writes the example aircraft's sounds into a folder: a two-note chime, an
// engine hum that loops without a seam, and a switch click. Run at build time.
#include <math.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/common/wav_files.h"

namespace {

const double kPi = 3.14159265358979;
const uint32_t kRate = 22050;

typedef double (*Signal)(double seconds);

// A struck bell note: a few inharmonic partials, each dying away.
double Bell(double t, double pitch) {
    if (t < 0) return 0;
    const double partials[][3] = {{1.0, 1.0, 2.2}, {2.76, 0.45, 4.5}, {5.40, 0.2, 7.0}};
    double sum = 0;
    for (const auto& p : partials) sum += p[1] * exp(-p[2] * t) * sin(2 * kPi * pitch * p[0] * t);
    return sum * (t < 0.004 ? t / 0.004 : 1.0);
}

double Chime(double t) { return 0.4 * (Bell(t, 659.25) + Bell(t - 0.45, 523.25)); }

// 45 Hz and its harmonics, throbbing 9 times a second: whole cycles in one
// second, so the file loops without a click.
double Engine(double t) {
    double sum = 0;
    for (int k = 1; k <= 12; ++k) sum += sin(2 * kPi * 45.0 * k * t + k * 0.7) / k;
    return 0.28 * sum * (1.0 + 0.2 * sin(2 * kPi * 9.0 * t));
}

double Click(double t) {
    static uint32_t noise = 12345;
    noise = noise * 1103515245u + 12345u;
    double hiss = static_cast<double>((noise >> 16) & 0x7FFF) / 16384.0 - 1.0;
    return exp(-t * 120.0) * (0.6 * sin(2 * kPi * 2200.0 * t) + 0.4 * hiss);
}

bool Write(const std::string& path, Signal signal, double seconds) {
    WavLayout layout;  // 22050 Hz, 16-bit stereo
    std::vector<uint8_t> samples;
    uint32_t frames = static_cast<uint32_t>(seconds * kRate);
    for (uint32_t i = 0; i < frames; ++i) {
        double level = signal(static_cast<double>(i) / kRate);
        if (level > 1) level = 1;
        if (level < -1) level = -1;
        int16_t sample = static_cast<int16_t>(level * 32767);
        for (int channel = 0; channel < layout.channels; ++channel) {
            samples.push_back(static_cast<uint8_t>(sample & 0xFF));
            samples.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
        }
    }
    if (WriteWav(path, layout, samples)) return true;
    fprintf(stderr, "make_sounds: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_sounds FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    bool ok = Write(folder + "/chime.wav", Chime, 1.6);
    ok = Write(folder + "/engine.wav", Engine, 1.0) && ok;
    ok = Write(folder + "/click.wav", Click, 0.06) && ok;
    return ok ? 0 : 1;
}
