// The RIFF/WAVE reader on the multimedia file I/O functions.
#include "audio/wav_reader.h"

#include <stdlib.h>
#include <string.h>

namespace {

const int32_t kFail = (int32_t)0x80004005;  // E_FAIL
const FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
const FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
const FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');
// The fixed head of every "fmt " chunk (a PCMWAVEFORMAT), and the size of a
// WAVEFORMATEX, which adds the count of extra bytes.
const DWORD kPcmFormatSize = 16;
const DWORD kFormatHeadSize = 18;

static_assert(sizeof(PCMWAVEFORMAT) == kPcmFormatSize, "PCMWAVEFORMAT");
static_assert(sizeof(WAVEFORMATEX) == kFormatHeadSize, "WAVEFORMATEX");

// The thread's last-error code as a status, E_FAIL where none was recorded,
// so that a failure never reads as success.
int32_t LastErrorStatus() {
    DWORD code = GetLastError();
    return code ? (int32_t)code : kFail;
}

// Reads exactly `size` bytes at the file position; false on a short read.
bool ReadExactly(HMMIO file, void* dest, LONG size) {
    return mmioRead(file, (HPSTR)dest, size) == size;
}

// Finds the subchunk `id` of `riff` from the file position on and enters it,
// leaving the file at its first data byte; MMIOERR_CHUNKNOTFOUND when there
// is none. The chunks are stepped over one at a time instead of through the
// system's own search (MMIO_FINDCHUNK), which goes round for ever when a
// chunk's size wraps the next position back onto a chunk already seen
// (sizes such as 0xFFFFFFF8). Here a step always goes forward, and a step
// out of reach of a seek ends the search.
MMRESULT FindSubchunk(HMMIO file, MMCKINFO* chunk, const MMCKINFO* riff, FOURCC id) {
    for (;;) {
        MMRESULT result = mmioDescend(file, chunk, riff, 0);
        if (result) return result;
        if (chunk->ckid == id) return 0;
        uint64_t next = (uint64_t)chunk->dwDataOffset + chunk->cksize + (chunk->cksize & 1);
        if (next > 0x7FFFFFFF || mmioSeek(file, (LONG)next, SEEK_SET) == -1)
            return MMIOERR_CHUNKNOTFOUND;
    }
}

// Enters the file's RIFF chunk, finds "fmt " in it and builds the format
// block from it; on success the block is in reader->format. Every read
// stays inside the "fmt " chunk as declared, and the chunk inside the RIFF
// chunk, so that a lying size never pulls in bytes of other chunks.
int32_t ReadFormat(WavReader* reader, HMMIO file) {
    reader->format = nullptr;
    SetLastError(0);

    MMRESULT result = mmioDescend(file, &reader->riffChunk, nullptr, 0);
    if (result) return (int32_t)result;
    if (reader->riffChunk.ckid != FOURCC_RIFF || reader->riffChunk.fccType != kWave)
        return MMIOERR_INVALIDFILE;

    MMCKINFO fmt = {};
    result = FindSubchunk(file, &fmt, &reader->riffChunk, kFmt);
    if (result) return (int32_t)result;

    uint64_t riffEnd = (uint64_t)reader->riffChunk.dwDataOffset + reader->riffChunk.cksize;
    uint64_t fmtEnd = (uint64_t)fmt.dwDataOffset + fmt.cksize;
    if (fmt.cksize < kPcmFormatSize || fmtEnd > riffEnd) return kFail;

    PCMWAVEFORMAT head;
    if (!ReadExactly(file, &head, kPcmFormatSize)) return kFail;

    // PCM carries no extra bytes: a trailing count word or anything else
    // behind the 16 bytes is skipped when the chunk is left.
    WORD extra = 0;
    if (head.wf.wFormatTag != WAVE_FORMAT_PCM) {
        if (fmt.cksize < kFormatHeadSize || !ReadExactly(file, &extra, sizeof extra))
            return kFail;
        if (fmt.cksize - kFormatHeadSize < extra) return kFail;
    }

    WAVEFORMATEX* block = (WAVEFORMATEX*)malloc(kFormatHeadSize + extra);
    if (!block) return kFail;
    memcpy(block, &head, kPcmFormatSize);
    block->cbSize = extra;
    if (extra && !ReadExactly(file, (uint8_t*)block + kFormatHeadSize, extra)) {
        free(block);
        return kFail;
    }

    if (mmioAscend(file, &fmt, 0)) {
        free(block);
        return LastErrorStatus();
    }
    reader->format = block;
    return 0;
}

}  // namespace

WavReader* WavReaderCreate() {
    return (WavReader*)calloc(1, sizeof(WavReader));
}

