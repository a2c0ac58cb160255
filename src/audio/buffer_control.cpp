// The operations the engine drives every frame on a slot's buffer.
#include "audio/sound_buffer.h"

#include "audio/audio_output.h"

int32_t CurrentVolume = 0;
int32_t CurrentPan = 0;

namespace {

// Rounds of the restore loop before a buffer that stays lost is given up.
const int kMaxRestoreRounds = 100;
const DWORD kRestoreWaitMs = 10;

bool HasBuffer(const SoundBuffer* buffer) { return buffer != nullptr && buffer->dsBuffer != nullptr; }

DWORD Status(SoundBuffer* buffer) {
    DWORD status = 0;
    if (FAILED(buffer->dsBuffer->GetStatus(&status))) status = 0;
    return status;
}

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return value < low ? low : value > high ? high : value; }

}  // namespace

int IsSoundBufferListed(const SoundBuffer* buffer) {
    if (buffer == nullptr) return 0;
    for (const SoundBuffer* listed = gaugeSound.head; listed != nullptr; listed = listed->next) {
        if (listed == buffer) return 1;
    }
    return 0;
}

int IsSoundBufferPlaying(SoundBuffer* buffer) {
    if (!HasBuffer(buffer)) return 0;
    return (Status(buffer) & DSBSTATUS_PLAYING) != 0 ? 1 : 0;
}

int GetSoundBufferPlayState(SoundBuffer* buffer) {
    if (!HasBuffer(buffer)) return 0;
    return static_cast<int>(Status(buffer) & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
}

int32_t RestoreSoundBuffer(SoundBuffer* buffer) {
    if (!HasBuffer(buffer)) return 0;
    DWORD status = 0;
    HRESULT hr = buffer->dsBuffer->GetStatus(&status);
    if (hr != DS_OK) return hr;
    if ((status & DSBSTATUS_BUFFERLOST) == 0) return 0;

    // Wait while the buffer stays lost, but not for ever; any other failure
    // will not go away by retrying.
    for (int round = 0;; ++round) {
        hr = buffer->dsBuffer->Restore();
        if (hr == DSERR_BUFFERLOST) Sleep(kRestoreWaitMs);
        else if (hr != DS_OK) return hr;
        hr = buffer->dsBuffer->Restore();
        if (hr == DS_OK) break;
        if (hr != DSERR_BUFFERLOST || round + 1 >= kMaxRestoreRounds) return hr;
    }
    return FillSoundBuffer(buffer);
}

int PlaySoundBuffer(SoundBuffer* buffer, int looping) {
    if (!HasBuffer(buffer)) return 0;
    if (RestoreSoundBuffer(buffer) != 0) return 0;
    return buffer->dsBuffer->Play(0, 0, looping != 0 ? DSBPLAY_LOOPING : 0) == DS_OK ? 1 : 0;
}

void StopSoundBuffer(SoundBuffer* buffer, int rewind) {
    if (!HasBuffer(buffer)) return;
    buffer->dsBuffer->Stop();
    if (rewind != 0) buffer->dsBuffer->SetCurrentPosition(0);
}

int32_t SetSoundBufferVolume(SoundBuffer* buffer, int32_t volume) {
    if (!HasBuffer(buffer)) return E_FAIL;
    HRESULT hr = buffer->dsBuffer->SetVolume(Clamp(volume, kVolumeSilent, kVolumeFull));
    buffer->volume = volume;
    return hr;
}

int32_t SetSoundBufferPan(SoundBuffer* buffer) {
    if (!HasBuffer(buffer)) return E_FAIL;
    return buffer->dsBuffer->SetPan(Clamp(CurrentPan, kPanLeft, kPanRight));
}

int32_t ReadSoundBufferVolume(SoundBuffer* buffer) {
    if (!HasBuffer(buffer)) return E_FAIL;
    LONG volume = 0;
    HRESULT hr = buffer->dsBuffer->GetVolume(&volume);
    if (SUCCEEDED(hr)) CurrentVolume = volume;
    return hr;
}

int32_t ReadSoundBufferPan(SoundBuffer* buffer) {
    if (!HasBuffer(buffer)) return E_FAIL;
    LONG pan = 0;
    HRESULT hr = buffer->dsBuffer->GetPan(&pan);
    if (SUCCEEDED(hr)) CurrentPan = pan;
    return hr;
}

void MuteAllSoundBuffers() {
    for (SoundBuffer* buffer = gaugeSound.head; buffer != nullptr; buffer = buffer->next) {
        if (buffer->dsBuffer != nullptr) buffer->dsBuffer->SetVolume(kVolumeSilent);
    }
}

void UnmuteAllSoundBuffers() {
    for (SoundBuffer* buffer = gaugeSound.head; buffer != nullptr; buffer = buffer->next) {
        if (buffer->dsBuffer != nullptr) buffer->dsBuffer->SetVolume(buffer->volume);
    }
}
