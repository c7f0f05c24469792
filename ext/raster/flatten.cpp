// Adaptive flattening of cubic segments into polylines, to within 1/8 pixel.
#include <algorithm>
#include <array>
#include <cmath>

#include "raster/canvas.h"
#include "raster/vector_math.h"

namespace raster {

namespace {

constexpr float tolerance_squared = 0.015625f;
constexpr int subdivision_limit = 20;

// Whether the quotient num / den, rounded, lies in (0, 1). Magnitudes and
// signs settle most cases without dividing: rounding never takes a quotient
// across zero, nor one of at least 1 (|num| >= |den|) below 1.
bool in_unit_interval(float num, float den, float& t) {
    if (!(std::fabs(num) < std::fabs(den)) || num == 0.0f || std::signbit(num) != std::signbit(den)) return false;
    t = num / den;
    return t > 0.0f && t < 1.0f;
}

// Roots in (0, 1) of a t^2 + b t + c, written to `roots`; returns the count.
int unit_roots(float a, float b, float c, float* roots) {
    int found = 0;
    auto keep = [&](float num, float den) {
        if (in_unit_interval(num, den, roots[found])) ++found;
    };
    if (std::fabs(a) <= 0.0001f) {
        if (std::fabs(b) > 0.0001f) keep(-c, b);
        return found;
    }
    float discriminant = b * b - 4.0f * a * c;
    if (discriminant < 0.0f) return found;
    float q = -0.5f * (b + std::copysign(std::sqrt(discriminant), b));
    keep(q, a);
    if (q != 0.0f) keep(c, q);
    return found;
}

// The control points of the part of a cubic between t0 and t1, by blossoming.
struct cubic {
    xy p0, c1, c2, p1;

    xy blossom(float u, float v, float w) const {
        xy a = lerp(p0, c1, u), b = lerp(c1, c2, u), c = lerp(c2, p1, u);
        xy d = lerp(a, b, v), e = lerp(b, c, v);
        return lerp(d, e, w);
    }

