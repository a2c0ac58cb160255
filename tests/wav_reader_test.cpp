// The WAV reader against RIFF files that the tests write byte by byte.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/wav_reader.h"

namespace {

typedef std::vector<uint8_t> Bytes;
const int32_t kFail = (int32_t)0x80004005;

Bytes Pattern(size_t n, uint32_t seed) {
    Bytes b(n);
    for (uint8_t& x : b) x = (uint8_t)((seed = seed * 1103515245u + 12345u) >> 16);
    return b;
}

void Le(Bytes* b, uint32_t v, int n) { for (int i = 0; i < n; ++i) b->push_back((uint8_t)(v >> (8 * i))); }
Bytes Cat(Bytes a, const Bytes& b) { a.insert(a.end(), b.begin(), b.end()); return a; }
// A chunk with its pad byte; `size` is the declared size, the payload's when -1.
Bytes Chunk(const char* tag, const Bytes& payload, int64_t size = -1) {
    Bytes b(tag, tag + 4);
    Le(&b, size < 0 ? (uint32_t)payload.size() : (uint32_t)size, 4);
    b = Cat(b, payload);
    if (payload.size() % 2) b.push_back(0);
    return b;
}
Bytes Riff(const std::vector<Bytes>& chunks, const char* form = "WAVE", int64_t size = -1) {
    Bytes body(form, form + 4);
    for (const Bytes& c : chunks) body = Cat(body, c);
    return Chunk("RIFF", body, size);
}
// The 16 bytes every "fmt " chunk starts with, then `tail`.
Bytes Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& tail = {}) {
    Bytes b;
    Le(&b, tag, 2), Le(&b, channels, 2), Le(&b, rate, 4), Le(&b, rate * channels * bits / 8, 4);
    Le(&b, channels * bits / 8, 2), Le(&b, bits, 2);
    return Cat(b, tail);
}
// The extra-byte count `count` followed by `present` bytes of a pattern.
Bytes Extra(uint16_t count, size_t present, Bytes* bytes = nullptr) {
    Bytes b, p = Pattern(present, count);
    Le(&b, count, 2);
    if (bytes) *bytes = p;
    return Cat(b, p);
}
const Bytes kStereo = Fmt(1, 2, 22050, 16);

class WavReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = temp + std::string("kvo_wav_") + std::to_string(GetCurrentProcessId()) + "_" +
               std::to_string(GetTickCount());
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
        ASSERT_NE(reader_ = WavReaderCreate(), nullptr);
    }
    void TearDown() override {
        WavReaderDestroy(reader_);
        for (int i = 0; i < count_; ++i) DeleteFileA(Path(i).c_str());
        EXPECT_TRUE(RemoveDirectoryA(dir_.c_str())) << "a file was left open";
    }
    std::string Path(int i) { return dir_ + "\\t" + std::to_string(i) + ".wav"; }
    // Writes a new file and returns its path.
    std::string Write(const Bytes& bytes) {
        std::string path = Path(count_++);
        FILE* f = fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f) fwrite(bytes.data(), 1, bytes.size(), f), fclose(f);
        return path;
    }
    int32_t Open(const std::string& path) {
        return WavReaderOpen(reader_, std::wstring(path.begin(), path.end()).c_str());
    }
    Bytes Read(uint32_t size, int32_t expected) {
        Bytes out(size);
        uint32_t got = 0;
        EXPECT_EQ(WavReaderRead(reader_, out.data(), size, &got), expected);
        return Bytes(out.begin(), out.begin() + got);
    }
    std::string dir_;
    int count_ = 0;
    WavReader* reader_ = nullptr;
};

