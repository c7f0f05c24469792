// Writes zip archives byte by byte for tests, including the malformed and unusual ones no archiver produces on
// request.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
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
    std::optional<std::int32_t> unixMtime{};      // extended-timestamp field
    std::optional<std::uint32_t> crc{};           // recorded instead of the real CRC-32
    std::optional<std::uint64_t> recordedSize{};  // recorded instead of the real size
};

struct Archive {
    Archive(std::vector<Entry> entries = {}) : entries(std::move(entries)) {}
    std::vector<Entry> entries;
    std::string comment;
    bool zip64End = false;  // Zip64 end record and locator before the end record
};

// Appends `values` little-endian, each cut to the width in bytes its digit in `widths` gives.
inline void put(std::string& out, std::string_view widths, std::initializer_list<std::uint64_t> values) {
    auto value = values.begin();
    for (const char width : widths) {
        for (int i = 0; i < width - '0'; ++i) out.push_back(static_cast<char>(*value >> (8 * i)));
        ++value;
    }
}

inline std::string deflateRaw(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), 6) != Z_OK)
        throw std::runtime_error("compress2");
    return out.substr(2, size - 6);  // the raw stream between zlib's two-byte header and its checksum
}

inline std::string extraFields(const Entry& e, std::uint64_t size, std::uint64_t packed, std::uint64_t offset,
                               bool central) {
    std::string x;
    if (e.zip64) put(x, central ? "22888" : "22880", {1, central ? 24u : 16u, size, packed, offset});
    if (e.unixMtime) put(x, "2214", {0x5455, 5, 1, static_cast<std::uint32_t>(*e.unixMtime)});
    return x;
}

inline std::vector<unsigned char> build(const Archive& archive) {
    std::string zip, central;
    for (const Entry& e : archive.entries) {
        const std::string packed = e.method == 8 ? deflateRaw(e.data) : e.data;
        const std::uint32_t crc = e.crc.value_or(static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()))));
        const std::uint64_t size = e.recordedSize.value_or(e.data.size()), offset = zip.size();
        const std::uint64_t flags = e.extraFlags | (e.dataDescriptor ? 8 : 0) | 0x800, version = e.zip64 ? 45 : 20;
        const auto small = [&](std::uint64_t v) { return e.zip64 ? 0xffffffffu : v; };
        const std::uint64_t later = e.dataDescriptor ? 0 : ~0ull;  // fields the descriptor brings instead
        const std::uint64_t time = 12 << 11 | 30 << 5, date = (2024 - 1980) << 9 | 3 << 5 | 15;  // 2024-03-15 12:30
        const std::string localExtra = extraFields(e, size, packed.size(), offset, false);
        put(zip, "42222244422",
            {0x04034b50, version, flags, e.method, time, date, crc & later, small(packed.size()) & later,
             small(size) & later, e.name.size(), localExtra.size()});
        zip += e.name + localExtra + packed;
        if (e.dataDescriptor) put(zip, e.zip64 ? "4488" : "4444", {0x08074b50, crc, packed.size(), size});
        const std::string centralExtra = extraFields(e, size, packed.size(), offset, true);
        put(central, "422222244422644",
            {0x02014b50, e.versionMadeBy, version, flags, e.method, time, date, crc, small(packed.size()), small(size),
             e.name.size(), centralExtra.size(), 0, e.externalAttributes, small(offset)});
        central += e.name + centralExtra;
    }
    const std::uint64_t directoryOffset = zip.size(), count = archive.entries.size();
    zip += central;
    if (archive.zip64End)
        put(zip, "4822888884484",
            {0x06064b50, 44, 45, 45, 0, count, count, central.size(), directoryOffset, 0x07064b50, 0, zip.size(), 1});
    const std::uint64_t saturated = archive.zip64End ? ~0ull : 0;  // the Zip64 record holds the real values
    put(zip, "4422442",
        {0x06054b50, 0, count | saturated, count | saturated, central.size() | saturated, directoryOffset | saturated,
         archive.comment.size()});
    zip += archive.comment;
    return {zip.begin(), zip.end()};
}

inline Entry file(std::string name, std::string data, std::uint16_t method = 8) {
    return {std::move(name), std::move(data), method};
}

inline Entry folder(std::string name) {
    Entry e = file(std::move(name), "", 0);
    return e.externalAttributes = 0x10, e;
}

// A payload shaped like the installer's: seven entries, folders first.
inline Archive bundle() {
    return {{
        folder("Velliphon.vst3/"),
        folder("Velliphon.vst3/Contents/"),
        file("Velliphon.vst3/Contents/moduleinfo.json", "{\"Name\": \"Velliphon\"}\n"),
        folder("Velliphon.vst3/Contents/x86_64-win/"),
        file("Velliphon.vst3/Contents/x86_64-win/Velliphon.vst3", std::string(70000, 'M') + "module"),
        file("Velliphon.vst3/desktop.ini", "[.ShellClassInfo]\r\n", 0),
        file("Velliphon.vst3/PlugIn.ico", std::string(3000, '\x01')),
    }};
}

}  // namespace ziptest
