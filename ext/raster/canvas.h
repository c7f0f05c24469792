// A 2D drawing canvas rendered in software: paths, strokes, gradients,
// patterns, compositing, shadows, soft clipping and TrueType text, with
// exact-area anti-aliasing into a linear-light, premultiplied float image that
// is transferred to and from 8-bit sRGB with ordered dithering.
//
// Nothing here throws (apart from allocation failure): an invalid argument
// makes the call do nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace raster {

struct xy {
    float x = 0.0f;
    float y = 0.0f;
};

// Always linear light and premultiplied by alpha inside the canvas.
struct rgba {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

// Maps (x, y) to (a x + c y + e, b x + d y + f).
struct affine_matrix {
    float a = 1.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 1.0f;
    float e = 0.0f;
    float f = 0.0f;
};

struct subpath_data {
    size_t count = 0;
    bool closed = false;
};

// Each subpath is a start point followed by three points per cubic segment.
struct bezier_path {
    std::vector<xy> points;
    std::vector<subpath_data> subpaths;
};

// How curves become polylines. Fills keep only the ends of pieces within
// 1/8 pixel of the curve and may leave pieces wholly beyond one side of the
// view (the box from `view_low` to `view_high`) as chords; hit tests see the
// whole plane. Strokes keep the control points too, and split a piece
// further while its end tangents' cosine is below `angular`.
struct flattening {
    enum purposes { filling, hit_testing, stroking };
    purposes purpose = filling;
    float angular = -1.0f;
    xy view_low{-1.0e30f, -1.0e30f};
    xy view_high{1.0e30f, 1.0e30f};
};

struct line_path {
    std::vector<xy> points;
    std::vector<subpath_data> subpaths;
};

// A change of accumulated coverage at pixel x of row y, continuing rightwards.
struct pixel_run {
    uint16_t x = 0;
    uint16_t y = 0;
    float delta = 0.0f;
};

using pixel_runs = std::vector<pixel_run>;

// Runs gathered per pixel of a box that a shape's many short edges fill
// densely, as text's do: cheaper than sorting them by position.
struct run_cells {
    static constexpr int slots = 8;
    bool active = false;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    // Per pixel: how many runs arrived (slots + 1 standing for more) and the
    // deltas of the first few, in arrival order.
    std::vector<uint8_t> counts;
    std::vector<float> deltas;
    // Every run at the pixels that received more, in arrival order.
    pixel_runs crowded;
};

// The values are Porter-Duff factor codes: bit 1 makes the source factor
// depend on the destination alpha, bit 2 complements it; bits 4 and 8 do the
// same for the destination factor and the source alpha.
enum composite_operation {
    source_in = 1,
    source_copy = 2,
    source_out = 3,
    destination_in = 4,
    destination_atop = 7,
    lighter = 10,
    destination_over = 11,
    destination_out = 12,
    source_atop = 13,
    source_over = 14,
    exclusive_or = 15
};

enum cap_style { butt = 0, square = 1, circle = 2 };

enum join_style { miter = 0, bevel = 1, rounded = 2 };

enum align_style { leftward = 0, rightward = 1, center = 2, start = 0, ending = 1 };

enum baseline_style { alphabetic = 0, top = 1, middle = 2, bottom = 3, hanging = 4, ideographic = 3 };

enum brush_type { fill_style = 0, stroke_style = 1 };

enum repetition_style { repeat = 0, repeat_x = 1, repeat_y = 2, no_repeat = 3 };

struct paint_brush {
    enum types { color = 0, linear = 1, radial = 2, pattern = 3 };
    types type = color;
    // colour: one premultiplied entry; gradients: one straight entry per
    // stop; pattern: the image's premultiplied pixels row by row.
    std::vector<rgba> colors;
    std::vector<float> stops;
    xy start;
    xy end;
    float start_radius = 0.0f;
    float end_radius = 0.0f;
    int width = 0;
    int height = 0;
    repetition_style repetition = repeat;
};

struct glyph_outline;
struct outline_cache;

struct font_face {
    // The file's header and table directory followed by the tables read;
    // null when no font is loaded. Never changed once loaded, so that the
    // states save() keeps share them instead of copying the tables.
    std::shared_ptr<std::vector<unsigned char> const> data;
    // Outlines already read from `data`; made on first use.
    std::shared_ptr<outline_cache> outlines;
    int cmap = 0;
    int glyf = 0;
    int head = 0;
    int hhea = 0;
    int hmtx = 0;
    int loca = 0;
    int maxp = 0;
    int os_2 = 0;
    // The character map chosen from `cmap` (format -1 maps nothing), and the
    // glyphs of the ASCII characters looked up in it once, at loading: they
    // are nearly every character of an interface's text.
    uint64_t character_map = 0;
    int character_map_format = -1;
    uint32_t ascii_glyphs[128] = {};
    float scale = 0.0f;
};

class canvas {
public:
    composite_operation global_composite_operation = source_over;
    float shadow_offset_x = 0.0f;
    float shadow_offset_y = 0.0f;
    cap_style line_cap = butt;
    join_style line_join = miter;
    float line_dash_offset = 0.0f;
    align_style text_align = leftward;
    baseline_style text_baseline = alphabetic;

