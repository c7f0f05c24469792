// Construction, the transform, the style setters and the state stack.
#include <algorithm>
#include <cmath>

#include "raster/canvas.h"
#include "raster/color_math.h"
#include "raster/vector_math.h"

namespace raster {

namespace {

// Pixel positions are stored in 16 bits.
constexpr int max_side = 65535;

paint_brush opaque_black() {
    paint_brush brush;
    brush.colors.push_back({0.0f, 0.0f, 0.0f, 1.0f});
    return brush;
}

}  // namespace

canvas::canvas(int width, int height)
    : size_x(std::clamp(width, 0, max_side)),
      size_y(std::clamp(height, 0, max_side)),
      fill_brush(opaque_black()),
      stroke_brush(opaque_black()),
      bitmap(new rgba[static_cast<size_t>(size_x) * static_cast<size_t>(size_y)]()) {
    if (size_x == 0) return;
    mask.reserve(2 * static_cast<size_t>(size_y));
    for (int y = 0; y < size_y; ++y) {
        mask.push_back({0, static_cast<uint16_t>(y), 1.0f});
        mask.push_back({static_cast<uint16_t>(size_x), static_cast<uint16_t>(y), -1.0f});
    }
}

canvas::~canvas() {
    delete[] bitmap;
    // Unlinked one by one so that a deep stack cannot exhaust the call stack.
    while (saves) {
        canvas* next = saves->saves;
        saves->saves = nullptr;
        delete saves;
        saves = next;
    }
}

canvas::canvas(canvas const& other) : size_x(0), size_y(0) { copy_state_from(other); }

canvas& canvas::operator=(canvas const& other) {
    copy_state_from(other);
    return *this;
}

void canvas::copy_state_from(canvas const& other) {
    global_composite_operation = other.global_composite_operation;
    shadow_offset_x = other.shadow_offset_x;
    shadow_offset_y = other.shadow_offset_y;
    line_cap = other.line_cap;
    line_join = other.line_join;
    line_dash_offset = other.line_dash_offset;
    text_align = other.text_align;
    text_baseline = other.text_baseline;
    forward = other.forward;
    inverse = other.inverse;
    global_alpha = other.global_alpha;
    shadow_color = other.shadow_color;
    shadow_blur = other.shadow_blur;
    line_width = other.line_width;
    miter_limit = other.miter_limit;
    line_dash = other.line_dash;
    fill_brush = other.fill_brush;
    stroke_brush = other.stroke_brush;
    mask = other.mask;
    clipped = other.clipped;
    face = other.face;
}

void canvas::save() {
    canvas* state = new canvas(*this);
    state->saves = saves;
    saves = state;
}

void canvas::restore() {
    if (!saves) return;
    canvas* state = saves;
    copy_state_from(*state);
    saves = state->saves;
    state->saves = nullptr;
    delete state;
}

void canvas::set_forward(affine_matrix const& matrix) {
    forward = matrix;
    inverse = invert(forward);
}

void canvas::multiply_forward(affine_matrix const& matrix) { set_forward(multiply(forward, matrix)); }

void canvas::scale(float x, float y) { multiply_forward({x, 0.0f, 0.0f, y, 0.0f, 0.0f}); }

void canvas::rotate(float angle) {
    float cosine = std::cos(angle);
    float sine = std::sin(angle);
    multiply_forward({cosine, sine, -sine, cosine, 0.0f, 0.0f});
}

void canvas::translate(float x, float y) { multiply_forward({1.0f, 0.0f, 0.0f, 1.0f, x, y}); }

void canvas::transform(float a, float b, float c, float d, float e, float f) { multiply_forward({a, b, c, d, e, f}); }

void canvas::set_transform(float a, float b, float c, float d, float e, float f) { set_forward({a, b, c, d, e, f}); }

void canvas::set_global_alpha(float alpha) {
    if (alpha >= 0.0f && alpha <= 1.0f) global_alpha = alpha;
}

void canvas::set_shadow_color(float red, float green, float blue, float alpha) {
    shadow_color = linear_premultiplied(red, green, blue, alpha);
}

void canvas::set_shadow_blur(float level) {
    if (level >= 0.0f && std::isfinite(level)) shadow_blur = level;
}

void canvas::set_line_width(float width) {
    if (width > 0.0f && std::isfinite(width)) line_width = width;
}

void canvas::set_miter_limit(float limit) {
    if (limit > 0.0f) miter_limit = limit;
}

void canvas::set_line_dash(float const* segments, int count) {
    if (!segments || count < 1) {
        line_dash.clear();
        return;
    }
    for (int i = 0; i < count; ++i)
        if (!(segments[i] >= 0.0f) || !std::isfinite(segments[i])) return;
    line_dash.assign(segments, segments + count);
    if (count % 2 == 1) line_dash.insert(line_dash.end(), segments, segments + count);
}

paint_brush* canvas::brush_for(brush_type type) {
    if (type == fill_style) return &fill_brush;
    if (type == stroke_style) return &stroke_brush;
    return nullptr;
}

}  // namespace raster
