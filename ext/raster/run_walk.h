// Walking two sorted run lists together, stretch by stretch.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

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
        if (a.y != b.y) return a.y < b.y;
        if (a.x != b.x) return a.x < b.x;
        return std::fabs(a.delta) < std::fabs(b.delta);
    };
    while (i < first.size() || j < second.size()) {
        int y = std::min(i < first.size() ? first[i].y : 65536, j < second.size() ? second[j].y : 65536);
        bool first_has_row = i < first.size() && first[i].y == y;
        if (first_required && !first_has_row) {
            while (j < second.size() && second[j].y == y) ++j;
            continue;
        }
        float first_sum = 0.0f, second_sum = 0.0f;
        int x = 0;
        while (true) {
            bool first_next = i < first.size() && first[i].y == y;
            bool second_next = j < second.size() && second[j].y == y;
            if (!first_next && !second_next) break;
            bool take_first = first_next && (!second_next || before(first[i], second[j]));
            pixel_run const& run = take_first ? first[i++] : second[j++];
            int end = std::min<int>(run.x, width);
            if (end > x) {
                visit(y, x, end, std::min(1.0f, std::fabs(first_sum)), std::min(1.0f, std::fabs(second_sum)));
                x = end;
            }
            (take_first ? first_sum : second_sum) += run.delta;
        }
        if (x < width) visit(y, x, width, std::min(1.0f, std::fabs(first_sum)), std::min(1.0f, std::fabs(second_sum)));
    }
}

// Puts the smaller magnitude first; equal ones keep their order.
inline void order_by_magnitude(float& first, float& second) {
    bool swap = std::fabs(second) < std::fabs(first);
    float smaller = swap ? second : first;
    second = swap ? first : second;
    first = smaller;
}

// The sum of a pixel's deltas in the order that merging sorted runs gives: by
// magnitude, ties as they arrived. Few pixels receive more than four.
inline float sorted_sum(float const* deltas, int count) {
    float ordered[run_cells::slots] = {};
    for (int i = 0; i < count; ++i) {
        int j = i;
        for (; j > 0 && std::fabs(deltas[i]) < std::fabs(ordered[j - 1]); --j) ordered[j] = ordered[j - 1];
        ordered[j] = deltas[i];
    }
    float sum = ordered[0];
    for (int i = 1; i < count; ++i) sum += ordered[i];
    return sum;
}

// The sum of the deltas at pixel `i` of `cells` (with a count of at least
// one), as sorted_sum gives it. Two deltas sum alike in either order. Up to
// four, the exchanges are those an insertion sort makes, without its
// hard-to-predict branches. Called for every touched pixel of a shape's box:
// inlined into the walks.
__attribute__((always_inline)) inline float merged_delta(run_cells const& cells, size_t i) {
    int count = cells.counts[i];
    float const* deltas = cells.deltas.data() + i * run_cells::slots;
    float a = deltas[0], b = deltas[1], c = deltas[2], d = deltas[3];
    switch (count) {
        case 1:
            return a;
        case 2:
            return a + b;
        case 3:
            order_by_magnitude(a, b), order_by_magnitude(b, c), order_by_magnitude(a, b);
            return a + b + c;
        case 4:
            order_by_magnitude(a, b), order_by_magnitude(b, c), order_by_magnitude(a, b);
            order_by_magnitude(c, d), order_by_magnitude(b, c), order_by_magnitude(a, b);
            return a + b + c + d;
        default:
            return sorted_sum(deltas, count);
    }
}

// Calls visit(y, x0, x1, coverage) for the stretches [x0, x1) of each row of
// `cells` over which the coverage is constant, from the box's left edge to
// `width`, as walk_runs does with the runs the cells hold.
template <typename Visit>
void walk_cells(run_cells& cells, int width, Visit&& visit) {
    int end = std::min(cells.width, width - cells.left);
    for (int y = 0; y < cells.height; ++y) {
        size_t row = static_cast<size_t>(y) * static_cast<size_t>(cells.width);
        uint8_t const* counts = cells.counts.data() + row;
        float sum = 0.0f, coverage = 0.0f;
        int start = cells.left;
        for (int i = 0; i < end; ++i) {
            // Most of the box is empty: skip it eight pixels at a time.
            uint64_t eight;
            while (i + 8 <= end && (std::memcpy(&eight, counts + i, 8), eight == 0)) i += 8;
            if (i >= end) break;
            if (counts[i] == 0) continue;
            sum += merged_delta(cells, row + static_cast<size_t>(i));
            float next = std::min(1.0f, std::fabs(sum));
            if (next == coverage) continue;
            visit(cells.top + y, start, cells.left + i, coverage);
            start = cells.left + i;
            coverage = next;
        }
        visit(cells.top + y, start, width, coverage);
    }
}

}  // namespace raster