// Sample bytes across several refills of the I/O buffer: whole, in pieces
// and again after a rewind, never more than the chunk holds.
TEST_F(WavReaderTest, ReadsFormatAndExactSamples) {
    Bytes samples = Pattern(3 * 8192 + 1234, 7);
    ASSERT_EQ(Open(Write(Riff({Chunk("fmt ", kStereo), Chunk("data", samples)}))), 0);
    const WAVEFORMATEX want = {WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
    EXPECT_EQ(0, memcmp(reader_->format, &want, sizeof want));
    ASSERT_EQ(reader_->dataChunk.cksize, samples.size());

    Bytes out(samples.size() + 16, 0xEE);
    uint32_t got = 0;
    ASSERT_EQ(WavReaderRead(reader_, out.data(), (uint32_t)out.size(), &got), 0);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + got), samples);
    EXPECT_EQ(Bytes(out.begin() + got, out.end()), Bytes(16, 0xEE));
    EXPECT_EQ(Read(100, 0).size(), 0u);

    ASSERT_EQ(WavReaderResetToData(reader_), 0);
    EXPECT_EQ(reader_->dataChunk.cksize, samples.size());
    Bytes pieces;
    for (uint32_t step : {1u, 8191u, 9000u, 20000u}) {
        pieces = Cat(pieces, Read(step, 0));
        EXPECT_EQ(reader_->dataChunk.cksize, samples.size() - pieces.size());
    }
    EXPECT_EQ(pieces, samples);
}

// Other chunks (odd-sized ones with their pad byte) are passed over, "data"
// may come first, PCM ignores what follows its 16 bytes, other formats keep
// their extra bytes (up to 65535 of them).
TEST_F(WavReaderTest, FindsChunksAndKeepsExtraBytes) {
    Bytes samples = Pattern(301, 3), extra32, extraMax;
    struct { std::vector<Bytes> chunks; uint16_t cbSize; const Bytes* extra; } files[] = {
        {{Chunk("LIST", Pattern(33, 1)), Chunk("fmt ", kStereo), Chunk("junk", Pattern(5, 2)), Chunk("data", samples)}, 0, nullptr},
        {{Chunk("data", samples), Chunk("fmt ", Fmt(1, 2, 22050, 16, Extra(0x5555, 0)))}, 0, nullptr},
        {{Chunk("fmt ", Fmt(1, 2, 22050, 16, Pattern(24, 4))), Chunk("data", samples)}, 0, nullptr},
        {{Chunk("fmt ", Fmt(2, 2, 22050, 4, Extra(32, 32, &extra32))), Chunk("data", samples)}, 32, &extra32},
        {{Chunk("fmt ", Fmt(3, 2, 22050, 32, Extra(65535, 65535, &extraMax))), Chunk("data", samples)}, 65535, &extraMax},
    };
    for (auto& file : files) {
        ASSERT_EQ(Open(Write(Riff(file.chunks))), 0);
        EXPECT_EQ(reader_->format->nSamplesPerSec, 22050u);
        ASSERT_EQ(reader_->format->cbSize, file.cbSize);
        if (file.extra) {
            EXPECT_EQ(0, memcmp((uint8_t*)reader_->format + 18, file.extra->data(), file.cbSize));
        }
        EXPECT_EQ(Read(400, 0), samples);
    }
}

