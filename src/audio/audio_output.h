// The audio output: up to two DirectSound devices and the list of shared
// sound buffers played on them. Everything runs on the simulator's gauge
// thread; nothing is locked.
#pragma once

#include <stdint.h>
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

struct SoundBuffer;

// The audio output's module-wide state.
struct cGaugeSoundClass {
    IDirectSound* primaryDevice;  // every buffer is created here by default
    IDirectSound* voiceDevice;    // null when there is none
    int devicesReady;             // 1 once SetUpAudioDevices ran to its end
    int tearingDown;              // set by ReleaseAllAudio until the next set-up
    SoundBuffer* head;            // buffer list, in the order files were asked for
    SoundBuffer* tail;
};

extern cGaugeSoundClass gaugeSound;

// Device file read per user, under APPDATA.
const char kDeviceFileTail[] = "\\kvo_sound\\sound.cfg";
const char kDeviceSection[] = "DEVICE";

// Creates both devices with the priority level on the simulator's window and
// the fixed output format. 0, or the failing step's status (already reported).
int32_t SetUpAudioDevices();
// 1 when a voice device distinct from the primary one exists; runs the
// set-up first while it has not completed.
int IsVoiceDeviceAvailable();
// Converts a braced 38-character GUID text. 1 on success; 0 leaves `deviceGuid`
// untouched. Bad hex digits shorten a group's value rather than failing.
int ParseDeviceGuid(const char* text, GUID* deviceGuid);

// Releases every sound buffer and both devices. Always 0.
int32_t ReleaseAllAudio();
