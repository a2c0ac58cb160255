// Running panelhost.exe as a child process, its output collected through a pipe.
#include "tests/panelhost_run.h"

#include <windows.h>

#include "tests/test_support.h"

namespace {

int Run(const std::string& program, const std::string& arguments, const std::string* input, std::string* output) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE inputRead = nullptr, inputWrite = nullptr;
    if (input != nullptr) {
        // Large enough for the whole input: it is written before anything is read.
        if (!CreatePipe(&inputRead, &inputWrite, &inherit, static_cast<DWORD>(input->size() + 4096))) return -1;
        SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = input != nullptr ? inputRead : GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + program + "\" " + arguments;
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (input != nullptr) {
        CloseHandle(inputRead);
        DWORD written = 0;
        if (started) WriteFile(inputWrite, input->data(), static_cast<DWORD>(input->size()), &written, nullptr);
        CloseHandle(inputWrite);
    }
    output->clear();
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) output->append(chunk, got);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(status);
}

std::string Launcher() { return TestProgramFolder() + "\\panelhost.exe"; }

}  // namespace

int RunPanelhost(const std::string& arguments, std::string* output) {
    return Run(Launcher(), arguments, nullptr, output);
}

int RunPanelhostWithInput(const std::string& arguments, const std::string& input, std::string* output) {
    return Run(Launcher(), arguments, &input, output);
}

int RunProgram(const std::string& program, const std::string& arguments, std::string* output) {
    return Run(program, arguments, nullptr, output);
}

std::string LineWith(const std::string& output, const std::string& part) {
    size_t at = output.find(part);
    if (at == std::string::npos) return "";
    size_t begin = output.rfind('\n', at);
    begin = begin == std::string::npos ? 0 : begin + 1;
    return output.substr(begin, output.find('\n', at) - begin);
}
