// Coverage of filled polygons against their exact pixel areas, computed here
// by clipping each polygon to each pixel square.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;

struct point {
    double x, y;
};
using polygon = std::vector<point>;

// Signed area of the part of `shape` inside the unit square at (px, py).
double pixel_area(polygon shape, int px, int py) {
    auto clip = [&](auto inside, auto cross) {
        polygon out;
        for (size_t i = 0; i < shape.size(); ++i) {
            point a = shape[i], b = shape[(i + 1) % shape.size()];
            bool a_in = inside(a), b_in = inside(b);
            if (a_in)
                out.push_back(a);
            if (a_in != b_in)
                out.push_back(cross(a, b));
        }
        shape = out;
    };
    auto at_x = [](double x) {
        return [x](point a, point b) { return point{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)}; };
    };
    auto at_y = [](double y) {
        return [y](point a, point b) { return point{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y}; };
    };
    clip([&](point p) { return p.x >= px; }, at_x(px));
    clip([&](point p) { return p.x <= px + 1; }, at_x(px + 1));
    clip([&](point p) { return p.y >= py; }, at_y(py));
    clip([&](point p) { return p.y <= py + 1; }, at_y(py + 1));
    double area = 0.0;
    for (size_t i = 0; i < shape.size(); ++i) {
        point a = shape[i], b = shape[(i + 1) % shape.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area / 2.0;
}

void add_path(canvas& image, polygon const& shape) {
    image.move_to(static_cast<float>(shape[0].x), static_cast<float>(shape[0].y));
    for (size_t i = 1; i < shape.size(); ++i)
        image.line_to(static_cast<float>(shape[i].x), static_cast<float>(shape[i].y));
    image.close_path();
}

// Fills the shapes as one path and compares every pixel with the coverage
// rule: the magnitude of the summed signed areas, saturated at one.
void expect_exact(std::vector<polygon> const& shapes, int size = 24) {
    canvas image(size, size);
    image.set_color(raster::fill_style, 1.0f, 1.0f, 1.0f, 1.0f);
    for (polygon const& shape : shapes)
        add_path(image, shape);
    image.fill();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double sum = 0.0;
            for (polygon const& shape : shapes)
                sum += pixel_area(shape, x, y);
            double expected = std::min(1.0, std::fabs(sum));
            if (expected < 0.00012254903)
                expected = 0.0;
            ASSERT_NEAR(canvas_probe::alpha(image, x, y), expected, 1e-5) << "pixel " << x << ", " << y;
        }
}

polygon rectangle(double x, double y, double w, double h) { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }

TEST(Coverage, AlignedSquareCoversWholePixelsOnly) {
    canvas image(30, 30);
    image.fill_rectangle(10.0f, 10.0f, 10.0f, 10.0f);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            bool inside = x >= 10 && x < 20 && y >= 10 && y < 20;
            EXPECT_EQ(canvas_probe::alpha(image, x, y), inside ? 1.0f : 0.0f);
        }
}

TEST(Coverage, HalfPixelShiftGivesHalvesAndQuarters) {
    canvas image(30, 30);
    image.fill_rectangle(10.5f, 10.5f, 10.0f, 10.0f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 10, 10), 0.25f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 15, 10), 0.5f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 10, 15), 0.5f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 15, 15), 1.0f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 20, 20), 0.25f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 21, 15), 0.0f);
}

TEST(Coverage, RectanglesAtFractionalOffsets) {
    expect_exact({rectangle(2.3, 3.7, 11.45, 6.2)});
    expect_exact({rectangle(0.01, 5.99, 0.4, 12.0)});
    expect_exact({rectangle(7.125, 7.875, 0.5, 0.25)});
}

TEST(Coverage, TrianglesOfBothWindings) {
    expect_exact({{{1.25, 1.5}, {20.5, 4.25}, {9.75, 22.8}}});
    expect_exact({{{9.75, 22.8}, {20.5, 4.25}, {1.25, 1.5}}});
    // Thin and nearly horizontal slivers exercise edges spanning many cells.
    expect_exact({{{0.5, 10.1}, {23.5, 11.3}, {0.7, 10.9}}});
}

TEST(Coverage, RandomTriangles) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-2.0, 26.0);
    for (int i = 0; i < 40; ++i) {
        polygon triangle;
        for (int k = 0; k < 3; ++k)
            triangle.push_back({coordinate(random), coordinate(random)});
        expect_exact({triangle});
    }
}

