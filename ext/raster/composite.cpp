// Compositing a shape's coverage, through the clip, into the image.
#include <algorithm>

#include "raster/canvas.h"
#include "raster/color_math.h"
#include "raster/run_walk.h"
#include "raster/vector_math.h"

namespace raster {

namespace {

rgba scaled(rgba color, float weight) {
    return {color.r * weight, color.g * weight, color.b * weight, color.a * weight};
}

// Source over inside the clip, with the factors the blend decodes to, in the
// same order of operations; an opaque source reduces to a copy. Text's edges
// and the insides of fills consist of such spans mostly.
__attribute__((always_inline)) inline void source_over_span(rgba* first, rgba* last, rgba source) {
    if (source.a == 1.0f) {
        std::fill(first, last, source);
        return;
    }
    float keep = 1.0f - source.a;
    for (rgba* p = first; p != last; ++p)
        *p = {p->r * keep + source.r, p->g * keep + source.g, p->b * keep + source.b,
              std::min(1.0f, p->a * keep + source.a)};
}

}  // namespace

void canvas::render_main(paint_brush const& brush) {
    if (determinant(forward) == 0.0f) return;
    affine_matrix saved_inverse = inverse;
    paint_brush const& painted = prefiltered(brush);
    render_shadow(painted);
    gather_runs({0.0f, 0.0f}, 0);
    bool uncovered = affects_uncovered(global_composite_operation);
    if (cells.active && !clipped && !uncovered) {
        composite_cells(painted);
        inverse = saved_inverse;
        return;
    }
    if (cells.active) cells_to_runs();
    walk_runs(runs, mask, size_x, !uncovered, [&](int y, int x0, int x1, float coverage, float clip) {
        composite_span(y, x0, x1, coverage, clip, painted);
    });
    inverse = saved_inverse;
}

void canvas::composite_cells(paint_brush const& brush) {
    cells.active = false;
    // Inside a clip that is the whole canvas, the clip coverage is 1.
    if (brush.type != paint_brush::color || brush.colors.empty() || global_composite_operation != source_over) {
        walk_cells(cells, size_x,
                   [&](int y, int x0, int x1, float coverage) { composite_span(y, x0, x1, coverage, 1.0f, brush); });
        return;
    }
    // Text in one colour: composite_span's work for that case, inlined into
    // the walk, which calls it for nearly every pixel of a glyph's edge.
    rgba color = brush.colors.front();
    float alpha = global_alpha;
    rgba* image = bitmap;
    size_t stride = static_cast<size_t>(size_x);
    walk_cells(
        cells, size_x, [=](int y, int x0, int x1, float coverage) __attribute__((always_inline)) {
            if (coverage < min_coverage) return;
            rgba* row = image + static_cast<size_t>(y) * stride;
            source_over_span(row + x0, row + x1, scaled(color, alpha * coverage));
        });
}

void canvas::composite_span(int y, int x0, int x1, float coverage, float clip, paint_brush const& brush) {
    if (clip < min_coverage || (coverage < min_coverage && !affects_uncovered(global_composite_operation))) return;
    float weight = global_alpha * coverage;
    rgba* pixel = bitmap + static_cast<size_t>(y) * static_cast<size_t>(size_x);
    if (brush.type == paint_brush::color || brush.colors.empty()) {
        rgba source = brush.colors.empty() ? rgba{} : scaled(brush.colors.front(), weight);
        if (clip >= 1.0f && global_composite_operation == source_over) {
            source_over_span(pixel + x0, pixel + x1, source);
            return;
        }
        // Exact shortcuts for the spans inside opaque shapes, which clears
        // consist of mostly: the blend reduces to a copy.
        bool opaque_inside = source.a == 1.0f && clip == 1.0f;
        if (opaque_inside && global_composite_operation == source_copy) {
            std::fill(pixel + x0, pixel + x1, source);
            return;
        }
        if (opaque_inside && global_composite_operation == destination_out) {
            std::fill(pixel + x0, pixel + x1, rgba{});
            return;
        }
        for (int x = x0; x < x1; ++x) blend_pixel(pixel[x], source, clip, global_composite_operation);
        return;
    }
    float centre_y = static_cast<float>(y) + 0.5f;
    for (int x = x0; x < x1; ++x)
        blend_pixel(pixel[x], scaled(paint_pixel({static_cast<float>(x) + 0.5f, centre_y}, brush), weight), clip,
                    global_composite_operation);
}

}  // namespace raster
