// Error boxes built from a 32-bit status code: the facility, the error id,
// the code's text and the full code, with the failing step or the slot
// concerned. Both reports are modal and return when the user closes the box.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

// Size of a composed report, terminator included; longer texts are cut.
const int kReportTextSize = 512;
// Size of the ANSI file text printed by ReportError, terminator included.
const int kReportFileTextSize = 260;

// Facilities that pick a heading and a message module.
const int kFacilityMultimedia = 0;
const int kFacilityDirectSound = 0x878;

// Location numbers: the step that failed when ReportError is called.
enum ReportLocation {
    kLocationOpenWav = 5,             // opening the WAV file of a new sound buffer
    kLocationCreateBuffer = 6,        // creating its secondary buffer
    kLocationAllocSamples = 7,        // allocating memory for the sample data
    kLocationReadSamples = 8,         // reading the sample data
    kLocationLockBuffer = 9,          // locking the secondary buffer to fill it
    kLocationCreatePrimary = 10,      // creating the primary device
    kLocationCooperativeLevel = 11,   // the primary device's cooperative level
    kLocationPrimaryBuffer = 12,      // the primary device's primary buffer
    kLocationPrimaryFormat = 120,     // the format of that primary buffer
    kLocationCreateVoice = 13,        // creating the voice device
    kLocationVoiceFormat = 130,       // the format of the voice device's primary buffer
};

// Facility (bits 16 to 28) and error id (bits 0 to 15) of a status code.
int ErrorFacility(int32_t code);
int ErrorId(int32_t code);

// Shows the box for a failed device or buffer set-up step. `fileName` may be
// null or empty. Title: the error-box file name, or kReportFallbackTitle.
void ReportError(int32_t code, int location, const wchar_t* fileName);

// Composes ReportError's text into `out`, cut to `outSize` - 1 characters.
void ComposeErrorReport(char* out, size_t outSize, int32_t code, int location, const wchar_t* fileName);

// Shows the box for a failed buffer operation of a slot command: `wavPath`
// is the slot's sound file (null prints as empty), `command` the command
// being served. Title: `modulePath` as it is.
void ReportSlotErrorFor(int32_t code, const char* wavPath, int command);

// Composes ReportSlotErrorFor's text into `out`, cut to `outSize` - 1 characters.
void ComposeSlotErrorReport(char* out, size_t outSize, int32_t code, const char* wavPath, int command);

// Constant text for a Windows multimedia result; any code not in the table
// (HRESULTs among them) gives "MMSystem - Unspecified Error".
const char* MultimediaErrorText(int32_t code);
