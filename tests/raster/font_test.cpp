// Selecting fonts, mapping text to glyphs and laying it out, with small
// generated fonts (tests/raster/data, made by fuzz/raster/make_fonts.py) and
// the installer's embedded fonts.
//
// The generated fonts have 1000 units per em and map "A" to a square (advance
// 640), "B" and the euro sign to a ring of quadratics that starts and ends off
// the curve (660), "C" and U+1F600 to a triangle (680), "D" to a composite of
// the square and the triangle (1400) and the space to an empty glyph (300);
// glyph 0 is a box with advance 600.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;
using raster_test::total_alpha;

std::vector<unsigned char> font_file(std::string const& name) {
    return raster_test::read_file(std::string(TEST_DATA_DIR) + "/" + name + ".ttf");
}

bool select(canvas& image, std::vector<unsigned char> const& font, float size) {
    return image.set_font(font.data(), static_cast<int>(font.size()), size);
}

float width_in(std::string const& font, char const* text, float size = 1000.0f) {
    canvas image(1, 1);
    std::vector<unsigned char> bytes = font_file(font);
    EXPECT_TRUE(select(image, bytes, size)) << font;
    return image.measure_text(text);
}

TEST(SetFont, RejectsDataThatIsNotAUsableFont) {
    canvas image(4, 4);
    EXPECT_FALSE(image.set_font(nullptr, 0, 14.0f));
    unsigned char short_data[5] = {0, 1, 0, 0, 0};
    EXPECT_FALSE(image.set_font(short_data, 5, 14.0f));
    std::vector<unsigned char> wrong_version = font_file("basic");
    std::copy_n("OTTO", 4, wrong_version.begin());
    EXPECT_FALSE(select(image, wrong_version, 14.0f));
    for (char const* broken : {"header_only", "truncated", "no_os2", "empty_directory"})
        EXPECT_FALSE(select(image, font_file(broken), 14.0f)) << broken;
    EXPECT_EQ(image.measure_text("A"), 0.0f);
}

TEST(SetFont, FailedLoadDropsThePreviousFont) {
    canvas image(4, 4);
    std::vector<unsigned char> good = font_file("basic");
    ASSERT_TRUE(select(image, good, 10.0f));
    EXPECT_GT(image.measure_text("A"), 0.0f);
    EXPECT_FALSE(select(image, font_file("truncated"), 10.0f));
    EXPECT_EQ(image.measure_text("A"), 0.0f);
    EXPECT_FALSE(image.set_font(nullptr, 0, 10.0f));
}

TEST(SetFont, AcceptsTheTrueTagAndKeepsItsOwnCopy) {
    canvas image(4, 4);
    std::vector<unsigned char> bytes = font_file("true_tag");
    ASSERT_TRUE(select(image, bytes, 1000.0f));
    bytes.assign(bytes.size(), 0);
    EXPECT_FLOAT_EQ(image.measure_text("A"), 640.0f);
}

TEST(SetFont, NullDataChangesOnlyTheSize) {
    std::vector<unsigned char> bytes = font_file("basic");
    canvas resized(64, 32), reloaded(64, 32);
    ASSERT_TRUE(select(resized, bytes, 10.0f));
    EXPECT_TRUE(resized.set_font(nullptr, 0, 23.0f));
    ASSERT_TRUE(select(reloaded, bytes, 23.0f));
    EXPECT_EQ(resized.measure_text("ABCD"), reloaded.measure_text("ABCD"));
    resized.fill_text("ABCD", 1.0f, 25.0f);
    reloaded.fill_text("ABCD", 1.0f, 25.0f);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(canvas_probe::alpha(resized, x, y), canvas_probe::alpha(reloaded, x, y));
}

TEST(MeasureText, SumsAdvancesTimesTheScale) {
    EXPECT_FLOAT_EQ(width_in("basic", "AB CD", 14.0f), (640 + 660 + 300 + 680 + 1400) * 0.014f);
    EXPECT_EQ(width_in("basic", ""), 0.0f);
    canvas image(1, 1);
    EXPECT_EQ(image.measure_text(nullptr), 0.0f);
}

