// Building the current path. Points are transformed when they are added, so
// the path is kept in device space and every segment is a cubic.
#include <cmath>

#include "raster/canvas.h"
#include "raster/vector_math.h"

namespace raster {

namespace {

constexpr float two_pi = 6.2831855f;

}  // namespace

void canvas::begin_path() {
    path.points.clear();
    path.subpaths.clear();
}

void canvas::move_to_device(xy point) {
    if (!path.subpaths.empty() && path.subpaths.back().count == 1) {
        path.points.back() = point;
        return;
    }
    path.points.push_back(point);
    path.subpaths.push_back({1, false});
}

void canvas::add_line_to_device(xy point) {
    if (path.subpaths.empty()) {
        move_to_device(point);
        return;
    }
    xy last = path.points.back();
    if (last == point) return;
    path.points.push_back(last);
    path.points.push_back(point);
    path.points.push_back(point);
    path.subpaths.back().count += 3;
}

void canvas::move_to(float x, float y) { move_to_device(apply(forward, {x, y})); }

void canvas::line_to(float x, float y) { add_line_to_device(apply(forward, {x, y})); }

void canvas::close_path() {
    if (path.subpaths.empty()) return;
    xy first = path.points[path.points.size() - path.subpaths.back().count];
    add_line_to_device(first);
    path.subpaths.back().closed = true;
    // A new subpath always starts here, even when the closed one is a lone point.
    path.points.push_back(first);
    path.subpaths.push_back({1, false});
}

void canvas::quadratic_curve_to(float control_x, float control_y, float x, float y) {
    if (path.subpaths.empty()) move_to(control_x, control_y);
    xy start = path.points.back();
    xy control = apply(forward, {control_x, control_y});
    xy end = apply(forward, {x, y});
    path.points.push_back(start + 0.6666667f * (control - start));
    path.points.push_back(end + 0.6666667f * (control - end));
    path.points.push_back(end);
    path.subpaths.back().count += 3;
}

void canvas::bezier_curve_to(float control_1_x, float control_1_y, float control_2_x, float control_2_y, float x,
                             float y) {
    if (path.subpaths.empty()) move_to(control_1_x, control_1_y);
    path.points.push_back(apply(forward, {control_1_x, control_1_y}));
    path.points.push_back(apply(forward, {control_2_x, control_2_y}));
    path.points.push_back(apply(forward, {x, y}));
    path.subpaths.back().count += 3;
}

void canvas::rectangle(float x, float y, float width, float height) {
    move_to(x, y);
    line_to(x + width, y);
    line_to(x + width, y + height);
    line_to(x, y + height);
    close_path();
}

void canvas::arc(float x, float y, float radius, float start_angle, float end_angle, bool counter_clockwise) {
    if (!(radius >= 0.0f)) return;
    float direction = counter_clockwise ? -1.0f : 1.0f;
    float start = std::fmod(start_angle, two_pi);
    float end = std::fmod(end_angle, two_pi);
    float sweep = end - start;
    if ((end_angle - start_angle) * direction >= two_pi) {
        sweep = two_pi * direction;
    } else {
        // The reduced angles can lie a whole turn apart in either direction,
        // so one correction is not always enough.
        for (int turn = 0; turn < 2 && sweep * direction < 0.0f; ++turn) sweep += two_pi * direction;
    }
    line_to(x + radius * std::cos(start), y + radius * std::sin(start));
    if (sweep == 0.0f || !std::isfinite(sweep)) return;
    int pieces = std::max(1, static_cast<int>(std::lround(direction * sweep * 2.546479f)));
    float piece = sweep / static_cast<float>(pieces);
    float handle = radius * 4.0f / 3.0f * std::tan(piece / 4.0f);
    for (int i = 0; i < pieces; ++i) {
        float from = start + piece * static_cast<float>(i);
        float to = start + piece * static_cast<float>(i + 1);
        xy from_tangent{-std::sin(from), std::cos(from)};
        xy to_tangent{-std::sin(to), std::cos(to)};
        xy from_point{x + radius * std::cos(from), y + radius * std::sin(from)};
        xy to_point{x + radius * std::cos(to), y + radius * std::sin(to)};
        xy control_1 = from_point + handle * from_tangent;
        xy control_2 = to_point - handle * to_tangent;
        bezier_curve_to(control_1.x, control_1.y, control_2.x, control_2.y, to_point.x, to_point.y);
    }
}

void canvas::arc_to(float vertex_x, float vertex_y, float x, float y, float radius) {
    if (!(radius >= 0.0f) || determinant(forward) == 0.0f) return;
    if (path.subpaths.empty()) move_to(vertex_x, vertex_y);
    xy vertex{vertex_x, vertex_y};
    xy from = apply(inverse, path.points.back());
    xy to_start = from - vertex;
    xy to_end = xy{x, y} - vertex;
    xy leg_1 = to_start * (1.0f / std::max(length(to_start), 0.000001f));
    xy leg_2 = to_end * (1.0f / std::max(length(to_end), 0.000001f));
    float turn = cross(leg_1, leg_2);
    if (std::fabs(turn) < 0.0001f) {
        line_to(vertex_x, vertex_y);
        return;
    }
    xy centre = vertex + (leg_1 + leg_2) * (radius / std::fabs(turn));
    xy touch_1 = vertex + leg_1 * dot(centre - vertex, leg_1);
    xy touch_2 = vertex + leg_2 * dot(centre - vertex, leg_2);
    float angle_1 = std::atan2(touch_1.y - centre.y, touch_1.x - centre.x);
    float angle_2 = std::atan2(touch_2.y - centre.y, touch_2.x - centre.x);
    bool counter_clockwise = static_cast<long>(std::floor((angle_2 - angle_1) / 3.14159265f)) & 1;
    arc(centre.x, centre.y, radius, angle_1, angle_2, counter_clockwise);
}

}  // namespace raster
