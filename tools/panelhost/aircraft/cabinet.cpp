// Reads a cabinet entry through the cabinet reader, a process of its own:
// runs it, collects what it writes within the time allowed, and decodes it.
#include "tools/panelhost/aircraft/cabinet.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "tools/common/paths.h"
#include "tools/panelhost/common/names.h"

namespace {

const size_t kMaxNamesReported = 20;     // unsafe entry names passed on
const size_t kRecordsSlack = 64 * 1024;  // what the reader writes beside the entry itself

void PutRecord(std::string* bytes, char tag, const std::string& value) {
    char head[24];
    snprintf(head, sizeof head, "%c%u:", tag, static_cast<unsigned>(value.size()));
    *bytes += head;
    *bytes += value;
}

// The cabinet reader's path, or "" when it is in neither place.
std::string ReaderPath() {
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    std::string folder = FolderOf(program);
    for (const std::string& candidate : {folder, FolderOf(FolderOf(folder))}) {
        std::string path = candidate + "\\" + kCabinetReader;
        if (IsFile(path)) return path;
    }
    return "";
}

// Runs COMMAND with its output into OUTPUT, at most MAXOUTPUT bytes and
// kCabinetSeconds; false, with WHY, when it does not end well.
bool RunReader(const std::string& reader, std::string command, size_t maxOutput, std::string* output,
               std::string* why) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        *why = "the cabinet reader cannot be started";
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    bool started = CreateProcessA(reader.c_str(), &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  nullptr, &startup, &process) != 0;
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        *why = "the cabinet reader cannot be started";
        return false;
    }
    DWORD startedAt = GetTickCount();
    bool ended = false, tooMuch = false, tooLong = false;
    char buffer[65536];
    for (;;) {
        DWORD waiting = 0;
        if (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
            DWORD got = 0;
            if (!ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr)) break;
            output->append(buffer, got);
            if (output->size() > maxOutput) {
                tooMuch = true;
                break;
            }
            continue;
        }
        if (ended) break;  // exited, and everything it wrote has been read
        ended = WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0;
        if (!ended && GetTickCount() - startedAt > kCabinetSeconds * 1000u) {
            tooLong = true;
            break;
        }
    }
    DWORD exitCode = 0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(readEnd);
    char text[160];
    if (tooLong)
        snprintf(text, sizeof text, "Windows' cabinet reader did not finish within %d seconds", kCabinetSeconds);
    else if (tooMuch)
        snprintf(text, sizeof text, "Windows' cabinet reader gave more than the entry can hold");
    else if (exitCode != 0)
        snprintf(text, sizeof text, "Windows' cabinet reader failed on it (exit code 0x%08lX)",
                 static_cast<unsigned long>(exitCode));
    else
        return true;
    *why = text;
    return false;
}

}  // namespace

std::string EncodeCabinetEntry(const CabinetEntry& entry) {
    std::string bytes;
    PutRecord(&bytes, 'F', entry.found ? "1" : "0");
    PutRecord(&bytes, 'S', std::to_string(entry.declaredSize));
    PutRecord(&bytes, 'T', entry.tooLarge ? "1" : "0");
    PutRecord(&bytes, 'D', entry.damage);
    PutRecord(&bytes, 'N', entry.storedName);
    for (size_t i = 0; i < entry.unsafeNames.size() && i < kMaxNamesReported; ++i)
        PutRecord(&bytes, 'U', entry.unsafeNames[i]);
    PutRecord(&bytes, 'X', entry.data);
    return bytes;
}

bool DecodeCabinetEntry(const std::string& bytes, CabinetEntry* entry) {
    *entry = CabinetEntry();
    size_t at = 0;
    while (at < bytes.size()) {
        char tag = bytes[at];
        size_t colon = bytes.find(':', at);
        if (colon == std::string::npos || colon - at > 12) return false;
        char* end = nullptr;
        unsigned long length = strtoul(bytes.c_str() + at + 1, &end, 10);
        if (end != bytes.c_str() + colon || length > bytes.size() - colon - 1) return false;
        std::string value = bytes.substr(colon + 1, length);
        at = colon + 1 + length;
        switch (tag) {
        case 'F': entry->found = value == "1"; break;
        case 'S': entry->declaredSize = strtol(value.c_str(), nullptr, 10); break;
        case 'T': entry->tooLarge = value == "1"; break;
        case 'D': entry->damage = value; break;
        case 'N': entry->storedName = value; break;
        case 'U': entry->unsafeNames.push_back(value); break;
        case 'X': entry->data = value; break;
        default: return false;
        }
    }
    return true;
}

void ReadCabinetEntry(const std::string& path, const std::string& name, size_t limit, CabinetEntry* entry) {
    *entry = CabinetEntry();
    std::string reader = ReaderPath();
    if (reader.empty()) {
        entry->readerMissing = true;
        return;
    }
    // Windows file names hold no quote, so quoting each argument is enough.
    if (name.find('"') != std::string::npos || path.find('"') != std::string::npos) return;
    std::string command = "\"" + reader + "\" \"" + path + "\" \"" + name + "\" " + std::to_string(limit);
    std::string output, why;
    if (!RunReader(reader, command, limit + kRecordsSlack, &output, &why)) {
        entry->damage = why;
    } else if (!DecodeCabinetEntry(output, entry)) {
        *entry = CabinetEntry();
        entry->damage = "Windows' cabinet reader gave an answer that cannot be read";
    }
}
