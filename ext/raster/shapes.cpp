// Operations that draw or test the current path, and the rectangle shortcuts
// that bypass it.
#include <algorithm>

#include "raster/canvas.h"
#include "raster/vector_math.h"

namespace raster {

void canvas::fill() {
    path_to_lines(fill_flattening());
    render_main(fill_brush);
}

void canvas::stroke() {
    path_to_lines(stroke_flattening());
    stroke_lines();
    render_main(stroke_brush);
}

void canvas::fill_rectangle(float x, float y, float width, float height) {
    if (width == 0.0f || height == 0.0f) return;
    lines.points.clear();
    lines.subpaths.clear();
    lines.points.push_back(apply(forward, {x, y}));
    lines.points.push_back(apply(forward, {x + width, y}));
    lines.points.push_back(apply(forward, {x + width, y + height}));
    lines.points.push_back(apply(forward, {x, y + height}));
    lines.subpaths.push_back({4, true});
    render_main(fill_brush);
}

void canvas::stroke_rectangle(float x, float y, float width, float height) {
    if (width == 0.0f && height == 0.0f) return;
    lines.points.clear();
    lines.subpaths.clear();
    if (width == 0.0f || height == 0.0f) {
        lines.points.push_back(apply(forward, {x, y}));
        lines.points.push_back(apply(forward, {x + width, y + height}));
        lines.subpaths.push_back({2, false});
    } else {
        lines.points.push_back(apply(forward, {x, y}));
        lines.points.push_back(apply(forward, {x + width, y}));
        lines.points.push_back(apply(forward, {x + width, y + height}));
        lines.points.push_back(apply(forward, {x, y + height}));
        lines.points.push_back(apply(forward, {x, y}));
        lines.subpaths.push_back({5, true});
    }
    stroke_lines();
    render_main(stroke_brush);
}

void canvas::clear_rectangle(float x, float y, float width, float height) {
    composite_operation saved_operation = global_composite_operation;
    float saved_alpha = global_alpha;
    float saved_shadow_alpha = shadow_color.a;
    paint_brush::types saved_type = fill_brush.type;
    global_composite_operation = destination_out;
    global_alpha = 1.0f;
    shadow_color.a = 0.0f;
    fill_brush.type = paint_brush::color;
    fill_rectangle(x, y, width, height);
    global_composite_operation = saved_operation;
    global_alpha = saved_alpha;
    shadow_color.a = saved_shadow_alpha;
    fill_brush.type = saved_type;
}

bool canvas::is_point_in_path(float x, float y) {
    path_to_lines({flattening::hit_testing});
    if (lines.points.empty()) return false;
    int winding = 0;
    size_t first = 0;
    for (subpath_data const& subpath : lines.subpaths) {
        size_t count = subpath.count;
        for (size_t i = 0; i < count; ++i) {
            xy from = lines.points[first + i];
            xy to = lines.points[first + (i + 1) % count];
            if ((from.y < y && y <= to.y) || (to.y < y && y <= from.y)) {
                float side = (y - from.y) * (to.x - from.x) - (x - from.x) * (to.y - from.y);
                if (side == 0.0f) return true;
                winding += side > 0.0f ? 1 : -1;
            } else if (from.y == y && to.y == y && x >= std::min(from.x, to.x) && x <= std::max(from.x, to.x)) {
                return true;
            }
        }
        first += count;
    }
    return winding != 0;
}

}  // namespace raster
