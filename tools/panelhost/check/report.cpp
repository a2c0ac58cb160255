// The check's report: a heading for each panel, gauge and configuration, one
// line per finding under it, and a closing summary.
#include "tools/panelhost/check/report.h"

#include <stdarg.h>
#include <stdio.h>

#include "tools/panelhost/aircraft/cfg_text.h"
#include "tools/panelhost/check/sound_map.h"
#include "tools/panelhost/common/common.h"

namespace {

int errors = 0;
int warnings = 0;
bool cannotRun = false;

void PrintLine(const char* indent, const char* format, va_list args) {
    char text[2048];
    vsnprintf(text, sizeof text, format, args);
    printf("%s%s\n", indent, text);
}

// Every finding, the XML gauges' too, prints this one way.
void Report(const Finding& finding) {
    SoundMapFinding(finding);
    if (finding.level == kFindingNote) {
        std::string where = finding.file + (finding.line > 0 ? ":" + std::to_string(finding.line) : "");
        printf("  %s: %s%s%s\n", where.c_str(), finding.item.c_str(), finding.item.empty() ? "" : ": ",
               finding.message.c_str());
        return;
    }
    bool error = finding.level == kFindingError;
    (error ? errors : warnings) += 1;
    std::string where = finding.file;
    if (finding.line > 0) where += ":" + std::to_string(finding.line);
    std::string item = finding.item.empty() ? "" : finding.item + ": ";
    printf("%s %s%s%s\n", error ? "ERROR" : "WARNING", where.empty() ? "" : (where + ": ").c_str(), item.c_str(),
           finding.message.c_str());
}

}  // namespace

void ReportError(const std::string& file, int line, const std::string& item, const std::string& message) {
    Report({kFindingError, file, line, item, message});
}

void ReportWarning(const std::string& file, int line, const std::string& item, const std::string& message) {
    Report({kFindingWarning, file, line, item, message});
}

bool ReadCheckedText(const std::string& path, const char* what, std::string* text) {
    TextState state = ReadTextFile(path, text);
    if (state == kTextOk) return true;
    ReportError(path, 0, "", std::string(what) + " " + TextStateMeaning(state));
    return false;
}

void ReportAll(const std::vector<Finding>& findings) {
    for (const Finding& finding : findings) Report(finding);
}

void Heading(const char* format, ...) {
    va_list args;
    va_start(args, format);
    PrintLine("", format, args);
    va_end(args);
}

void Note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    PrintLine("  ", format, args);
    va_end(args);
}

void ReportCannotRun() { cannotRun = true; }

int ReportSummary() {
    printf("check: %d error%s, %d warning%s%s\n", errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s",
           cannotRun ? ", not checked through the module" : "");
    fflush(stdout);
    if (cannotRun) return kExitUnusable;
    return errors > 0 ? kExitFailed : kExitOk;
}