// Every format or layout fault ends Open with its status, holding neither
// a file nor a format.
TEST_F(WavReaderTest, RejectsBrokenFiles) {
    Bytes data = Chunk("data", Pattern(64, 1)), cut = Riff({Chunk("fmt ", kStereo)});
    cut.resize(cut.size() - 6);
    Bytes cutExtra = Riff({Chunk("fmt ", Fmt(2, 1, 8000, 4, Extra(32, 32)))});
    cutExtra.resize(cutExtra.size() - 20);
    struct { const char* what; Bytes file; int32_t status; } cases[] = {
        {"empty file", {}, MMIOERR_CHUNKNOTFOUND},
        {"not RIFF", Chunk("RIFX", Pattern(40, 1)), MMIOERR_INVALIDFILE},
        {"not WAVE", Riff({Chunk("fmt ", kStereo), data}, "AVI "), MMIOERR_INVALIDFILE},
        {"no fmt", Riff({Chunk("junk", Pattern(20, 1)), data}), MMIOERR_CHUNKNOTFOUND},
        {"RIFF size 0", Riff({Chunk("fmt ", kStereo), data}, "WAVE", 0), MMIOERR_CHUNKNOTFOUND},
        {"junk looping back", Riff({Chunk("junk", Pattern(8, 1), 0xFFFFFFF8), Chunk("fmt ", kStereo), data}),
         MMIOERR_CHUNKNOTFOUND},
        {"junk past the end", Riff({Chunk("junk", Pattern(8, 1), 0xFFFFFFFF), Chunk("fmt ", kStereo), data}),
         MMIOERR_CHUNKNOTFOUND},
        {"fmt of 14", Riff({Chunk("fmt ", Bytes(kStereo.begin(), kStereo.end() - 2)), data}), kFail},
        {"fmt of 0", Riff({Chunk("fmt ", {}), data}), kFail},
        {"fmt past RIFF", Riff({Chunk("fmt ", kStereo, 0xFFFFFFFF), data}), kFail},
        {"fmt cut by the file end", cut, kFail},
        // The next chunk's "da" must not be taken for the count of extra bytes.
        {"no count word", Riff({Chunk("fmt ", Fmt(2, 1, 8000, 4)), Chunk("data", Bytes(30000))}), kFail},
        {"count cut by the chunk", Riff({Chunk("fmt ", Fmt(2, 1, 8000, 4, Extra(0, 2)), 17), data}), kFail},
        {"extra bytes cut short", Riff({Chunk("fmt ", Fmt(2, 1, 8000, 4, Extra(32, 20))), data}), kFail},
        {"extra bytes cut by the file end", cutExtra, kFail},
        {"cbSize 65535", Riff({Chunk("fmt ", Fmt(2, 1, 8000, 4, Extra(65535, 38))), data}), kFail},
    };
    for (auto& c : cases) {
        std::string path = Write(c.file);
        EXPECT_EQ(Open(path), c.status) << c.what;
        EXPECT_EQ(reader_->file, nullptr) << c.what;
        EXPECT_EQ(reader_->format, nullptr) << c.what;
        EXPECT_TRUE(DeleteFileA(path.c_str())) << c.what << ": file left open";
    }
}

