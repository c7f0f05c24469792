// Writes zip archives byte by byte for tests, including the malformed and unusual ones no archiver produces on
// request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ziptest {

struct Entry {
    std::string name;
    std::string data;
    std::uint16_t method = 8;      // 0 stored, 8 deflated; others store the bytes under that number
    std::uint16_t extraFlags = 0;  // general-purpose bits to add, e.g. 1 for "encrypted"
    bool dataDescriptor = false;
    bool zip64 = false;                // sizes and offset only in the Zip64 extra field
    std::uint16_t versionMadeBy = 20;  // MS-DOS host
    std::uint32_t externalAttributes = 0;
    std::uint16_t dosTime = 12 << 11 | 30 << 5;                // 12:30:00
    std::uint16_t dosDate = (2024 - 1980) << 9 | 3 << 5 | 15;  // 2024-03-15
    std::optional<std::int32_t> unixMtime{};                   // extended-timestamp field
    std::optional<std::uint32_t> crc{};                        // recorded instead of the real CRC-32
    std::optional<std::uint64_t> recordedSize{};               // recorded instead of the real size
};

struct Archive {
    Archive(std::vector<Entry> entries = {}) : entries(std::move(entries)) {}

    std::vector<Entry> entries;
    std::string comment;
    bool zip64End = false;  // Zip64 end record and locator before the end record
};

std::vector<unsigned char> build(const Archive& archive);

Entry folder(std::string name);
Entry file(std::string name, std::string data, std::uint16_t method = 8);

// A payload shaped like the installer's: seven entries, folders first.
Archive bundle();

}  // namespace ziptest