    canvas(int width, int height);
    ~canvas();

    void scale(float x, float y);
    void rotate(float angle);
    void translate(float x, float y);
    void transform(float a, float b, float c, float d, float e, float f);
    void set_transform(float a, float b, float c, float d, float e, float f);

    void set_global_alpha(float alpha);
    void set_shadow_color(float red, float green, float blue, float alpha);
    void set_shadow_blur(float level);
    void set_line_width(float width);
    void set_miter_limit(float limit);
    void set_line_dash(float const* segments, int count);
    void set_color(brush_type type, float red, float green, float blue, float alpha);
    void set_linear_gradient(brush_type type, float start_x, float start_y, float end_x, float end_y);
    void set_radial_gradient(brush_type type, float start_x, float start_y, float start_radius, float end_x,
                             float end_y, float end_radius);
    void add_color_stop(brush_type type, float offset, float red, float green, float blue, float alpha);
    void set_pattern(brush_type type, unsigned char const* image, int width, int height, int stride,
                     repetition_style repetition);

    void begin_path();
    void move_to(float x, float y);
    void close_path();
    void line_to(float x, float y);
    void quadratic_curve_to(float control_x, float control_y, float x, float y);
    void bezier_curve_to(float control_1_x, float control_1_y, float control_2_x, float control_2_y, float x, float y);
    void arc_to(float vertex_x, float vertex_y, float x, float y, float radius);
    void arc(float x, float y, float radius, float start_angle, float end_angle, bool counter_clockwise = false);
    void rectangle(float x, float y, float width, float height);

    void fill();
    void stroke();
    void clip();
    bool is_point_in_path(float x, float y);
    void clear_rectangle(float x, float y, float width, float height);
    void fill_rectangle(float x, float y, float width, float height);
    void stroke_rectangle(float x, float y, float width, float height);

    bool set_font(unsigned char const* font, int bytes, float size);
    void fill_text(char const* text, float x, float y, float maximum_width = 1.0e30f);
    void stroke_text(char const* text, float x, float y, float maximum_width = 1.0e30f);
    float measure_text(char const* text);

    void draw_image(unsigned char const* image, int width, int height, int stride, float x, float y, float to_width,
                    float to_height);
    void get_image_data(unsigned char* image, int width, int height, int stride, int x, int y);
    void put_image_data(unsigned char const* image, int width, int height, int stride, int x, int y);

    void save();
    void restore();

private:
    // Lets the unit tests read the float image before quantisation.
    friend struct canvas_probe;

