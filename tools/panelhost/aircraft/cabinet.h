// One entry of a cabinet (.cab) file read into memory through Windows' own
// cabinet API (cabinet.dll's FDI). Nothing is extracted to disk.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

struct CabinetEntry {
    bool found = false;                    // DATA holds the whole entry
    std::string storedName;                // the entry's name as the cabinet stores it
    std::string data;
    long declaredSize = 0;                 // the entry's size as the cabinet declares it
    bool tooLarge = false;                 // it declares more than the limit: not read
    std::string damage;                    // why the cabinet could not be read to its end; empty when it could
    bool readerMissing = false;            // the cabinet reader was not found: nothing was read
    std::string refused;                   // why the entry was not looked for at all; empty when it was
    std::vector<std::string> unsafeNames;  // entries whose names reach outside the cabinet (..\, \, C:)
};

// Reads the entry NAME (letter case ignored; an entry in the cabinet's top
// folder) of the cabinet file PATH, of at most LIMIT bytes, into ENTRY.
// Windows' decoders can be made to write out of bounds by a hostile cabinet
// (Wine's do), so the reading runs in a process of its own, the cabinet
// reader, which is given kCabinetSeconds: a crash or a hang there is damage.
void ReadCabinetEntry(const std::string& path, const std::string& name, size_t limit, CabinetEntry* entry);

// The reading itself, done by the cabinet reader (cabinet_reader.exe).
void ReadCabinetEntryInProcess(const std::string& path, const std::string& name, size_t limit, CabinetEntry* entry);

const int kCabinetSeconds = 30;
// The cabinet reader: beside the running program, or beside the panelhost
// launcher two folders up (bin\panelhost\VERSION\ holds the host programs).
const char kCabinetReader[] = "cabinet_reader.exe";

// What the cabinet reader writes to its standard output: records of a tag
// letter, the length in decimal, ':' and that many bytes.
std::string EncodeCabinetEntry(const CabinetEntry& entry);
bool DecodeCabinetEntry(const std::string& bytes, CabinetEntry* entry);
