// The two error boxes built from a status code. Every text is composed into
// a fixed buffer with a bounded format, so a long file name or system text
// is cut, never written past the end.
#include "diag/error_report.h"

#include <windows.h>

#include <stdio.h>

#include "diag/warning_box.h"

// Message requests: allocate the text, search a module's table then the
// system's, or the system's alone. Inserts are left as written: the
// requests carry no arguments to fill them with.
static const DWORD kFromModuleFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
    FORMAT_MESSAGE_IGNORE_INSERTS;
static const DWORD kFromSystemFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
static const DWORD kUserDefaultLanguage = 0x400;

int ErrorFacility(int32_t code) { return static_cast<int>((static_cast<uint32_t>(code) >> 16) & 0x1FFF); }

int ErrorId(int32_t code) { return static_cast<int>(static_cast<uint32_t>(code) & 0xFFFF); }

// The already loaded module whose message table is searched first for a
// facility, or null. Nothing is loaded here.
static HMODULE MessageModule(int facility, const char* multimediaModule) {
    if (facility == kFacilityMultimedia) return GetModuleHandleA(multimediaModule);
    if (facility == kFacilityDirectSound) return GetModuleHandleA("dsound.dll");
    return nullptr;
}

// Asks the system for a code's text: from `module` and then the system's
// table, or from the system's alone when `module` is null. Returns the text
// (free it with LocalFree) or null when there is none.
static char* RequestText(int32_t code, HMODULE module) {
    char* text = nullptr;
    DWORD flags = module != nullptr ? kFromModuleFlags : kFromSystemFlags;
    DWORD length = FormatMessageA(flags, module, static_cast<DWORD>(code), kUserDefaultLanguage,
                                  reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length == 0) {
        if (text != nullptr) LocalFree(text);
        return nullptr;
    }
    return text;
}

// Converts `fileName` to the ANSI code page into `out` (kReportFileTextSize
// bytes), cut to whole characters that fit. Empty when there is no name or
// the conversion yields nothing.
static void ConvertFileName(const wchar_t* fileName, char* out) {
    out[0] = '\0';
    if (fileName == nullptr) return;
    const int maxBytes = kReportFileTextSize - 1;
    // Every character takes at least one byte, so no more than maxBytes can fit.
    int count = static_cast<int>(wcsnlen(fileName, maxBytes));
    // A cut never splits a surrogate pair.
    if (fileName[count] != L'\0' && IS_HIGH_SURROGATE(fileName[count - 1])) --count;
    while (count > 0) {
        int needed = WideCharToMultiByte(CP_ACP, 0, fileName, count, nullptr, 0, nullptr, nullptr);
        if (needed == 0) return;
        if (needed <= maxBytes) break;
        --count;
        if (count > 0 && IS_HIGH_SURROGATE(fileName[count - 1])) --count;
    }
    if (count == 0) return;
    int written = WideCharToMultiByte(CP_ACP, 0, fileName, count, out, maxBytes, nullptr, nullptr);
    out[written > 0 ? written : 0] = '\0';
}

void ComposeErrorReport(char* out, size_t outSize, int32_t code, int location, const wchar_t* fileName) {
    if (out == nullptr || outSize == 0) return;
    char fileText[kReportFileTextSize];
    ConvertFileName(fileName, fileText);

    int facility = ErrorFacility(code);
    HMODULE module = MessageModule(facility, "winmm.dll");
    char* systemText = module != nullptr ? RequestText(code, module) : nullptr;
    if (systemText == nullptr) systemText = RequestText(code, nullptr);
    const char* text = systemText != nullptr ? systemText : MultimediaErrorText(code);

    const char* format = facility == kFacilityDirectSound
                             ? "DirectSound Error\nFacility %d\nError ID %d\n%s\nFull Error Code 0x%x\nLocation %d\nFile: %s"
                             : "Error Encountered\nFacility %d\nError ID %d\n%s\nFull Error Code 0x%x\nLocation %d\nFile %s";
    snprintf(out, outSize, format, facility, ErrorId(code), text, static_cast<unsigned int>(code), location,
             fileText);
    // The system's text lives only until the message is composed.
    if (systemText != nullptr) LocalFree(systemText);
}

void ReportError(int32_t code, int location, const wchar_t* fileName) {
    char message[kReportTextSize];
    ComposeErrorReport(message, sizeof message, code, location, fileName);
    ShowWarningBox(message, kTitleErrorBoxFile);
}

void ComposeSlotErrorReport(char* out, size_t outSize, int32_t code, const char* wavPath, int command) {
    if (out == nullptr || outSize == 0) return;
    int facility = ErrorFacility(code);
    // One request, no fallback: without a text the line stays empty.
    char* systemText = RequestText(code, MessageModule(facility, "mmdevapi.dll"));

    const char* format =
        facility == kFacilityDirectSound
            ? "DirectSound Error\nFacility %d\nError ID %d\n%s\nFull Error Code 0x%x\n\nSound %s\nAction %d"
            : "Error Encountered\nFacility %d\nError ID %d\n%s\nFull Error Code 0x%x\n\nSound %s\nAction %d";
    snprintf(out, outSize, format, facility, ErrorId(code), systemText != nullptr ? systemText : "",
             static_cast<unsigned int>(code), wavPath != nullptr ? wavPath : "", command);
    if (systemText != nullptr) LocalFree(systemText);
}

void ReportSlotErrorFor(int32_t code, const char* wavPath, int command) {
    char message[kReportTextSize];
    ComposeSlotErrorReport(message, sizeof message, code, wavPath, command);
    ShowWarningBox(message, kTitleModulePath);
}
