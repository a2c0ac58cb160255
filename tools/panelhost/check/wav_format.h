// What a WAV file that does not load holds, read from its header.
#pragma once

#include <string>

// Why a WAV file that does not load cannot, read from its header (a
// compressed format, a streaming recorder's data size) and how to make it
// playable; "" when its header shows nothing wrong.
std::string WavLoadAdvice(const std::string& path);
