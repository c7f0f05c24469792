// Scan conversion into sparse runs of exact-area coverage, and clipping by
// multiplying such coverages.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "raster/canvas.h"
#include "raster/run_walk.h"
#include "raster/vector_math.h"

namespace raster {

namespace {

constexpr int max_coordinate = 65535;

// Keeps the part of a polygon on the inside of one boundary; `inside` is a
// signed distance that is non-negative inside.
template <typename Distance>
void clip_polygon(std::vector<xy> const& input, std::vector<xy>& output, Distance inside) {
    output.clear();
    if (input.empty()) return;
    xy previous = input.back();
    float previous_distance = inside(previous);
    for (xy point : input) {
        float distance = inside(point);
        if ((previous_distance < 0.0f) != (distance < 0.0f)) {
            float t = previous_distance / (previous_distance - distance);
            output.push_back(lerp(previous, point, t));
        }
        if (distance >= 0.0f) output.push_back(point);
        previous = point;
        previous_distance = distance;
    }
}

// Exact floor and ceiling of values within the canvas's range, without the
// library's general rounding, which is slow where SSE4.1 cannot be assumed.
int floor_int(double value) {
    int truncated = static_cast<int>(value);
    return truncated - (value < truncated);
}

int ceil_int(double value) {
    int truncated = static_cast<int>(value);
    return truncated + (value > truncated);
}

// The pixel position as one number, ordered like (y, x).
uint32_t position(pixel_run const& run) { return (uint32_t{run.y} << 16) | run.x; }

bool run_before(pixel_run const& a, pixel_run const& b) {
    if (a.y != b.y) return a.y < b.y;
    if (a.x != b.x) return a.x < b.x;
    return std::fabs(a.delta) < std::fabs(b.delta);
}

// Orders the runs at each pixel by |delta|, keeping ties in their order;
// the runs are already ordered by position.
void order_within_pixels(pixel_runs& runs) {
    // Runs at one pixel are few, except where a hostile font piles up
    // outlines: large groups take a stable sort instead of insertion.
    auto smaller = [](pixel_run const& a, pixel_run const& b) { return std::fabs(a.delta) < std::fabs(b.delta); };
    size_t count = runs.size();
    for (size_t begin = 0, end; begin < count; begin = end) {
        for (end = begin + 1; end < count && position(runs[end]) == position(runs[begin]); ++end) {}
        if (end - begin > 32) {
            std::stable_sort(runs.begin() + static_cast<std::ptrdiff_t>(begin),
                             runs.begin() + static_cast<std::ptrdiff_t>(end), smaller);
            continue;
        }
        for (size_t i = begin + 1; i < end; ++i)
            for (size_t j = i; j > begin && smaller(runs[j], runs[j - 1]); --j) std::swap(runs[j - 1], runs[j]);
    }
}

// Sorts by (y, x, |delta|): a stable radix sort on the pixel position,
// skipping digits that all runs share, then the few runs at the same pixel by
// |delta|. Text produces thousands of runs, where comparison sorting would
// dominate the whole drawing. `spare` only lends its capacity.
void sort_runs(pixel_runs& runs, pixel_runs& spare, int limit_x, int limit_y) {
    size_t count = runs.size();
    if (count < 64) {
        std::sort(runs.begin(), runs.end(), run_before);
        return;
    }
    // The key packs y above x in as few bits as the area needs, so that
    // small canvases take fewer passes.
    int x_bits = std::bit_width(static_cast<unsigned>(limit_x));
    int key_bits = x_bits + std::bit_width(static_cast<unsigned>(limit_y));
    int passes = (key_bits + 7) / 8;
    auto key = [x_bits](pixel_run const& run) { return (uint32_t{run.y} << x_bits) | run.x; };
    std::array<uint32_t, 4 * 256> histogram;
    std::fill(histogram.begin(), histogram.begin() + passes * 256, 0u);
    for (pixel_run const& run : runs) {
        uint32_t k = key(run);
        for (int digit = 0; digit < passes; ++digit, k >>= 8) ++histogram[digit * 256 + (k & 255)];
    }
    spare.resize(count);
    pixel_run* from = runs.data();
    pixel_run* to = spare.data();
    for (int digit = 0; digit < passes; ++digit) {
        uint32_t* buckets = &histogram[digit * 256];
        if (*std::max_element(buckets, buckets + 256) == count) continue;
        uint32_t offset = 0;
        for (int b = 0; b < 256; ++b) {
            uint32_t size = buckets[b];
            buckets[b] = offset;
            offset += size;
        }
        int shift = 8 * digit;
        for (size_t i = 0; i < count; ++i) to[buckets[(key(from[i]) >> shift) & 255]++] = from[i];
        std::swap(from, to);
    }
    if (from != runs.data()) std::copy(from, from + count, runs.data());
    order_within_pixels(runs);
}

// Sums runs at the same pixel and drops those that cancel; `runs` is sorted.
void merge_runs(pixel_runs& runs) {
    size_t kept = 0;
    for (size_t i = 0; i < runs.size();) {
        pixel_run merged = runs[i];
        for (++i; i < runs.size() && position(runs[i]) == position(merged); ++i) merged.delta += runs[i].delta;
        if (merged.delta != 0.0f) runs[kept++] = merged;
    }
    runs.resize(kept);
}

// The bounds of one subpath shifted by `offset`; false when a point is not
// finite, which leaves the subpath out.
bool subpath_bounds(xy const* points, size_t count, xy offset, xy& low, xy& high) {
    // In locals: through the references, every point would store the bounds
    // and load them back.
    xy least = points[0] + offset, most = least;
    bool finite = true;
    for (size_t i = 0; i < count; ++i) {
        xy point = points[i] + offset;
        finite &= is_finite(point);
        least = {std::min(least.x, point.x), std::min(least.y, point.y)};
        most = {std::max(most.x, point.x), std::max(most.y, point.y)};
    }
    low = least;
    high = most;
    return finite;
}

// Gathering runs per pixel pays where the shape's box holds few pixels per
// edge: scanning the box then costs less than sorting the runs.
constexpr int64_t cells_per_point = 8;
constexpr int64_t max_cells = int64_t{1} << 18;

// The pixel column or row of `value` within [0, limit].
int cell_of(float value, int limit) {
    return static_cast<int>(std::floor(std::clamp(value, 0.0f, static_cast<float>(limit))));
}

// Where add_runs puts its runs: into `runs`, or into the cells when they are
// active. The cells' fields are copied once per edge, as a store through the
// byte counts could alias any of the canvas's members and force their reload
// for every run.
class run_sink {
public:
    run_sink(run_cells& cells, pixel_runs& runs)
        : active(cells.active),
          top(cells.top),
          left(cells.left),
          width(static_cast<size_t>(cells.width)),
          counts(cells.counts.data()),
          deltas(cells.deltas.data()),
          crowded(cells.crowded),
          runs(runs) {}

