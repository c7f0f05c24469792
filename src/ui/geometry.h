#pragma once

#include <cmath>

#include "guicore/guicore.h"

namespace geo {

// Truncation toward zero that saturates at the int range and maps NaN to 0, so
// that absurd sizes stay defined behaviour instead of overflowing.
constexpr int truncate(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483648.0f) return 2147483647;
    if (v < -2147483648.0f) return -2147483647 - 1;
    return static_cast<int>(v);
}

struct Point {
    float x = 0;
    float y = 0;
};

// A rectangle in UI units; pixels are UI units times a bitmap's backing scale.
struct Rect {
    float x = 0;
    float y = 0;
    float w = 0;
    float h = 0;

    constexpr Rect() = default;
    constexpr Rect(float x_, float y_, float w_, float h_) : x(x_), y(y_), w(w_), h(h_) {}
    constexpr Rect(gui_Rect r)
        : x(static_cast<float>(r.x)),
          y(static_cast<float>(r.y)),
          w(static_cast<float>(r.w)),
          h(static_cast<float>(r.h)) {}

    constexpr Rect operator*(float s) const { return Rect(x * s, y * s, w * s, h * s); }

    // Each value truncated toward zero.
    operator gui_Rect() const { return gui_Rect{truncate(x), truncate(y), truncate(w), truncate(h)}; }

    // The smallest whole-pixel rectangle that covers this one.
    Rect integerBounds() const {
        const float left = std::floor(x);
        const float top = std::floor(y);
        return Rect(left, top, std::ceil(x - left + w), std::ceil(y - top + h));
    }

    Rect round() const { return Rect(std::round(x), std::round(y), std::round(w), std::round(h)); }

    constexpr bool operator==(const Rect&) const = default;
};

}  // namespace geo
