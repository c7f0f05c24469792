// Blurred drop shadows: the shape's coverage is rendered offset into a padded
// buffer, blurred with three extended box passes per axis (close to a
// Gaussian), and composited in the shadow colour beneath the shape.
#include <algorithm>
#include <cmath>

#include "raster/canvas.h"
#include "raster/color_math.h"
#include "raster/run_walk.h"

namespace raster {

namespace {

// One extended box pass over `count` values `step` apart, reading beyond the
// ends as zero. `line` is scratch space of at least `count` values.
void box_pass(float* values, int count, int step, int radius, float inner, float outer, std::vector<double>& line) {
    for (int i = 0; i < count; ++i) line[static_cast<size_t>(i)] = values[static_cast<ptrdiff_t>(i) * step];
    auto at = [&](int i) { return i >= 0 && i < count ? line[static_cast<size_t>(i)] : 0.0; };
    double window = 0.0;
    for (int i = -radius; i <= radius; ++i) window += at(i);
    for (int i = 0; i < count; ++i) {
        values[static_cast<ptrdiff_t>(i) * step] =
            static_cast<float>(window * inner + (at(i - radius - 1) + at(i + radius + 1)) * outer);
        window += at(i + radius + 1) - at(i - radius);
    }
}

}  // namespace

void canvas::render_shadow(paint_brush const& brush) {
    if (shadow_color.a == 0.0f || (shadow_blur == 0.0f && shadow_offset_x == 0.0f && shadow_offset_y == 0.0f)) return;
    float sigma_squared = shadow_blur * shadow_blur * 0.25f;
    int radius = static_cast<int>(std::floor(std::sqrt(4.0f * sigma_squared + 1.0f) * 0.5f - 0.5f));
    // The padded buffer must stay addressable by 16-bit run coordinates.
    int widest = std::max(size_x, size_y);
    radius = std::clamp(radius, 0, std::max(0, (65535 - widest) / 6 - 1));
    int border = 3 * radius + 3;
    int width = size_x + 2 * border;
    int height = size_y + 2 * border;
    float offset_x = shadow_offset_x + static_cast<float>(border);
    float offset_y = shadow_offset_y + static_cast<float>(border);
    lines_to_runs({offset_x, offset_y}, 2 * border);
    shadow.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0.0f);
    pixel_runs const none;
    walk_runs(runs, none, width, true, [&](int y, int x0, int x1, float coverage, float) {
        if (coverage < min_coverage) return;
        float* row = shadow.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        float centre_y = static_cast<float>(y) + 0.5f - offset_y;
        for (int x = x0; x < x1; ++x)
            row[x] = coverage * paint_pixel({static_cast<float>(x) + 0.5f - offset_x, centre_y}, brush).a;
    });
    blur_shadow(width, height, radius, sigma_squared);

    bool uncovered = affects_uncovered(global_composite_operation);
    walk_runs(none, mask, size_x, false, [&](int y, int x0, int x1, float, float clip) {
        if (clip < min_coverage) return;
        float const* row = shadow.data() + static_cast<size_t>(y + border) * static_cast<size_t>(width) + border;
        rgba* pixel = bitmap + static_cast<size_t>(y) * static_cast<size_t>(size_x);
        for (int x = x0; x < x1; ++x) {
            float value = row[x];
            if (value < min_coverage && !uncovered) continue;
            float weight = global_alpha * value;
            rgba source{shadow_color.r * weight, shadow_color.g * weight, shadow_color.b * weight,
                        shadow_color.a * weight};
            blend_pixel(pixel[x], source, clip, global_composite_operation);
        }
    });
}

void canvas::blur_shadow(int width, int height, int radius, float sigma_squared) {
    float r = static_cast<float>(radius);
    float alpha =
        (2.0f * r + 1.0f) * (r * (r + 1.0f) - sigma_squared) / (2.0f * sigma_squared - 6.0f * (r + 1.0f) * (r + 1.0f));
    float inner = 1.0f / (2.0f * (r + alpha) + 1.0f);
    float outer = alpha * inner;
    std::vector<double> line(static_cast<size_t>(std::max(width, height)));
    for (int pass = 0; pass < 3; ++pass)
        for (int y = 0; y < height; ++y)
            box_pass(shadow.data() + static_cast<size_t>(y) * width, width, 1, radius, inner, outer, line);
    for (int pass = 0; pass < 3; ++pass)
        for (int x = 0; x < width; ++x) box_pass(shadow.data() + x, height, width, radius, inner, outer, line);
}

}  // namespace raster