    __attribute__((always_inline)) void add(pixel_run run) {
        if (!active) {
            runs.push_back(run);
            return;
        }
        size_t i = static_cast<size_t>(run.y - top) * width + static_cast<size_t>(run.x - left);
        uint8_t& count = counts[i];
        float* slots = deltas + i * run_cells::slots;
        if (count < run_cells::slots) {
            slots[count++] = run.delta;
            return;
        }
        if (count == run_cells::slots) {
            for (int k = 0; k < run_cells::slots; ++k) crowded.push_back({run.x, run.y, slots[k]});
            ++count;
        }
        crowded.push_back(run);
    }

private:
    bool active;
    int top, left;
    size_t width;
    uint8_t* counts;
    float* deltas;
    pixel_runs& crowded;
    pixel_runs& runs;
};

}  // namespace

void canvas::lines_to_runs(xy offset, int padding) {
    gather_runs(offset, padding);
    if (cells.active) cells_to_runs();
}

void canvas::gather_runs(xy offset, int padding) {
    runs.clear();
    int limit_x = std::min(size_x + padding, max_coordinate);
    int limit_y = std::min(size_y + padding, max_coordinate);
    float right = static_cast<float>(limit_x);
    float bottom = static_cast<float>(limit_y);
    xy box_low{right, bottom}, box_high{0.0f, 0.0f};
    bool all_inside = true;
    size_t first = 0;
    for (subpath_data const& subpath : lines.subpaths) {
        xy low, high;
        bool finite =
            subpath.count > 0 && subpath_bounds(lines.points.data() + first, subpath.count, offset, low, high);
        if (finite) {
            box_low = {std::min(box_low.x, low.x), std::min(box_low.y, low.y)};
            box_high = {std::max(box_high.x, high.x), std::max(box_high.y, high.y)};
        }
        all_inside = all_inside && (subpath.count == 0 || finite);
        first += subpath.count;
    }
    all_inside = all_inside && box_low.x >= 0.0f && box_low.y >= 0.0f && box_high.x <= right && box_high.y <= bottom;
    // Runs reach one column right of the edges and land on column 0 from
    // its left; the margin of a pixel each way absorbs clipping's rounding.
    cells.left = std::max(0, cell_of(box_low.x, limit_x) - 1);
    cells.top = std::max(0, cell_of(box_low.y, limit_y) - 1);
    cells.width = std::max(0, std::min(limit_x + 1, cell_of(box_high.x, limit_x) + 3) - cells.left);
    cells.height = std::max(0, std::min(limit_y, cell_of(box_high.y, limit_y) + 2) - cells.top);
    int64_t area = int64_t{cells.width} * cells.height;
    cells.active = area > 0 && area <= max_cells && area <= cells_per_point * static_cast<int64_t>(lines.points.size());
    if (cells.active) {
        cells.counts.assign(static_cast<size_t>(area), 0);
        cells.deltas.resize(static_cast<size_t>(area) * run_cells::slots);
    }
    // Every edge, the closing one last.
    auto add_polygon_runs = [&](xy const* points, size_t count, xy shift) {
        for (size_t i = 0; i + 1 < count; ++i) add_runs(points[i] + shift, points[i + 1] + shift, limit_x, limit_y);
        add_runs(points[count - 1] + shift, points[0] + shift, limit_x, limit_y);
    };
    first = 0;
    for (subpath_data const& subpath : lines.subpaths) {
        xy const* points = lines.points.data() + first;
        size_t count = subpath.count;
        first += count;
        if (count == 0) continue;
        // Clipping leaves a polygon that lies wholly inside unchanged.
        xy low, high;
        if (all_inside) {
            add_polygon_runs(points, count, offset);
            continue;
        }
        if (!subpath_bounds(points, count, offset, low, high)) continue;
        if (low.x >= 0.0f && low.y >= 0.0f && high.x <= right && high.y <= bottom) {
            add_polygon_runs(points, count, offset);
            continue;
        }
        std::vector<xy>& polygon = scratch.points;
        std::vector<xy>& clipped = clipped_polygon;
        polygon.clear();
        for (size_t i = 0; i < count; ++i) polygon.push_back(points[i] + offset);
        clip_polygon(polygon, clipped, [](xy p) { return p.x; });
        clip_polygon(clipped, polygon, [](xy p) { return p.y; });
        clip_polygon(polygon, clipped, [right](xy p) { return right - p.x; });
        clip_polygon(clipped, polygon, [bottom](xy p) { return bottom - p.y; });
        if (!polygon.empty()) add_polygon_runs(polygon.data(), polygon.size(), {0.0f, 0.0f});
    }
    scratch.points.clear();
    if (cells.active) {
        merge_cells();
        return;
    }
    sort_runs(runs, spare_runs, limit_x, limit_y);
    merge_runs(runs);
}

// Merges the runs of the pixels that received more than fit in place as
// sorting would, leaving the sum in the first slot with a count of 1 (0
// where they cancel); merged_delta then reads every pixel alike.
void canvas::merge_cells() {
    pixel_runs& crowded = cells.crowded;
    if (crowded.empty()) return;
    auto index = [this](pixel_run const& run) {
        return static_cast<size_t>(run.y - cells.top) * static_cast<size_t>(cells.width) +
               static_cast<size_t>(run.x - cells.left);
    };
    std::stable_sort(crowded.begin(), crowded.end(),
                     [](pixel_run const& a, pixel_run const& b) { return position(a) < position(b); });
    order_within_pixels(crowded);
    for (pixel_run const& run : crowded) cells.counts[index(run)] = 0;
    merge_runs(crowded);
    for (pixel_run const& run : crowded) {
        cells.counts[index(run)] = 1;
        cells.deltas[index(run) * run_cells::slots] = run.delta;
    }
    crowded.clear();
}

void canvas::cells_to_runs() {
    cells.active = false;
    for (int y = 0; y < cells.height; ++y) {
        size_t row = static_cast<size_t>(y) * static_cast<size_t>(cells.width);
        for (int x = 0; x < cells.width; ++x) {
            if (cells.counts[row + static_cast<size_t>(x)] == 0) continue;
            float delta = merged_delta(cells, row + static_cast<size_t>(x));
            if (delta != 0.0f)
                runs.push_back({static_cast<uint16_t>(cells.left + x), static_cast<uint16_t>(cells.top + y), delta});
        }
    }
}

void canvas::add_runs(xy from, xy to, int limit_x, int limit_y) {
    // The polygon is already clipped; clamping only guards against the
    // rounding of clipping far-away coordinates.
    double y0 = std::clamp(static_cast<double>(from.y), 0.0, static_cast<double>(limit_y));
    double y1 = std::clamp(static_cast<double>(to.y), 0.0, static_cast<double>(limit_y));
    if (std::fabs(y1 - y0) < 0.00002) return;
    float sign = y0 < y1 ? 1.0f : -1.0f;
    double x0 = std::clamp(static_cast<double>(from.x), 0.0, static_cast<double>(limit_x));
    double x1 = std::clamp(static_cast<double>(to.x), 0.0, static_cast<double>(limit_x));
    if (y0 > y1) {
        std::swap(y0, y1);
        std::swap(x0, x1);
    }
    double slope = (x1 - x0) / (y1 - y0);
    // A run left of the visible area acts on its first column; one right of
    // it acts on no visible pixel.
    run_sink sink(cells, runs);
    auto emit = [&](int x, int y, double delta) __attribute__((always_inline)) {
        if (x <= limit_x && delta != 0.0)
            sink.add(
                {static_cast<uint16_t>(std::max(x, 0)), static_cast<uint16_t>(y), static_cast<float>(delta) * sign});
    };
    int first_row = std::max(0, floor_int(y0));
    int last_row = std::min(limit_y - 1, ceil_int(y1) - 1);
    for (int row = first_row; row <= last_row; ++row) {
        double top = std::max(y0, static_cast<double>(row));
        double bottom = std::min(y1, static_cast<double>(row) + 1.0);
        double height = bottom - top;
        if (height <= 0.0) continue;
        double left = x0 + (top - y0) * slope;
        double right = x0 + (bottom - y0) * slope;
        if (left > right) std::swap(left, right);
        int first_cell = floor_int(left);
        // Three rows in four of a text line stay within one column.
        if (right <= first_cell + 1.0) {
            double inside = (left + right) * 0.5 - first_cell;
            emit(first_cell, row, height * (1.0 - inside));
            emit(first_cell + 1, row, height * inside);
            continue;
        }
        // The edge crosses columns: each cell gets the part of the height it
        // spans, split between it and its right neighbour by the mean x.
        int last_cell = ceil_int(right) - 1;
        double per_unit = height / (right - left);
        double carried = 0.0;
        for (int cell = first_cell; cell <= last_cell; ++cell) {
            double enter = std::max(left, static_cast<double>(cell));
            double leave = std::min(right, static_cast<double>(cell) + 1.0);
            double part = (leave - enter) * per_unit;
            double inside = (enter + leave) * 0.5 - cell;
            emit(cell, row, carried + part * (1.0 - inside));
            carried = part * inside;
        }
        emit(last_cell + 1, row, carried);
    }
}

void canvas::clip() {
    clipped = true;
    path_to_lines(fill_flattening());
    lines_to_runs({0.0f, 0.0f}, 0);
    size_t shape_count = runs.size();
    runs.insert(runs.end(), mask.begin(), mask.end());
    mask.clear();
    size_t i = 0, j = shape_count;
    float shape_sum = 0.0f, mask_sum = 0.0f, previous = 0.0f;
    int row = -1;
    while (i < shape_count || j < runs.size()) {
        bool take_shape = j == runs.size() || (i < shape_count && run_before(runs[i], runs[j]));
        pixel_run const& run = take_shape ? runs[i++] : runs[j++];
        if (run.y != row) {
            row = run.y;
            shape_sum = mask_sum = previous = 0.0f;
        }
        (take_shape ? shape_sum : mask_sum) += run.delta;
        float product = std::min(1.0f, std::fabs(shape_sum)) * std::min(1.0f, std::fabs(mask_sum));
        if (product == previous) continue;
        if (!mask.empty() && mask.back().x == run.x && mask.back().y == run.y)
            mask.back().delta += product - previous;
        else
            mask.push_back({run.x, run.y, product - previous});
        previous = product;
    }
}

}  // namespace raster
