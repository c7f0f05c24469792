// Building stroke outlines. The pen works in user space, so a non-uniform
// transform distorts it like any other geometry; the outline is emitted in
// device space as closed polygons whose non-zero fill is exactly the stroke.
#include <algorithm>
#include <cmath>

#include "raster/canvas.h"
#include "raster/vector_math.h"

namespace raster {

namespace {

xy direction(xy from, xy to) {
    xy d = to - from;
    return d * (1.0f / std::max(length(d), 0.000001f));
}

xy left_normal(xy unit) { return {-unit.y, unit.x}; }

}  // namespace

void canvas::stroke_lines() {
    if (determinant(forward) == 0.0f) {
        lines.points.clear();
        lines.subpaths.clear();
        return;
    }
    dash_lines();
    std::swap(lines, scratch);
    lines.points.clear();
    lines.subpaths.clear();
    flattening mode = stroke_flattening();
    std::vector<xy> user;
    size_t first = 0;
    for (subpath_data const& subpath : scratch.subpaths) {
        user.clear();
        for (size_t i = first; i < first + subpath.count; ++i) {
            xy point = apply(inverse, scratch.points[i]);
            if (user.empty() || point != user.back()) user.push_back(point);
        }
        first += subpath.count;
        if (subpath.closed && user.size() > 2 && user.front() == user.back()) user.pop_back();
        if (user.size() < 2) continue;
        size_t begin = lines.points.size();
        auto finish_polygon = [&] {
            lines.subpaths.push_back({lines.points.size() - begin, true});
            begin = lines.points.size();
        };
        if (subpath.closed) {
            add_half_stroke(user, true, mode);
            finish_polygon();
            std::reverse(user.begin(), user.end());
            add_half_stroke(user, true, mode);
            finish_polygon();
        } else {
            add_half_stroke(user, false, mode);
            add_cap(user.back(), direction(user[user.size() - 2], user.back()), mode);
            std::reverse(user.begin(), user.end());
            add_half_stroke(user, false, mode);
            add_cap(user.back(), direction(user[user.size() - 2], user.back()), mode);
            finish_polygon();
        }
    }
}

void canvas::add_half_stroke(std::vector<xy> const& points, bool closed, flattening mode) {
    float half = line_width * 0.5f;
    size_t count = points.size();
    if (closed) {
        for (size_t i = 0; i < count; ++i) {
            xy previous = points[(i + count - 1) % count];
            xy next = points[(i + 1) % count];
            add_join(points[i], direction(previous, points[i]), direction(points[i], next), mode);
        }
        return;
    }
    lines.points.push_back(apply(forward, points[0] + left_normal(direction(points[0], points[1])) * half));
    for (size_t i = 1; i + 1 < count; ++i)
        add_join(points[i], direction(points[i - 1], points[i]), direction(points[i], points[i + 1]), mode);
    xy last = direction(points[count - 2], points[count - 1]);
    lines.points.push_back(apply(forward, points[count - 1] + left_normal(last) * half));
}

void canvas::add_join(xy vertex, xy in_direction, xy out_direction, flattening mode) {
    float half = line_width * 0.5f;
    xy in_offset = left_normal(in_direction) * half;
    xy out_offset = left_normal(out_direction) * half;
    xy from = vertex + in_offset;
    xy to = vertex + out_offset;
    float turn = cross(in_direction, out_direction);
    lines.points.push_back(apply(forward, from));
    if (std::fabs(turn) < 0.0001f) {
        lines.points.push_back(apply(forward, to));
        return;
    }
    if (turn > 0.0f) {
        // Inner side: passing through the vertex keeps the outline closed
        // around short segments where the offset lines would cross.
        lines.points.push_back(apply(forward, vertex));
        lines.points.push_back(apply(forward, to));
        return;
    }
    float cosine = std::clamp(dot(in_direction, out_direction), -1.0f, 1.0f);
    if (line_join == rounded) {
        float handle = 4.0f / 3.0f * std::tan(std::acos(cosine) / 4.0f) * half;
        add_bezier(apply(forward, from), apply(forward, from + in_direction * handle),
                   apply(forward, to - out_direction * handle), apply(forward, to), mode);
        return;
    }
    if (line_join == miter) {
        xy tip = vertex + (in_offset + out_offset) * (1.0f / (1.0f + cosine));
        if (length(tip - vertex) <= miter_limit * half) lines.points.push_back(apply(forward, tip));
    }
    lines.points.push_back(apply(forward, to));
}

void canvas::add_cap(xy end, xy direction, flattening mode) {
    float half = line_width * 0.5f;
    xy offset = left_normal(direction) * half;
    xy reach = direction * half;
    if (line_cap == square) {
        lines.points.push_back(apply(forward, end + offset + reach));
        lines.points.push_back(apply(forward, end - offset + reach));
    } else if (line_cap == circle) {
        float handle = 0.5522848f;
        xy tip = end + reach;
        add_bezier(apply(forward, end + offset), apply(forward, end + offset + reach * handle),
                   apply(forward, tip + offset * handle), apply(forward, tip), mode);
        add_bezier(apply(forward, tip), apply(forward, tip - offset * handle),
                   apply(forward, end - offset + reach * handle), apply(forward, end - offset), mode);
    }
}

}  // namespace raster
