// Reads a cabinet entry with FDICopy, in the cabinet reader's own process.
// FDI's file callbacks open the cabinet read-only and hand the wanted entry
// to a buffer in memory; every other entry is skipped, and a cabinet set
// that continues in another file is not followed.
#include "tools/panelhost/aircraft/cabinet.h"

#include <windows.h>
#include <fcntl.h>
#include <fdi.h>
#include <stdlib.h>
#include <string.h>

namespace {

const INT_PTR kEntryHandle = 0x7000;  // the in-memory entry; files are 1, 2, ...

// The cabinet being read: FDI's callbacks carry no context of their own.
struct Reading {
    const std::string* path;
    const std::string* wanted;
    size_t limit;
    CabinetEntry* entry;
    std::vector<HANDLE> files;  // FDI's handle n is files[n - 1]
    bool overflow;  // the entry grew past what it declared or past the limit
};
Reading* reading = nullptr;

HANDLE FileOf(INT_PTR handle) {
    if (handle < 1 || static_cast<size_t>(handle) > reading->files.size()) return INVALID_HANDLE_VALUE;
    return reading->files[static_cast<size_t>(handle) - 1];
}

FNALLOC(Allocate) { return malloc(cb); }
FNFREE(Release) { free(pv); }

// Opens the cabinet being read, whatever name FDI composed, and only for reading.
FNOPEN(Open) {
    (void)pszFile;
    (void)pmode;
    if ((oflag & (_O_WRONLY | _O_RDWR | _O_CREAT | _O_TRUNC | _O_APPEND)) != 0) return -1;
    HANDLE file = CreateFileA(reading->path->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    reading->files.push_back(file);
    return static_cast<INT_PTR>(reading->files.size());
}

FNREAD(Read) {
    DWORD done = 0;
    if (!ReadFile(FileOf(hf), pv, cb, &done, nullptr)) return static_cast<UINT>(-1);
    return done;
}

FNWRITE(Write) {
    if (hf != kEntryHandle) return static_cast<UINT>(-1);
    std::string& data = reading->entry->data;
    if (data.size() + cb > static_cast<size_t>(reading->entry->declaredSize)) {
        reading->overflow = true;
        return static_cast<UINT>(-1);
    }
    data.append(static_cast<const char*>(pv), cb);
    return cb;
}

FNCLOSE(Close) {
    if (hf == kEntryHandle) return 0;
    HANDLE file = FileOf(hf);
    if (file == INVALID_HANDLE_VALUE) return -1;
    CloseHandle(file);
    reading->files[static_cast<size_t>(hf) - 1] = INVALID_HANDLE_VALUE;
    return 0;
}

FNSEEK(Seek) {
    DWORD moved = SetFilePointer(FileOf(hf), dist, nullptr, static_cast<DWORD>(seektype));
    return moved == INVALID_SET_FILE_POINTER ? -1 : static_cast<long>(moved);
}

// A name that an unpacking tool would place outside the cabinet's folder.
bool ReachesOutside(const char* name) {
    if (name[0] == '\\' || name[0] == '/' || strchr(name, ':') != nullptr) return true;
    for (const char* part = name; *part != '\0';) {
        size_t length = strcspn(part, "\\/");
        if (length == 2 && part[0] == '.' && part[1] == '.') return true;
        part += length;
        if (*part != '\0') ++part;
    }
    return false;
}

FNFDINOTIFY(Notify) {
    CabinetEntry* entry = reading->entry;
    switch (fdint) {
    case fdintCOPY_FILE:
        if (ReachesOutside(pfdin->psz1)) entry->unsafeNames.push_back(pfdin->psz1);
        if (entry->found || _stricmp(pfdin->psz1, reading->wanted->c_str()) != 0) return 0;
        entry->storedName = pfdin->psz1;
        entry->declaredSize = pfdin->cb;
        if (pfdin->cb < 0 || static_cast<unsigned long>(pfdin->cb) > reading->limit) {
            entry->tooLarge = true;
            return 0;
        }
        entry->data.clear();
        entry->data.reserve(static_cast<size_t>(pfdin->cb));
        return kEntryHandle;
    case fdintCLOSE_FILE_INFO:
        if (pfdin->hf != kEntryHandle) return FALSE;
        entry->found = entry->data.size() == static_cast<size_t>(entry->declaredSize);
        return TRUE;
    case fdintNEXT_CABINET:
        return -1;  // a cabinet set is not followed into its other files
    default:
        return 0;
    }
}

const char* FdiErrorText(int error) {
    switch (error) {
    case FDIERROR_CABINET_NOT_FOUND: return "the file cannot be opened";
    case FDIERROR_NOT_A_CABINET: return "it is not a cabinet file";
    case FDIERROR_UNKNOWN_CABINET_VERSION: return "a cabinet version Windows does not know";
    case FDIERROR_CORRUPT_CABINET: return "the cabinet is corrupt or cut short";
    case FDIERROR_ALLOC_FAIL: return "out of memory";
    case FDIERROR_BAD_COMPR_TYPE: return "a compression Windows does not know";
    case FDIERROR_MDI_FAIL: return "its compressed data is corrupt";
    case FDIERROR_RESERVE_MISMATCH: return "its header is corrupt";
    case FDIERROR_WRONG_CABINET: return "it belongs to a set of cabinets";
    case FDIERROR_USER_ABORT: return "it continues in another cabinet file, or an entry holds more than it declares";
    default: return "Windows' cabinet reader failed";
    }
}

}  // namespace

void ReadCabinetEntryInProcess(const std::string& path, const std::string& name, size_t limit, CabinetEntry* entry) {
    *entry = CabinetEntry();
    Reading state{&path, &name, limit, entry, {}, false};
    reading = &state;
    ERF error = {};
    HFDI fdi = FDICreate(Allocate, Release, Open, Read, Write, Close, Seek, cpuUNKNOWN, &error);
    if (fdi == nullptr) {
        entry->damage = "Windows' cabinet reader cannot be started";
    } else {
        // Open ignores the name, so FDI is given the file's name alone.
        size_t slash = path.find_last_of("\\/");
        std::string fileName = path.substr(slash == std::string::npos ? 0 : slash + 1);
        char cabinet[CB_MAX_CABINET_NAME], folder[1] = {'\0'};
        snprintf(cabinet, sizeof cabinet, "%s", fileName.c_str());
        if (!FDICopy(fdi, cabinet, folder, 0, Notify, nullptr, nullptr))
            entry->damage = state.overflow ? "an entry holds more than it declares" : FdiErrorText(error.erfOper);
        FDIDestroy(fdi);
    }
    for (HANDLE file : state.files)
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!entry->found) entry->data.clear();
    reading = nullptr;
}