TEST_F(WavReaderTest, ReportsFilesThatCannotBeOpened) {
    EXPECT_EQ(Open(dir_ + "\\absent.wav"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(dir_ + "\\absent\\a.wav"), ERROR_PATH_NOT_FOUND);
    std::string path = Write(Riff({Chunk("fmt ", kStereo), Chunk("data", {})}));
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    int32_t status = Open(path);  // exists, but cannot be opened: an MMIOERR_ code
    CloseHandle(lock);
    EXPECT_GT(status, MMIOERR_BASE);
    EXPECT_LE(status, MMIOERR_INVALIDFILE);
    EXPECT_EQ(reader_->file, nullptr);
}

// A data chunk that claims more than the file holds: only the bytes that
// exist are copied, and a further Read fails again rather than succeed.
TEST_F(WavReaderTest, FailsReadPastTheEndOfTheFile) {
    for (uint32_t declared : {100u, 0xFFFFFFFFu}) {
        Bytes samples = Pattern(40, declared), out(128, 0xEE);
        ASSERT_EQ(Open(Write(Riff({Chunk("fmt ", kStereo), Chunk("data", samples, declared)}))), 0);
        uint32_t got = 0, size = declared < 128 ? declared : 128;
        EXPECT_EQ(WavReaderRead(reader_, out.data(), size, &got), kFail);
        EXPECT_EQ(got, 40u);
        EXPECT_EQ(out, Cat(samples, Bytes(88, 0xEE)));
        EXPECT_EQ(reader_->dataChunk.cksize, declared - 40);
        EXPECT_EQ(Read(size, kFail).size(), 0u);
    }
}

// The bytes held from the data's start to the file's end, whatever the chunk
// claims and whatever follows it; asking leaves the reader where it stood.
TEST_F(WavReaderTest, TellsTheSampleBytesTheFileHolds) {
    EXPECT_EQ(WavReaderDataHeld(reader_), 0u);
    Bytes samples = Pattern(20000, 3);
    ASSERT_EQ(Open(Write(Riff({Chunk("fmt ", kStereo), Chunk("data", samples), Chunk("LIST", Pattern(10, 4))}))), 0);
    EXPECT_EQ(WavReaderDataHeld(reader_), samples.size() + 18);
    Bytes head = Read(9000, 0);
    EXPECT_EQ(WavReaderDataHeld(reader_), samples.size() + 18);
    EXPECT_EQ(Cat(head, Read(20000, 0)), samples);

    for (uint32_t declared : {100u, 262144000u, 0xFFFFFFFFu}) {
        ASSERT_EQ(Open(Write(Riff({Chunk("fmt ", kStereo), Chunk("data", Pattern(40, declared), declared)}))), 0);
        EXPECT_EQ(WavReaderDataHeld(reader_), 40u) << declared;
    }
}

// Without "data" the file and format stay held until the reader goes or is
// opened again; a reader not standing at data refuses to read.
TEST_F(WavReaderTest, HoldsItsFileUntilReleased) {
    std::string noData = Write(Riff({Chunk("fmt ", kStereo), Chunk("junk", Pattern(9, 1))}));
    std::string good = Write(Riff({Chunk("fmt ", Fmt(1, 1, 11025, 8)), Chunk("data", Pattern(4, 1))}));
    EXPECT_EQ(Open(noData), MMIOERR_CHUNKNOTFOUND);
    EXPECT_NE(reader_->format, nullptr);
    EXPECT_FALSE(DeleteFileA(noData.c_str()));
    EXPECT_EQ(Read(8, kFail).size(), 0u);
    ASSERT_EQ(Open(good), 0);
    EXPECT_EQ(reader_->format->nSamplesPerSec, 11025u);
    EXPECT_TRUE(DeleteFileA(noData.c_str()));
    EXPECT_FALSE(DeleteFileA(good.c_str()));
    EXPECT_EQ(WavReaderClose(reader_), 0);
    EXPECT_EQ(reader_->file, nullptr);
    EXPECT_EQ(Read(4, kFail).size(), 0u);
    EXPECT_EQ(WavReaderResetToData(reader_), kFail);
    EXPECT_TRUE(DeleteFileA(good.c_str()));
    ASSERT_EQ(Open(Write(Riff({Chunk("fmt ", kStereo), Chunk("junk", {})}))), MMIOERR_CHUNKNOTFOUND);
    WavReaderDestroy(reader_);  // closes the file, which TearDown then removes
    reader_ = nullptr;
}

// Missing arguments are refused, never followed.
TEST_F(WavReaderTest, RefusesMissingArguments) {
    ASSERT_EQ(Open(Write(Riff({Chunk("fmt ", kStereo), Chunk("data", Pattern(8, 1))}))), 0);
    uint8_t out[8];
    uint32_t got = 99;
    EXPECT_EQ(WavReaderRead(nullptr, out, sizeof out, &got), kFail);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(WavReaderRead(reader_, out, sizeof out, nullptr), kFail);
    EXPECT_EQ(WavReaderRead(reader_, nullptr, 4, &got), kFail);
    EXPECT_EQ(WavReaderRead(reader_, nullptr, 0, &got), 0);  // nothing asked, nothing to put
    EXPECT_EQ(reader_->dataChunk.cksize, 8u);
    EXPECT_EQ(WavReaderOpen(nullptr, L"a.wav"), kFail);
    EXPECT_EQ(WavReaderOpen(reader_, nullptr), kFail);
    EXPECT_EQ(WavReaderResetToData(nullptr), kFail);
    EXPECT_EQ(WavReaderClose(nullptr), 0);
    WavReaderDestroy(nullptr);
    EXPECT_EQ(reader_->dataChunk.cksize, 8u);
}

}  // namespace
