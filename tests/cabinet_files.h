// Cabinet (.cab) files made by the tests, byte by byte.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct CabEntry {
    std::string name;
    std::string data;
    uint32_t declaredSize;  // what the cabinet says; the data's size unless a lie is wanted
};

// An uncompressed cabinet of one folder holding ENTRIES, as Windows' own
// cabinet tools write it.
std::string MakeCabinet(const std::vector<CabEntry>& entries);
// An entry that declares what it holds.
CabEntry Entry(const std::string& name, const std::string& data);