TEST(MeasureText, EmbeddedFontsAreMonospacedAtTheirAdvance) {
    for (char const* name : {"/regular.ttf", "/bold.ttf"}) {
        std::vector<unsigned char> bytes = raster_test::read_file(std::string(FONTS_DIR) + name);
        canvas image(1, 1);
        ASSERT_TRUE(select(image, bytes, 14.0f));
        EXPECT_FLOAT_EQ(image.measure_text("Hello, Velliphon"), 16 * 1229 * 14.0f / 2048.0f);
    }
}

TEST(MeasureText, LineBreaksAndTabsAdvanceLikeSpaces) {
    EXPECT_EQ(width_in("basic", "A\tB\nC\rD"), width_in("basic", "A B C D"));
}

TEST(MeasureText, InvalidUtf8BecomesTheReplacementCharacter) {
    // U+FFFD is not in the font: glyph 0, advance 600.
    EXPECT_FLOAT_EQ(width_in("basic", "\x80" "A"), 600.0f + 640.0f);
    EXPECT_FLOAT_EQ(width_in("basic", "\xE2" "A"), 600.0f + 640.0f);
    EXPECT_FLOAT_EQ(width_in("basic", "\xE2\x82" "A"), 600.0f + 640.0f);
    EXPECT_FLOAT_EQ(width_in("basic", "\xF8"), 600.0f);
    EXPECT_FLOAT_EQ(width_in("basic", "\xE2\x82"), 600.0f);
    EXPECT_FLOAT_EQ(width_in("basic", "\xE2\x82\xAC"), 660.0f);
}

TEST(CharacterMaps, EveryFormatMapsTheSameCharacters) {
    for (char const* font : {"basic", "ranges", "format_12", "long_loca", "uncompressed"})
        EXPECT_FLOAT_EQ(width_in(font, "ABCD \xE2\x82\xAC"), 640 + 660 + 680 + 1400 + 300 + 660) << font;
    // Only the format 12 table reaches beyond the basic plane.
    EXPECT_FLOAT_EQ(width_in("format_12", "\xF0\x9F\x98\x80"), 680.0f);
    EXPECT_FLOAT_EQ(width_in("basic", "\xF0\x9F\x98\x80"), 600.0f);
    // Format 0 maps single bytes only.
    EXPECT_FLOAT_EQ(width_in("format_0", "AB\xE2\x82\xAC"), 640 + 660 + 600);
    EXPECT_FLOAT_EQ(width_in("bad_cmap_offset", "AB"), 1200.0f);
}

TEST(CharacterMaps, GlyphsBeyondTheLastMetricShareItsAdvance) {
    EXPECT_FLOAT_EQ(width_in("few_metrics", "ABCD"), 4 * 640.0f);
}

TEST(CharacterMaps, DegenerateMetricsNeverDivideByZero) {
    canvas image(40, 40);
    std::vector<unsigned char> bytes = font_file("zero_units");
    EXPECT_TRUE(select(image, bytes, 14.0f));
    EXPECT_EQ(image.measure_text("ABC"), 0.0f);
    image.text_baseline = raster::middle;
    image.fill_text("ABC", 5.0f, 20.0f);
    EXPECT_EQ(total_alpha(image, 40, 40), 0.0);

    canvas flat(40, 40), plain(40, 40);
    std::vector<unsigned char> flat_font = font_file("flat_line_box");
    ASSERT_TRUE(select(flat, flat_font, 20.0f));
    ASSERT_TRUE(select(plain, flat_font, 20.0f));
    flat.text_baseline = raster::top;
    flat.fill_text("A", 5.0f, 30.0f);
    plain.fill_text("A", 5.0f, 30.0f);
    EXPECT_GT(total_alpha(plain, 40, 40), 10.0);
    EXPECT_EQ(total_alpha(flat, 40, 40), total_alpha(plain, 40, 40));
}

// Renders with a generated font at 100 pixels per em (0.1 pixel per unit).
struct rendering {
    canvas image{200, 100};
    std::vector<unsigned char> bytes;

    explicit rendering(std::string const& font) : bytes(font_file(font)) {
        EXPECT_TRUE(select(image, bytes, 100.0f));
        image.set_color(raster::fill_style, 1.0f, 1.0f, 1.0f, 1.0f);
    }
    float at(int x, int y) const { return canvas_probe::alpha(image, x, y); }
    double total() const { return total_alpha(image, 200, 100); }
};

