// The error reports as the user sees them. System texts are whatever
// FormatMessageA answers on this machine, never written into the test.
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "diag/error_report.h"
#include "host/host.h"
#include "module/module_state.h"

namespace {

const char kUnspecified[] = "MMSystem - Unspecified Error";

// The platform's text for a code (module table first when given), "" for none.
std::string PlatformText(uint32_t code, HMODULE module) {
    char* text = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                  (module != nullptr ? FORMAT_MESSAGE_FROM_HMODULE : 0);
    DWORD length = FormatMessageA(flags, module, code, 0x400, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length != 0 ? std::string(text, length) : std::string();
    if (text != nullptr) LocalFree(text);
    return result;
}

std::string Composed(uint32_t code, int location, const wchar_t* fileName) {
    char text[kReportTextSize];
    ComposeErrorReport(text, sizeof text, static_cast<int32_t>(code), location, fileName);
    return text;
}
std::string ComposedSlot(uint32_t code, const char* wavPath, int command) {
    char text[kReportTextSize];
    ComposeSlotErrorReport(text, sizeof text, static_cast<int32_t>(code), wavPath, command);
    return text;
}

// The text between "Error ID n\n" and "\nFull Error Code".
std::string TextLine(const std::string& box) {
    size_t start = box.find('\n', box.find("Error ID "));
    size_t end = box.find("\nFull Error Code 0x", start);
    return start == std::string::npos || end == std::string::npos ? "<none>" : box.substr(start + 1, end - start - 1);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The one box shown since the last call; empty fields unless exactly one.
host::MessageBoxRecord Box() {
    std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
    host::ClearMessageBoxes();
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.size() == 1 ? boxes[0] : host::MessageBoxRecord{"", "", 0, nullptr, false};
}

}  // namespace

// Real boxes: a few only, as each one opens a dialog.
TEST(ErrorReportBox, HeadingsFileFormsTitlesAndStyle) {
    host::HookMessageBoxes(GetModuleHandleA(nullptr));
    host::ClearMessageBoxes();
    snprintf(errorBoxFileName, sizeof errorBoxFileName, "C:\\Aircraft\\panel\\kvo_sound.dll");
    snprintf(modulePath, sizeof modulePath, "C:\\Aircraft\\gauges\\kvo_sound.dll");

    ReportError(static_cast<int32_t>(0x88780078), kLocationCreateBuffer, L"C:\\Sounds\\bell.wav");
    host::MessageBoxRecord box = Box();
    EXPECT_EQ(box.text.rfind("DirectSound Error\nFacility 2168\nError ID 120\n", 0), 0u) << box.text;
    EXPECT_TRUE(EndsWith(box.text, "\nFull Error Code 0x88780078\nLocation 6\nFile: C:\\Sounds\\bell.wav")) << box.text;
    EXPECT_EQ(box.title, errorBoxFileName);
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_EQ(box.owner, nullptr);

    ReportSlotErrorFor(static_cast<int32_t>(0x88780078), "C:\\Sounds\\bell.wav", 3);
    box = Box();
    EXPECT_EQ(box.text.rfind("DirectSound Error\nFacility 2168\nError ID 120\n", 0), 0u) << box.text;
    EXPECT_TRUE(EndsWith(box.text, "\nFull Error Code 0x88780078\n\nSound C:\\Sounds\\bell.wav\nAction 3")) << box.text;
    EXPECT_EQ(box.title, modulePath);
    EXPECT_EQ(box.style, 0x30u);

    // Empty titles: ReportError falls back, the slot report does not.
    errorBoxFileName[0] = modulePath[0] = '\0';
    ReportError(1, kLocationCreatePrimary, nullptr);
    EXPECT_EQ(Box().title, "cGaugeSoundClass");
    ReportSlotErrorFor(static_cast<int32_t>(0x80004005), std::string(1000, 'w').c_str(), 2);
    box = Box();
    EXPECT_EQ(box.title, "");
    ASSERT_EQ(box.text.size(), 511u);  // cut inside the long path
    size_t sound = box.text.find("\n\nSound ");
    ASSERT_NE(sound, std::string::npos);
    EXPECT_EQ(box.text.find_first_not_of('w', sound + 8), std::string::npos);
}

TEST(ErrorReportText, CodeSplitFileFormsAndLocations) {
    EXPECT_EQ(ErrorFacility(-1), 0x1FFF);  // bits 29 to 31 are not the facility's
    EXPECT_EQ(ErrorId(-1), 65535);
    std::string systemText = PlatformText(0x8007000E, nullptr);
    ASSERT_FALSE(systemText.empty());
    const std::string expected =
        "Error Encountered\nFacility 7\nError ID 14\n" + systemText + "\nFull Error Code 0x8007000e\nLocation 7\nFile ";
    EXPECT_EQ(Composed(0x8007000E, kLocationAllocSamples, L""), expected);
    EXPECT_EQ(Composed(0x8007000E, kLocationAllocSamples, nullptr), expected);
    std::string text = Composed(257, kLocationOpenWav, L"a.wav");
    EXPECT_EQ(text.rfind("Error Encountered\nFacility 0\nError ID 257\n", 0), 0u) << text;
    EXPECT_TRUE(EndsWith(text, "\nFull Error Code 0x101\nLocation 5\nFile a.wav")) << text;
    for (int location : {5, 6, 7, 8, 9, 10, 11, 12, 120, 13, 130})
        EXPECT_TRUE(EndsWith(Composed(1, location, nullptr), "\nLocation " + std::to_string(location) + "\nFile "));
}

TEST(ErrorReportText, TextLineFallsBackToTheTableWhereTheSystemHasNone) {
    HMODULE winmm = GetModuleHandleA("winmm.dll");
    std::vector<uint32_t> codes = {0, 22, 32, 36, 63, 72, 96, 98, 128, 130, 164, 168, 256, 273, 1023, 1027, 0x8FFF1234};
    for (uint32_t code = 1; code <= 1026; ++code)
        if (strcmp(MultimediaErrorText(static_cast<int32_t>(code)), kUnspecified) != 0) codes.push_back(code);
    int withoutSystemText = 0;
    for (uint32_t code : codes) {
        std::string systemText = PlatformText(code, winmm);
        if (systemText.empty()) ++withoutSystemText;
        EXPECT_EQ(TextLine(Composed(code, 5, nullptr)),
                  systemText.empty() ? MultimediaErrorText(static_cast<int32_t>(code)) : systemText) << code;
    }
    EXPECT_GT(withoutSystemText, 1) << "the fallback went unchecked";
    EXPECT_EQ(TextLine(Composed(0x8FFF1234, 5, nullptr)), kUnspecified);
    // A system text with an insert marker is used as written.
    std::string insertText = PlatformText(0x800700C1, nullptr);
    ASSERT_NE(insertText.find("%1"), std::string::npos) << insertText;
    EXPECT_EQ(TextLine(Composed(0x800700C1, 5, nullptr)), insertText);
}

TEST(ErrorReportText, SlotTextHasOneRequestAndNoFallback) {
    std::string systemText = PlatformText(0x80070002, nullptr);
    ASSERT_FALSE(systemText.empty());
    EXPECT_EQ(ComposedSlot(0x80070002, "b.wav", 1), "Error Encountered\nFacility 7\nError ID 2\n" + systemText +
                                                        "\nFull Error Code 0x80070002\n\nSound b.wav\nAction 1");
    ASSERT_EQ(PlatformText(257, GetModuleHandleA("mmdevapi.dll")), "");
    EXPECT_EQ(ComposedSlot(257, nullptr, 0),
              "Error Encountered\nFacility 0\nError ID 257\n\nFull Error Code 0x101\n\nSound \nAction 0");
}

TEST(ErrorReportText, CutsStayInsideTheBuffers) {
    EXPECT_TRUE(EndsWith(Composed(1, 5, std::wstring(1000, L'a').c_str()), "\nFile " + std::string(259, 'a')));
    char area[64];
    memset(area, '#', sizeof area);
    ComposeErrorReport(area, 40, static_cast<int32_t>(0x88780078), 6, std::wstring(300, L'f').c_str());
    EXPECT_EQ(strlen(area), 39u);
    EXPECT_EQ(area[40], '#');
    memset(area, '#', sizeof area);
    ComposeSlotErrorReport(area, 40, 257, std::string(300, 'w').c_str(), 1);
    EXPECT_EQ(strlen(area), 39u);
    EXPECT_EQ(area[40], '#');
    // No room, or no buffer at all: nothing is written.
    memset(area, '#', sizeof area);
    ComposeErrorReport(area, 0, 1, 5, nullptr);
    ComposeSlotErrorReport(area, 0, 1, "a.wav", 1);
    ComposeErrorReport(nullptr, 40, 1, 5, nullptr);
    ComposeSlotErrorReport(nullptr, 40, 1, "a.wav", 1);
    EXPECT_EQ(area[0], '#');
    // A file name is never cut inside a surrogate pair.
    std::wstring pairAtTheCut = std::wstring(258, L'a') + L"\xD83D\xDE00" + L"b";
    EXPECT_TRUE(EndsWith(Composed(1, 5, pairAtTheCut.c_str()), "\nFile " + std::string(258, 'a')));
}

// The module imports DirectSound, but composing a report must not bring up
// the sound system behind it.
TEST(ErrorReportText, ReportsStartNoSoundSystem) {
    ASSERT_EQ(GetModuleHandleA("mmdevapi.dll"), nullptr);
    Composed(0x88780078, 6, nullptr);
    ComposedSlot(0x88780078, "a.wav", 1);
    ComposedSlot(257, "a.wav", 1);
    EXPECT_EQ(GetModuleHandleA("mmdevapi.dll"), nullptr);
}

TEST(MultimediaErrorTextTable, EveryListedCodeAndNoOther) {
    const std::pair<int32_t, const char*> table[] = {
        {1, "MMSYSERR_ERROR: unspecified error"}, {2, "MMSYSERR_BADDEVICEID: device ID out of range"},
        {3, "MMSYSERR_NOTENABLED: driver failed enable"}, {4, "MMSYSERR_ALLOCATED: device already allocated"},
        {5, "MMSYSERR_INVALHANDLE: device handle is invalid"}, {6, "MMSYSERR_NODRIVER: no device driver present"},
        {7, "MMSYSERR_NOMEM: memory allocation error"}, {8, "MMSYSERR_NOTSUPPORTED: function isn't supported"},
        {9, "MMSYSERR_BADERRNUM: error value out of range"}, {10, "MMSYSERR_INVALFLAG: invalid flag passed"},
        {11, "MMSYSERR_INVALPARAM: invalid parameter passed"},
        {12, "MMSYSERR_HANDLEBUSY: handle being used simultaneously on another thread eg callback"},
        {13, "MMSYSERR_INVALIDALIAS: specified alias not found"}, {14, "MMSYSERR_INVALIDALIAS: bad registry database"},
        {15, "MMSYSERR_KEYNOTFOUND: registry key not found"}, {16, "MMSYSERR_READERROR: registry read error"},
        {17, "MMSYSERR_WRITEERROR: registry write error"}, {18, "MMSYSERR_DELETEERROR: registry delete error"},
        {19, "MMSYSERR_VALNOTFOUND: registry value not found"},
        {20, "MMSYSERR_NODRIVERCB: driver does not call DriverCallback"},
        {21, "MMSYSERR_MOREDATA: more data to be returned"}, {33, "WAVERR_STILLPLAYING: still something playing"},
        {34, "WAVERR_UNPREPARED: header not prepared"}, {35, "WAVERR_SYNC: device is synchronous"},
        {64, "MIDIERR_UNPREPARED: header not prepared"}, {65, "MIDIERR_STILLPLAYING: still something playing"},
        {66, "MIDIERR_NOMAP: no configured instruments"}, {67, "MIDIERR_NOTREADY: hardware is still busy"},
        {68, "MIDIERR_NODEVICE: port no longer connected"}, {69, "MIDIERR_INVALIDSETUP: invalid MIF"},
        {70, "MIDIERR_BADOPENMODE: operation unsupported w/ open mode"},
        {71, "MIDIERR_DONT_CONTINUE: thru device 'eating' a message"}, {97, "TIMERR_NOCANDO: request not completed"},
        {129, "TIMERR_STRUCT: time struct size"}, {165, "JOYERR_PARMS: bad parameters"},
        {166, "JOYERR_NOCANDO: request not completed"}, {167, "JOYERR_UNPLUGGED: joystick is unplugged"},
        {257, "MMIOERR_FILENOTFOUND: file not found"}, {258, "MMIOERR_OUTOFMEMORY: out of memory"},
        {259, "MMIOERR_CANNOTOPEN: cannot open"}, {260, "MMIOERR_CANNOTCLOSE: cannot close"},
        {261, "MMIOERR_CANNOTREAD: cannot read"}, {262, "MMIOERR_CANNOTWRITE: cannot write"},
        {263, "MMIOERR_CANNOTSEEK: cannot seek"}, {264, "MMIOERR_CANNOTEXPAND: cannot expand file"},
        {265, "MMIOERR_CHUNKNOTFOUND: chunk not found"}, {266, "MMIOERR_UNBUFFERED"},
        {267, "MMIOERR_PATHNOTFOUND: path incorrect"}, {268, "MMIOERR_ACCESSDENIED: file was protected"},
        {269, "MMIOERR_SHARINGVIOLATION: file in use"}, {270, "MMIOERR_NETWORKERROR: network not responding"},
        {271, "MMIOERR_TOOMANYOPENFILES: no more file handles"}, {272, "MMIOERR_INVALIDFILE: default file error"},
        {1024, "MIXERR_INVALLINE"}, {1025, "MIXERR_INVALCONTROL"}, {1026, "MIXERR_INVALVALUE"},
    };
    std::vector<bool> listed(1100, false);
    for (const auto& entry : table) {
        EXPECT_STREQ(MultimediaErrorText(entry.first), entry.second) << entry.first;
        listed[entry.first] = true;
    }
    for (int32_t code = 0; code < 1100; ++code) {
        if (!listed[code]) {
            EXPECT_STREQ(MultimediaErrorText(code), kUnspecified) << code;
        }
    }
    for (uint32_t code : {0x80004005u, 0x80000001u, 0x88780101u, 0x00070001u})
        EXPECT_STREQ(MultimediaErrorText(static_cast<int32_t>(code)), kUnspecified) << code;
}
