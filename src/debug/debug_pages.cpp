// The Debugger gauge's pages: the element update callbacks that write the
// three lines, and the mouse functions that step through the pages.
#include <stdarg.h>
#include <stdio.h>

#include "config/config.h"
#include "config/slot_table.h"
#include "debug/debugger.h"
#include "module/named_var.h"

namespace {

// The variable pages after the global-commands page, in page order.
struct VariablePage {
    const char* label;
    ModuleVarIndex record;
};

const VariablePage kVariablePages[] = {
    {"VolIn", kVarVolumeIn},          {"PanIn", kVarPanIn},         {"VolOut", kVarVolumeOut},
    {"PanOut", kVarPanOut},           {"LoopOut", kVarLoopOut},     {"VolPlayed", kVarVolumePlayed},
    {"PanPlayed", kVarPanPlayed},     {"LoopPlayed", kVarLoopPlayed},
};

const int kPagesAfterSlots = 10;  // configuration, global commands, eight variables

// Writes the text into the element's buffer, cut to its character count.
// The host owns the buffer; an element without one is left alone.
void WriteText(StringElement* element, const char* format, ...) {
    if (element == nullptr || element->string == nullptr) return;
    va_list args;
    va_start(args, format);
    vsnprintf(element->string, static_cast<size_t>(element->max_string_length) + 1, format, args);
    va_end(args);
}

// The slot page shown, or -1 when the page is not a slot's (or there is no table).
int ShownSlot() {
    if (slots == nullptr || debugPage < 0 || debugPage >= soundCount) return -1;
    return debugPage;
}

}  // namespace

double HOST_API ShowSlotCommand(StringElement* element) {
    if (element == nullptr) return 0.0;
    int slot = ShownSlot();
    if (slot >= 0) {
        WriteText(element, "ID=%d", slots[slot].command);
        element->header.image_flags &= ~kImageHidden;
    } else {
        element->header.image_flags |= kImageHidden;
    }
    return 0.0;
}

double HOST_API ShowSlotVariable(StringElement* element) {
    int slot = ShownSlot();
    if (slot >= 0)
        WriteText(element, "L:Var=%s", slots[slot].commandVar.name);
    else
        WriteText(element, "Configuration File");
    return 0.0;
}

double HOST_API ShowDebugPage(StringElement* element) {
    if (slots == nullptr || debugPage == soundCount) {
        WriteText(element, "CFG = %s", iniPath);
        return 0.0;
    }
    PublishSoundStringBase();

    int page = debugPage - soundCount;
    if (page == 1) {
        NamedVar* global = &slots[soundCount].commandVar;
        WriteText(element, "Global: %s = %d", global->name, TruncateToInt(NamedVarGetValue(global)));
    } else if (page >= 2 && page < kPagesAfterSlots) {
        const VariablePage& shown = kVariablePages[page - 2];
        NamedVar* var = &moduleVars[shown.record];
        WriteText(element, "%s: %s = %d", shown.label, var->name, TruncateToInt(NamedVarGetValue(var)));
    } else if (ShownSlot() >= 0) {
        WriteText(element, "Wav = %s", slots[debugPage].wavPath);
    } else {
        // A page outside the ring reads nothing outside the table.
        WriteText(element, "CFG = %s", iniPath);
    }
    return 0.0;
}

int32_t HOST_API NextDebugPage(PixPoint* /*point*/, uint32_t /*mouseFlags*/) {
    ++debugPage;
    if (debugPage > soundCount + kPagesAfterSlots - 1) debugPage = 0;
    return 0;
}

int32_t HOST_API PreviousDebugPage(PixPoint* /*point*/, uint32_t /*mouseFlags*/) {
    --debugPage;
    if (debugPage < 0) debugPage = soundCount + kPagesAfterSlots - 1;
    return 0;
}