void WavReaderDestroy(WavReader* reader) {
    if (!reader) return;
    WavReaderClose(reader);
    free(reader->format);
    free(reader);
}

int32_t WavReaderOpen(WavReader* reader, const wchar_t* path) {
    if (!reader || !path) return kFail;
    free(reader->format);
    reader->format = nullptr;
    // A reader opened again lets go of its old file rather than leak it.
    WavReaderClose(reader);
    memset(&reader->dataChunk, 0, sizeof reader->dataChunk);

    SetLastError(0);
    MMIOINFO info = {};

    // The existence test writes the fully qualified name back into the name
    // it is given: hand it a private copy that is already fully qualified,
    // so the name written back never outgrows its buffer.
    wchar_t fullPath[MAX_PATH];
    DWORD length = GetFullPathNameW(path, MAX_PATH, fullPath, nullptr);
    if (length == 0) return LastErrorStatus();
    if (length >= MAX_PATH) return kFail;

    SetLastError(0);
    if (!mmioOpenW(fullPath, nullptr, MMIO_EXIST)) return LastErrorStatus();

    // Read-only, default sharing, an I/O buffer of the system's default size.
    HMMIO file = mmioOpenW(fullPath, &info, MMIO_ALLOCBUF);
    if (!file) return info.wErrorRet ? (int32_t)info.wErrorRet : kFail;

    int32_t status = ReadFormat(reader, file);
    if (status) {
        mmioClose(file, 0);
        return status;
    }
    reader->file = file;
    return WavReaderResetToData(reader);
}

int32_t WavReaderResetToData(WavReader* reader) {
    if (!reader || !reader->file) return kFail;
    // The search starts at the first subchunk, so "data" is found whether
    // it comes before or after "fmt ".
    int32_t status = 0;
    if (mmioSeek(reader->file, (LONG)(reader->riffChunk.dwDataOffset + 4), SEEK_SET) == -1) {
        status = kFail;
    } else {
        status = (int32_t)FindSubchunk(reader->file, &reader->dataChunk, &reader->riffChunk, kData);
    }
    // A reader that does not stand at the data must not hand out a stale
    // count or the bytes of some other chunk.
    if (status) memset(&reader->dataChunk, 0, sizeof reader->dataChunk);
    return status;
}

int32_t WavReaderRead(WavReader* reader, void* dest, uint32_t size, uint32_t* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    if (!reader || !bytesRead || (!dest && size)) return kFail;
    if (!reader->file || reader->dataChunk.ckid != kData) return kFail;

    // The samples are copied straight out of the file's I/O buffer, a whole
    // span at a time, and the buffer is refilled whenever it runs dry.
    MMIOINFO info;
    MMRESULT result = mmioGetInfo(reader->file, &info, 0);
    if (result) return (int32_t)result;

    uint32_t n = size < reader->dataChunk.cksize ? size : reader->dataChunk.cksize;
    uint8_t* out = (uint8_t*)dest;
    uint32_t copied = 0;
    int32_t status = 0;
    while (copied < n) {
        if (info.pchNext >= info.pchEndRead) {
            result = mmioAdvance(reader->file, &info, MMIO_READ);
            if (result) {
                status = (int32_t)result;
                break;
            }
            if (info.pchNext >= info.pchEndRead) {  // the file ends inside the chunk
                status = kFail;
                break;
            }
        }
        uint32_t span = (uint32_t)(info.pchEndRead - info.pchNext);
        if (span > n - copied) span = n - copied;
        memcpy(out + copied, info.pchNext, span);
        info.pchNext += span;
        copied += span;
    }

    // The buffer goes back on every path, so that the file position stays
    // where the copy stopped; the count drops by what was actually taken.
    reader->dataChunk.cksize -= copied;
    result = mmioSetInfo(reader->file, &info, 0);
    if (!status) status = (int32_t)result;
    *bytesRead = copied;
    return status;
}

uint32_t WavReaderDataHeld(WavReader* reader) {
    if (!reader || !reader->file || reader->dataChunk.ckid != kData) return 0;
    LONG position = mmioSeek(reader->file, 0, SEEK_CUR);
    if (position == -1) return 0;
    LONG end = mmioSeek(reader->file, 0, SEEK_END);
    // A reader that cannot go back to where it stood cannot read the data.
    if (mmioSeek(reader->file, position, SEEK_SET) != position) return 0;
    if (end == -1) return UINT32_MAX;
    if ((DWORD)end <= reader->dataChunk.dwDataOffset) return 0;
    return (uint32_t)((DWORD)end - reader->dataChunk.dwDataOffset);
}

int32_t WavReaderClose(WavReader* reader) {
    if (reader && reader->file) {
        mmioClose(reader->file, 0);
        reader->file = nullptr;
    }
    return 0;
}
