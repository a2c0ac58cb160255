// Runs the module in the simulator stand-in: loads it, starts it with one
// Sound gauge, runs a few frames and prints what it registered and wrote.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "host/host.h"

static void DefaultModulePath(char* path, size_t size) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length >= MAX_PATH) length = MAX_PATH - 1;
    self[length] = '\0';
    char* slash = strrchr(self, '\\');
    if (slash != nullptr) *slash = '\0';
    snprintf(path, size, "%s\\kvo_sound.dll", self);
}

int main(int argc, char** argv) {
    char modulePath[MAX_PATH];
    DefaultModulePath(modulePath, sizeof modulePath);
    const char* parameters = "";
    int frames = 12;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--module") == 0 && i + 1 < argc)
            snprintf(modulePath, sizeof modulePath, "%s", argv[++i]);
        else if (strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            frames = atoi(argv[++i]);
        else
            parameters = argv[i];
    }

    host::Reset();
    if (!host::LoadModule(modulePath)) {
        fprintf(stderr, "panelhost: cannot load %s (error %lu)\n", modulePath, GetLastError());
        return 1;
    }
    host::CreateSimWindow();
    host::StartModule();
    host::AddGauge("Sound", parameters);
    host::RunFrames(frames);

    printf("module   %s\n", modulePath);
    printf("frames   %d\n", host::Frame());
    printf("registered named variables, in order:\n");
    for (const host::ServiceCall& call : host::CallsOf("register")) printf("  %3d  %s\n", call.id, call.name.c_str());
    printf("writes:\n");
    for (const host::ServiceCall& call : host::CallsOf("set"))
        printf("  frame %2d  %-24s = %g\n", call.frame, call.name.c_str(), call.value);
    printf("key-event handlers registered: %u\n", static_cast<unsigned>(host::KeyHandlerCount()));
    for (const host::MessageBoxRecord& box : host::MessageBoxes())
        printf("message box \"%s\": %s\n", box.title.c_str(), box.text.c_str());

    host::KillGauges();
    host::StopModule();
    host::UnloadModule();
    host::DestroySimWindow();
    return 0;
}
