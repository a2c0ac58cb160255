// panelhost.exe: the module reads the simulator's version from the program
// it runs in, and finds SimConnect only where its assembly sits beside the
// module, so each version, with and without SimConnect, is a program of its
// own in a folder of its own; and a 64-bit module loads only into a 64-bit
// program. This one picks the program and passes the command line on.
#include <stdio.h>

#include "tools/panelhost/common/common.h"

namespace {

const char* ArchitectureName(Architecture architecture) { return architecture == kArch64 ? "64-bit" : "32-bit"; }

const char* VersionsOf(Architecture architecture) {
    return architecture == kArch64 ? "4, 5, 6 or none" : "10, 9, 1 or none";
}

// The host program's folder under panelhost\, or "" (after one line on
// stderr) when the options ask for a host that cannot run the module.
std::string HostVariant(const Options& options) {
    Architecture module = options.moduleGiven ? FileArchitecture(options.modulePath) : options.hostArchitecture;
    Architecture version = VersionArchitecture(options.simVersion);
    if (module != kArchUnknown && version != kArchUnknown && module != version) {
        fprintf(stderr, "panelhost: %s is a %s module; --sim-version %s is a %s simulator (give %s)\n",
                options.modulePath.c_str(), ArchitectureName(module), options.simVersion.c_str(),
                ArchitectureName(version), VersionsOf(module));
        return "";
    }
    Architecture architecture = module != kArchUnknown ? module : version != kArchUnknown ? version : OwnArchitecture();
    std::string simVersion = options.simVersion;
    if (simVersion.empty()) simVersion = architecture == kArch64 ? "6" : "10";
    if (architecture == kArch32) return simVersion + (options.simConnect ? "-simconnect" : "");
    if (options.simConnect) {
        fprintf(stderr, "panelhost: --simconnect goes with the 32-bit module only: the 64-bit one never opens "
                        "a SimConnect link\n");
        return "";
    }
    return "x64-" + simVersion;
}

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

int LaunchHost(int argc, char** argv, void (*prepare)(Options*)) {
    Options options;
    int status = ReadOptions(argc, argv, &options);
    if (status != 0) return status;
    if (prepare != nullptr) prepare(&options);

    std::string variant = HostVariant(options);
    if (variant.empty()) return kExitUnusable;
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

Architecture FileArchitecture(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return kArchUnknown;
    IMAGE_DOS_HEADER dos = {};
    DWORD signature = 0;
    IMAGE_FILE_HEADER header = {};
    bool read = fread(&dos, sizeof dos, 1, file) == 1 && dos.e_magic == IMAGE_DOS_SIGNATURE && dos.e_lfanew > 0 &&
                fseek(file, dos.e_lfanew, SEEK_SET) == 0 && fread(&signature, sizeof signature, 1, file) == 1 &&
                signature == IMAGE_NT_SIGNATURE && fread(&header, sizeof header, 1, file) == 1;
    fclose(file);
    if (!read) return kArchUnknown;
    if (header.Machine == IMAGE_FILE_MACHINE_I386) return kArch32;
    if (header.Machine == IMAGE_FILE_MACHINE_AMD64) return kArch64;
    return kArchUnknown;
}

Architecture OwnArchitecture() { return sizeof(void*) == 8 ? kArch64 : kArch32; }

Architecture VersionArchitecture(const std::string& simVersion) {
    if (simVersion == "10" || simVersion == "9" || simVersion == "1") return kArch32;
    if (simVersion == "4" || simVersion == "5" || simVersion == "6") return kArch64;
    return kArchUnknown;
}

bool ModuleFitsThisProgram(const std::string& modulePath) {
    Architecture module = FileArchitecture(modulePath);
    if (module == kArchUnknown || module == OwnArchitecture()) return true;
    fprintf(stderr, "panelhost: %s is a %s module; this host program is %s (run panelhost.exe, which picks the host)\n",
            modulePath.c_str(), ArchitectureName(module), ArchitectureName(OwnArchitecture()));
    return false;
}
