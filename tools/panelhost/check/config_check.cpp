// The check of one sound configuration, start to end: the lint, the module
// loaded with the configuration, its sounds played, the slots compared.
#include "tools/panelhost/check/config_check.h"

#include <stdio.h>

#include "host/host.h"
#include "module/startup_frames.h"
#include "tools/panelhost/aircraft/cfg_text.h"
#include "tools/panelhost/check/ini_lint.h"
#include "tools/panelhost/check/module_run.h"
#include "tools/panelhost/check/report.h"
#include "tools/panelhost/check/sharing.h"
#include "tools/panelhost/check/slot_table_view.h"
#include "tools/panelhost/check/sound_play.h"
#include "tools/panelhost/common/names.h"

namespace {

const int kControlVariables = 8;  // registered by the load before the slots' command variables

// The variables of RESULT's slots, its global-commands variable and the others the module registered.
void CollectVariables(const TableView& table, ConfigResult* result) {
    for (const SlotView& slot : table.slots) result->slotVars.push_back(slot.variable);
    result->globalVar = table.globalVariable;
    for (const host::ServiceCall& call : host::CallsOf("register")) {
        bool known = SameName(call.name, table.globalVariable);
        for (const std::string& name : result->slotVars) known = known || SameName(name, call.name);
        for (const std::string& name : result->otherVars) known = known || SameName(name, call.name);
        if (!known) result->otherVars.push_back(call.name);
    }
}

}  // namespace

void CheckConfiguration(const Options& options, const std::string& iniPath, ConfigResult* result) {
    *result = ConfigResult();
    result->iniPath = iniPath;
    std::string text;
    if (!ReadCheckedText(iniPath, "the configuration", &text)) return;
    IniLint lint = {iniPath, ParseCfg(text, false)};
    lint.CheckConfigKeys();
    lint.CheckEncoding(text);

    if (!LoadFreshModule(options)) {
        ReportCannotRun();
        return;
    }
    host::CreateSimWindow();
    host::StartModule();
    host::AddGauge("Sound", iniPath.c_str());
    int debugger = host::AddGauge("Debugger", "");
    host::RunFrames(kFramesToServe);
    std::vector<std::string> controls = LoadRegistrations(1);
    // Off the configuration page, the Debugger gauge publishes the slot table.
    host::ClickDebugger(debugger, false);
    host::UpdateDebugger(debugger);
    TableView table = ReadSlotTable();
    std::string taken = ModuleIniPath(debugger);

    if (table.soundCount < 0 || controls.size() < kControlVariables + 1) {
        fprintf(stderr, "panelhost: the module %s did not publish its slot table\n", options.modulePath.c_str());
        ReportCannotRun();
    } else if (!SameName(taken, iniPath)) {
        ReportError(iniPath, 0, "", "the module did not take this configuration: " + JoinedBoxes(0));
    } else {
        lint.CheckSlotKeys("Sounds", "Sound", table.soundCount);
        lint.CheckSlotKeys("LVars", "Lvar", table.soundCount);
        lint.CheckNumbers(table.soundCount);
        CollectVariables(table, result);
        for (int slot = 0; slot < table.soundCount; ++slot) {
            char value[2];  // whether the entry is there at all
            std::string key = SlotKey("Sound", slot);
            if (GetPrivateProfileStringA("Sounds", key.c_str(), "", value, sizeof value, iniPath.c_str()) == 0) {
                // The module takes its default file for the slot; only a missing one is a fault.
                const std::string& wav = table.slots[static_cast<size_t>(slot)].wavPath;
                if (!IsFile(wav)) {
                    result->unkeyed.push_back(slot);
                    result->unkeyedPaths.push_back(wav);
                }
                continue;
            }
            const CfgEntry* entry = FindEntry(FindSection(lint.sections, "Sounds"), key);
            result->configured.push_back(slot);
            result->configuredKeys.push_back(key);
            result->configuredLines.push_back(entry != nullptr ? entry->line : 0);
        }
        if (result->configured.empty()) {
            ReportError(iniPath, 0, "[Sounds]",
                    "no sound is configured: add Sound00=<WAV file>, Sound01=... within MaxSounds");
        } else if (!host::MessageBoxes().empty()) {
            ReportError(iniPath, 0, "", "the module could not start its sound output: " + JoinedBoxes(0));
        } else {
            int played = PlayConfiguredSounds(&lint, *result, controls);
            CheckSharing(&lint, *result);
            Note("%d of %zu configured sounds load and play", played, result->configured.size());
            result->ran = true;
        }
    }
    fflush(stdout);
    host::KillGauges();
    host::StopModule();
    host::UnloadModule();
    host::DestroySimWindow();
}

void ReportUnkeyedSlots(const ConfigResult& result, const std::vector<bool>* written) {
    std::string idle;
    int idleCount = 0;
    for (size_t n = 0; n < result.unkeyed.size(); ++n) {
        int slot = result.unkeyed[n];
        const std::string& variable = result.slotVars[static_cast<size_t>(slot)];
        std::string key = SlotKey("Sound", slot);
        if ((*written)[static_cast<size_t>(slot)]) {
            ReportError(result.iniPath, 0, key,
                        "slot " + std::to_string(slot) + " has no sound key, yet an XML gauge of this panel writes "
                        "its command variable " + variable + ": the module then loads its default file " +
                            result.unkeyedPaths[n] + ", which is not there, and the first command shows two "
                            "boxes in flight; add " + key + "=<WAV file> to [Sounds]");
            continue;
        }
        if (idleCount < 5) idle += (idleCount == 0 ? "" : ", ") + key + " (" + variable + ")";
        ++idleCount;
    }
    if (idleCount == 0) return;
    if (idleCount > 5) idle += " and " + std::to_string(idleCount - 5) + " more";
    ReportWarning(result.iniPath, 0, "[Sounds]",
                  std::to_string(idleCount) + " slot" + (idleCount == 1 ? "" : "s") + " within MaxSounds without a "
                  "sound key: " + idle + ". The module gives each its default file (" + result.unkeyedPaths[0] +
                      ", ...), which is not there: a command into its variable shows two boxes in flight. "
                      "Configure the slot or lower MaxSounds");
}
