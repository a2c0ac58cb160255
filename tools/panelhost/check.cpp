// --check: loads a configuration through the module and asks for every
// configured sound to be loaded, one frame per sound, with a line for each.
#include <stdio.h>
#include <string.h>

#include "tools/panelhost/panelhost.h"

namespace {

const int kStartupFrames = 11;     // the configuration load, then ten frames to the audio start-up
const int kConfigVariables = 8;    // registered by the load before the slots' command variables
const double kLoadCommand = 4;     // reports the volume: loads the sound on the primary device, plays nothing
const int kEntryLength = 128;      // as the module reads [Sounds]

// The slot's WAV path as the module composes it from its [Sounds] entry;
// false when the entry is empty or missing.
bool ConfiguredPath(const std::string& iniPath, int slot, std::string* path) {
    char key[16], value[kEntryLength];
    snprintf(key, sizeof key, "Sound%02d", slot);
    GetPrivateProfileStringA("Sounds", key, "", value, sizeof value, iniPath.c_str());
    if (value[0] == '\0') {
        char fallback[64];
        snprintf(fallback, sizeof fallback, "./Sound/kvo/kvo_xml_%02d.wav", slot);
        *path = fallback;
        return false;
    }
    std::string folder = iniPath.substr(0, iniPath.find_last_of('\\'));
    std::string composed;
    if (value[0] == '/' || value[0] == '\\') composed = folder + value;
    else if (value[0] == '.' || strchr(value, ':') != nullptr) composed = value;
    else composed = folder + "\\" + value;
    *path = composed.substr(0, composed.find(','));
    return true;
}

// The slots' command variables, from the registrations of the loading frame:
// the control variables, slot n-1 down to slot 0, then the global variable.
std::vector<std::string> SlotVariables(int loadFrame) {
    std::vector<std::string> names;
    for (const host::ServiceCall& call : host::CallsOf("register"))
        if (call.frame == loadFrame) names.push_back(call.name);
    std::vector<std::string> slots;
    for (int i = static_cast<int>(names.size()) - 2; i >= kConfigVariables; --i) slots.push_back(names[i]);
    return slots;
}

std::string JoinedBoxes(const std::vector<host::MessageBoxRecord>& boxes, size_t from) {
    std::string text;
    for (size_t i = from; i < boxes.size(); ++i) text += (i > from ? "  then " : "") + BoxText(boxes[i]);
    return text;
}

}  // namespace

int RunCheck(const Options& options) {
    std::string iniPath = FullPath(options.checkConfig);
    if (!LoadFreshModule(options)) return kExitUnusable;
    host::CreateSimWindow();
    host::StartModule();
    bool hasGauge = host::AddGauge("Sound", iniPath.c_str()) >= 0;
    host::RunFrames(kStartupFrames);
    printf("configuration %s\n", iniPath.c_str());

    int result = kExitOk;
    std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
    if (!hasGauge) {
        fprintf(stderr, "panelhost: the module has no Sound gauge\n");
        result = kExitUnusable;
    } else if (!boxes.empty()) {
        // The configuration was not found, or the audio devices failed: no sound can be judged.
        printf("not checked: %s\n", JoinedBoxes(boxes, 0).c_str());
        result = kExitFailed;
    } else {
        std::vector<std::string> variables = SlotVariables(1);
        int checked = 0, failed = 0;
        for (size_t slot = 0; slot < variables.size(); ++slot) {
            std::string path;
            bool configured = ConfiguredPath(iniPath, static_cast<int>(slot), &path);
            printf("%4u  %-24s %s  ", static_cast<unsigned>(slot), variables[slot].c_str(), path.c_str());
            if (!configured) {
                printf("not configured\n");
                continue;
            }
            size_t before = host::MessageBoxes().size();
            host::SetVariable(variables[slot].c_str(), kLoadCommand);
            host::RunFrame();
            boxes = host::MessageBoxes();
            ++checked;
            if (boxes.size() == before) {
                printf("OK\n");
            } else {
                ++failed;
                printf("FAILED %s\n", JoinedBoxes(boxes, before).c_str());
            }
        }
        printf("%d sounds checked: %d OK, %d failed\n", checked, checked - failed, failed);
        if (failed > 0) result = kExitFailed;
    }
    fflush(stdout);
    host::KillGauges();
    host::StopModule();
    host::UnloadModule();
    host::DestroySimWindow();
    return result;
}
