// What a WAV file that does not load holds, read from its header: the
// format its tag names, and a data size that only a streaming recorder writes.
#include "tools/panelhost/check/wav_format.h"

#include <stdio.h>

#include "tools/panelhost/check/wav_info.h"

std::string WavLoadAdvice(const std::string& path) {
    WavInfo info = ReadWavInfo(path);
    if (!info.riff) return "";
    char text[512];
    if (info.haveFormat && info.tag != kWavTagPcm && info.tag != kWavTagFloat) {
        const char* name = WavTagName(info.tag);
        snprintf(text, sizeof text,
                 "the file is %s (format tag 0x%04X), a compressed format the module cannot play (\"Not implemented\", "
                 "0x80004001); convert it to 16-bit PCM, for example: sox \"in.wav\" -b 16 -e signed-integer \"out.wav\"",
                 name != nullptr ? name : "compressed", info.tag);
        return text;
    }
    if (info.haveData && info.dataSize == kWavStreamingPlaceholder)
        return "its data chunk declares 0x7FFFF000 bytes, the placeholder of a streaming recorder that never wrote "
               "the real length: the module refuses it however short the file; rewrite the file, for example: "
               "sox \"in.wav\" \"out.wav\"";
    return "";
}
