// Glyph advances and coverage against FreeType's unhinted rendering of the
// same fonts, glyph by glyph.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;

std::string utf8(unsigned long code_point) {
    std::string out;
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        out += static_cast<char>(0xC0 | (code_point >> 6));
        out += static_cast<char>(0x80 | (code_point & 63));
    } else if (code_point < 0x10000) {
        out += static_cast<char>(0xE0 | (code_point >> 12));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 63));
        out += static_cast<char>(0x80 | (code_point & 63));
    } else {
        out += static_cast<char>(0xF0 | (code_point >> 18));
        out += static_cast<char>(0x80 | ((code_point >> 12) & 63));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 63));
        out += static_cast<char>(0x80 | (code_point & 63));
    }
    return out;
}

struct comparison {
    int glyphs = 0;
    int skipped = 0;
    double total_difference = 0.0;
    double pixels = 0.0;
    double worst_mean = 0.0;
    double worst_pixel = 0.0;
    double worst_advance = 0.0;
    std::string worst_glyph;
};

// Renders every mapped character at `size` with both rasterisers on one
// reused canvas, comparing inside FreeType's bitmap plus a margin.
void compare_font(std::vector<unsigned char> const& file, int size, comparison& result) {
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Memory_Face(library, file.data(), static_cast<FT_Long>(file.size()), 0, &face), 0);
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)), 0);

    int side = 4 * size + 16;
    int origin_x = size + 8, origin_y = 3 * size;
    constexpr int margin = 2;
    canvas image(side, side);
    ASSERT_TRUE(image.set_font(file.data(), static_cast<int>(file.size()), static_cast<float>(size)));
    image.set_color(raster::fill_style, 1.0f, 1.0f, 1.0f, 1.0f);

    FT_UInt glyph_index;
    for (FT_ULong code = FT_Get_First_Char(face, &glyph_index); glyph_index != 0;
         code = FT_Get_Next_Char(face, code, &glyph_index)) {
        if (code < 32)
            continue;
        ASSERT_EQ(FT_Load_Glyph(face, glyph_index, FT_LOAD_NO_HINTING | FT_LOAD_RENDER), 0);
        FT_GlyphSlot slot = face->glyph;
        std::string text = utf8(code);
        double ours = image.measure_text(text.c_str());
        double theirs = slot->linearHoriAdvance / 65536.0;
        double advance_error = std::fabs(ours - theirs);
        result.worst_advance = std::max(result.worst_advance, advance_error);

        FT_Bitmap const& bitmap = slot->bitmap;
        int left = origin_x + slot->bitmap_left - margin;
        int top = origin_y - slot->bitmap_top - margin;
        int width = static_cast<int>(bitmap.width) + 2 * margin;
        int height = static_cast<int>(bitmap.rows) + 2 * margin;
        if (left < 0 || top < 0 || left + width > side || top + height > side) {
            ++result.skipped;
            continue;
        }
        image.fill_text(text.c_str(), static_cast<float>(origin_x), static_cast<float>(origin_y));
        double total = 0.0, worst = 0.0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int bx = x - margin, by = y - margin;
                double reference = 0.0;
                if (bx >= 0 && by >= 0 && bx < static_cast<int>(bitmap.width) && by < static_cast<int>(bitmap.rows))
                    reference = bitmap.buffer[by * bitmap.pitch + bx] / 255.0;
                double difference = std::fabs(canvas_probe::alpha(image, left + x, top + y) - reference);
                total += difference;
                worst = std::max(worst, difference);
            }
        // Our ink stays inside the outline's box, which is FreeType's bitmap;
        // anything left beyond it shows in the check after the loop.
        image.clear_rectangle(static_cast<float>(left), static_cast<float>(top), static_cast<float>(width),
                              static_cast<float>(height));
        double mean = total / (width * height);
        ++result.glyphs;
        result.total_difference += total;
        result.pixels += width * height;
        if (mean > result.worst_mean || worst > result.worst_pixel)
            result.worst_glyph = text + " at " + std::to_string(size);
        result.worst_mean = std::max(result.worst_mean, mean);
        result.worst_pixel = std::max(result.worst_pixel, worst);
    }
    EXPECT_EQ(raster_test::total_alpha(image, side, side), 0.0) << "ink outside FreeType's glyph boxes";
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

// Both rasterisers flatten curves into chords, ours to within 1/8 pixel, so
// single pixels can differ by the two flattening errors together, most at the
// cusps of thin spikes. Over a font the differences must average out below
// one level, and no glyph may be off as a whole (a wrong or missing part
// raises its mean far above these bounds).
struct bounds {
    double font_mean;
    double glyph_mean;
    double pixel;
};

void expect_matches_freetype(std::string const& path, bounds limits) {
    std::vector<unsigned char> file = raster_test::read_file(path);
    ASSERT_FALSE(file.empty()) << path;
    for (int size : {9, 14, 23, 48}) {
        comparison result;
        compare_font(file, size, result);
        SCOPED_TRACE(path + " at " + std::to_string(size) + " px, worst glyph " + result.worst_glyph);
        EXPECT_GT(result.glyphs, 500);
        EXPECT_LE(result.skipped, result.glyphs / 100);
        EXPECT_LE(result.worst_advance, 1.0 / 64.0);
        EXPECT_LE(result.total_difference / result.pixels, limits.font_mean / 255.0);
        EXPECT_LE(result.worst_mean, limits.glyph_mean / 255.0);
        EXPECT_LE(result.worst_pixel, limits.pixel / 255.0);
    }
}

TEST(TextAgainstFreeType, RegularFont) { expect_matches_freetype(FONTS_DIR "/regular.ttf", {1.0, 2.5, 32.0}); }

TEST(TextAgainstFreeType, BoldFont) { expect_matches_freetype(FONTS_DIR "/bold.ttf", {1.0, 2.5, 32.0}); }

// DejaVu Sans adds composite glyphs, both character-map formats and dingbats
// with hairline spikes.
TEST(TextAgainstFreeType, FontWithCompositeGlyphs) { expect_matches_freetype(DEJAVU_SANS, {1.0, 4.0, 44.0}); }

}  // namespace
