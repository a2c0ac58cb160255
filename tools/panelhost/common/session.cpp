// The module loaded into the stand-in host, and the paths around it.
#include <stdio.h>

#include "host/host.h"
#include "tools/panelhost/common/common.h"

bool ReadFile(const std::string& path, std::string* text) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text->append(chunk, got);
    bool ok = ferror(file) == 0;
    fclose(file);
    return ok;
}

std::string FullPath(const std::string& path) {
    // Through the wide API: a Linux path may be longer than the ANSI one takes.
    int wideLength = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (wideLength <= 0) return path;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], wideLength);
    DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(wide.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return path;
    int narrowLength = WideCharToMultiByte(CP_ACP, 0, full.c_str(), static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (narrowLength <= 0) return path;
    std::string narrow(static_cast<size_t>(narrowLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, full.c_str(), static_cast<int>(length), &narrow[0], narrowLength, nullptr, nullptr);
    return narrow;
}

bool LoadFreshModule(const Options& options) {
    host::Reset();
    host::ClearMessageBoxes();
    if (!OpenStandIns(options) || !ModuleFitsThisProgram(options.modulePath)) return false;
    if (host::LoadModule(options.modulePath.c_str())) return true;
    fprintf(stderr, "panelhost: cannot load the module %s (error %lu)\n", options.modulePath.c_str(), GetLastError());
    return false;
}

std::string ProgramFolder() {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return ".";
    return FolderOf(std::string(self, length));
}

