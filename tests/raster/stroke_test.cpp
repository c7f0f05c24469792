// Stroke outlines measured by the area they cover: caps, joins, the miter
// limit, dashes, and circles built from arcs.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster_test::total_alpha;

constexpr int side = 80;
constexpr double pi = 3.14159265358979;

double stroked_area(std::vector<std::pair<float, float>> const& points, float width, raster::cap_style cap,
                    raster::join_style join = raster::miter, float miter_limit = 10.0f) {
    canvas image(side, side);
    image.set_line_width(width);
    image.line_cap = cap;
    image.line_join = join;
    image.set_miter_limit(miter_limit);
    image.move_to(points[0].first, points[0].second);
    for (size_t i = 1; i < points.size(); ++i)
        image.line_to(points[i].first, points[i].second);
    image.stroke();
    return total_alpha(image, side, side);
}

TEST(Stroke, CapsExtendTheLineByTheirShape) {
    std::vector<std::pair<float, float>> line{{10.0f, 20.25f}, {50.0f, 20.25f}};
    EXPECT_NEAR(stroked_area(line, 4.0f, raster::butt), 160.0, 1e-3);
    EXPECT_NEAR(stroked_area(line, 4.0f, raster::square), 176.0, 1e-3);
    // Two half discs of radius 2, flattened to within 1/8 pixel.
    EXPECT_NEAR(stroked_area(line, 4.0f, raster::circle), 160.0 + pi * 4.0, 0.3);
}

TEST(Stroke, DiagonalButtLineIsARectangleOfTheLineWidth) {
    std::vector<std::pair<float, float>> line{{10.3f, 10.7f}, {40.3f, 50.7f}};
    EXPECT_NEAR(stroked_area(line, 3.0f, raster::butt), 50.0 * 3.0, 1e-3);
}

TEST(Stroke, JoinsAddTheirCornerArea) {
    // A right angle with half width 2: the bevel fills half of the 2 x 2
    // corner square, the miter all of it, the round join a quarter disc.
    std::vector<std::pair<float, float>> corner{{10.0f, 10.0f}, {40.0f, 10.0f}, {40.0f, 40.0f}};
    double bevel = stroked_area(corner, 4.0f, raster::butt, raster::bevel);
    double miter = stroked_area(corner, 4.0f, raster::butt, raster::miter);
    double round = stroked_area(corner, 4.0f, raster::butt, raster::rounded);
    EXPECT_NEAR(bevel, 30.0 * 4.0 * 2.0 - 4.0 + 2.0, 1e-3);
    EXPECT_NEAR(miter - bevel, 2.0, 1e-3);
    EXPECT_NEAR(round - bevel, pi - 2.0, 0.05);
}

TEST(Stroke, SharpMiterFallsBackToBevelAtTheLimit) {
    // A turn leaving an angle of about 11.4 degrees: the miter tip lies about
    // 10.05 half widths out, just beyond the default limit of 10.
    std::vector<std::pair<float, float>> spike{{10.0f, 40.0f}, {60.0f, 40.0f}, {10.0f, 50.0f}};
    double bevel = stroked_area(spike, 2.0f, raster::butt, raster::bevel);
    EXPECT_NEAR(stroked_area(spike, 2.0f, raster::butt, raster::miter, 10.0f), bevel, 1e-3);
    EXPECT_GT(stroked_area(spike, 2.0f, raster::butt, raster::miter, 10.2f), bevel + 2.0);
}

TEST(Stroke, ClosedRectangleIsARing) {
    canvas image(side, side);
    image.set_line_width(2.0f);
    image.stroke_rectangle(10.0f, 10.0f, 30.0f, 20.0f);
    EXPECT_NEAR(total_alpha(image, side, side), 32.0 * 22.0 - 28.0 * 18.0, 1e-3);
    EXPECT_EQ(raster::canvas_probe::alpha(image, 20, 20), 0.0f);
}

TEST(Stroke, RectangleOfZeroHeightIsALine) {
    canvas image(side, side);
    image.set_line_width(2.0f);
    image.stroke_rectangle(10.0f, 10.0f, 30.0f, 0.0f);
    EXPECT_NEAR(total_alpha(image, side, side), 60.0, 1e-3);
}

std::vector<float> dashed_columns(float offset, std::vector<float> const& pattern) {
    canvas image(side, 8);
    image.set_line_width(2.0f);
    image.set_line_dash(pattern.data(), static_cast<int>(pattern.size()));
    image.line_dash_offset = offset;
    image.move_to(0.0f, 4.0f);
    image.line_to(60.0f, 4.0f);
    image.stroke();
    std::vector<float> columns;
    for (int x = 0; x < side; ++x)
        columns.push_back(raster::canvas_probe::alpha(image, x, 3));
    return columns;
}

