// Cabinet files made by the tests, byte by byte.
#include "tests/cabinet_files.h"

#include <windows.h>

namespace {

void Put16(std::string* bytes, uint16_t value) {
    bytes->push_back(static_cast<char>(value & 0xFF));
    bytes->push_back(static_cast<char>(value >> 8));
}
void Put32(std::string* bytes, uint32_t value) {
    Put16(bytes, static_cast<uint16_t>(value & 0xFFFF));
    Put16(bytes, static_cast<uint16_t>(value >> 16));
}

}  // namespace

std::string MakeCabinet(const std::vector<CabEntry>& entries) {
    std::string all, files;
    for (const CabEntry& entry : entries) {
        Put32(&files, entry.declaredSize);
        Put32(&files, static_cast<uint32_t>(all.size()));
        Put16(&files, 0);                      // folder 0
        Put16(&files, 0x5A21);                 // a date
        Put16(&files, 0);                      // a time
        Put16(&files, FILE_ATTRIBUTE_ARCHIVE);
        files += entry.name + '\0';
        all += entry.data;
    }
    std::string blocks;
    uint16_t blockCount = 0;
    for (size_t at = 0; at < all.size(); at += 32768, ++blockCount) {
        std::string block = all.substr(at, 32768);
        Put32(&blocks, 0);  // no checksum
        Put16(&blocks, static_cast<uint16_t>(block.size()));
        Put16(&blocks, static_cast<uint16_t>(block.size()));
        blocks += block;
    }
    const uint32_t headerSize = 36, folderSize = 8;
    std::string cab = "MSCF";
    Put32(&cab, 0);
    Put32(&cab, static_cast<uint32_t>(headerSize + folderSize + files.size() + blocks.size()));
    Put32(&cab, 0);
    Put32(&cab, headerSize + folderSize);  // the first file entry
    Put32(&cab, 0);
    cab += '\x03';
    cab += '\x01';
    Put16(&cab, 1);
    Put16(&cab, static_cast<uint16_t>(entries.size()));
    Put16(&cab, 0);
    Put16(&cab, 0x1234);
    Put16(&cab, 0);
    Put32(&cab, static_cast<uint32_t>(headerSize + folderSize + files.size()));  // the folder's first block
    Put16(&cab, blockCount);
    Put16(&cab, 0);  // stored
    return cab + files + blocks;
}

CabEntry Entry(const std::string& name, const std::string& data) {
    return {name, data, static_cast<uint32_t>(data.size())};
}
