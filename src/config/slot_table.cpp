#include "config/slot_table.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "config/config.h"
#include "config/ini_limits.h"
#include "module/module_state.h"

SoundSlot* slots = nullptr;

namespace {

int slotRecords = 0;  // records in the table, the global-commands slot included

// A composed path: the configuration's folder, a separator, a [Sounds] value.
const int kComposedChars = kNameLength + kEntryChars + 2;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number at the start of a volume text: leading blanks, an optional
// sign, digits with an optional decimal point, an optional exponent. Only
// that is read; hexadecimal, "inf" and "nan", which the C library would
// take, are no number here. No number gives 0.
double ReadVolumeNumber(const char* text) {
    const char* start = text;
    while (*start == ' ' || (*start >= '\t' && *start <= '\r')) ++start;
    const char* end = start;
    if (*end == '+' || *end == '-') ++end;
    int digits = 0;
    for (; IsDigit(*end); ++end) ++digits;
    if (*end == '.')
        for (++end; IsDigit(*end); ++end) ++digits;
    if (digits == 0) return 0.0;
    if (*end == 'e' || *end == 'E') {
        const char* exponent = end + 1;
        if (*exponent == '+' || *exponent == '-') ++exponent;
        if (IsDigit(*exponent)) {
            while (IsDigit(*exponent)) ++exponent;
            end = exponent;
        }
    }
    char number[kComposedChars];
    snprintf(number, sizeof number, "%.*s", static_cast<int>(end - start), start);
    return strtod(number, nullptr);
}

// (trunc(min(p, 100)) - 100) * 100, kept within the int range.
int32_t PercentToVolume(double percent) {
    if (percent > 100.0) percent = 100.0;
    int64_t volume = (static_cast<int64_t>(TruncateToInt(percent)) - 100) * 100;
    if (volume < INT32_MIN) volume = INT32_MIN;
    return static_cast<int32_t>(volume);
}

// Composes the slot's path from its [Sounds] value; the composed text may be
// longer than a path and is split at its first comma afterwards.
void ComposeSoundPath(const char* value, int index, char* composed, size_t size) {
    char iniFolder[kNameLength];
    RemoveLastComponent(iniPath, iniFolder, sizeof iniFolder);
    if (value[0] == '/' || value[0] == '\\')
        snprintf(composed, size, "%s%s", iniFolder, value);
    else if (value[0] == '.' || strchr(value, ':') != nullptr)
        snprintf(composed, size, "%s", value);
    else if (value[0] != '\0')
        snprintf(composed, size, "%s\\%s", iniFolder, value);
    else
        snprintf(composed, size, "./Sound/kvo/kvo_xml_%02d.wav", index);
}

void ReadSlot(int index) {
    SoundSlot* slot = &slots[index];
    char key[16];
    char value[kEntryChars];

    snprintf(key, sizeof key, "Sound%02d", index);
    GetPrivateProfileStringA("Sounds", key, "", value, sizeof value, iniPath);
    char composed[kComposedChars];
    ComposeSoundPath(value, index, composed, sizeof composed);

    char* comma = strchr(composed, ',');
    if (comma != nullptr) *comma = '\0';
    // A path longer than the field is cut; the load of such a file fails
    // with a box that names it.
    snprintf(slot->wavPath, sizeof slot->wavPath, "%s", composed);
    slot->volume = 0;
    if (comma != nullptr) {
        const char* volumeText = comma + 1;
        double percent = ReadVolumeNumber(volumeText);
        if (oldVolumeControl == 1) {
            slot->volume = PercentToVolume(percent);
        } else if (percent > 0.0) {
            slot->volume = PercentToVolume(percent);
            NamedVarSetValue(&moduleVars[kVarOldVolumeControl], 1.0);
        } else {
            long hundredths = strtol(volumeText, nullptr, 10);
            if (hundredths > INT32_MAX) hundredths = INT32_MAX;
            if (hundredths < INT32_MIN) hundredths = INT32_MIN;
            slot->volume = static_cast<int32_t>(hundredths);
        }
    }

    snprintf(key, sizeof key, "Lvar%02d", index);
    GetPrivateProfileStringA("LVars", key, "", value, sizeof value, iniPath);
    if (value[0] != '\0') {
        NamedVarBind(&slot->commandVar, value);
    } else {
        char name[32];
        snprintf(name, sizeof name, "kvo_xml_id_%02d", index);
        NamedVarRegister(&slot->commandVar, name);
    }
    NamedVarLookup(&slot->commandVar);
    NamedVarSetValue(&slot->commandVar, 0.0);

    slot->playMode = 0;
    slot->playing = 0;
    slot->loaded = 0;
    slot->pan = 0;
    slot->failed = 0;
}

}  // namespace

void DestroySlotTable() {
    if (slots == nullptr) return;
    for (int i = 0; i < slotRecords; ++i) NamedVarInit(&slots[i].commandVar);
    free(slots);
    slots = nullptr;
    slotRecords = 0;
}

bool BuildSlotTable() {
    DestroySlotTable();
    // Zero-filled: every field starts at 0, the command variables' ids too.
    slots = static_cast<SoundSlot*>(calloc(static_cast<size_t>(soundCount) + 1, sizeof(SoundSlot)));
    if (slots == nullptr) {
        ShowModuleWarning("No Memory Allocation\nXML Sounds Disabled");
        configPathResolved = 0;
        engineState = kEngineDisabled;
        return false;
    }
    slotRecords = soundCount + 1;
    for (int i = soundCount - 1; i >= 0; --i) ReadSlot(i);
    return true;
}

void BindGlobalCommands() {
    if (slots == nullptr) return;
    char name[kEntryChars];
    GetPrivateProfileStringA("Config", "GlobalCommands", kDefaultGlobalCommands, name, sizeof name, iniPath);
    NamedVarRegister(&slots[soundCount].commandVar, name[0] != '\0' ? name : kDefaultGlobalCommands);
    slots[0].countWord = soundCount;
}
