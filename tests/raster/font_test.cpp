// Fonts, character maps and text layout, with small generated fonts
// (tests/raster/data, made by fuzz/raster/make_fonts.py). They have 1000
// units per em and map "A" to a square (advance 640), "B" and the euro sign to
// a ring of quadratics that starts and ends off the curve (660), "C" and
// U+1F600 to a triangle (680), "D" to a composite of the square and the
// triangle (1400) and the space to an empty glyph (300); glyph 0 is a box
// with advance 600.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;

std::vector<unsigned char> font_file(std::string const& name) {
    return raster_test::read_file(std::string(TEST_DATA_DIR) + "/" + name + ".ttf");
}

bool select(canvas& image, std::vector<unsigned char> const& font, float size) {
    return image.set_font(font.data(), static_cast<int>(font.size()), size);
}

TEST(SetFont, RejectsUnusableDataAndDropsThePreviousFont) {
    canvas image(4, 4);
    std::vector<unsigned char> good = font_file("basic"), wrong_version = good;
    std::copy_n("OTTO", 4, wrong_version.begin());
    for (char const* broken : {"", "header_only", "truncated", "no_os2", "empty_directory"}) {
        ASSERT_TRUE(select(image, good, 10.0f));
        EXPECT_FALSE(select(image, *broken ? font_file(broken) : wrong_version, 14.0f)) << broken;
        EXPECT_EQ(image.measure_text("A"), 0.0f) << broken;
    }
    unsigned char short_data[5] = {0, 1, 0, 0, 0};
    EXPECT_FALSE(image.set_font(short_data, 5, 14.0f));
    EXPECT_FALSE(image.set_font(nullptr, 0, 14.0f));
    // The canvas keeps its own copy of the font.
    std::vector<unsigned char> bytes = font_file("true_tag");
    ASSERT_TRUE(select(image, bytes, 1000.0f));
    bytes.assign(bytes.size(), 0);
    EXPECT_FLOAT_EQ(image.measure_text("A"), 640.0f);
}

TEST(MeasureText, SumsTheAdvancesOfTheMappedGlyphs) {
    struct row {
        char const* font;
        char const* text;
        float width;
    };
    // Line breaks and tabs advance like spaces; invalid UTF-8 (a stray
    // continuation, cut sequences, a bad lead byte) becomes U+FFFD, which
    // like U+1F600 is not in the basic font: glyph 0.
    row const rows[] = {{"basic", "A\tB\nC\rD \200A\342A\342\202A\360\237\230\200\370\342\202", 10100},
                        {"basic", "", 0},
                        {"format_12", "ABCD \342\202\254\360\237\230\200", 5020},
                        {"format_0", "AB\342\202\254", 1900},
                        {"bad_cmap_offset", "AB", 1200},
                        {"few_metrics", "ABCD", 2560},
                        {"zero_units", "ABC", 0},
                        {"ranges", "ABCD \342\202\254", 4340},
                        {"long_loca", "ABCD \342\202\254", 4340},
                        {"uncompressed", "ABCD \342\202\254", 4340}};
    for (row const& r : rows) {
        canvas image(1, 1);
        ASSERT_TRUE(select(image, font_file(r.font), 14.0f)) << r.font;
        EXPECT_FLOAT_EQ(image.measure_text(r.text), r.width * 0.014f) << r.font << " " << r.text;
    }
    canvas none(1, 1);
    EXPECT_EQ(none.measure_text(nullptr), 0.0f);
}

// Renders with a generated font at 100 pixels per em (0.1 pixel per unit).
struct rendering {
    canvas image{200, 100};
    explicit rendering(std::string const& font, char const* text = nullptr, float x = 10.0f, float y = 80.0f) {
        EXPECT_TRUE(select(image, font_file(font), 100.0f)) << font;
        if (text) image.fill_text(text, x, y);
    }
    float at(int x, int y) const { return canvas_probe::alpha(image, x, y); }
    double total() const { return canvas_probe::total_alpha(image); }
};

TEST(FillText, GlyphsLandByAlignmentBaselineAndWidth) {
    // The square spans units 100 to 500 across and 0 to 400 up, so 40 pixels
    // from 10 pixels right of the origin; the ascender is 800, the descender
    // -200. Rows and columns are of the square's first and last pixels.
    struct row {
        raster::align_style align;
        raster::baseline_style baseline;
        float x, y, maximum_width;
        int left, right, top, bottom;
    };
    for (row const& r : std::vector<row>{
             {raster::leftward, raster::alphabetic, 20, 80, 1e30f, 30, 69, 40, 79},
             {raster::center, raster::alphabetic, 100, 80, 1e30f, 78, 117, 40, 79},
             {raster::ending, raster::alphabetic, 100, 80, 1e30f, 46, 85, 40, 79},
             {raster::leftward, raster::alphabetic, 20, 80, 32, 25, 44, 40, 79},
             {raster::leftward, raster::top, 20, 10, 1e30f, 30, 69, 50, 89},
             {raster::leftward, raster::hanging, 20, 10, 1e30f, 30, 69, 30, 69},
             {raster::leftward, raster::middle, 20, 30, 1e30f, 30, 69, 20, 59},
             {raster::leftward, raster::bottom, 20, 50, 1e30f, 30, 69, -10, 29},
         }) {
        rendering text("basic");
        text.image.text_align = r.align;
        text.image.text_baseline = r.baseline;
        text.image.fill_text("A", r.x, r.y, r.maximum_width);
        SCOPED_TRACE(testing::Message() << r.align << " " << r.baseline << " " << r.maximum_width);
        EXPECT_NEAR(text.total(), (r.right - r.left + 1) * (r.bottom - std::max(r.top, 0) + 1), 1e-2);
        EXPECT_EQ(text.at(r.left, r.bottom), 1.0f);
        EXPECT_EQ(text.at(r.right, std::max(r.top, 0)), 1.0f);
    }
    // A font whose line box is flat places every baseline on the alphabetic one.
    rendering flat("flat_line_box"), plain("flat_line_box", "A", 5, 30);
    flat.image.text_baseline = raster::top;
    flat.image.fill_text("A", 5, 30);
    EXPECT_GT(plain.total(), 10.0);
    EXPECT_EQ(flat.total(), plain.total());
    rendering zero("zero_units");
    zero.image.text_baseline = raster::middle;
    zero.image.fill_text("ABC", 5, 20);
    EXPECT_EQ(zero.total(), 0.0);
}

