// The canvas as a whole: scenes that exercise most of it at once, compared byte for byte with committed pictures
// (golden_picture.h says how to regenerate them), and fixed faults that a picture shows too weakly.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;
using raster_test::font_file;
using raster_test::select;

void stroke_line(canvas& c, float y, std::vector<float> const& dashes, std::vector<raster::xy> points = {}) {
    c.set_line_dash(dashes.data(), static_cast<int>(dashes.size())), c.begin_path();
    for (raster::xy p : points.empty() ? std::vector<raster::xy>{{1, y}, {39, y}} : points) c.line_to(p.x, p.y);
    c.stroke();
}

void fill_gradient(canvas& c, std::vector<float> const& stops) {
    for (size_t i = 0; i < stops.size(); ++i)
        c.add_color_stop(raster::fill_style, stops[i], i % 2 == 0, 0.5f * (i == 1), i % 2, 1.0f - 0.2f * i);
    c.fill_rectangle(2, 2, 36, 36);
}

TEST(Scene, ShapesAndText) {
    canvas c(320, 280);
    // Cells of 40 x 40, eight to a row, clipped; the path outlives restore.
    int cell = 0;
    auto next = [&] {
        if (cell > 0) c.restore();
        c.save(), c.begin_path(), c.translate(40.0f * (cell % 8), 40.0f * (cell / 8)), ++cell;
        c.rectangle(0, 0, 40, 40), c.clip(), c.begin_path(), c.set_color(raster::fill_style, 0.1f, 0.3f, 0.8f, 1);
    };
    // Points keep the transform of their time; transforms apply last first; subpaths begun by line_to, move_to,
    // close_path; non-zero winding.
    next(), c.move_to(2, 2), c.line_to(20, 2), c.scale(2, 2), c.line_to(7, 7), c.fill();
    next(), c.translate(20, 10), c.rotate(1.5707964f), c.scale(2, 1), c.rectangle(0, 0, 6, 3), c.fill();
    next(), c.transform(2, 0, 0.5f, 1, 3, 0), c.set_transform(1, 0, 0.5f, 1, 83, 3), c.rectangle(0, 0, 15, 10),
        c.fill();
    next(), c.line_to(1, 1), c.line_to(1, 1), c.line_to(36, 1), c.line_to(36, 18), c.move_to(35, 39);
    c.move_to(1, 20), c.line_to(20, 39), c.line_to(1, 39), c.fill();
    next(), c.rectangle(1, 1, 15, 15), c.line_to(39, 1), c.line_to(39, 39), c.fill();
    next(), c.rectangle(1, 1, 35, 35), c.move_to(6, 6), c.line_to(6, 30), c.line_to(30, 30), c.line_to(30, 6), c.fill();
    next(), c.move_to(2, 35), c.quadratic_curve_to(10, 0, 17, 35), c.bezier_curve_to(20, 3, 37, 3, 37, 35), c.fill();
    next(), c.move_to(20, 20), c.arc(20, 20, 17, 0, 1.5707964f), c.arc(20, 20, 10, 0, 1.5707964f, true), c.fill();
    next(), c.move_to(20, 20), c.arc(20, 20, 18, 1, -6), c.fill();  // 0.283 past a full turn
    next(), c.move_to(2, 2), c.arc_to(37, 2, 37, 37, 15), c.line_to(37, 37), c.line_to(2, 37), c.fill();
    // Restoring keeps the path but not the transform; hit tests mark it.
    next(), c.save(), c.translate(20, 0), c.rectangle(0, 0, 15, 15), c.restore(), c.line_to(2, 35), c.fill();
    c.set_color(raster::fill_style, 1, 0.5f, 0, 1);
    for (int i = 0; i < 100; ++i)
        c.fill_rectangle(i % 10 * 4, i / 10 * 4, c.is_point_in_path(122.0f + i % 10 * 4, 42.0f + i / 10 * 4), 1);
    next(), c.set_line_width(5), c.set_line_width(0), c.set_line_width(-3);  // ignored
    for (auto cap : {raster::butt, raster::square, raster::circle})
        c.line_cap = cap, stroke_line(c, 0, {}, {{8, 8.0f + 12 * cap}, {32, 8.0f + 12 * cap}});
    next(), c.set_line_width(4);
    for (float j : {0, 1, 2})
        c.line_join = raster::join_style(j),
        stroke_line(c, 0, {}, {{4, 6 + 11 * j}, {32 - 9 * j, 6 + 11 * j}, {32 - 9 * j, 38}});
    next(), c.set_line_width(2), c.set_miter_limit(10.0f),
        stroke_line(c, 0, {}, {{4, 4}, {34, 4}, {4, 10}});  // tip at 10.05
    c.set_miter_limit(10.2f), c.set_miter_limit(-1), stroke_line(c, 0, {}, {{4, 24}, {34, 24}, {4, 30}});
    next(), c.set_line_width(2), c.stroke_rectangle(4, 4, 30, 20), c.stroke_rectangle(4, 30, 30, 0);
    c.scale(0, 1), stroke_line(c, 10, {});
    next(), c.set_linear_gradient(raster::stroke_style, 0, 0, 40, 40), c.set_line_width(3), c.line_cap = raster::circle;
    c.add_color_stop(raster::stroke_style, 0, 1, 0, 0, 1), c.add_color_stop(raster::stroke_style, 1, 0, 1, 0, 1);
    c.arc(20, 20, -1, 0, 3), c.arc(20, 20, 14, 0.5f, 5), c.stroke();
    // Dash phases and lengths; solid patterns; fine dashes on a long path; a closed rectangle starting inside a dash is
    // mitred there too.
    next(), c.set_line_width(2);
    float y = 0;
    for (float offset : {0, 3, -4, -34}) c.line_dash_offset = offset, stroke_line(c, y += 5, {10, 5});
    stroke_line(c, 25, {6}), stroke_line(c, 30, {3, 4, 5}), stroke_line(c, 35, {3, 4, 5, 3, 4, 5});
    next(), c.set_line_width(2), y = 1;
    for (std::vector<float> solid : {std::vector<float>{}, {0, 0}, {4, -1}, {1e-9f, 1e-9f}})
        stroke_line(c, y++ * 7, solid);
    stroke_line(c, 0, {1, 1}, {{-1001, 35}, {-100, 35}, {500, 35}});
    float const long_dash[] = {22, 8};
    next(), c.set_line_width(4), c.set_line_dash(long_dash, 2), c.line_dash_offset = 11;
    c.rectangle(5, 5, 30, 30), c.stroke();
    // Gradients in linear light; split by two stops; radial ones, touching.
    next(), c.set_linear_gradient(raster::fill_style, 2, 0, 38, 0), fill_gradient(c, {0, 1});
    next(), c.set_linear_gradient(raster::fill_style, 0, 0, 40, 10), fill_gradient(c, {0.5f, 0.5f, 1.5f});
    next(), c.set_radial_gradient(raster::fill_style, 20, 20, 0, 20, 20, 18), fill_gradient(c, {0, 0.3f, 1});
    next(), c.set_radial_gradient(raster::fill_style, 10, 20, 8, 20, 20, 18), fill_gradient(c, {0, 1});
    next(), c.set_linear_gradient(raster::fill_style, 3, 3, 3, 3), fill_gradient(c, {0, 1});
    c.set_radial_gradient(raster::fill_style, 4, 4, 2, 4, 4, 2), fill_gradient(c, {0, 1});
    next(), c.set_shadow_color(0, 0, 1, 1), c.shadow_offset_x = 3, c.shadow_offset_y = 4;
    c.set_color(raster::fill_style, 1, 0, 0, 1), c.fill_rectangle(4, 4, 20, 20);
    next(), c.set_shadow_color(0, 0, 0, 0.8f), c.set_shadow_blur(6), c.shadow_offset_x = 14,
                                                                     c.fill_rectangle(4, 12, 10, 14);
    next(), c.set_global_alpha(0.25f), c.set_global_alpha(1.5f), c.fill_rectangle(2, 2, 36, 36);  // 1.5 ignored
    unsigned char const checker[] = {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 255};
    next(), c.scale(3, 3);
    for (auto repetition : {raster::repeat, raster::repeat_x, raster::repeat_y, raster::no_repeat}) {
        c.save(), c.translate(6.5f * (repetition % 2), 6.5f * (repetition / 2));
        c.set_pattern(raster::fill_style, checker, 2, 2, 8, repetition), c.fill_rectangle(0, 0, 6, 6), c.restore();
    }
    unsigned char texels[4 * 4 * 4];
    for (int i = 0; i < 64; ++i) texels[i] = i % 4 == 3 ? 255 - i : static_cast<unsigned char>(i * 37);
    next(), c.draw_image(texels, 4, 4, 16, 30, 4, -20, 12), c.draw_image(texels, 4, 4, 16, 4, 20, 4, 4);
    // Stripes 32 texels wide shrunk 128 times: evenly half covered pixels.
    std::vector<unsigned char> stripes(1024 * 1024 * 4, 0);
    for (size_t i = 0; i < stripes.size(); ++i) stripes[i] = i / 4 % 64 >= 16 && i / 4 % 64 < 48 ? 255 : 0;
    next(), c.draw_image(stripes.data(), 1024, 1024, 1024 * 4, 4, 24, 8, 8), c.scale(1.0f / 128, 1.0f / 128);
    c.set_pattern(raster::fill_style, stripes.data(), 1024, 1024, 1024 * 4, raster::repeat),
        c.fill_rectangle(0, 0, 4096, 2560);
    // Clearing erases by the fill's alpha (a gradient's first colour) alone.
    next(), c.fill_rectangle(0, 0, 40, 40), c.set_global_alpha(0.3f), c.global_composite_operation = raster::lighter;
    c.set_shadow_color(1, 0, 0, 1), c.shadow_offset_x = 2, c.clear_rectangle(2, 2, 10, 36);
    c.set_color(raster::fill_style, 0, 0, 0, 0.5f), c.clear_rectangle(14, 2, 10, 36);
    c.set_linear_gradient(raster::fill_style, 0, 0, 40, 0);
    c.add_color_stop(raster::fill_style, 0, 1, 1, 1, 0.7f), c.clear_rectangle(26, 2, 10, 36);
    // Nested clips intersect; a round clip is soft; bad coordinates draw nothing.
    next(), c.rectangle(2, 2, 24, 24), c.clip(), c.begin_path(), c.rectangle(10.5f, 8.5f, 24, 24), c.clip();
    c.fill_rectangle(0, 0, 40, 40);
    next(), c.arc(20, 20, 15.3f, 0, 7), c.clip(), c.fill_rectangle(0, 0, 30, 40);
    next(), c.fill_rectangle(2, 2, NAN, 5), c.fill_rectangle(2, 2, INFINITY, 5), c.fill_rectangle(1e30f, 1e30f, 5, 5);
    c.move_to(1, 1), c.bezier_curve_to(NAN, 3, 9, 9, 12, 1), c.fill();
    // Every composite operation (by its code), of a red square over a blue disc.
    for (int operation : {1, 2, 3, 4, 7, 10, 11, 12, 13, 14, 15}) {
        next(), c.set_color(raster::fill_style, 0, 0.2f, 1, 0.7f), c.arc(16, 16, 13, 0, 7), c.fill();
        c.global_composite_operation = raster::composite_operation(operation);
        c.set_color(raster::fill_style, 1, 0, 0, 0.6f), c.fill_rectangle(12, 12, 24, 24);
    }
    c.restore();
    // Every byte at all 16 dither thresholds survives put and get, which apply neither clip nor transform; colours are
    // clamped.
    std::vector<unsigned char> strip(256 * 16 * 4);
    for (size_t i = 0; i < strip.size(); ++i)
        strip[i] = i % 4 == 3 ? 255 : static_cast<unsigned char>((i / 16 % 64 * 4 + i / 4096) * (1 + 36 * (i % 4)));
    c.rectangle(0, 0, 1, 1), c.clip(), c.scale(3, 3), c.put_image_data(strip.data(), 256, 16, 256 * 4, 8, 260);
    unsigned char const half[8] = {0, 128, 0, 128, 255, 255, 255, 0};
    c.put_image_data(half, 2, 1, 8, 270, 262), c.put_image_data(nullptr, 2, 2, 8, 270, 263);
    c.set_transform(1, 0, 0, 1, 0, 0), c.set_color(raster::fill_style, 0.5f, 2, -1, 1),
        c.fill_rectangle(0.5f, 0, 0.5f, 1);
    canvas_probe::expect_picture(c, "shapes");
    // The generated fonts map "A" to a square, "B" and the euro sign to a ring of quadratics starting off the curve,
    // "C" and U+1F600 to a triangle, "D" to both, glyph 0 to a box; variants break each table.
    canvas image(320, 370);
    // Line breaks and tabs advance like spaces; invalid UTF-8 (a stray continuation, cut sequences, a bad lead byte)
    // becomes U+FFFD: glyph 0.
    char const* const all = "A\tB\nC\rD \200A\342A\342\202A\360\237\230\200\370\342\202";
    char const* const fonts[] = {
        "basic",          "format_12",        "format_0",       "bad_cmap_offset",   "few_metrics", "ranges",
        "long_loca",      "uncompressed",     "point_matching", "backward_contours", "cut_outline", "transforms",
        "self_reference", "huge_coordinates", "nested_squares", "fanned_composite"};
    // Each boxed: hostile fonts draw huge shapes, at most 4096 steps a character.
    for (int i = 0; i < 16; ++i) {
        float x = 4.0f + 158.0f * static_cast<float>(i / 8), y = 20.0f + 20.0f * static_cast<float>(i % 8);
        image.save(), image.begin_path(), image.rectangle(x - 4, y - 18, 158, 20), image.clip();
        EXPECT_TRUE(select(image, font_file(fonts[i]), 15)) << fonts[i];
        image.fill_text(i ? "\200ABCD \342\202\254\360\237\230\200" : all, x, y);
        uint64_t before = canvas_probe::outline_steps(image);
        image.fill_text(i >= 14 ? "DDD" : "", x + 100, y), image.restore();
        uint64_t steps = canvas_probe::outline_steps(image) - before;
        EXPECT_TRUE(i < 14 || (steps > 3000 && steps <= 3 * 4096)) << fonts[i] << " " << steps;
    }
    std::vector<unsigned char> basic = font_file("basic"), wrong_version = basic;
    std::copy_n("OTTO", 4, wrong_version.begin());  // fonts that cannot be used drop the previous one
    for (char const* broken : {"", "header_only", "truncated", "no_os2", "empty_directory"})
        EXPECT_TRUE(select(image, basic, 24) && !select(image, *broken ? font_file(broken) : wrong_version, 24) &&
                    image.measure_text("A") == 0)
            << broken;
    // Every alignment and baseline, and a maximum width, against a guide.
    select(image, basic, 40), image.set_color(raster::fill_style, 0.8f, 0.2f, 0.1f, 1);
    for (int i = 0; i < 8; ++i) {
        float x = 30.0f + 38.0f * static_cast<float>(i);
        image.fill_rectangle(x, 215, 1, 70), image.fill_rectangle(x - 10, 250, 20, 1);
        image.text_align = raster::align_style(i < 3 ? (3 - i) % 3 : 0);
        image.text_baseline = raster::baseline_style(std::max(i - 3, 0));
        image.fill_text("A", x, 250, i == 3 ? 13.0f : 1e30f);
    }
    // A flat line box puts every baseline on the alphabetic one; no units, no ink.
    for (char const* name : {"flat_line_box", "zero_units"})
        select(image, font_file(name), 30), image.fill_text("ABC", 4, 320);
    // Outlines stroked; a size alone keeps the font.
    select(image, basic, 30), image.text_align = raster::leftward, image.text_baseline = raster::alphabetic;
    image.set_line_width(2), image.stroke_text("ABD", 120, 320);
    image.set_font(nullptr, 0, 16), image.fill_text("ABCD", 230, 320);
    EXPECT_FLOAT_EQ(image.measure_text(all), 10100 * 0.016f);
    // Text that draws nothing erases nothing, whatever the operation.
    image.fill_rectangle(150, 340, 20, 20), image.save(), image.rectangle(140, 330, 40, 40), image.clip();
    for (int op : {1, 2, 3, 4, 7}) {
        image.global_composite_operation = raster::composite_operation(op), image.fill_text("ABCD", 150, 355, 0);
        image.fill_text("ABCD", 150, 355, -5);
        image.stroke_text("ABCD", 150, 355, 0), image.fill_text(nullptr, 150, 355),
            image.stroke_text(nullptr, 150, 355);
    }
    // Restoring returns the saved state, the font too; extra restores do nothing.
    image.restore(), image.save(), image.translate(-200, 0), image.set_color(raster::fill_style, 0, 1, 0, 1);
    image.set_global_alpha(0.5f), image.global_composite_operation = raster::destination_out;
    image.rectangle(0, 0, 2, 2), image.clip(), image.set_font(basic.data(), 3, 10);
    image.restore(), image.restore(), image.fill_text("Saved", 240, 355);
    canvas_probe::expect_picture(image, "text");
}

