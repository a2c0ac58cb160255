#include "tools/panelhost/check/sound_play.h"

#include <windows.h>

#include "host/host.h"
#include "module/named_var.h"
#include "tools/common/paths.h"
#include "tools/panelhost/check/module_run.h"
#include "tools/panelhost/check/report.h"
#include "tools/panelhost/check/slot_table_view.h"
#include "tools/panelhost/check/wav_format.h"
#include "tools/panelhost/common/names.h"

namespace {

const double kPlayWithSettings = 7;  // takes volume and pan from the input variables, then plays once
const double kStopAndRewind = 0;
const double kSilentVolume = -10000;  // in hundredths of a decibel; 0 in percent

// The length of the full path the module composes for a [Sounds] key (the
// module keeps at most 259 characters of it; Windows opens no longer path).
size_t WavPathLength(const std::string& iniPath, const std::vector<CfgSection>& sections, const std::string& key) {
    const CfgEntry* entry = FindEntry(FindSection(sections, "Sounds"), key);
    if (entry == nullptr) return 0;
    std::string value = entry->value.substr(0, kEntryCharsRead);
    value = value.substr(0, value.find(','));
    std::string folder = FolderOf(iniPath);
    if (!value.empty() && (value[0] == '\\' || value[0] == '/')) return folder.size() + value.size();
    if (!value.empty() && value[0] == '.') {
        char current[1024];
        DWORD size = GetCurrentDirectoryA(sizeof current, current);
        return (size < sizeof current ? size : 0) + value.size() - 1;
    }
    if (value.find(':') != std::string::npos) return value.size();
    return folder.size() + 1 + value.size();
}

// Judges a configured slot by its own state in the module's table after its
// command: whether it loaded, whether it failed, and the boxes of its command
// (those naming its file, when other slots were commanded with it).
bool JudgeSlot(IniLint* lint, const ConfigResult& result, const TableView& table, size_t n, size_t boxesBefore,
               bool commandedAlone) {
    int slot = result.configured[n];
    const SlotView& view = table.slots[static_cast<size_t>(slot)];
    std::string boxes = JoinedBoxes(boxesBefore, commandedAlone ? "" : view.wavPath);
    int line = result.configuredLines[n];
    std::string advice = view.loaded ? "" : WavLoadAdvice(view.wavPath);
    size_t length = WavPathLength(result.iniPath, lint->sections, result.configuredKeys[n]);
    if (!view.loaded && length > kNameLength - 1u)
        lint->Fail(line, view.wavPath,
                   "the WAV file's full path is " + std::to_string(length) + " characters long: Windows programs, "
                   "the simulator and the module among them, take at most 259, so the file is never found; move "
                   "the aircraft or the sounds to a shorter path");
    else if (!view.loaded)
        lint->Fail(line, view.wavPath,
                   "the sound does not load: " + boxes +
                       (advice.empty() ? "; check the path and that the file is a PCM WAV file" : "; " + advice));
    else if (view.failed)
        lint->Fail(line, view.wavPath, "the sound loads but does not play: " + boxes);
    bool good = view.loaded && !view.failed;
    Note("%-7s %-24s %s  %s", result.configuredKeys[n].c_str(), view.variable.c_str(), view.wavPath.c_str(),
         good ? "loads and plays" : "FAILED");
    return good;
}

}  // namespace

int PlayConfiguredSounds(IniLint* lint, const ConfigResult& result, const std::vector<std::string>& controls) {
    int played = 0;
    std::vector<bool> done(result.configured.size(), false);
    bool percent = host::VariableValue("Old Volume Control") != 0;
    for (size_t n = 0; n < result.configured.size(); ++n) {
        if (done[n]) continue;
        const std::string& variable = result.slotVars[static_cast<size_t>(result.configured[n])];
        host::SetVariable(controls[0].c_str(), percent ? 0 : kSilentVolume);
        host::SetVariable(controls[1].c_str(), 0);
        size_t before = host::MessageBoxes().size();
        host::SetVariable(variable.c_str(), kPlayWithSettings);
        host::RunFrame();
        host::SetVariable(variable.c_str(), kStopAndRewind);
        host::RunFrame();
        std::vector<size_t> together;
        for (size_t m = n; m < result.configured.size(); ++m)
            if (SameName(result.slotVars[static_cast<size_t>(result.configured[m])], variable)) together.push_back(m);
        TableView table = ReadSlotTable();
        for (size_t m : together) {
            done[m] = true;
            if (JudgeSlot(lint, result, table, m, before, together.size() == 1)) ++played;
        }
    }
    return played;
}
