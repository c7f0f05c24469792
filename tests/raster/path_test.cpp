// The path model, transforms, the state stack, strokes and dashes, observed
// through covered area and what counts as inside the path.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;

TEST(Path, SegmentsArcsAndTransformsDecideWhatIsInside) {
    struct row {
        std::function<void(canvas&)> build;
        raster::xy inside, outside;
    };
    float const turn = 1.5707964f;
    std::vector<row> const rows = {
        // Points keep the transform of their time; transforms apply last first.
        {[](auto& c) { c.move_to(2, 2), c.line_to(10, 2), c.scale(2, 2), c.line_to(5, 5); }, {8, 4}, {4, 8}},
        {[=](auto& c) { c.translate(20, 20), c.rotate(turn), c.scale(2, 1), c.rectangle(0, 0, 5, 2); },
         {19, 29},
         {21, 25}},
        {[](auto& c) { c.set_transform(1, 0, 0, 1, 3, 0), c.transform(2, 0, 0, 1, 0, 0), c.rectangle(0, 0, 5, 2); },
         {12, 1},
         {14, 1}},
        // A first line_to starts a subpath; a second move_to replaces the first.
        {[](auto& c) { c.line_to(2, 2), c.line_to(2, 2), c.line_to(12, 2), c.line_to(12, 12); }, {10, 4}, {4, 10}},
        {[](auto& c) { c.move_to(15, 15), c.move_to(2, 2), c.line_to(12, 2), c.line_to(2, 12); }, {2, 7}, {13, 13}},
        // close_path starts the next subpath at the first point.
        {[](auto& c) { c.rectangle(2, 2, 6, 6), c.line_to(18, 2), c.line_to(18, 18); }, {15, 10}, {4, 15}},
        // Non-zero winding: a square wound back cancels the one it covers.
        {[](auto& c) {
             c.rectangle(2, 2, 20, 9), c.move_to(2, 2), c.line_to(2, 11), c.line_to(11, 11), c.line_to(11, 2);
         },
         {15, 5},
         {5, 5}},
        // A parabola's apex lies halfway to its control point, a symmetric
        // cubic's peak 3/4 of the way.
        {[](auto& c) { c.move_to(5, 30), c.quadratic_curve_to(20, 0, 35, 30); }, {20, 15.2f}, {20, 14.8f}},
        {[](auto& c) { c.move_to(5, 30), c.bezier_curve_to(5, 6, 35, 6, 35, 30); }, {20, 12.2f}, {20, 11.8f}},
        {[=](auto& c) { c.move_to(40, 40), c.arc(40, 40, 20, 0, turn); }, {50, 50}, {30, 30}},
        {[=](auto& c) { c.move_to(40, 40), c.arc(40, 40, 20, 0, turn, true); }, {30, 30}, {50, 50}},
        // -6 is 0.283 past a full turn: the sweep is 5.566 radians, not all.
        {[](auto& c) { c.move_to(40, 40), c.arc(40, 40, 20, 1, -6); }, {30.1f, 41.4f}, {48.3f, 45.6f}},
        // The corner (60, 10) is cut off by the circle centred at (40, 30).
        {[](auto& c) { c.move_to(10, 10), c.arc_to(60, 10, 60, 60, 20), c.line_to(60, 60), c.line_to(10, 60); },
         {54, 16},
         {59, 11}},
        {[](auto& c) {
             c.move_to(10, 10), c.save(), c.scale(0, 1), c.arc_to(60, 10, 60, 60, 20), c.restore();
             c.line_to(10, 60), c.line_to(60, 60);
         },
         {15, 55},
         {55, 15}},
        // Restoring keeps the path but not the transform.
        {[](auto& c) { c.save(), c.translate(10, 0), c.rectangle(0, 0, 2, 2), c.restore(), c.line_to(5, 5); },
         {11, 1},
         {1, 1}},
    };
    int index = 0;
    for (auto const& [build, inside, outside] : rows) {
        SCOPED_TRACE(index++);
        canvas image(80, 80);
        build(image);
        image.set_transform(1, 0, 0, 1, 0, 0);
        image.close_path();
        image.fill();  // drawing keeps the path
        EXPECT_TRUE(image.is_point_in_path(inside.x, inside.y));
        EXPECT_FALSE(image.is_point_in_path(outside.x, outside.y));
    }
}

