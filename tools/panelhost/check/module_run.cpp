#include "tools/panelhost/check/module_run.h"

#include "host/host.h"

bool ReadModuleGauges(const Options& options, std::vector<std::string>* names) {
    if (!LoadFreshModule(options)) return false;
    ModuleLinkage* linkage = host::Linkage();
    for (int i = 0; i < 3 && linkage->gauge_headers[i] != nullptr; ++i)
        names->push_back(linkage->gauge_headers[i]->gauge_name);
    host::UnloadModule();
    return true;
}

std::string ModuleIniPath(int debugger) {
    GaugeHeader* gauge = host::Gauge(debugger);
    for (MouseRect* rect = gauge != nullptr ? gauge->mouse_rect : nullptr; rect != nullptr && rect->rect_type != kMouseRectEol;
         ++rect)
        if (rect->rect_type == kMouseRectUser && rect->mouse_function != nullptr)
            return reinterpret_cast<const char*>(rect->mouse_function);
    return "";
}

std::string JoinedBoxes(size_t from, const std::string& about) {
    std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
    std::string text;
    for (size_t i = from; i < boxes.size(); ++i) {
        if (!about.empty() && boxes[i].text.find(about) == std::string::npos) continue;
        text += (text.empty() ? "" : "  then ") + BoxText(boxes[i]);
    }
    return text;
}

std::vector<std::string> LoadRegistrations(int loadFrame) {
    std::vector<std::string> names;
    for (const host::ServiceCall& call : host::CallsOf("register"))
        if (call.frame == loadFrame) names.push_back(call.name);
    return names;
}
