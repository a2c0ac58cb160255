#include "audio/audio_output.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "diag/error_report.h"

cGaugeSoundClass gaugeSound = {};

namespace {

const GUID kDefaultPlaybackGuid = {0xDEF00000, 0x9C6D, 0x47ED, {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};
const GUID kDefaultVoicePlaybackGuid = {0xDEF00002, 0x9C6D, 0x47ED, {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};

const int kGuidTextLength = 38;
const int kPathSize = 260;
const int kPrimaryBufferAttempts = 3;
const DWORD kPrimaryBufferRetryMs = 1000;
const HRESULT kNoVirtualization = 0x0878000A;  // DS_NO_VIRTUALIZATION

// The format both devices mix to.
WAVEFORMATEX OutputFormat() {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 22050;
    format.nAvgBytesPerSec = 88200;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    format.cbSize = 0;
    return format;
}

DSBUFFERDESC PrimaryBufferDescription() {
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    return desc;
}

// The device file's key, or "" when the file, the key or APPDATA is missing
// or the path would not fit.
void ReadDeviceKey(const char* key, char* value, DWORD valueSize) {
    value[0] = '\0';
    char appData[kPathSize];
    DWORD length = GetEnvironmentVariableA("APPDATA", appData, sizeof(appData));
    if (length == 0 || length >= sizeof(appData)) return;
    char path[kPathSize];
    int written = snprintf(path, sizeof(path), "%s%s", appData, kDeviceFileTail);
    if (written < 0 || written >= static_cast<int>(sizeof(path))) return;
    GetPrivateProfileStringA(kDeviceSection, key, "", value, valueSize, path);
}

// The configured GUID of a device role, or the role's default.
GUID ChooseDeviceGuid(const char* key, const GUID& fallback) {
    char text[kPathSize];
    ReadDeviceKey(key, text, sizeof(text));
    GUID chosen = fallback;
    GUID parsed;
    if (text[0] != '\0' && ParseDeviceGuid(text, &parsed) != 0 && parsed.Data1 != 0) chosen = parsed;
    return chosen;
}

void ReleaseDevice(IDirectSound** device) {
    if (*device == nullptr) return;
    (*device)->Release();
    *device = nullptr;
}

// Creates a device, falling back once to the role's default.
HRESULT CreateDevice(const GUID& chosen, const GUID& fallback, IDirectSound** device) {
    HRESULT hr = DirectSoundCreate(&chosen, device, nullptr);
    if (SUCCEEDED(hr) && *device != nullptr) return hr;
    *device = nullptr;
    hr = DirectSoundCreate(&fallback, device, nullptr);
    if (FAILED(hr)) *device = nullptr;
    // A success without an object would be used as a device: count it as a failure.
    else if (*device == nullptr) hr = E_FAIL;
    return hr;
}

// Sets the device's primary buffer to the output format; the buffer object is
// released whatever the result, the format stays on the device.
HRESULT SetOutputFormat(IDirectSoundBuffer* primary) {
    WAVEFORMATEX format = OutputFormat();
    HRESULT hr = primary->SetFormat(&format);
    primary->Release();
    return hr;
}

HRESULT Fail(HRESULT hr, int location) {
    ReportError(hr, location, nullptr);
    return hr;
}

// Copies text[first..last] and converts it as hexadecimal, strtoul-style.
unsigned long HexField(const char* text, int first, int last) {
    char scratch[16];
    int count = last - first + 1;
    memcpy(scratch, text + first, count);
    scratch[count] = '\0';
    return strtoul(scratch, nullptr, 16);
}

}  // namespace

int ParseDeviceGuid(const char* text, GUID* deviceGuid) {
    if (text == nullptr || strlen(text) != kGuidTextLength) return 0;
    deviceGuid->Data1 = static_cast<unsigned long>(HexField(text, 1, 8));
    deviceGuid->Data2 = static_cast<unsigned short>(HexField(text, 10, 13));
    deviceGuid->Data3 = static_cast<unsigned short>(HexField(text, 15, 18));
    static const int kByteStarts[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        deviceGuid->Data4[i] = static_cast<unsigned char>(HexField(text, kByteStarts[i], kByteStarts[i] + 1));
    }
    return 1;
}

int32_t SetUpAudioDevices() {
    gaugeSound.tearingDown = 0;

    GUID primaryGuid = ChooseDeviceGuid("PrimaryDevice", kDefaultPlaybackGuid);
    ReleaseDevice(&gaugeSound.primaryDevice);
    HRESULT hr = CreateDevice(primaryGuid, kDefaultPlaybackGuid, &gaugeSound.primaryDevice);
    if (FAILED(hr)) return Fail(hr, kLocationCreatePrimary);

    // No waiting for the simulator's window: without one the null handle goes on.
    hr = gaugeSound.primaryDevice->SetCooperativeLevel(FindWindowW(L"FS98MAIN", nullptr), DSSCL_PRIORITY);
    if (hr != DS_OK) return Fail(hr, kLocationCooperativeLevel);

    DSBUFFERDESC primaryDesc = PrimaryBufferDescription();
    IDirectSoundBuffer* primary = nullptr;
    for (int attempt = 1;; ++attempt) {
        hr = gaugeSound.primaryDevice->CreateSoundBuffer(&primaryDesc, &primary, nullptr);
        if (SUCCEEDED(hr)) break;
        primary = nullptr;
        Sleep(kPrimaryBufferRetryMs);
        if (attempt >= kPrimaryBufferAttempts) break;
    }
    if (hr == DS_OK && primary == nullptr) hr = E_FAIL;
    if (hr != DS_OK && hr != kNoVirtualization) {
        if (primary != nullptr) primary->Release();
        return Fail(hr, kLocationPrimaryBuffer);
    }
    hr = SetOutputFormat(primary);
    if (FAILED(hr)) return Fail(hr, kLocationPrimaryFormat);

    GUID voiceGuid = ChooseDeviceGuid("VoiceDevice", kDefaultVoicePlaybackGuid);
    ReleaseDevice(&gaugeSound.voiceDevice);
    hr = CreateDevice(voiceGuid, kDefaultVoicePlaybackGuid, &gaugeSound.voiceDevice);
    if (FAILED(hr)) return Fail(hr, kLocationCreateVoice);

    // A voice device that cannot be set up is dropped silently.
    IDirectSoundBuffer* voicePrimary = nullptr;
    hr = gaugeSound.voiceDevice->SetCooperativeLevel(FindWindowW(L"FS98MAIN", nullptr), DSSCL_PRIORITY);
    if (SUCCEEDED(hr)) hr = gaugeSound.voiceDevice->CreateSoundBuffer(&primaryDesc, &voicePrimary, nullptr);
    if (FAILED(hr) || voicePrimary == nullptr) {
        ReleaseDevice(&gaugeSound.voiceDevice);
    } else {
        hr = SetOutputFormat(voicePrimary);
        if (FAILED(hr)) return Fail(hr, kLocationVoiceFormat);
    }

    gaugeSound.devicesReady = 1;
    return 0;
}

int IsVoiceDeviceAvailable() {
    if (gaugeSound.devicesReady == 0) SetUpAudioDevices();
    return gaugeSound.voiceDevice != nullptr && gaugeSound.voiceDevice != gaugeSound.primaryDevice ? 1 : 0;
}
