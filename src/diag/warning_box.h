// The module's one way of showing a box: a modal warning with no owner
// window, titled by one of a few fixed rules. It returns when the user
// closes the box.
#pragma once

// Title of the error reports' boxes while the error-box file name is empty.
const char kReportFallbackTitle[] = "cGaugeSoundClass";
// Title of the view-status box.
const char kViewStatusTitle[] = "kvo_fsx_lvchime";

// Where a box's title comes from.
enum BoxTitle {
    kTitleModulePath,    // the module's path, `modulePath`
    kTitleErrorBoxFile,  // `errorBoxFileName`, or kReportFallbackTitle while it is empty
    kTitleViewStatus,    // kViewStatusTitle
};

// Shows `text` in a warning box (MB_ICONWARNING | MB_OK) titled by `title`.
void ShowWarningBox(const char* text, BoxTitle title);

// Shows a warning box with the module's path as its title.
void ShowModuleWarning(const char* text);
