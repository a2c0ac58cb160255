// Finds an XML gauge where the simulator would and reads its bytes: a loose
// file, or an entry of a cabinet through the cabinet reader.
#include "tools/panelhost/aircraft/gauge_lookup.h"

#include <windows.h>
#include <stdio.h>

#include "tools/panelhost/aircraft/cabinet.h"
#include "tools/panelhost/aircraft/gauge_scripts.h"
#include "tools/panelhost/common/common.h"
#include "tools/panelhost/common/names.h"

namespace {

// PATH with its file name as the folder spells it.
std::string AsOnDisk(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return path;
    FindClose(search);
    return path.substr(0, path.find_last_of('\\') + 1) + found.cFileName;
}

std::string SizeText(unsigned long long size) {
    char text[48];
    snprintf(text, sizeof text, "%llu bytes", size);
    return text;
}

const std::string kTooLarge =
    "is larger than the " + std::to_string(kMaxGaugeBytes >> 20) + " MB the check reads from an XML gauge: not checked";
const char* const kUnreadable = "cannot be read: check that the file may be opened";

// Reads the loose gauge file into BYTES; false after a finding.
bool ReadLooseFile(const std::string& path, std::string* bytes, std::vector<Finding>* findings) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size = {};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        AddFindingOnce(findings, kFindingError, path, 0, "", kUnreadable);
        return false;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxGaugeBytes) {
        CloseHandle(file);
        AddFindingOnce(findings, kFindingError, path, 0, SizeText(static_cast<unsigned long long>(size.QuadPart)), kTooLarge);
        return false;
    }
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    bool read = bytes->empty() || (ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &done, nullptr) &&
                                   done == bytes->size());
    CloseHandle(file);
    if (!read) {
        AddFindingOnce(findings, kFindingError, path, 0, "", kUnreadable);
        return false;
    }
    return true;
}

// Looks for the gauge in the cabinet: kXmlGaugeMissing when the cabinet was
// read and does not hold it.
XmlGaugeLookup ReadFromCabinet(const std::string& cabinet, const std::string& entryName, std::string* bytes,
                               std::string* file, std::vector<Finding>* findings) {
    CabinetEntry entry;
    ReadCabinetEntry(cabinet, entryName, kMaxGaugeBytes, &entry);
    for (const std::string& name : entry.unsafeNames)
        AddFindingOnce(findings, kFindingWarning, cabinet, 0, name,
            "is an entry named outside the cabinet's folder: the check reads nothing from it, but a tool that "
            "unpacks the cabinet would write outside the panel folder; rebuild the cabinet without it");
    *file = cabinet;
    if (!entry.refused.empty()) {
        AddFindingOnce(findings, kFindingError, cabinet, 0, entryName, entry.refused + ": the gauge could not be checked");
        return kXmlGaugeUnreadable;
    }
    if (entry.readerMissing) {
        AddFindingOnce(findings, kFindingError, cabinet, 0, kCabinetReader,
            "is missing beside panelhost, so this cabinet cannot be checked: install panelhost whole");
        return kXmlGaugeUnreadable;
    }
    *file = cabinet + "\\" + (entry.storedName.empty() ? entryName : entry.storedName);
    if (entry.tooLarge) {
        AddFindingOnce(findings, kFindingError, *file, 0, SizeText(static_cast<unsigned long>(entry.declaredSize)), kTooLarge);
        return kXmlGaugeUnreadable;
    }
    if (!entry.damage.empty()) {
        // The simulator cannot be relied on to read the gauge from it either.
        AddFindingOnce(findings, kFindingError, cabinet, 0, entry.damage,
            "is a cabinet file that cannot be read to its end: rebuild it");
        if (!entry.found) return kXmlGaugeUnreadable;
    }
    if (!entry.found) return kXmlGaugeMissing;
    *bytes = entry.data;
    return kXmlGaugeChecked;
}

}  // namespace

XmlGaugeLookup FindXmlGaugeBytes(const std::string& panelFolder, const std::string& gaugesFolder,
                                 const std::string& container, const std::string& gauge, std::string* bytes,
                                 std::string* file, std::vector<Finding>* findings) {
    std::vector<Finding> unused;
    if (findings == nullptr) findings = &unused;
    bytes->clear();
    file->clear();
    for (const std::string* folder : {&panelFolder, &gaugesFolder}) {
        if (folder->empty()) continue;
        std::string base = *folder + "\\" + container;
        // A compiled gauge of that name comes first in the look-up.
        for (const char* extension : {".gau", ".dll"}) {
            if (IsFile(base + extension)) {
                *file = AsOnDisk(base + extension);
                return kXmlGaugeCompiled;
            }
        }
        std::string loose = base + "\\" + gauge + ".xml";
        if (IsFile(loose)) {
            *file = AsOnDisk(loose);
            return ReadLooseFile(*file, bytes, findings) ? kXmlGaugeChecked : kXmlGaugeUnreadable;
        }
        if (IsFile(base + ".cab")) {
            XmlGaugeLookup found = ReadFromCabinet(base + ".cab", gauge + ".xml", bytes, file, findings);
            if (found != kXmlGaugeMissing) return found;
        }
    }
    file->clear();
    return kXmlGaugeMissing;
}

std::string SimFolderAbove(const std::string& aircraftFolder) {
    for (std::string folder = FolderOf(aircraftFolder); folder.find('\\') != std::string::npos;
         folder = FolderOf(folder)) {
        std::string name = folder.substr(folder.find_last_of('\\') + 1);
        if (SameName(name, "SimObjects") || SameName(name, "Aircraft")) return FolderOf(folder);
    }
    return "";
}