    int size_x;
    int size_y;
    affine_matrix forward;
    affine_matrix inverse;
    float global_alpha = 1.0f;
    rgba shadow_color;
    float shadow_blur = 0.0f;
    std::vector<float> shadow;
    float line_width = 1.0f;
    float miter_limit = 10.0f;
    std::vector<float> line_dash;
    paint_brush fill_brush;
    paint_brush stroke_brush;
    paint_brush image_brush;
    // A strongly minified pattern's halved copy, and whether it came from
    // image_brush, whose edges clamp instead of wrapping.
    paint_brush reduced_pattern;
    bool reduced_clamped = false;
    bezier_path path;
    line_path lines;
    line_path scratch;
    pixel_runs runs;
    pixel_runs mask;
    // Whether clip() has narrowed the mask from the whole canvas.
    bool clipped = false;
    // Work buffers of scan conversion, kept for their capacity.
    pixel_runs spare_runs;
    run_cells cells;
    std::vector<xy> clipped_polygon;
    font_face face;
    // Composite records, contours and points read from outlines so far: the
    // work a hostile font can cause, which the tests check stays bounded.
    uint64_t outline_steps = 0;
    rgba* bitmap = nullptr;
    canvas* saves = nullptr;

    // Copies only the drawing state that save() keeps; used to push a state.
    canvas(canvas const& other);
    canvas& operator=(canvas const& other);
    void copy_state_from(canvas const& other);

    void set_forward(affine_matrix const& matrix);
    void multiply_forward(affine_matrix const& matrix);
    paint_brush* brush_for(brush_type type);

    // Path building in device space.
    void add_line_to_device(xy point);
    void move_to_device(xy point);

    // Flattening, dashing, stroking, scan conversion.
    flattening fill_flattening() const;
    flattening stroke_flattening() const;
    void path_to_lines(flattening const& mode);
    void add_bezier(xy p0, xy c1, xy c2, xy p1, flattening const& mode);
    void add_tessellation(xy p0, xy c1, xy c2, xy p1, flattening const& mode, int limit);
    void dash_lines();
    void stroke_lines();
    void add_half_stroke(std::vector<xy> const& points, bool closed, flattening mode);
    void add_join(xy vertex, xy in_direction, xy out_direction, flattening mode);
    void add_cap(xy end, xy direction, flattening mode);
    void lines_to_runs(xy offset, int padding);
    // Like lines_to_runs, but may leave the merged runs in `cells` instead.
    void gather_runs(xy offset, int padding);
    void add_runs(xy from, xy to, int limit_x, int limit_y);
    void merge_cells();
    void cells_to_runs();

    // Paint and compositing.
    rgba paint_pixel(xy point, paint_brush const& brush) const;
    rgba paint_gradient(xy point, paint_brush const& brush) const;
    rgba paint_pattern(xy point, paint_brush const& brush) const;
    // The brush to paint with under the current transform; may rescale
    // `inverse` into a halved pattern's texels, which the caller restores.
    paint_brush const& prefiltered(paint_brush const& brush);
    void render_main(paint_brush const& brush);
    void render_shadow(paint_brush const& brush);
    void composite_span(int y, int x0, int x1, float coverage, float clip, paint_brush const& brush);
    void composite_cells(paint_brush const& brush);
    void blur_shadow(int width, int height, int radius, float sigma_squared);

    // Text.
    // False when the call has nothing to draw: no font, no text or no room.
    bool add_text(char const* text, float x, float y, float maximum_width, flattening mode);
    bool spend_outline_budget(int& budget, uint64_t steps);
    void add_glyph(uint32_t glyph, flattening mode, int depth, int& budget);
    bool add_simple_glyph(uint32_t glyph, uint64_t at, int contours, flattening mode, int& budget);
    // A simple glyph's outline, read once and charged to `budget` on every
    // use; null when the budget or the data do not allow drawing it.
    glyph_outline const* simple_outline(uint32_t glyph, uint64_t at, int contours, int& budget);
};

}  // namespace raster
