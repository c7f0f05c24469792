// Coverage of filled polygons and clips against their exact pixel areas, computed here by clipping each polygon to each
// pixel square.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "canvas_probe.h"

namespace {

struct point {
    double x, y;
};
using polygon = std::vector<point>;
using shapes = std::vector<polygon>;

// Signed area of the part of `shape` inside the unit square at (px, py), clipping it against each of the square's four
// sides in turn.
double pixel_area(polygon shape, int px, int py) {
    for (int side = 0; side < 4; ++side) {
        auto inside = [&](point p) {
            return side < 2 ? (side ? px + 1 - p.x : p.x - px) : (side == 3 ? py + 1 - p.y : p.y - py);
        };
        polygon out;
        for (size_t i = 0; i < shape.size(); ++i) {
            point a = shape[i], b = shape[(i + 1) % shape.size()];
            double da = inside(a), db = inside(b), t = da / (da - db + (da == db));
            if (da >= 0) out.push_back(a);
            if ((da >= 0) != (db >= 0)) out.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
        }
        shape = out;
    }
    double area = 0.0;
    for (size_t i = 0; i < shape.size(); ++i)
        area += shape[i].x * shape[(i + 1) % shape.size()].y - shape[(i + 1) % shape.size()].x * shape[i].y;
    return area / 2.0;
}

// The magnitude of the summed signed areas, saturated at one; below 1/8160 counts as none.
double coverage(shapes const& set, int x, int y) {
    double sum = 0.0;
    for (polygon const& shape : set) sum += pixel_area(shape, x, y);
    double value = std::min(1.0, std::fabs(sum));
    return value < 0.00012254903 ? 0.0 : value;
}

// Clips to each shape set of `clips` in turn, then fills `fill` as one path.
void expect_exact(shapes const& fill, std::vector<shapes> const& clips = {}) {
    raster::canvas image(24, 24);
    auto add = [&](shapes const& set) {
        for (polygon const& shape : set) {
            image.move_to(static_cast<float>(shape[0].x), static_cast<float>(shape[0].y));
            for (point p : shape) image.line_to(static_cast<float>(p.x), static_cast<float>(p.y));
            image.close_path();
        }
    };
    for (shapes const& clip : clips) add(clip), image.clip(), image.begin_path();
    add(fill), image.fill();
    for (int i = 0; i < 24 * 24; ++i) {
        double expected = coverage(fill, i % 24, i / 24);
        for (shapes const& clip : clips) expected *= coverage(clip, i % 24, i / 24);
        ASSERT_NEAR(raster::canvas_probe::alpha(image, i % 24, i / 24), expected, 1e-5) << i % 24 << ", " << i / 24;
    }
}

polygon rectangle(double x, double y, double w, double h) { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }

TEST(Coverage, PolygonsAndClipsCoverTheirExactAreas) {
    polygon const triangle = {{1.25, 1.5}, {20.5, 4.25}, {9.75, 22.8}};
    std::vector<shapes> cases = {
        {rectangle(10.0, 10.0, 10.0, 10.0)},
        {rectangle(10.5, 10.5, 10.0, 10.0)},
        {rectangle(2.3, 3.7, 11.45, 6.2)},
        {rectangle(0.01, 5.99, 0.4, 12.0)},
        {rectangle(7.125, 7.875, 0.5, 0.25)},
        {triangle},
        {{triangle[2], triangle[1], triangle[0]}},
        {{{0.5, 10.1}, {23.5, 11.3}, {0.7, 10.9}}},  // a thin sliver spanning many cells
        {{{-30.0, -10.5}, {50.3, 12.2}, {-4.4, 40.0}}},
        // A hole wound the other way, and overlaps of one winding saturating.
        {rectangle(2.2, 2.6, 18.5, 17.3), {{7.3, 6.1}, {7.3, 14.9}, {15.6, 14.9}, {15.6, 6.1}}},
        {rectangle(3.4, 3.4, 10.3, 10.3), rectangle(8.7, 6.2, 10.1, 12.6)},
        {rectangle(3.0, 3.0, 10.0, 10.0), rectangle(3.0, 3.0, 10.0, 10.0)},
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-2.0, 26.0);
    for (int i = 0; i < 120; ++i) {
        if (i % 3 == 0) cases.push_back({{}});
        cases.back()[0].push_back({coordinate(random), coordinate(random)});
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        expect_exact(cases[i]);
    }
    // Clips multiply coverage, and intersect.
    expect_exact({rectangle(0.0, 0.0, 24.0, 24.0)},
                 {{rectangle(2.0, 2.0, 12.0, 12.0)}, {rectangle(8.5, 6.5, 12.0, 12.0)}});
    expect_exact({triangle}, {{rectangle(3.3, 2.6, 9.1, 15.2)}});
}

}  // namespace