TEST(FillText, SquareGlyphLandsOnTheBaseline) {
    rendering text("basic");
    text.image.fill_text("A", 20.0f, 80.0f);
    // The square spans units 100 to 500 across and 0 to 400 up.
    EXPECT_NEAR(text.total(), 40.0 * 40.0, 1e-2);
    EXPECT_EQ(text.at(30, 79), 1.0f);
    EXPECT_EQ(text.at(30, 40), 1.0f);
    EXPECT_EQ(text.at(29, 60), 0.0f);
    EXPECT_EQ(text.at(30, 80), 0.0f);
}

TEST(FillText, AlignmentAndMaximumWidthPlaceTheText) {
    rendering centred("basic");
    centred.image.text_align = raster::center;
    centred.image.fill_text("A", 100.0f, 80.0f);
    // Advance 64 pixels centred on 100: the square runs from 78 to 118.
    EXPECT_EQ(centred.at(78, 60), 1.0f);
    EXPECT_EQ(centred.at(77, 60), 0.0f);
    EXPECT_EQ(centred.at(117, 60), 1.0f);
    EXPECT_EQ(centred.at(118, 60), 0.0f);

    rendering right("basic");
    right.image.text_align = raster::ending;
    right.image.fill_text("A", 100.0f, 80.0f);
    EXPECT_EQ(right.at(46, 60), 1.0f);
    EXPECT_EQ(right.at(45, 60), 0.0f);

    rendering squeezed("basic");
    squeezed.image.fill_text("A", 20.0f, 80.0f, 32.0f);
    EXPECT_NEAR(squeezed.total(), 20.0 * 40.0, 1e-2);
    EXPECT_EQ(squeezed.at(25, 60), 1.0f);
    EXPECT_EQ(squeezed.at(45, 60), 0.0f);
}

TEST(FillText, BaselinesMoveTheText) {
    // Ascender 800, descender -200 at 0.1 pixel per unit; the square's
    // bottom row lies just above the baseline.
    auto bottom_row = [](raster::baseline_style baseline, float y) {
        rendering text("basic");
        text.image.text_baseline = baseline;
        text.image.fill_text("A", 20.0f, y);
        int last = -1;
        for (int row = 0; row < 100; ++row)
            if (text.at(30, row) > 0.5f)
                last = row;
        return last;
    };
    EXPECT_EQ(bottom_row(raster::alphabetic, 50.0f), 49);
    EXPECT_EQ(bottom_row(raster::top, 10.0f), 89);
    EXPECT_EQ(bottom_row(raster::hanging, 10.0f), 69);
    EXPECT_EQ(bottom_row(raster::middle, 30.0f), 59);
    EXPECT_EQ(bottom_row(raster::bottom, 50.0f), 29);
    EXPECT_EQ(bottom_row(raster::ideographic, 50.0f), 29);
}

TEST(FillText, CallsWithNothingToDrawChangeNothing) {
    // Under the operations that keep the destination only inside the
    // source, an empty shape would erase the whole clip area.
    for (auto operation : {raster::source_in, raster::source_copy, raster::source_out, raster::destination_in,
                           raster::destination_atop}) {
        rendering text("basic");
        text.image.fill_rectangle(0.0f, 0.0f, 200.0f, 100.0f);
        text.image.global_composite_operation = operation;
        text.image.fill_text("ABCD", 20.0f, 80.0f, 0.0f);
        text.image.fill_text("ABCD", 20.0f, 80.0f, -5.0f);
        text.image.fill_text(nullptr, 20.0f, 80.0f);
        text.image.stroke_text("ABCD", 20.0f, 80.0f, 0.0f);
        text.image.stroke_text(nullptr, 20.0f, 80.0f);
        canvas no_font(200, 100);
        no_font.fill_rectangle(0.0f, 0.0f, 200.0f, 100.0f);
        no_font.global_composite_operation = operation;
        no_font.fill_text("ABCD", 20.0f, 80.0f);
        no_font.stroke_text("ABCD", 20.0f, 80.0f);
        EXPECT_EQ(text.total(), 200.0 * 100.0) << operation;
        EXPECT_EQ(total_alpha(no_font, 200, 100), 200.0 * 100.0) << operation;
    }
}