TEST(State, RestoreReturnsTheSavedStateAndUnmatchedRestoresAreIgnored) {
    std::vector<unsigned char> font = raster_test::read_file(TEST_DATA_DIR "/basic.ttf");
    canvas image(20, 20);
    ASSERT_TRUE(image.set_font(font.data(), static_cast<int>(font.size()), 10.0f));
    image.translate(1.0f, 0.0f);
    image.save();
    image.save();
    image.translate(10.0f, 0.0f);
    image.set_color(raster::fill_style, 1.0f, 0.0f, 0.0f, 1.0f);
    image.set_global_alpha(0.5f);
    image.global_composite_operation = raster::lighter;
    image.rectangle(0.0f, 0.0f, 2.0f, 2.0f);
    image.clip();
    EXPECT_FALSE(image.set_font(font.data(), 3, 10.0f));
    for (int i = 0; i < 3; ++i) image.restore();
    EXPECT_FLOAT_EQ(image.measure_text("A"), 6.4f);
    EXPECT_EQ(image.global_composite_operation, raster::source_over);
    image.fill_rectangle(4.0f, 4.0f, 1.0f, 1.0f);
    raster::rgba pixel = canvas_probe::pixel(image, 5, 4);
    EXPECT_EQ(pixel.a + pixel.r, 1.0f);
    for (int i = 0; i < 1000; ++i) image.save();
    for (auto [width, height] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-3, -3}}) {
        canvas empty(width, height);
        empty.set_shadow_color(0.0f, 0.0f, 0.0f, 1.0f);
        empty.set_shadow_blur(3.0f);
        empty.arc(2.0f, 2.0f, 2.0f, 0.0f, 7.0f);
        empty.clip();
        empty.fill();
        unsigned char out[4] = {1, 2, 3, 4};
        empty.get_image_data(out, 1, 1, 4, 0, 0);
        EXPECT_EQ(out[3], 0);
    }
}

double stroked(std::vector<raster::xy> const& points, float width, raster::cap_style cap,
               raster::join_style join = raster::miter, float limit = 10.0f) {
    canvas image(80, 80);
    image.set_line_width(width);
    image.line_cap = cap;
    image.line_join = join;
    image.set_miter_limit(limit);
    image.set_miter_limit(-1.0f);  // ignored
    image.move_to(points[0].x, points[0].y);
    for (raster::xy point : points) image.line_to(point.x, point.y);
    image.stroke();
    return canvas_probe::total_alpha(image);
}

TEST(Stroke, OutlinesCoverTheirExactAreas) {
    // Half widths of 2 around a right angle: the bevel fills half of the
    // 2 x 2 corner square, the miter all of it, the round join a quarter
    // disc; round caps are flattened to within 1/8 pixel.
    std::vector<raster::xy> line{{10, 20.25f}, {50, 20.25f}}, corner{{10, 10}, {40, 10}, {40, 40}};
    EXPECT_NEAR(stroked(line, 4, raster::butt), 160.0, 1e-3);
    EXPECT_NEAR(stroked(line, 4, raster::square), 176.0, 1e-3);
    EXPECT_NEAR(stroked(line, 4, raster::circle), 160.0 + 4 * std::numbers::pi, 0.3);
    EXPECT_NEAR(stroked({{10.3f, 10.7f}, {40.3f, 50.7f}}, 3, raster::butt), 150.0, 1e-3);
    EXPECT_NEAR(stroked(corner, 4, raster::butt, raster::bevel), 238.0, 1e-3);
    EXPECT_NEAR(stroked(corner, 4, raster::butt, raster::miter), 240.0, 1e-3);
    EXPECT_NEAR(stroked(corner, 4, raster::butt, raster::rounded), 236.0 + std::numbers::pi, 0.05);
    // The spike's miter tip lies about 10.05 half widths out.
    std::vector<raster::xy> spike{{10, 40}, {60, 40}, {10, 50}};
    double bevel = stroked(spike, 2, raster::butt, raster::bevel);
    EXPECT_NEAR(stroked(spike, 2, raster::butt, raster::miter, 10.0f), bevel, 1e-3);
    EXPECT_GT(stroked(spike, 2, raster::butt, raster::miter, 10.2f), bevel + 2.0);
    std::function<void(canvas&)> const draws[] = {
        [](canvas& c) { c.stroke_rectangle(10, 10, 30, 20); },
        [](canvas& c) { c.stroke_rectangle(10, 10, 30, 0); },
        [](canvas& c) { c.scale(2, 2), c.arc(10, 4, -1, 0, 3), c.move_to(5, 10), c.line_to(25, 10), c.stroke(); },
        [](canvas& c) { c.scale(0, 1), c.move_to(10, 10), c.line_to(50, 50), c.stroke(); },
    };
    double const areas[] = {32.0 * 22.0 - 28.0 * 18.0, 60.0, 160.0, 0.0};
    for (int i = 0; i < 4; ++i) {
        canvas image(80, 80);
        image.set_line_width(2.0f);
        image.set_line_width(0.0f);  // ignored, like negative widths
        image.set_line_width(-3.0f);
        draws[i](image);
        EXPECT_NEAR(canvas_probe::total_alpha(image), areas[i], 1e-3) << i;
    }
}

