// The Debugger gauge's element list and mouse rectangle list, in the host's
// records: a dark green background with three lines of white text, and two
// halves that step back and forth through the pages.
#include <string.h>

#include "config/config.h"
#include "debug/debugger.h"
#include "module/gauges.h"

namespace {

const uint32_t kElementFlags = kImageUseTransparency | kImageUseErase | kImageBilinearColor;
const uint32_t kWhite = 0x00FFFFFF;
const int32_t kFontWeight = 500;
const uint8_t kFontCharset = 1;
const uint32_t kStepFlags = kMouseLeftSingle | kMouseDownRepeat;

StringElement MakeStringElement(int32_t x, int32_t y, int32_t width, int32_t height, uint16_t chars,
                                ElementHeader** next, StringUpdateCallback callback) {
    StringElement element;
    memset(&element, 0, sizeof element);
    element.header.element_type = kElementString;
    element.header.resource_id = -1;  // strings have no bitmap
    element.header.position = {x, y};
    element.header.gauge_header = &debuggerGaugeHeader;
    element.header.next_element = next;
    element.header.image_flags = kElementFlags;
    element.img_size = {width, height};
    element.fg_color = kWhite;
    memcpy(element.font_name, "Arial", sizeof "Arial");
    element.font_weight = kFontWeight;
    element.font_charset = kFontCharset;
    element.max_string_length = chars;
    element.update_cb = callback;
    return element;
}

// Each element lists exactly the one after it.
extern StringElement commandLine;
extern StringElement variableLine;
extern StringElement pageLine;
ElementHeader* afterBackground[] = {&commandLine.header, nullptr};
ElementHeader* afterCommandLine[] = {&variableLine.header, nullptr};
ElementHeader* afterVariableLine[] = {&pageLine.header, nullptr};

StaticImageElement background = {
    {kElementStaticImage, kDebuggerBitmapId, {0, 0}, {0, 0}, {0, 0}, &debuggerGaugeHeader, nullptr, afterBackground,
     nullptr, kElementFlags, 0, 0},
    {nullptr, nullptr, nullptr, nullptr},
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr};

StringElement commandLine = MakeStringElement(5, 2, 117, 10, kCommandLineChars, afterCommandLine, ShowSlotCommand);
StringElement variableLine =
    MakeStringElement(30, 2, 120, 10, kVariableLineChars, afterVariableLine, ShowSlotVariable);
StringElement pageLine = MakeStringElement(5, 12, 130, 10, kPageLineChars, nullptr, ShowDebugPage);

MouseRect Rect(int32_t type, PixBox box, int32_t cursor, uint32_t flags, MouseFunction function) {
    MouseRect rect = {type, box, cursor, 0, flags, 0, function, nullptr};
    return rect;
}

}  // namespace

ElementHeader* debuggerElementList = &background.header;

// The tooltip record carries its text pointer in the function field.
MouseRect debuggerMouseRects[8] = {
    Rect(kMouseRectParent, {0, 0, 0, 0}, kCursorNone, 0, nullptr),
    Rect(kMouseRectParent, {0, 0, 150, 25}, kCursorNone, 0, nullptr),
    Rect(kMouseRectUser, {0, 0, 0, 0}, kCursorNone, 0, reinterpret_cast<MouseFunction>(iniPath)),
    Rect(kMouseRectEndParent, {0, 0, 0, 0}, kCursorNone, 0, nullptr),
    Rect(kMouseRectChild, {1, 1, 75, 25}, kCursorDownArrow, kStepFlags, PreviousDebugPage),
    Rect(kMouseRectChild, {76, 1, 74, 25}, kCursorUpArrow, kStepFlags, NextDebugPage),
    Rect(kMouseRectEndParent, {0, 0, 0, 0}, kCursorNone, 0, nullptr),
    Rect(kMouseRectEol, {0, 0, 0, 0}, kCursorNone, 0, nullptr),
};
