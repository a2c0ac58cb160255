// The built module against bad input and long use: malformed WAV files in
// slots and hostile configuration files.
#include <windows.h>

#include <stdio.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "tools/common/wav_files.h"

namespace {

typedef std::vector<uint8_t> Bytes;
const double kErrorFlag = -7;


Bytes ReadAll(const std::string& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path.c_str(), std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
}
void Put32(Bytes* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4 && at + i < b->size(); ++i) (*b)[at + i] = (uint8_t)(v >> (8 * i));
}
void Put16(Bytes* b, size_t at, uint16_t v) {
    for (int i = 0; i < 2 && at + i < b->size(); ++i) (*b)[at + i] = (uint8_t)(v >> (8 * i));
}

// Malformed variants of a valid 44-byte-header file: each header field set to
// the values that break readers, then random truncations and byte flips.
std::vector<Bytes> BadWavCorpus(const Bytes& good, int randomCount) {
    std::vector<Bytes> corpus;
    const size_t sizes[] = {4, 16, 40};  // RIFF, "fmt " and "data" chunk sizes
    for (size_t at : sizes)
        for (uint32_t v : {0u, 0xFFFFFFFFu, 1u}) {
            Bytes b = good;
            Put32(&b, at, v);
            corpus.push_back(b);
        }
    const struct { size_t at; uint16_t v; } fields[] = {
        {20, 0}, {20, 0xFFFE}, {20, 2}, {22, 0}, {22, 0xFFFF}, {32, 0}, {32, 0xFFFF}, {34, 0}, {34, 7}};
    for (const auto& f : fields) {
        Bytes b = good;
        Put16(&b, f.at, f.v);
        corpus.push_back(b);
    }
    Bytes rate = good;
    Put32(&rate, 24, 0);
    corpus.push_back(rate);
    uint32_t seed = 12345;
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int i = 0; i < randomCount; ++i) {
        Bytes b = good;
        if (i % 2 == 0) {
            b.resize(i % 4 == 0 ? next() % 60 : next() % good.size());  // in the header, or anywhere
        } else {
            for (int flips = 1 + next() % 4; flips > 0; --flips) b[next() % 44] ^= (uint8_t)(1 + next() % 255);
        }
        corpus.push_back(b);
    }
    return corpus;
}

class RobustTest : public ModuleTest {
protected:
    void TearDown() override {
        ModuleTest::TearDown();
        if (!folder_.empty()) RemoveTree(folder_);
    }
    // Starts the module on a Sound gauge with `parameters` and runs to the audio start-up.
    void StartWith(const std::string& parameters) {
        Start();
        host::AddGauge("Sound", parameters.c_str());
        host::RunFrames(11);
    }
    std::string WriteIni(const std::string& text) {
        if (folder_.empty()) folder_ = MakeTempFolder("kvo_robust");
        std::string ini = folder_ + "\\sounds.ini";
        std::ofstream(ini.c_str(), std::ios::binary) << text;
        return ini;
    }
    std::string folder_;
};

TEST_F(RobustTest, BadWavFilesFailOrPlayAndTheOtherSlotsKeepWorking) {
    folder_ = MakeTempFolder("kvo_robust");
    ASSERT_TRUE(WriteTone(folder_ + "\\good.wav", 0.2));
    std::vector<Bytes> corpus = BadWavCorpus(ReadAll(folder_ + "\\good.wav"), 240);
    // cbSize of 65535 with no extra bytes behind it.
    WavLayout extensible;
    extensible.extra = {0xFF, 0xFF};
    ASSERT_TRUE(WriteWav(folder_ + "\\cbsize.wav", extensible, ToneSamples(extensible, 100)));
    corpus.push_back(ReadAll(folder_ + "\\cbsize.wav"));

    const int count = (int)corpus.size();
    std::string ini = "[Config]\nErrorFlag=-7\nMaxSounds=" + std::to_string(count + 1) + "\n[Sounds]\nSound00=good.wav\n";
    for (int i = 0; i < count; ++i) {
        char name[32], key[32];
        snprintf(name, sizeof name, "bad%03d.wav", i);
        snprintf(key, sizeof key, "Sound%02d", i + 1);
        WriteAll(folder_ + "\\" + name, corpus[i]);
        ini += std::string(key) + "=" + name + "\n";
    }
    StartWith(WriteIni(ini));
    ASSERT_EQ(host::VariableValue("VoiceAvailable"), 1.0);

    int failed = 0;
    for (int slot = 1; slot <= count; ++slot) {
        size_t boxesBefore = host::MessageBoxes().size(); 
        Command(slot, 1);
        host::RunFrame();
        double state = Slot(slot);
        size_t boxes = host::MessageBoxes().size() - boxesBefore;
        if (state == kErrorFlag) {
            ++failed;
            EXPECT_GE(boxes, 1u) << "slot " << slot << " failed without a box";
            Command(slot, 10);
            host::RunFrame();
            EXPECT_EQ(Slot(slot), 0.0) << "slot " << slot;
        } else {
            EXPECT_TRUE(state == 1.0 || state == 0.0) << "slot " << slot << " reads " << state;
            EXPECT_EQ(boxes, 0u) << "slot " << slot << " played but showed a box";
        }
    }
    printf("bad WAV corpus: %d files, %d failed, %d played\n", count, failed, count - failed);
    EXPECT_GT(failed, count / 2);

    host::ClearMessageBoxes();
    Command(0, 1);
    host::RunFrame();
    EXPECT_EQ(Slot(0), 1.0);
    EXPECT_TRUE(host::MessageBoxes().empty());
}

