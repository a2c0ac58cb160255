// The buffer list: loading a file into a shared buffer, filling it, and
// destroying buffers one by one or all at once.
#include "audio/sound_buffer.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "audio/audio_output.h"
#include "diag/error_report.h"

namespace {

const int kWidePathSize = 260;
// The sample rates a secondary buffer may have.
const DWORD kLowestRate = 100;
const DWORD kHighestRate = 200000;
const DWORD kSecondaryBufferFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_LOCSOFTWARE;

// Whether DirectSound may be handed this format. Rates outside what a
// buffer may have, and PCM samples of other than 1 to 4 whole bytes or
// frames that are not one sample per channel, are refused here as
// DirectSound itself refuses them: some implementations accept them and
// then fault in their mixer (a divide by zero, an access violation).
bool IsPlayableFormat(const WAVEFORMATEX* format) {
    if (format->nSamplesPerSec < kLowestRate || format->nSamplesPerSec > kHighestRate) return false;
    if (format->wFormatTag != WAVE_FORMAT_PCM) return true;
    WORD bits = format->wBitsPerSample;
    if (bits == 0 || bits % 8 != 0 || bits > 32) return false;
    return format->nBlockAlign == format->nChannels * (bits / 8);
}

// The size to ask DirectSound for: the "data" chunk's size. A file that
// holds fewer sample bytes than its chunk claims is given a buffer of only
// what it holds (at least the smallest DirectSound makes): DirectSound still
// judges its format, and the fill then fails as a short read, without memory
// taken on the word of a damaged file. A size DirectSound refuses whatever
// the file holds is passed on for it to refuse, before it allocates anything.
DWORD SecondaryBufferBytes(WavReader* reader) {
    uint32_t claimed = reader->dataChunk.cksize;
    if (claimed < DSBSIZE_MIN || claimed > DSBSIZE_MAX) return claimed;
    uint32_t held = WavReaderDataHeld(reader);
    if (held >= claimed) return claimed;
    return held > DSBSIZE_MIN ? held : DSBSIZE_MIN;
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Equal when only the ASCII letters' case differs.
bool SameFileName(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
        if (*a == L'\0') return true;
    }
}

// A zeroed object with a zeroed reader, or null when memory runs out.
SoundBuffer* NewSoundBuffer() {
    SoundBuffer* buffer = static_cast<SoundBuffer*>(calloc(1, sizeof(SoundBuffer)));
    if (buffer == nullptr) return nullptr;
    buffer->reader = WavReaderCreate();
    if (buffer->reader == nullptr) {
        free(buffer);
        return nullptr;
    }
    return buffer;
}

// Adds an empty object at the tail; null when memory runs out.
SoundBuffer* AppendSoundBuffer() {
    SoundBuffer* buffer = NewSoundBuffer();
    if (buffer == nullptr) return nullptr;
    buffer->prev = gaugeSound.tail;
    if (gaugeSound.tail != nullptr) gaugeSound.tail->next = buffer;
    else gaugeSound.head = buffer;
    gaugeSound.tail = buffer;
    return buffer;
}

int32_t CreateSoundBufferFromFile(SoundBuffer* buffer, const wchar_t* widePath, int useVoice) {
    if (buffer->reader->format != nullptr) {
        WavReaderDestroy(buffer->reader);
        buffer->reader = WavReaderCreate();
        if (buffer->reader == nullptr) {
            ReportError(E_OUTOFMEMORY, kLocationOpenWav, widePath);
            return E_OUTOFMEMORY;
        }
    }
    buffer->dsBuffer = nullptr;
    int32_t status = WavReaderOpen(buffer->reader, widePath);
    if (status != 0) {
        ReportError(status, kLocationOpenWav, widePath);
        return status;
    }

    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = kSecondaryBufferFlags;
    desc.dwBufferBytes = SecondaryBufferBytes(buffer->reader);
    desc.lpwfxFormat = buffer->reader->format;

    // Asking for the voice device when there is none uses the primary one.
    IDirectSound* device = useVoice == 1 && gaugeSound.voiceDevice != nullptr ? gaugeSound.voiceDevice : gaugeSound.primaryDevice;
    IDirectSoundBuffer* created = nullptr;
    HRESULT hr = device != nullptr ? DS_OK : DSERR_UNINITIALIZED;
    if (hr == DS_OK && !IsPlayableFormat(desc.lpwfxFormat)) hr = DSERR_INVALIDPARAM;
    if (hr == DS_OK) hr = device->CreateSoundBuffer(&desc, &created, nullptr);
    if (hr == DS_OK && created == nullptr) hr = E_FAIL;
    if (hr != DS_OK) {
        if (created != nullptr) created->Release();
        ReportError(hr, kLocationCreateBuffer, widePath);
        return hr;
    }
    buffer->dsBuffer = created;
    buffer->refCount += 1;
    buffer->bufferBytes = desc.dwBufferBytes;
    return 0;
}

// Loads the file into an empty object; the failing step has reported itself.
bool LoadInto(SoundBuffer* buffer, const wchar_t* widePath, int useVoice) {
    buffer->volume = 0;
    buffer->refCount = 0;
    size_t length = wcslen(widePath);
    buffer->fileName = static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)));
    if (buffer->fileName == nullptr) return false;
    memcpy(buffer->fileName, widePath, (length + 1) * sizeof(wchar_t));

    if (CreateSoundBufferFromFile(buffer, widePath, useVoice) != 0) {
        buffer->dsBuffer = nullptr;
        buffer->loaded = 0;
        return false;
    }
    if (FillSoundBuffer(buffer) != 0) {
        buffer->dsBuffer->Release();
        buffer->dsBuffer = nullptr;
        buffer->loaded = 0;
        return false;
    }
    buffer->loaded = 1;
    return true;
}

}  // namespace

