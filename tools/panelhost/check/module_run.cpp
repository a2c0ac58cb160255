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

std::string JoinedBoxes(size_t from, const std::string& about) {
    std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
    std::string text;
    for (size_t i = from; i < boxes.size(); ++i) {
        if (!about.empty() && boxes[i].text.find(about) == std::string::npos) continue;
        text += (text.empty() ? "" : "  then ") + BoxText(boxes[i]);
    }
    return text;
}
