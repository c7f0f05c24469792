// Fill and stroke styles, and the colour a style gives at a pixel.
#include <algorithm>
#include <cmath>

#include "raster/canvas.h"
#include "raster/color_math.h"
#include "raster/srgb_tables.h"
#include "raster/vector_math.h"

namespace raster {

namespace {

// Copies an RGBA8 image into a pattern brush as linear premultiplied colour.
void load_pattern(paint_brush& brush, unsigned char const* image, int width, int height, int stride,
                  repetition_style repetition) {
    float const* linear = srgb_byte_to_linear();
    brush.type = paint_brush::pattern;
    brush.stops.clear();
    brush.width = width;
    brush.height = height;
    brush.repetition = repetition;
    brush.colors.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    rgba* out = brush.colors.data();
    for (int y = 0; y < height; ++y) {
        unsigned char const* row = image + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x, ++out) {
            unsigned char const* pixel = row + 4 * x;
            float alpha = static_cast<float>(pixel[3]) / 255.0f;
            *out = {linear[pixel[0]] * alpha, linear[pixel[1]] * alpha, linear[pixel[2]] * alpha, alpha};
        }
    }
}

float catmull_rom(float t) {
    if (t < 1.0f) return (1.5f * t - 2.5f) * t * t + 1.0f;
    if (t < 2.0f) return ((-0.5f * t + 2.5f) * t - 4.0f) * t + 2.0f;
    return 0.0f;
}

// Filter taps along one axis: first texel index, count, and weights.
struct taps {
    int first = 0;
    int count = 0;
    float weights[64];
};

// Taps of the widened Catmull-Rom filter at sample position `u`; patterns
// are prefiltered so that the scale stays within `max_filter_scale`, and the
// cap only guards the tap count.
taps filter_taps(float u, float scale) {
    taps result;
    scale = std::min(scale, 15.0f);
    result.first = static_cast<int>(std::ceil(u - 2.0f * scale));
    int end = static_cast<int>(std::ceil(u + 2.0f * scale));
    result.count = std::min(end - result.first, 64);
    for (int i = 0; i < result.count; ++i)
        result.weights[i] = catmull_rom(std::fabs(static_cast<float>(result.first + i) - u) / scale);
    return result;
}

int wrap_index(int index, int size) {
    int wrapped = index % size;
    return wrapped < 0 ? wrapped + size : wrapped;
}

// Beyond this filter scale a pattern is first halved: the filter's taps stay
// within the 64 a row of `taps` holds.
constexpr float max_filter_scale = 8.0f;

// Averages pairs of neighbouring texels along x (or y): the pattern at half
// the resolution, its last texel paired with the first (or with itself when
// `clamped`) when the size is odd.
void halve(paint_brush& brush, bool along_x, bool clamped) {
    int width = along_x ? (brush.width + 1) / 2 : brush.width;
    int height = along_x ? brush.height : (brush.height + 1) / 2;
    std::vector<rgba> halved(static_cast<size_t>(width) * static_cast<size_t>(height));
    auto texel = [&](int x, int y) -> rgba const& {
        if (x >= brush.width) x = clamped ? brush.width - 1 : 0;
        if (y >= brush.height) y = clamped ? brush.height - 1 : 0;
        return brush.colors[static_cast<size_t>(y) * static_cast<size_t>(brush.width) + static_cast<size_t>(x)];
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            rgba const& a = along_x ? texel(2 * x, y) : texel(x, 2 * y);
            rgba const& b = along_x ? texel(2 * x + 1, y) : texel(x, 2 * y + 1);
            halved[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = {
                (a.r + b.r) * 0.5f, (a.g + b.g) * 0.5f, (a.b + b.b) * 0.5f, (a.a + b.a) * 0.5f};
        }
    brush.colors.swap(halved);
    brush.width = width;
    brush.height = height;
}

}  // namespace

void canvas::set_color(brush_type type, float red, float green, float blue, float alpha) {
    paint_brush* brush = brush_for(type);
    if (!brush) return;
    brush->type = paint_brush::color;
    brush->colors.assign(1, linear_premultiplied(red, green, blue, alpha));
    brush->stops.clear();
}

void canvas::set_linear_gradient(brush_type type, float start_x, float start_y, float end_x, float end_y) {
    paint_brush* brush = brush_for(type);
    if (!brush) return;
    brush->type = paint_brush::linear;
    brush->colors.clear();
    brush->stops.clear();
    brush->start = {start_x, start_y};
    brush->end = {end_x, end_y};
}

void canvas::set_radial_gradient(brush_type type, float start_x, float start_y, float start_radius, float end_x,
                                 float end_y, float end_radius) {
    paint_brush* brush = brush_for(type);
    if (!brush || !(start_radius >= 0.0f) || !(end_radius >= 0.0f)) return;
    brush->type = paint_brush::radial;
    brush->colors.clear();
    brush->stops.clear();
    brush->start = {start_x, start_y};
    brush->end = {end_x, end_y};
    brush->start_radius = start_radius;
    brush->end_radius = end_radius;
}

void canvas::add_color_stop(brush_type type, float offset, float red, float green, float blue, float alpha) {
    paint_brush* brush = brush_for(type);
    if (!brush || (brush->type != paint_brush::linear && brush->type != paint_brush::radial) ||
        !(offset >= 0.0f && offset <= 1.0f))
        return;
    rgba straight = linear_premultiplied(red, green, blue, 1.0f);
    straight.a = std::isnan(alpha) ? 0.0f : clamp_unit(alpha);
    auto at = std::upper_bound(brush->stops.begin(), brush->stops.end(), offset);
    auto index = at - brush->stops.begin();
    brush->stops.insert(at, offset);
    brush->colors.insert(brush->colors.begin() + index, straight);
}

void canvas::set_pattern(brush_type type, unsigned char const* image, int width, int height, int stride,
                         repetition_style repetition) {
    paint_brush* brush = brush_for(type);
    if (!brush || !image || width < 1 || height < 1) return;
    load_pattern(*brush, image, width, height, stride, repetition);
}

void canvas::draw_image(unsigned char const* image, int width, int height, int stride, float x, float y, float to_width,
                        float to_height) {
    if (!image || width < 1 || height < 1 || to_width == 0.0f || to_height == 0.0f) return;
    load_pattern(image_brush, image, width, height, stride, repeat);
    // A negative target size mirrors the image into the rectangle that
    // extends left of or above (x, y).
    affine_matrix saved = forward;
    translate(x, y);
    scale(to_width / static_cast<float>(width), to_height / static_cast<float>(height));
    float w = static_cast<float>(width), h = static_cast<float>(height);
    lines.points.clear();
    lines.subpaths.clear();
    lines.points.push_back(apply(forward, {0.0f, 0.0f}));
    lines.points.push_back(apply(forward, {w, 0.0f}));
    lines.points.push_back(apply(forward, {w, h}));
    lines.points.push_back(apply(forward, {0.0f, h}));
    lines.subpaths.push_back({4, true});
    render_main(image_brush);
    set_forward(saved);
}

rgba canvas::paint_pixel(xy point, paint_brush const& brush) const {
    if (brush.colors.empty()) return {};
    switch (brush.type) {
        case paint_brush::color:
            return brush.colors.front();
        case paint_brush::linear:
        case paint_brush::radial:
            return paint_gradient(apply(inverse, point), brush);
        case paint_brush::pattern:
            return paint_pattern(apply(inverse, point), brush);
    }
    return {};
}

rgba canvas::paint_gradient(xy point, paint_brush const& brush) const {
    float t = 0.0f;
    if (brush.type == paint_brush::linear) {
        xy along = brush.end - brush.start;
        float squared = dot(along, along);
        if (squared == 0.0f) return {};
        t = dot(point - brush.start, along) / squared;
    } else {
        xy centres = brush.end - brush.start;
        float radii = brush.end_radius - brush.start_radius;
        xy relative = point - brush.start;
        float a = dot(centres, centres) - radii * radii;
        float b = -2.0f * (dot(relative, centres) + brush.start_radius * radii);
        float c = dot(relative, relative) - brush.start_radius * brush.start_radius;
        if (centres == xy{} && radii == 0.0f) return {};
        auto radius_at = [&](float u) { return brush.start_radius + u * radii; };
        if (a == 0.0f) {
            // One circle touches the other from inside: the equation is linear.
            if (b == 0.0f) return {};
            t = -c / b;
            if (radius_at(t) < 0.0f) return {};
        } else {
            float discriminant = b * b - 4.0f * a * c;
            if (discriminant < 0.0f) return {};
            float root = std::sqrt(discriminant);
            t = (root - b) / (2.0f * a);
            if (!(radius_at(t) >= 0.0f)) {
                t = (-b - root) / (2.0f * a);
                if (!(radius_at(t) >= 0.0f)) return {};
            }
        }
    }
    if (std::isnan(t)) return {};
    std::vector<float> const& stops = brush.stops;
    auto above = std::upper_bound(stops.begin(), stops.end(), t);
    rgba color;
    if (above == stops.begin()) {
        color = brush.colors.front();
    } else if (above == stops.end()) {
        color = brush.colors.back();
    } else {
        size_t index = static_cast<size_t>(above - stops.begin());
        rgba low = brush.colors[index - 1], high = brush.colors[index];
        float f = (t - stops[index - 1]) / (stops[index] - stops[index - 1]);
        color = {low.r + (high.r - low.r) * f, low.g + (high.g - low.g) * f, low.b + (high.b - low.b) * f,
                 low.a + (high.a - low.a) * f};
    }
    return {color.r * color.a, color.g * color.a, color.b * color.a, color.a};
}

paint_brush const& canvas::prefiltered(paint_brush const& brush) {
    if (brush.type != paint_brush::pattern || brush.colors.empty()) return brush;
    float footprint_x = std::fabs(inverse.a) + std::fabs(inverse.c);
    float footprint_y = std::fabs(inverse.b) + std::fabs(inverse.d);
    auto too_wide = [](float footprint, int size) {
        return std::min(static_cast<float>(size) * 0.25f, footprint) > max_filter_scale;
    };
    if (!too_wide(footprint_x, brush.width) && !too_wide(footprint_y, brush.height)) return brush;
    // Halved copies, as many as bring the footprint within the filter's
    // reach; the inverse then maps into the smaller pattern's texels.
    reduced_clamped = &brush == &image_brush;
    reduced_pattern = brush;
    while (too_wide(footprint_x, reduced_pattern.width) || too_wide(footprint_y, reduced_pattern.height)) {
        bool along_x = too_wide(footprint_x, reduced_pattern.width);
        float before = static_cast<float>(along_x ? reduced_pattern.width : reduced_pattern.height);
        halve(reduced_pattern, along_x, reduced_clamped);
        float ratio = static_cast<float>(along_x ? reduced_pattern.width : reduced_pattern.height) / before;
        if (along_x) {
            footprint_x *= ratio;
            inverse.a *= ratio;
            inverse.c *= ratio;
            inverse.e *= ratio;
        } else {
            footprint_y *= ratio;
            inverse.b *= ratio;
            inverse.d *= ratio;
            inverse.f *= ratio;
        }
    }
    return reduced_pattern;
}

rgba canvas::paint_pattern(xy point, paint_brush const& brush) const {
    float width = static_cast<float>(brush.width), height = static_cast<float>(brush.height);
    bool repeats_x = brush.repetition == repeat || brush.repetition == repeat_x;
    bool repeats_y = brush.repetition == repeat || brush.repetition == repeat_y;
    if (!is_finite(point) || (!repeats_x && !(point.x >= 0.0f && point.x < width)) ||
        (!repeats_y && !(point.y >= 0.0f && point.y < height)))
        return {};
    bool clamped = &brush == &image_brush || (&brush == &reduced_pattern && reduced_clamped);
    auto footprint = [](float extent, float size) {
        float scale = std::min(size * 0.25f, extent);
        return scale > 1.0f ? scale : 1.0f;
    };
    float scale_x = footprint(std::fabs(inverse.a) + std::fabs(inverse.c), width);
    float scale_y = footprint(std::fabs(inverse.b) + std::fabs(inverse.d), height);
    // Only the phase matters when wrapping, and clamping beyond the filter's
    // reach past an edge changes nothing; both keep the indices small.
    auto reduce = [clamped](float u, float size, float scale) {
        return clamped ? std::clamp(u, -2.0f * scale - 1.0f, size + 2.0f * scale + 1.0f) : std::fmod(u, size);
    };
    taps across = filter_taps(reduce(point.x - 0.5f, width, scale_x), scale_x);
    taps down = filter_taps(reduce(point.y - 0.5f, height, scale_y), scale_y);
    auto index = [clamped](int i, int size) { return clamped ? std::clamp(i, 0, size - 1) : wrap_index(i, size); };
    rgba sum;
    float total = 0.0f;
    for (int j = 0; j < down.count; ++j) {
        if (down.weights[j] == 0.0f) continue;
        rgba const* row = brush.colors.data() + static_cast<size_t>(index(down.first + j, brush.height)) * brush.width;
        for (int i = 0; i < across.count; ++i) {
            float weight = down.weights[j] * across.weights[i];
            if (weight == 0.0f) continue;
            rgba const& texel = row[index(across.first + i, brush.width)];
            sum.r += texel.r * weight;
            sum.g += texel.g * weight;
            sum.b += texel.b * weight;
            sum.a += texel.a * weight;
            total += weight;
        }
    }
    if (total == 0.0f) return {};
    float k = 1.0f / total;
    return {sum.r * k, sum.g * k, sum.b * k, sum.a * k};
}

}  // namespace raster
