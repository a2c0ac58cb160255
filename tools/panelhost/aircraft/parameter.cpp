// The Sound gauge's parameter as the module turns it into a configuration
// path. The check applies the rule itself because the simulator's module file
// and program are not the ones the check runs; the check's tests hold it
// against the module's own result for every form.
#include "tools/panelhost/aircraft/parameter.h"

#include "tools/common/paths.h"

namespace {

const size_t kPathChars = 259;  // the module's path buffers hold this many

}  // namespace

ResolvedParameter ResolveParameter(const std::string& parameter, const std::string& modulePath,
                                   const std::string& simFolder) {
    ResolvedParameter resolved = {};
    std::string stem = modulePath.substr(0, modulePath.find_last_of('.'));
    if (stem.size() + 4 > kPathChars) stem.resize(kPathChars - 4);
    resolved.defaultPath = stem + ".ini";
    std::string moduleFolder = FolderOf(modulePath);

    if (parameter.empty()) {
        resolved.form = "no parameter: the module's own path with .ini";
        resolved.candidate = resolved.defaultPath;
    } else if (parameter[0] == '.') {
        resolved.form = "a leading dot: the simulator's folder";
        resolved.candidate = simFolder + parameter.substr(1);
        resolved.climbs = parameter.compare(0, 3, "..\\") == 0 || parameter.compare(0, 3, "../") == 0;
    } else if (parameter[0] == '\\' || parameter[0] == '/') {
        resolved.form = "a leading backslash: the module's folder";
        resolved.candidate = moduleFolder + parameter;
    } else if (parameter.find(':') != std::string::npos) {
        resolved.form = "a full path: used as it is";
        resolved.candidate = parameter;
    } else {
        resolved.form = "a relative path: the module's folder";
        resolved.candidate = moduleFolder + "\\" + parameter;
    }
    resolved.fits = parameter.size() <= kPathChars && resolved.candidate.size() <= kPathChars;
    return resolved;
}