TEST(Stroke, DashesFollowThePatternAndItsPhase) {
    std::vector<float> columns = dashed_columns(0.0f, {10.0f, 5.0f});
    for (int x = 0; x < 60; ++x)
        EXPECT_EQ(columns[x], x % 15 < 10 ? 1.0f : 0.0f) << x;
    std::vector<float> shifted = dashed_columns(3.0f, {10.0f, 5.0f});
    for (int x = 0; x < 60; ++x)
        EXPECT_EQ(shifted[x], (x + 3) % 15 < 10 ? 1.0f : 0.0f) << x;
}

TEST(Stroke, NegativeDashOffsetIsTheSameAsOnePatternLater) {
    EXPECT_EQ(dashed_columns(-4.0f, {10.0f, 5.0f}), dashed_columns(11.0f, {10.0f, 5.0f}));
    EXPECT_EQ(dashed_columns(-34.0f, {10.0f, 5.0f}), dashed_columns(11.0f, {10.0f, 5.0f}));
}

TEST(Stroke, OddDashListRepeatsItself) {
    EXPECT_EQ(dashed_columns(0.0f, {6.0f}), dashed_columns(0.0f, {6.0f, 6.0f}));
    EXPECT_EQ(dashed_columns(0.0f, {3.0f, 4.0f, 5.0f}), dashed_columns(0.0f, {3.0f, 4.0f, 5.0f, 3.0f, 4.0f, 5.0f}));
}

TEST(Stroke, DegenerateDashPatternsDrawSolidLines) {
    std::vector<float> solid = dashed_columns(0.0f, {});
    EXPECT_EQ(dashed_columns(0.0f, {0.0f, 0.0f}), solid);
    // A negative entry makes the whole call be ignored.
    EXPECT_EQ(dashed_columns(0.0f, {4.0f, -1.0f}), solid);
    // Dashes far too fine to tell apart draw solid instead of cutting the
    // line into billions of pieces.
    EXPECT_EQ(dashed_columns(0.0f, {1e-9f, 1e-9f}), solid);
}

TEST(Stroke, FineDashesOnALongPathStayDashedWhereVisible) {
    // Hundreds of 500-pixel lines, all but the first far below the canvas:
    // the pattern is cut where it can be seen, and only there.
    auto dashed = [](int hidden_lines) {
        canvas image(side, 8);
        image.set_line_width(2.0f);
        float pattern[] = {1.0f, 1.0f};
        image.set_line_dash(pattern, 2);
        image.move_to(0.0f, 4.0f);
        image.line_to(500.0f, 4.0f);
        for (int i = 0; i < hidden_lines; ++i) {
            image.move_to(0.0f, 1000.0f + static_cast<float>(i));
            image.line_to(500.0f, 1000.0f + static_cast<float>(i));
        }
        image.stroke();
        std::vector<float> columns;
        for (int x = 0; x < side; ++x)
            columns.push_back(raster::canvas_probe::alpha(image, x, 3));
        return columns;
    };
    std::vector<float> alone = dashed(0);
    for (int x = 0; x < side; ++x)
        ASSERT_EQ(alone[x], x % 2 == 0 ? 1.0f : 0.0f) << x;
    EXPECT_EQ(dashed(600), alone);

    // The pattern keeps its phase across a stretch that is skipped.
    canvas image(side, 8);
    image.set_line_width(2.0f);
    float pattern[] = {1.0f, 1.0f};
    image.set_line_dash(pattern, 2);
    image.move_to(-1001.0f, 4.0f);
    image.line_to(-100.0f, 4.0f);
    image.line_to(500.0f, 4.0f);
    image.stroke();
    for (int x = 0; x < side; ++x)
        EXPECT_NEAR(raster::canvas_probe::alpha(image, x, 3), x % 2 == 1 ? 1.0f : 0.0f, 1e-3f) << x;
}

TEST(Stroke, ClosedDashedRectangleHasNoSeamAtTheStart) {
    // The walk starts and ends inside the same dash: the corner at the start
    // must be joined like any other corner.
    canvas joined(side, side);
    joined.set_line_width(4.0f);
    float pattern[] = {30.0f, 10.0f};
    joined.set_line_dash(pattern, 2);
    joined.line_dash_offset = 15.0f;
    joined.rectangle(20.0f, 20.0f, 40.0f, 40.0f);
    joined.stroke();
    // The miter at the top-left corner fills its outer corner pixel.
    EXPECT_EQ(raster::canvas_probe::alpha(joined, 18, 18), 1.0f);
    EXPECT_EQ(raster::canvas_probe::alpha(joined, 19, 19), 1.0f);
}