TEST(FillText, OutlinesAndCompositesDrawTheirParts) {
    double square = rendering("basic", "A").total(), triangle = rendering("basic", "C").total();
    EXPECT_NEAR(square, 1600.0, 1e-2);
    EXPECT_NEAR(rendering("basic", "D").total(), square + triangle, 0.05);
    EXPECT_EQ(rendering("point_matching", "D").total(), square);  // shows only the first part
    EXPECT_EQ(rendering("backward_contours", "C").total(), triangle);
    EXPECT_EQ(rendering("cut_outline", "C").total(), 0.0);
    EXPECT_NEAR(rendering("cut_outline", "CA").total(), square, 1e-2);
    for (char const* font : {"transforms", "self_reference", "huge_coordinates"})
        EXPECT_GT(rendering(font, "\200D").total(), 100.0) << font;
    // The ring is symmetric about its centre (unit 300, 250) when its closing
    // stretch is curved like the rest.
    rendering ring("basic", "B", 0.0f);
    for (int d = 0; d < 25; ++d)
        for (int y = 55; y < 80; ++y) {
            EXPECT_NEAR(ring.at(30 - 1 - d, y), ring.at(30 + d, y), 0.06f) << d << ", " << y;
            EXPECT_NEAR(ring.at(30 + d, y), ring.at(30 + d, 2 * 55 - 1 - y), 0.06f) << d << ", " << y;
        }
    // A 40 pixel square stroked 2 wide: 42 x 42 minus 38 x 38.
    rendering stroked("basic");
    stroked.image.set_line_width(2.0f);
    stroked.image.stroke_text("A", 20.0f, 80.0f);
    EXPECT_NEAR(stroked.total(), 42.0 * 42.0 - 38.0 * 38.0, 1e-2);
    // A size alone keeps the font.
    ASSERT_TRUE(stroked.image.set_font(nullptr, 0, 50.0f));
    EXPECT_FLOAT_EQ(stroked.image.measure_text("AB"), 65.0f);
}

TEST(FillText, CallsWithNothingToDrawChangeNothing) {
    // Under the operations that keep the destination only inside the
    // source, an empty shape would erase the whole clip area.
    for (auto operation : {raster::source_in, raster::source_copy, raster::source_out, raster::destination_in,
                           raster::destination_atop}) {
        rendering text("basic");
        canvas no_font(200, 100);
        for (canvas* image : {&text.image, &no_font}) {
            image->fill_rectangle(0.0f, 0.0f, 200.0f, 100.0f);
            image->global_composite_operation = operation;
            image->fill_text("ABCD", 20.0f, 80.0f, image == &no_font ? 100.0f : 0.0f);
            image->fill_text("ABCD", 20.0f, 80.0f, -5.0f);
            image->fill_text(nullptr, 20.0f, 80.0f);
            image->stroke_text("ABCD", 20.0f, 80.0f, image == &no_font ? 100.0f : 0.0f);
            image->stroke_text(nullptr, 20.0f, 80.0f);
            EXPECT_EQ(canvas_probe::total_alpha(*image), 200.0 * 100.0) << operation;
        }
    }
}

TEST(FillText, HostileCompositesCostBoundedWorkPerCharacter) {
    // Every record, contour and point read counts; one character may cost
    // at most the outline budget of 4096 steps, whatever the font.
    constexpr uint64_t per_character = 1 << 12;
    for (char const* name : {"fanned_composite", "nested_squares"}) {
        rendering text(name, "D");
        uint64_t one = canvas_probe::outline_steps(text.image);
        EXPECT_GT(one, 1000u) << name;
        EXPECT_LE(one, per_character) << name;
        text.image.fill_text("DDD", 10.0f, 80.0f);
        EXPECT_LE(canvas_probe::outline_steps(text.image) - one, 3 * per_character) << name;
    }
    // The budget does not cut an ordinary composite short.
    EXPECT_GE(rendering("nested_squares", "D").total(), rendering("basic", "A").total());
}

}  // namespace
