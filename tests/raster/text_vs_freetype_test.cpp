// Glyph advances and coverage against FreeType's unhinted rendering of the same fonts, glyph by glyph.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;

std::string utf8(unsigned long code) {
    if (code < 0x80) return std::string(1, static_cast<char>(code));
    int extra = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    std::string out(1, static_cast<char>(((0xFF00 >> (extra + 1)) & 0xFF) | (code >> (6 * extra))));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((code >> (6 * k)) & 63));
    return out;
}

// Both rasterisers flatten curves into chords, ours to within 1/8 pixel, so single pixels can differ by the two
// flattening errors together, most at the cusps of thin spikes. Over a font the differences must average out below one
// level, and no glyph may be off as a whole (a wrong or missing part raises its mean far above these bounds). Bounds
// are in levels of 255.
struct bounds {
    double font_mean, glyph_mean, pixel;
};

// Renders every mapped character at `size` with both rasterisers on one reused canvas, comparing inside FreeType's
// bitmap plus a margin.
void compare_at(std::vector<unsigned char> const& file, int size, bounds limits) {
    FT_Library library;
    FT_Face face;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Memory_Face(library, file.data(), static_cast<FT_Long>(file.size()), 0, &face), 0);
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)), 0);
    int side = 4 * size + 16, origin_x = size + 8, origin_y = 3 * size;
    constexpr int margin = 2;
    canvas image(side, side);
    ASSERT_TRUE(image.set_font(file.data(), static_cast<int>(file.size()), static_cast<float>(size)));
    image.set_color(raster::fill_style, 1.0f, 1.0f, 1.0f, 1.0f);
    int glyphs = 0, skipped = 0;
    double font_total = 0.0, font_pixels = 0.0, worst_mean = 0.0, worst_pixel = 0.0, worst_advance = 0.0;
    FT_UInt index;
    for (FT_ULong code = FT_Get_First_Char(face, &index); index != 0; code = FT_Get_Next_Char(face, code, &index)) {
        if (code < 32) continue;
        ASSERT_EQ(FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_RENDER), 0);
        FT_GlyphSlot slot = face->glyph;
        std::string text = utf8(code);
        worst_advance =
            std::max(worst_advance, std::fabs(image.measure_text(text.c_str()) - slot->linearHoriAdvance / 65536.0));
        FT_Bitmap const& bitmap = slot->bitmap;
        int left = origin_x + slot->bitmap_left - margin, top = origin_y - slot->bitmap_top - margin;
        int width = static_cast<int>(bitmap.width) + 2 * margin, height = static_cast<int>(bitmap.rows) + 2 * margin;
        bool outside = left < 0 || top < 0 || left + width > side || top + height > side;
        if (skipped += outside, outside) continue;
        image.fill_text(text.c_str(), static_cast<float>(origin_x), static_cast<float>(origin_y));
        double total = 0.0, worst = 0.0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int bx = x - margin, by = y - margin;
                bool in_bitmap =
                    bx >= 0 && by >= 0 && bx < static_cast<int>(bitmap.width) && by < static_cast<int>(bitmap.rows);
                double reference = in_bitmap ? bitmap.buffer[by * bitmap.pitch + bx] / 255.0 : 0.0;
                double difference = std::fabs(canvas_probe::alpha(image, left + x, top + y) - reference);
                total += difference, worst = std::max(worst, difference);
            }
        // Our ink stays inside the outline's box, which is FreeType's bitmap; anything left beyond it shows in the
        // check after the loop.
        image.clear_rectangle(static_cast<float>(left), static_cast<float>(top), static_cast<float>(width),
                              static_cast<float>(height));
        ++glyphs, font_total += total, font_pixels += width * height;
        worst_mean = std::max(worst_mean, total / (width * height)), worst_pixel = std::max(worst_pixel, worst);
    }
    FT_Done_Face(face), FT_Done_FreeType(library);
    SCOPED_TRACE("at " + std::to_string(size) + " px");
    EXPECT_EQ(canvas_probe::total_alpha(image), 0.0) << "ink outside FreeType's glyph boxes";
    EXPECT_GT(glyphs, 500);
    EXPECT_LE(skipped, glyphs / 100);
    EXPECT_LE(worst_advance, 1.0 / 64.0);
    EXPECT_LE(font_total / font_pixels, limits.font_mean / 255.0);
    EXPECT_LE(worst_mean, limits.glyph_mean / 255.0);
    EXPECT_LE(worst_pixel, limits.pixel / 255.0);
}

TEST(TextAgainstFreeType, EmbeddedFontsAndAFontWithComposites) {
    // DejaVu Sans adds composite glyphs, both character-map formats and dingbats with hairline spikes.
    for (auto const& [path, limits] : {std::pair<std::string, bounds>{FONTS_DIR "/regular.ttf", {1.0, 2.5, 32.0}},
                                       {FONTS_DIR "/bold.ttf", {1.0, 2.5, 32.0}},
                                       {DEJAVU_SANS, {1.0, 4.0, 44.0}}}) {
        SCOPED_TRACE(path);
        std::vector<unsigned char> file = raster_test::read_file(path);
        ASSERT_FALSE(file.empty());
        for (int size : {9, 14, 23, 48}) compare_at(file, size, limits);
    }
}

}  // namespace
