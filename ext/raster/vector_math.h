// Small vector and matrix helpers shared by the rasteriser's sources.
#pragma once

#include <cmath>

#include "raster/canvas.h"

namespace raster {

inline xy operator+(xy a, xy b) { return {a.x + b.x, a.y + b.y}; }
inline xy operator-(xy a, xy b) { return {a.x - b.x, a.y - b.y}; }
inline xy operator-(xy a) { return {-a.x, -a.y}; }
inline xy operator*(xy a, float s) { return {a.x * s, a.y * s}; }
inline xy operator*(float s, xy a) { return {a.x * s, a.y * s}; }
inline bool operator==(xy a, xy b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(xy a, xy b) { return !(a == b); }
inline float dot(xy a, xy b) { return a.x * b.x + a.y * b.y; }
inline float cross(xy a, xy b) { return a.x * b.y - a.y * b.x; }
inline float length(xy a) { return std::sqrt(dot(a, a)); }
inline bool is_finite(xy a) { return std::isfinite(a.x) && std::isfinite(a.y); }

// Exact at both ends, so a split at t = 0 or 1 reproduces the end points.
inline xy lerp(xy a, xy b, float t) { return {a.x * (1.0f - t) + b.x * t, a.y * (1.0f - t) + b.y * t}; }

inline xy apply(affine_matrix const& m, xy p) { return {m.a * p.x + m.c * p.y + m.e, m.b * p.x + m.d * p.y + m.f}; }

inline float determinant(affine_matrix const& m) { return m.a * m.d - m.b * m.c; }

// The product applies `right` to points first, then `left`.
inline affine_matrix multiply(affine_matrix const& left, affine_matrix const& right) {
    return {left.a * right.a + left.c * right.b,          left.b * right.a + left.d * right.b,
            left.a * right.c + left.c * right.d,          left.b * right.c + left.d * right.d,
            left.a * right.e + left.c * right.f + left.e, left.b * right.e + left.d * right.f + left.f};
}

// A singular matrix inverts to all zeros rather than dividing by zero.
inline affine_matrix invert(affine_matrix const& m) {
    float det = determinant(m);
    float k = det == 0.0f ? 0.0f : 1.0f / det;
    return {m.d * k, -m.b * k, -m.c * k, m.a * k, (m.c * m.f - m.d * m.e) * k, (m.b * m.e - m.a * m.f) * k};
}

}  // namespace raster