// The coverage along a dashed horizontal line 2 wide through `xs`, one entry
// per pixel, with lines hidden far below the canvas.
std::vector<float> dashed(std::vector<float> const& pattern, float offset = 0, std::vector<float> xs = {0, 60},
                          int hidden_lines = 0) {
    canvas image(80, 8);
    image.set_line_width(2.0f);
    image.set_line_dash(pattern.data(), static_cast<int>(pattern.size()));
    image.line_dash_offset = offset;
    image.move_to(xs[0], 4.0f);
    for (float x : xs) image.line_to(x, 4.0f);
    for (int i = 0; i < hidden_lines; ++i) {
        image.move_to(0.0f, 1000.0f + static_cast<float>(i));
        image.line_to(500.0f, 1000.0f + static_cast<float>(i));
    }
    image.stroke();
    std::vector<float> columns;
    for (int x = 0; x < 80; ++x) columns.push_back(std::round(canvas_probe::alpha(image, x, 3) * 1000.0f) / 1000.0f);
    return columns;
}

std::vector<float> expected_dashes(int period, int on, int phase, int end = 60) {
    std::vector<float> columns(80, 0.0f);
    for (int x = 0; x < end; ++x) columns[x] = (x + phase) % period < on;
    return columns;
}

TEST(Stroke, DashesFollowThePatternItsPhaseAndRepeats) {
    EXPECT_EQ(dashed({10, 5}), expected_dashes(15, 10, 0));
    EXPECT_EQ(dashed({10, 5}, 3), expected_dashes(15, 10, 3));
    EXPECT_EQ(dashed({10, 5}, -4), expected_dashes(15, 10, 11));
    EXPECT_EQ(dashed({10, 5}, -34), expected_dashes(15, 10, 11));
    EXPECT_EQ(dashed({6}), expected_dashes(12, 6, 0));
    EXPECT_EQ(dashed({3, 4, 5}), dashed({3, 4, 5, 3, 4, 5}));
    // Degenerate patterns and a negative entry draw solid lines, and so do
    // dashes too fine to tell apart, instead of billions of pieces.
    for (std::vector<float> solid : {std::vector<float>{}, {0, 0}, {4, -1}, {1e-9f, 1e-9f}})
        EXPECT_EQ(dashed(solid), expected_dashes(1, 1, 0));
    // On a long path, fine dashes are cut where they can be seen, and keep
    // their phase across the stretch that is skipped.
    EXPECT_EQ(dashed({1, 1}, 0, {0, 500}, 600), expected_dashes(2, 1, 0, 80));
    EXPECT_EQ(dashed({1, 1}, 0, {-1001, -100, 500}), expected_dashes(2, 1, 1, 80));
    // A closed dashed rectangle starting and ending inside one dash is
    // mitred at its start like at any other corner.
    canvas joined(80, 80);
    joined.set_line_width(4.0f);
    float pattern[] = {30.0f, 10.0f};
    joined.set_line_dash(pattern, 2);
    joined.line_dash_offset = 15.0f;
    joined.rectangle(20.0f, 20.0f, 40.0f, 40.0f);
    joined.stroke();
    EXPECT_EQ(canvas_probe::alpha(joined, 18, 18), 1.0f);
}

}  // namespace
