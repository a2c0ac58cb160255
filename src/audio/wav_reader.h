// Reader of one RIFF/WAVE sound file through the Windows multimedia file
// I/O: takes the sample format out of the "fmt " chunk, stands at the start
// of the "data" chunk and hands out its bytes, and rewinds to them so that a
// lost sound buffer can be filled again. Each sound buffer owns one.
//
// Statuses are 32-bit, 0 for success: E_FAIL for faults the reader finds
// itself, the multimedia I/O result (MMIOERR_ codes, e.g. 265 when a chunk
// is missing, 272 for a file that is not RIFF/WAVE), or the thread's
// last-error code where a file cannot be found. The reader shows nothing.
#pragma once

#include <stdint.h>
#include <windows.h>
#include <mmsystem.h>

struct WavReader {
    // The file's sample format, 18 + cbSize bytes on the heap (cbSize is 0
    // for PCM); null until a format has been read. Owned by the reader.
    WAVEFORMATEX* format;
    // The open file; null when none is open.
    HMMIO file;
    // The "data" chunk as last found. Its cksize counts the sample bytes
    // still to be read: each Read lowers it, ResetToData restores it. All
    // zero while the reader does not stand at the data.
    MMCKINFO dataChunk;
    // The outer RIFF chunk; the first subchunk starts 4 bytes behind its
    // dwDataOffset.
    MMCKINFO riffChunk;
};

// A zeroed reader on the heap; null when memory runs out.
WavReader* WavReaderCreate();
// Closes the reader's file, frees its format and the reader. Null is ignored.
void WavReaderDestroy(WavReader* reader);

// Opens the file at `path` (UTF-16), reads its format and positions at the
// first sample byte. Whatever the reader held before is released first.
// A failure leaves no file open, except when only the "data" chunk was not
// found: then the file and the format stay held.
int32_t WavReaderOpen(WavReader* reader, const wchar_t* path);
// Positions at the first sample byte again and reloads dataChunk.
int32_t WavReaderResetToData(WavReader* reader);
// Copies up to `size` sample bytes into `dest`, never more than remain in
// the chunk. `bytesRead` gets the count that landed in `dest`, which is
// short of the count asked for only when the status is not 0.
int32_t WavReaderRead(WavReader* reader, void* dest, uint32_t size, uint32_t* bytesRead);
// The sample bytes the file holds from the first byte of the "data" chunk
// to its end, which may be fewer than the chunk claims; 0 while the reader
// does not stand at the data. UINT32_MAX when the file's end cannot be
// told, so that only the read itself can find such a file short. The file
// position is left where it was.
uint32_t WavReaderDataHeld(WavReader* reader);
// Closes the file if one is open. Always 0.
int32_t WavReaderClose(WavReader* reader);
