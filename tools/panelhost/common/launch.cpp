// panelhost.exe: the module reads the simulator's version from the program
// it runs in, and finds SimConnect only where its assembly sits beside the
// module, so each version, with and without SimConnect, is a program of its
// own in a folder of its own. This one picks it and passes the command line on.
#include <stdio.h>

#include "tools/panelhost/common/common.h"

namespace {

// The command line after the program's own name, as the system gave it.
const char* ArgumentsOf(const char* commandLine) {
    const char* at = commandLine;
    if (*at == '"') {
        ++at;
        while (*at != '\0' && *at != '"') ++at;
        if (*at == '"') ++at;
    } else {
        while (*at != '\0' && *at != ' ' && *at != '\t') ++at;
    }
    while (*at == ' ' || *at == '\t') ++at;
    return at;
}

void MakeInheritable(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
}

}  // namespace

int LaunchHost(int argc, char** argv) {
    Options options;
    int status = ReadOptions(argc, argv, &options);
    if (status != 0) return status;

    std::string variant = options.simVersion + (options.simConnect ? "-simconnect" : "");
    std::string program = ProgramFolder() + "\\panelhost\\" + variant + "\\panelhost.exe";
    if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "panelhost: the host program %s is missing (build the panelhost target)\n", program.c_str());
        return kExitUnusable;
    }
    std::string command = "\"" + program + "\"";
    command += std::string(" ") + ArgumentsOf(GetCommandLineA());

    MakeInheritable(STD_INPUT_HANDLE);
    MakeInheritable(STD_OUTPUT_HANDLE);
    MakeInheritable(STD_ERROR_HANDLE);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    fflush(stdout);
    fflush(stderr);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &process)) {
        fprintf(stderr, "panelhost: cannot start %s (error %lu)\n", program.c_str(), GetLastError());
        return kExitUnusable;
    }
    // The host program ends with this one, also when this one is killed (a
    // test's time limit, Ctrl+C). Without a job it simply runs on its own.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (job != nullptr) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        AssignProcessToJobObject(job, process.hProcess);
    }
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = kExitUnusable;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (job != nullptr) CloseHandle(job);
    return static_cast<int>(exitCode);
}