// The canvas's alpha, row by row.
std::vector<float> alphas(canvas const& image, int width, int height) {
    std::vector<float> values;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) values.push_back(canvas_probe::alpha(image, x, y));
    return values;
}

TEST(Text, OutlinesReadOnceBelongToTheirFont) {
    // Outlines are kept once read: each font, selected anew or restored,
    // must still draw its own glyphs, and each use still costs its steps.
    std::vector<unsigned char> const regular = raster_test::read_file(FONTS_DIR "/regular.ttf");
    std::vector<unsigned char> const bold = raster_test::read_file(FONTS_DIR "/bold.ttf");
    auto fresh = [](std::vector<unsigned char> const& font) {
        canvas image(60, 20);
        select(image, font, 14), image.fill_text("Rag", 2, 15);
        return alphas(image, 60, 20);
    };
    std::vector<float> const regular_alphas = fresh(regular), bold_alphas = fresh(bold);
    ASSERT_NE(regular_alphas, bold_alphas);
    canvas image(60, 20);
    auto redraw = [&] {
        image.clear_rectangle(0, 0, 60, 20);
        uint64_t before = canvas_probe::outline_steps(image);
        image.fill_text("Rag", 2, 15);
        return canvas_probe::outline_steps(image) - before;
    };
    select(image, regular, 14);
    uint64_t steps = redraw();
    EXPECT_EQ(redraw(), steps);
    image.save(), select(image, bold, 14), redraw();
    EXPECT_EQ(alphas(image, 60, 20), bold_alphas);
    image.restore(), redraw();
    EXPECT_EQ(alphas(image, 60, 20), regular_alphas);
    select(image, bold, 14), redraw(), select(image, regular, 14), redraw();
    EXPECT_EQ(alphas(image, 60, 20), regular_alphas);
}

