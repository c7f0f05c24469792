// Walking two sorted run lists together, stretch by stretch.
#pragma once

#include <algorithm>
#include <cmath>

#include "raster/canvas.h"

namespace raster {

// Calls visit(y, x0, x1, first_coverage, second_coverage) for every stretch
// [x0, x1) of a row, clipped to `width`, over which both coverages are
// constant, for each row that has runs in either list. With `first_required`,
// rows without runs in the first list are skipped.
template <typename Visit>
void walk_runs(pixel_runs const& first, pixel_runs const& second, int width, bool first_required, Visit&& visit) {
    size_t i = 0, j = 0;
    auto before = [](pixel_run const& a, pixel_run const& b) {
        if (a.y != b.y)
            return a.y < b.y;
        if (a.x != b.x)
            return a.x < b.x;
        return std::fabs(a.delta) < std::fabs(b.delta);
    };
    while (i < first.size() || j < second.size()) {
        int y = std::min(i < first.size() ? first[i].y : 65536, j < second.size() ? second[j].y : 65536);
        bool first_has_row = i < first.size() && first[i].y == y;
        if (first_required && !first_has_row) {
            while (j < second.size() && second[j].y == y)
                ++j;
            continue;
        }
        float first_sum = 0.0f, second_sum = 0.0f;
        int x = 0;
        while (true) {
            bool first_next = i < first.size() && first[i].y == y;
            bool second_next = j < second.size() && second[j].y == y;
            if (!first_next && !second_next)
                break;
            bool take_first = first_next && (!second_next || before(first[i], second[j]));
            pixel_run const& run = take_first ? first[i++] : second[j++];
            int end = std::min<int>(run.x, width);
            if (end > x) {
                visit(y, x, end, std::min(1.0f, std::fabs(first_sum)), std::min(1.0f, std::fabs(second_sum)));
                x = end;
            }
            (take_first ? first_sum : second_sum) += run.delta;
        }
        if (x < width)
            visit(y, x, width, std::min(1.0f, std::fabs(first_sum)), std::min(1.0f, std::fabs(second_sum)));
    }
}

}  // namespace raster
