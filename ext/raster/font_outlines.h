// Simple glyphs' outlines as read from one font, so that drawing a glyph
// again skips parsing it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "raster/canvas.h"

namespace raster {

// In font units, shifted by the left side bearing as drawn.
struct glyph_outline {
    std::vector<xy> points;
    std::vector<uint8_t> on_curve;
    // The index of each contour's last point as the font gives it.
    std::vector<uint32_t> last_points;
};

// Shared by the copies of a face that saved states hold: they carry the same
// font data. Emptied once it holds `capacity` points, so that a font with
// many large glyphs cannot grow it without bound.
struct outline_cache {
    static constexpr size_t capacity = size_t{1} << 16;
    std::unordered_map<uint32_t, glyph_outline> glyphs;
    size_t points = 0;
};

}  // namespace raster