SoundBuffer* AcquireSoundBuffer(const char* path, int useVoice) {
    wchar_t widePath[kWidePathSize];
    widePath[0] = L'\0';
    int needed = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (needed > 0 && needed <= kWidePathSize) {
        if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, kWidePathSize) == 0) widePath[0] = L'\0';
    }

    if (gaugeSound.devicesReady == 0) SetUpAudioDevices();
    if (gaugeSound.head == nullptr && AppendSoundBuffer() == nullptr) return nullptr;

    for (SoundBuffer* buffer = gaugeSound.head; buffer != nullptr; buffer = buffer->next) {
        if (buffer->fileName == nullptr && buffer->loaded == 0) {
            return LoadInto(buffer, widePath, useVoice) ? buffer : nullptr;
        }
        if (buffer->fileName != nullptr && SameFileName(buffer->fileName, widePath)) {
            // A file that failed once is not tried again.
            if (buffer->loaded != 1) return nullptr;
            buffer->refCount += 1;
            return buffer;
        }
        if (buffer == gaugeSound.tail && AppendSoundBuffer() == nullptr) return nullptr;
    }
    return nullptr;
}

int32_t FillSoundBuffer(SoundBuffer* buffer) {
    uint32_t size = buffer->reader->dataChunk.cksize;
    // Samples the file does not hold fail here as their read would, before
    // any memory is taken for them.
    if (WavReaderDataHeld(buffer->reader) < size) {
        ReportError(E_FAIL, kLocationReadSamples, nullptr);
        return E_FAIL;
    }
    uint8_t* staging = static_cast<uint8_t*>(malloc(size > 0 ? size : 1));
    if (staging == nullptr) {
        ReportError(E_OUTOFMEMORY, kLocationAllocSamples, nullptr);
        return E_OUTOFMEMORY;
    }
    // The reader's own failures are positive multimedia codes as well as
    // negative ones; either way the samples are not all there.
    uint32_t bytesRead = 0;
    int32_t status = WavReaderRead(buffer->reader, staging, size, &bytesRead);
    if (status != 0) {
        ReportError(status, kLocationReadSamples, nullptr);
        free(staging);
        return status;
    }
    WavReaderResetToData(buffer->reader);

    void* region = nullptr;
    DWORD regionBytes = 0;
    HRESULT hr = buffer->dsBuffer->Lock(0, buffer->bufferBytes, &region, &regionBytes, nullptr, nullptr, 0);
    if (FAILED(hr)) {
        ReportError(hr, kLocationLockBuffer, nullptr);
        free(staging);
        return hr;
    }
    // Never more than was read, nor more than the region holds.
    DWORD copied = buffer->bufferBytes;
    if (copied > bytesRead) copied = bytesRead;
    if (copied > regionBytes) copied = regionBytes;
    if (region != nullptr) memcpy(region, staging, copied);
    buffer->dsBuffer->Unlock(region, copied, nullptr, 0);
    free(staging);
    return 0;
}

SoundBuffer* ReleaseSoundBuffer(SoundBuffer* buffer) {
    // A pointer that has left the list was destroyed already.
    if (IsSoundBufferListed(buffer) == 0) return nullptr;
    buffer->refCount -= 1;
    if (buffer->refCount > 0 && gaugeSound.tearingDown == 0) return nullptr;

    if (buffer->dsBuffer != nullptr && IsSoundBufferPlaying(buffer) != 0) buffer->dsBuffer->Stop();
    WavReaderDestroy(buffer->reader);
    if (buffer->dsBuffer != nullptr) buffer->dsBuffer->Release();

    if (buffer->next != nullptr) buffer->next->prev = buffer->prev;
    else gaugeSound.tail = buffer->prev;
    if (buffer->prev != nullptr) buffer->prev->next = buffer->next;
    else gaugeSound.head = buffer->next;

    free(buffer->fileName);
    free(buffer);
    return nullptr;
}

int32_t ReleaseAllAudio() {
    gaugeSound.tearingDown = 1;
    // Everything is stopped before anything is released: a buffer released
    // while many others still play can wait for the mixer each time (a
    // thousand looping sounds took half a minute to shut down).
    for (SoundBuffer* buffer = gaugeSound.head; buffer != nullptr; buffer = buffer->next)
        if (buffer->dsBuffer != nullptr) buffer->dsBuffer->Stop();
    while (gaugeSound.head != nullptr) ReleaseSoundBuffer(gaugeSound.head);
    if (gaugeSound.primaryDevice != nullptr) gaugeSound.primaryDevice->Release();
    if (gaugeSound.voiceDevice != nullptr) gaugeSound.voiceDevice->Release();
    gaugeSound.primaryDevice = nullptr;
    gaugeSound.voiceDevice = nullptr;
    gaugeSound.devicesReady = 0;
    return 0;
}
