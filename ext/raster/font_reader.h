// Bounds-checked big-endian reads from font data. A read that would leave the
// data returns zero and marks the reader failed, so callers can parse a whole
// structure and check once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace raster {

class font_reader {
public:
    font_reader(unsigned char const* data, size_t size) : bytes(data), size(size) {}

    bool ok() const { return good; }

    uint32_t u8(uint64_t at) { return fits(at, 1) ? bytes[at] : 0; }
    int i8(uint64_t at) { return static_cast<int8_t>(u8(at)); }
    uint32_t u16(uint64_t at) { return fits(at, 2) ? (uint32_t{bytes[at]} << 8) | bytes[at + 1] : 0; }
    int i16(uint64_t at) { return static_cast<int16_t>(u16(at)); }
    uint32_t u32(uint64_t at) { return fits(at, 4) ? (u16(at) << 16) | u16(at + 2) : 0; }
    // A signed 2.14 fixed-point number.
    float f2dot14(uint64_t at) { return static_cast<float>(i16(at)) / 16384.0f; }

private:
    bool fits(uint64_t at, uint64_t count) {
        good = good && at <= size && count <= size - at;
        return good;
    }

    unsigned char const* bytes;
    size_t size;
    bool good = true;
};

}  // namespace raster
