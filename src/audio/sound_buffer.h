// Sound buffers: one DirectSound secondary buffer per WAV file, holding the
// whole file, shared by every slot that names the file.
#pragma once

#include <stdint.h>
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include "audio/wav_reader.h"

struct SoundBuffer {
    int32_t volume;      // last volume asked for, as asked (not clamped)
    wchar_t* fileName;   // sharing key; null while the object is empty
    int32_t refCount;    // holders
    SoundBuffer* next;
    SoundBuffer* prev;
    IDirectSoundBuffer* dsBuffer;
    WavReader* reader;   // owned; keeps the file open to refill a lost buffer
    uint32_t bufferBytes;
    int32_t loaded;      // 0 with a fileName: the file failed and is not retried
};

// Written by ReadSoundBufferVolume / read by SetSoundBufferPan; the engine
// stores the volume and pan it applies here too.
extern int32_t CurrentVolume;
extern int32_t CurrentPan;

const int32_t kVolumeSilent = -10000;
const int32_t kVolumeFull = 0;
const int32_t kPanLeft = -10000;
const int32_t kPanRight = 10000;

// The shared buffer of the file at `path` (ANSI), loaded on first use; null
// when the file cannot be loaded now or failed before.
SoundBuffer* AcquireSoundBuffer(const char* path, int useVoice);
// Drops one holder; the last one destroys the object. Always null.
SoundBuffer* ReleaseSoundBuffer(SoundBuffer* buffer);

// Buffer operations driven by the engine every frame. "No buffer" (a null
// object or one without a DirectSound buffer) gives 0 or E_FAIL.
int IsSoundBufferListed(const SoundBuffer* buffer);
int IsSoundBufferPlaying(SoundBuffer* buffer);
int GetSoundBufferPlayState(SoundBuffer* buffer);  // 0 stopped, 1 once, 5 looping
int32_t RestoreSoundBuffer(SoundBuffer* buffer);
int PlaySoundBuffer(SoundBuffer* buffer, int looping);  // 1 success, 0 failure
void StopSoundBuffer(SoundBuffer* buffer, int rewind);
int32_t SetSoundBufferVolume(SoundBuffer* buffer, int32_t volume);
int32_t SetSoundBufferPan(SoundBuffer* buffer);
int32_t ReadSoundBufferVolume(SoundBuffer* buffer);
int32_t ReadSoundBufferPan(SoundBuffer* buffer);
void MuteAllSoundBuffers();
void UnmuteAllSoundBuffers();

// Internal steps of loading, shared by the buffer files.
int32_t FillSoundBuffer(SoundBuffer* buffer);