TEST(Fault, ThinStrokesAreFlattenedAsStrokes) {
    // A quarter-unit pen magnified to 50 pixels: the arch lies above the
    // view, its pen reaches six rows into it. Flattened as a fill, the arch
    // became two chords whose mitre reached far deeper.
    canvas image(20, 20);
    image.scale(200, 200), image.set_line_width(0.25f), image.move_to(-0.1f, -0.25f);
    image.bezier_curve_to(-0.1f, -0.0425f, 0.2f, -0.0425f, 0.2f, -0.25f), image.stroke();
    EXPECT_GT(canvas_probe::alpha(image, 10, 3), 0.99f);
    EXPECT_EQ(canvas_probe::alpha(image, 10, 10), 0.0f);
}

TEST(Fault, ReadingOutsideTheCanvasGivesZeros) {
    canvas image(4, 4), empty(0, 5);
    image.fill_rectangle(0.0f, 0.0f, 4.0f, 4.0f);
    empty.set_shadow_color(0, 0, 0, 1), empty.set_shadow_blur(3), empty.arc(2, 2, 2, 0, 7), empty.clip(), empty.fill();
    std::vector<unsigned char> pixels(8 * 8 * 4, 77), expected(8 * 8 * 4, 0);
    for (int i = 0; i < 16; ++i) expected[((i / 4 + 2) * 8 + i % 4 + 2) * 4 + 3] = 255;
    image.get_image_data(pixels.data(), 8, 8, 32, -2, -2);
    EXPECT_EQ(pixels, expected);
    // Ends of the integer range, and empty canvases, read only zeros.
    for (int far : {INT_MIN, INT_MIN + 2, INT_MAX - 2, INT_MAX})
        for (auto [x, y] : {std::pair{far, 1}, std::pair{1, far}, std::pair{0, 0}}) {
            std::vector<unsigned char> nothing(36, 9);
            (x || y ? image : empty).get_image_data(nothing.data(), 3, 3, 12, x, y);
            EXPECT_EQ(nothing, std::vector<unsigned char>(36, 0)) << x << ", " << y;
        }
}

}  // namespace
