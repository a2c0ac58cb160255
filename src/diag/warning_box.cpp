// Every box the module shows goes through here, so that the style and the
// title rules live in one place.
#include "diag/warning_box.h"

#include <windows.h>

#include <string.h>

#include "module/module_state.h"

static const UINT kWarningBoxStyle = MB_ICONWARNING | MB_OK;

// A bounded copy of a module-wide name record, which may lack its terminator.
static void CopyTitle(char* out, const char* title) {
    size_t length = strnlen(title, kNameLength - 1);
    memcpy(out, title, length);
    out[length] = '\0';
}

void ShowWarningBox(const char* text, BoxTitle title) {
    char copy[kNameLength];
    const char* shown = kViewStatusTitle;
    if (title == kTitleModulePath) {
        CopyTitle(copy, modulePath);
        shown = copy;
    } else if (title == kTitleErrorBoxFile) {
        CopyTitle(copy, errorBoxFileName);
        shown = copy[0] != '\0' ? copy : kReportFallbackTitle;
    }
    MessageBoxA(nullptr, text, shown, kWarningBoxStyle);
}

void ShowModuleWarning(const char* text) { ShowWarningBox(text, kTitleModulePath); }