TEST(Coverage, HoleWoundTheOtherWayStaysEmpty) {
    polygon outer = rectangle(2.2, 2.6, 18.5, 17.3);
    polygon hole = {{7.3, 6.1}, {7.3, 14.9}, {15.6, 14.9}, {15.6, 6.1}};
    expect_exact({outer, hole});
    canvas image(24, 24);
    add_path(image, outer);
    add_path(image, hole);
    image.fill();
    EXPECT_EQ(canvas_probe::alpha(image, 11, 10), 0.0f);
}

TEST(Coverage, OverlappingShapesOfTheSameWindingSaturate) {
    expect_exact({rectangle(3.4, 3.4, 10.3, 10.3), rectangle(8.7, 6.2, 10.1, 12.6)});
    canvas image(24, 24);
    add_path(image, rectangle(3.0, 3.0, 10.0, 10.0));
    add_path(image, rectangle(3.0, 3.0, 10.0, 10.0));
    image.fill();
    EXPECT_EQ(canvas_probe::alpha(image, 5, 5), 1.0f);
}

TEST(Coverage, ShapesReachingPastTheCanvasAreClipped) {
    expect_exact({{{-30.0, -10.5}, {50.3, 12.2}, {-4.4, 40.0}}});
    canvas image(16, 16);
    image.fill_rectangle(-100.0f, 20.0f, 300.0f, 50.0f);
    image.fill_rectangle(1e30f, 1e30f, 5.0f, 5.0f);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(canvas_probe::alpha(image, x, y), 0.0f);
}

TEST(Coverage, InvalidCoordinatesDrawNothing) {
    canvas image(16, 16);
    image.fill_rectangle(2.0f, 2.0f, NAN, 5.0f);
    image.fill_rectangle(2.0f, 2.0f, INFINITY, 5.0f);
    image.begin_path();
    image.move_to(1.0f, 1.0f);
    image.bezier_curve_to(NAN, 3.0f, 9.0f, 9.0f, 12.0f, 1.0f);
    image.fill();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(canvas_probe::alpha(image, x, y), 0.0f);
}

TEST(Clipping, SoftClipMultipliesCoverage) {
    canvas image(24, 24);
    image.rectangle(4.5f, 4.5f, 10.0f, 10.0f);
    image.clip();
    image.fill_rectangle(0.0f, 0.0f, 24.0f, 24.0f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 4, 4), 0.25f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 8, 4), 0.5f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 8, 8), 1.0f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 15, 15), 0.0f);
}

TEST(Clipping, ClippingTwiceLeavesTheIntersection) {
    canvas image(24, 24);
    image.rectangle(2.0f, 2.0f, 12.0f, 12.0f);
    image.clip();
    image.begin_path();
    image.rectangle(8.0f, 6.0f, 12.0f, 12.0f);
    image.clip();
    image.fill_rectangle(0.0f, 0.0f, 24.0f, 24.0f);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            bool inside = x >= 8 && x < 14 && y >= 6 && y < 14;
            EXPECT_EQ(canvas_probe::alpha(image, x, y), inside ? 1.0f : 0.0f) << x << ", " << y;
        }
}

TEST(Clipping, CircleClipLeavesPartialEdges) {
    canvas image(24, 24);
    image.arc(12.0f, 12.0f, 8.0f, 0.0f, 6.2831855f);
    image.clip();
    image.fill_rectangle(0.0f, 0.0f, 24.0f, 24.0f);
    float edge = canvas_probe::alpha(image, 19, 14);
    EXPECT_GT(edge, 0.05f);
    EXPECT_LT(edge, 0.95f);
    EXPECT_EQ(canvas_probe::alpha(image, 12, 12), 1.0f);
    EXPECT_EQ(canvas_probe::alpha(image, 1, 1), 0.0f);
}

TEST(PointInPath, NonZeroRuleWithEdgesInside) {
    canvas image(32, 32);
    image.rectangle(2.0f, 2.0f, 10.0f, 10.0f);
    EXPECT_TRUE(image.is_point_in_path(5.0f, 5.0f));
    EXPECT_TRUE(image.is_point_in_path(2.0f, 7.0f));
    EXPECT_TRUE(image.is_point_in_path(7.0f, 2.0f));
    EXPECT_FALSE(image.is_point_in_path(13.0f, 5.0f));
    // The same square wound back the other way cancels it.
    image.move_to(2.0f, 2.0f);
    image.line_to(2.0f, 12.0f);
    image.line_to(12.0f, 12.0f);
    image.line_to(12.0f, 2.0f);
    image.close_path();
    EXPECT_FALSE(image.is_point_in_path(5.0f, 5.0f));
    image.begin_path();
    EXPECT_FALSE(image.is_point_in_path(5.0f, 5.0f));
}

}  // namespace
