#include "tools/panelhost/aircraft/finding.h"

void AddFinding(std::vector<Finding>* findings, FindingLevel level, const std::string& file, int line,
                const std::string& item, const std::string& message) {
    if (findings != nullptr) findings->push_back({level, file, line, item, message});
}

void AddFindingOnce(std::vector<Finding>* findings, FindingLevel level, const std::string& file, int line,
                    const std::string& item, const std::string& message) {
    for (const Finding& known : *findings)
        if (known.level == level && known.file == file && known.line == line && known.item == item &&
            known.message == message)
            return;
    findings->push_back({level, file, line, item, message});
}
