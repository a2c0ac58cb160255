// Reading a gauge instance the way a pilot sees it: its text lines after an
// update, and clicks on its mouse rectangles.
#include "host/host.h"
#include "host/host_internal.h"

namespace host {

namespace {

ElementHeader* FirstElement(GaugeHeader* gauge) {
    if (gauge == nullptr || gauge->elements_list == nullptr) return nullptr;
    return *gauge->elements_list;
}

bool Contains(const PixBox& box, int x, int y) {
    return x >= box.x && x < box.x + box.size_x && y >= box.y && y < box.y + box.size_y;
}

}  // namespace

bool UpdateDebugger(int instance) {
    GaugeHeader* gauge = Gauge(instance);
    if (gauge == nullptr || gauge->update_routine == nullptr) return false;
    gauge->update_routine();
    return true;
}

std::string DebuggerLine(int instance, int n) {
    std::vector<StringElement*> lines = StringElements(FirstElement(Gauge(instance)));
    if (n < 0 || static_cast<size_t>(n) >= lines.size()) return "";
    StringElement* line = lines[n];
    if ((line->header.image_flags & kImageHidden) != 0 || line->string == nullptr) return "";
    return std::string(line->string);
}

bool ClickGauge(int instance, int x, int y, int heldRepeats) {
    GaugeHeader* gauge = Gauge(instance);
    if (gauge == nullptr || gauge->mouse_rect == nullptr) return false;
    const int kMaxRects = 256;
    for (MouseRect* rect = gauge->mouse_rect; rect->rect_type != kMouseRectEol && rect - gauge->mouse_rect < kMaxRects;
         ++rect) {
        if (rect->rect_type != kMouseRectChild || rect->mouse_function == nullptr) continue;
        if ((rect->mouse_flags & kMouseLeftSingle) == 0 || !Contains(rect->relative_box, x, y)) continue;
        MouseCallbackArgs args = {{x - rect->relative_box.x, y - rect->relative_box.y}, gauge, rect, {x, y}, nullptr};
        PixPoint* point = reinterpret_cast<PixPoint*>(&args);
        rect->mouse_function(point, kMouseLeftSingle);
        if ((rect->mouse_flags & kMouseDownRepeat) != 0)
            for (int i = 0; i < heldRepeats; ++i) rect->mouse_function(point, kMouseLeftSingle | kMouseDownRepeat);
        return true;
    }
    return false;
}

bool ClickDebugger(int instance, bool left, int heldRepeats) {
    // The middle of the gauge's left or right half.
    return ClickGauge(instance, left ? kDebuggerWidth / 4 : kDebuggerWidth * 3 / 4, kDebuggerHeight / 2, heldRepeats);
}

}  // namespace host