    cubic piece(float t0, float t1) const {
        return {blossom(t0, t0, t0), blossom(t0, t0, t1), blossom(t0, t1, t1), blossom(t1, t1, t1)};
    }
};

// `span` is max(dot(chord, chord), 0.0001), shared by both control points.
inline bool near_chord(xy point, xy start, xy chord, float span) {
    float t = std::clamp(dot(point - start, chord) / span, 0.0f, 1.0f);
    xy off = point - (start + chord * t);
    return dot(off, off) <= tolerance_squared;
}

// Whether the end tangents' cosine reaches `angular`; at -1 any turn does.
bool turns_little(xy p0, xy c1, xy c2, xy p1, float angular) {
    if (angular <= -1.0f) return true;
    xy inner = c2 - c1;
    xy in_tangent = c1 != p0 ? c1 - p0 : inner;
    xy out_tangent = p1 != c2 ? p1 - c2 : inner;
    float lengths = length(in_tangent) * length(out_tangent);
    if (!(lengths > 0.0f)) return true;
    return dot(in_tangent, out_tangent) >= angular * lengths;
}

// Whether all four points lie beyond one side of the view.
bool beyond_view(flattening const& mode, xy p0, xy c1, xy c2, xy p1) {
    xy low = mode.view_low, high = mode.view_high;
    return (p0.x < low.x && c1.x < low.x && c2.x < low.x && p1.x < low.x) ||
           (p0.y < low.y && c1.y < low.y && c2.y < low.y && p1.y < low.y) ||
           (p0.x > high.x && c1.x > high.x && c2.x > high.x && p1.x > high.x) ||
           (p0.y > high.y && c1.y > high.y && c2.y > high.y && p1.y > high.y);
}

}  // namespace

flattening canvas::fill_flattening() const {
    // Shadows are rendered from the same polyline shifted and padded, so the
    // view reaches as far as they can.
    float margin = std::fabs(shadow_offset_x) + std::fabs(shadow_offset_y) + 2.0f * shadow_blur + 8.0f;
    flattening mode;
    mode.view_low = {-margin, -margin};
    mode.view_high = {static_cast<float>(size_x) + margin, static_cast<float>(size_y) + margin};
    return mode;
}

// Thin pens (at most a quarter unit wide) may turn freely within a piece.
flattening canvas::stroke_flattening() const {
    float k = 0.125f / std::max(0.125f, line_width * 0.5f);
    return {flattening::stroking, 2.0f * k * k - 4.0f * k + 1.0f};
}

void canvas::path_to_lines(flattening const& mode) {
    lines.points.clear();
    lines.subpaths.clear();
    size_t first = 0;
    for (subpath_data const& subpath : path.subpaths) {
        size_t before = lines.points.size();
        lines.points.push_back(path.points[first]);
        for (size_t i = first + 1; i + 2 < first + subpath.count; i += 3)
            add_bezier(path.points[i - 1], path.points[i], path.points[i + 1], path.points[i + 2], mode);
        lines.subpaths.push_back({lines.points.size() - before, subpath.closed});
        first += subpath.count;
    }
}

void canvas::add_bezier(xy p0, xy c1, xy c2, xy p1, flattening const& mode) {
    if ((c1 == p0 && c2 == p1) || !is_finite(p0) || !is_finite(c1) || !is_finite(c2) || !is_finite(p1)) {
        lines.points.push_back(p1);
        return;
    }
    // The pieces run between 0, the sorted roots in (0, 1), and 1.
    std::array<float, 7> splits;
    splits[0] = 0.0f;
    xy a = 3.0f * (p1 - p0) - 9.0f * (c2 - c1);
    xy b = 6.0f * (p0 + c2) - 12.0f * c1;
    xy c = 3.0f * (c1 - p0);
    int roots = unit_roots(a.x, b.x, c.x, &splits[1]);
    roots += unit_roots(a.y, b.y, c.y, &splits[1 + roots]);
    xy d0 = c1 - p0, d1 = c2 - c1, d2 = p1 - c2;
    float cross_a = cross(d0, d1), cross_b = cross(d0, d2), cross_c = cross(d1, d2);
    float denominator = cross_a - cross_b + cross_c;
    float numerator = 2.0f * cross_a - cross_b;
    if (std::fabs(denominator) > 0.0001f && std::fabs(cross_b - 2.0f * cross_a) > 0.0001f) {
        float t = numerator / (2.0f * denominator);
        if (t > 0.0f && t < 1.0f) splits[1 + roots++] = t;
    }
    // Blossoming over the whole of [0, 1] gives back the very same points.
    if (roots == 0) {
        add_tessellation(p0, c1, c2, p1, mode, subdivision_limit);
        return;
    }
    // At most five roots: insertion sort.
    for (int i = 2; i <= roots; ++i)
        for (int j = i; j > 1 && splits[j - 1] > splits[j]; --j) std::swap(splits[j - 1], splits[j]);
    splits[roots + 1] = 1.0f;
    int count = roots + 2;
    cubic whole{p0, c1, c2, p1};
    for (int i = 0; i + 1 < count; ++i) {
        if (splits[i] == splits[i + 1]) continue;
        cubic part = whole.piece(splits[i], splits[i + 1]);
        add_tessellation(part.p0, part.c1, part.c2, part.p1, mode, subdivision_limit);
    }
}

void canvas::add_tessellation(xy p0, xy c1, xy c2, xy p1, flattening const& mode, int limit) {
    // Pieces are monotone, so for filling a chord covers exactly the same
    // visible pixels as a piece lying wholly beyond one side of the view:
    // nothing, or the same rows crossed left of it. Far-off geometry then
    // costs nothing to flatten. A stroke's pen reaches back into the view.
    bool stroking = mode.purpose == flattening::stroking;
    if (mode.purpose == flattening::filling && beyond_view(mode, p0, c1, c2, p1)) {
        lines.points.push_back(p1);
        return;
    }
    xy chord = p1 - p0;
    float span = std::max(dot(chord, chord), 0.0001f);
    bool flat = near_chord(c1, p0, chord, span) && near_chord(c2, p0, chord, span);
    if ((flat && (!stroking || turns_little(p0, c1, c2, p1, mode.angular))) || limit <= 0) {
        if (stroking) {
            if (c1 != p0) lines.points.push_back(c1);
            if (c2 != p1) lines.points.push_back(c2);
        }
        lines.points.push_back(p1);
        return;
    }
    xy p0c1 = lerp(p0, c1, 0.5f), c1c2 = lerp(c1, c2, 0.5f), c2p1 = lerp(c2, p1, 0.5f);
    xy left = lerp(p0c1, c1c2, 0.5f), right = lerp(c1c2, c2p1, 0.5f);
    xy middle = lerp(left, right, 0.5f);
    add_tessellation(p0, p0c1, left, middle, mode, limit - 1);
    add_tessellation(middle, right, c2p1, p1, mode, limit - 1);
}

}  // namespace raster