TEST(Stroke, SingularTransformStrokesNothing) {
    canvas image(side, side);
    image.scale(0.0f, 1.0f);
    image.move_to(10.0f, 10.0f);
    image.line_to(50.0f, 50.0f);
    image.stroke();
    EXPECT_EQ(total_alpha(image, side, side), 0.0);
}

TEST(Stroke, LineWidthFollowsTheTransform) {
    canvas image(side, side);
    image.scale(2.0f, 2.0f);
    image.set_line_width(2.0f);
    image.move_to(5.0f, 10.0f);
    image.line_to(25.0f, 10.0f);
    image.stroke();
    EXPECT_NEAR(total_alpha(image, side, side), 40.0 * 4.0, 1e-3);
}

TEST(Arc, FullCircleIsFlattenedWithinAnEighthPixel) {
    canvas image(side, side);
    float radius = 30.0f;
    image.arc(40.0f, 40.0f, radius, 0.0f, 7.0f);
    for (int i = 0; i < 720; ++i) {
        float angle = static_cast<float>(i) * 0.00872665f;
        float c = std::cos(angle), s = std::sin(angle);
        EXPECT_TRUE(image.is_point_in_path(40.0f + (radius - 0.13f) * c, 40.0f + (radius - 0.13f) * s)) << i;
        EXPECT_FALSE(image.is_point_in_path(40.0f + (radius + 0.02f) * c, 40.0f + (radius + 0.02f) * s)) << i;
    }
}

TEST(Arc, SweepFollowsTheDirection) {
    // From 0 to a quarter turn clockwise is a quarter; counter-clockwise it is
    // the other three quarters.
    canvas image(side, side);
    image.move_to(40.0f, 40.0f);
    image.arc(40.0f, 40.0f, 20.0f, 0.0f, 1.5707964f);
    image.close_path();
    EXPECT_TRUE(image.is_point_in_path(50.0f, 50.0f));
    EXPECT_FALSE(image.is_point_in_path(30.0f, 30.0f));
    image.begin_path();
    image.move_to(40.0f, 40.0f);
    image.arc(40.0f, 40.0f, 20.0f, 0.0f, 1.5707964f, true);
    image.close_path();
    EXPECT_FALSE(image.is_point_in_path(50.0f, 50.0f));
    EXPECT_TRUE(image.is_point_in_path(30.0f, 30.0f));
}

TEST(Arc, AnglesMoreThanATurnApartStillSweepTheShortWayRound) {
    // 1 to -6 radians clockwise: -6 is 0.283 past a full turn, so the sweep
    // is 5.566 radians clockwise, covering the angle 3 but not 0.6.
    canvas image(side, side);
    image.move_to(40.0f, 40.0f);
    image.arc(40.0f, 40.0f, 20.0f, 1.0f, -6.0f);
    image.close_path();
    EXPECT_TRUE(image.is_point_in_path(40.0f + 10.0f * std::cos(3.0f), 40.0f + 10.0f * std::sin(3.0f)));
    EXPECT_FALSE(image.is_point_in_path(40.0f + 10.0f * std::cos(0.6f), 40.0f + 10.0f * std::sin(0.6f)));
}

TEST(Arc, ArcToRoundsACorner) {
    canvas image(side, side);
    image.move_to(10.0f, 10.0f);
    image.arc_to(60.0f, 10.0f, 60.0f, 60.0f, 20.0f);
    image.line_to(60.0f, 60.0f);
    image.line_to(10.0f, 60.0f);
    image.close_path();
    // The corner (60, 10) is cut off by the circle centred at (40, 30).
    EXPECT_FALSE(image.is_point_in_path(59.0f, 11.0f));
    EXPECT_TRUE(image.is_point_in_path(40.0f + 19.8f * 0.7071f, 30.0f - 19.8f * 0.7071f));
    EXPECT_TRUE(image.is_point_in_path(39.0f, 11.0f));
}

TEST(Arc, ArcToUnderASingularTransformAddsNothing) {
    canvas image(side, side);
    image.move_to(10.0f, 10.0f);
    image.scale(0.0f, 1.0f);
    image.arc_to(60.0f, 10.0f, 60.0f, 60.0f, 20.0f);
    image.set_transform(1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    image.line_to(10.0f, 60.0f);
    image.line_to(60.0f, 60.0f);
    image.close_path();
    EXPECT_FALSE(image.is_point_in_path(55.0f, 15.0f));
}

}  // namespace