TEST(FillText, ContourStartingAndEndingOffTheCurveClosesSmoothly) {
    // The ring is symmetric about its centre (unit 300, 250) when its closing
    // stretch is curved like the rest.
    rendering text("basic");
    text.image.fill_text("B", 0.0f, 80.0f);
    for (int d = 0; d < 25; ++d)
        for (int y = 55; y < 80; ++y) {
            EXPECT_NEAR(text.at(30 - 1 - d, y), text.at(30 + d, y), 0.06f) << d << ", " << y;
            EXPECT_NEAR(text.at(30 + d, y), text.at(30 + d, 2 * 55 - 1 - y), 0.06f) << d << ", " << y;
        }
    EXPECT_EQ(text.at(30, 75), 1.0f);
}

TEST(FillText, CompositeGlyphsAddTheirComponents) {
    rendering square("basic"), triangle("basic"), both("basic");
    square.image.fill_text("A", 10.0f, 80.0f);
    triangle.image.fill_text("C", 10.0f, 80.0f);
    both.image.fill_text("D", 10.0f, 80.0f);
    EXPECT_NEAR(both.total(), square.total() + triangle.total(), 0.05);

    rendering transformed("transforms");
    transformed.image.fill_text("D", 10.0f, 80.0f);
    EXPECT_GT(transformed.total(), 100.0);
}

TEST(FillText, PointMatchedComponentShowsOnlyTheFirstPart) {
    rendering square("basic"), matched("point_matching");
    square.image.fill_text("A", 10.0f, 80.0f);
    matched.image.fill_text("D", 10.0f, 80.0f);
    EXPECT_EQ(matched.total(), square.total());
}

TEST(FillText, MalformedGlyphsAreSkippedSafely) {
    rendering cut("cut_outline");
    cut.image.fill_text("C", 10.0f, 80.0f);
    EXPECT_EQ(cut.total(), 0.0);
    cut.image.fill_text("A", 10.0f, 80.0f);
    EXPECT_GT(cut.total(), 100.0);

    rendering backward("backward_contours"), triangle("basic");
    backward.image.fill_text("C", 10.0f, 80.0f);
    triangle.image.fill_text("C", 10.0f, 80.0f);
    EXPECT_EQ(backward.total(), triangle.total());

    rendering looping("self_reference");
    looping.image.fill_text("D", 10.0f, 80.0f);
    EXPECT_GT(looping.total(), 100.0);

    rendering huge("huge_coordinates");
    huge.image.fill_text("\x80" "A", 10.0f, 80.0f);
    EXPECT_GT(huge.total(), 100.0);
}

TEST(FillText, HostileCompositesCostBoundedWorkPerCharacter) {
    // Every record, contour and point read counts; one character may cost
    // at most the outline budget of 4096 steps, whatever the font.
    constexpr uint64_t per_character = 1 << 12;
    for (char const* name : {"fanned_composite", "nested_squares"}) {
        rendering text(name);
        text.image.fill_text("D", 10.0f, 80.0f);
        uint64_t one = canvas_probe::outline_steps(text.image);
        EXPECT_GT(one, 1000u) << name;
        EXPECT_LE(one, per_character) << name;
        text.image.fill_text("DDD", 10.0f, 80.0f);
        EXPECT_LE(canvas_probe::outline_steps(text.image) - one, 3 * per_character) << name;
    }
    // The budget does not cut an ordinary composite short.
    rendering square("basic"), nested("nested_squares");
    square.image.fill_text("A", 10.0f, 80.0f);
    nested.image.fill_text("D", 10.0f, 80.0f);
    EXPECT_GE(nested.total(), square.total());
}

TEST(StrokeText, OutlinesTheGlyphs) {
    rendering text("basic");
    text.image.set_line_width(2.0f);
    text.image.set_color(raster::stroke_style, 1.0f, 1.0f, 1.0f, 1.0f);
    text.image.stroke_text("A", 20.0f, 80.0f);
    // A 40 pixel square stroked 2 wide: 42 x 42 minus 38 x 38.
    EXPECT_NEAR(text.total(), 42.0 * 42.0 - 38.0 * 38.0, 1e-2);
    EXPECT_EQ(text.at(40, 60), 0.0f);
}

}  // namespace