struct ConfigCase {
    const char* what;
    std::string text;
    int expectedSlots;  // slot variables the module registers
};

std::vector<ConfigCase> BadConfigs() {
    std::vector<ConfigCase> cases;
    std::string garbage;
    uint32_t seed = 99;
    for (int i = 0; i < 20000; ++i) garbage += (char)((seed = seed * 1103515245u + 12345u) >> 16);
    cases.push_back({"binary garbage", garbage, 10});
    std::string lines = "[Config]\nMaxSounds=3\n";
    for (int i = 0; i < 100000; ++i) lines += "Filler" + std::to_string(i) + "=x\n";
    cases.push_back({"100,000 lines", lines, 3});
    std::string longText(10000, 'k');
    cases.push_back({"long key", "[Config]\n" + longText + "=5\nMaxSounds=2\n[" + longText + "]\n", 2});
    cases.push_back({"long values", "[Config]\nMaxSounds=2" + std::string(9999, '0') + "\nErrorFlag=" + longText +
                                        "\nVoiceAvailable=" + longText + "\n[Sounds]\nSound00=" + longText + "\n",
                     1000});
    cases.push_back({"MaxSounds 0", "[Config]\nMaxSounds=0\n", 0});
    cases.push_back({"MaxSounds -1", "[Config]\nMaxSounds=-1\n", 1});
    cases.push_back({"MaxSounds 1000", "[Config]\nMaxSounds=1000\n", 1000});
    cases.push_back({"MaxSounds 1001", "[Config]\nMaxSounds=1001\n", 1000});
    cases.push_back({"MaxSounds 99999999", "[Config]\nMaxSounds=99999999\n", 1000});
    cases.push_back({"MaxSounds abc", "[Config]\nMaxSounds=abc\n", 0});
    return cases;
}

TEST_F(RobustTest, BadConfigurationsStartWithTheLimitsHolding) {
    for (const ConfigCase& c : BadConfigs()) {
        SCOPED_TRACE(c.what);
        std::string ini = WriteIni(c.text);
        StartWith(ini);
        if (c.expectedSlots > 0) {
            EXPECT_TRUE(host::VariableExists(SlotVar(c.expectedSlots - 1).c_str()));
        }
        EXPECT_FALSE(host::VariableExists(SlotVar(c.expectedSlots).c_str()));
        if (c.expectedSlots > 0) {
            Command(0, 1);  // plays, or fails on a missing or cut path; never more
            host::RunFrame();
            double state = Slot(0);
            EXPECT_TRUE(state == 1.0 || state == 0.0 || state < 0) << state;
        }
        ModuleTest::TearDown();
        started_ = false;
        ModuleTest::SetUp();
    }
}

TEST_F(RobustTest, LongParameterStringFallsBackToTheDefaultFile) {
    StartWith(std::string(10000, 'p'));
    auto boxes = host::MessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_NE(boxes[0].text.find("Config File Not Found"), std::string::npos);
    EXPECT_LT(boxes[0].text.size(), 1024u);
    EXPECT_TRUE(host::VariableExists(SlotVar(9).c_str()));
}

}  // namespace
