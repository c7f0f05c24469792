// Turning a glyph's quadratic outline into closed polyline subpaths in
// `lines`, under the current transform.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "raster/canvas.h"
#include "raster/font_outlines.h"
#include "raster/font_reader.h"
#include "raster/font_tables.h"
#include "raster/vector_math.h"

namespace raster {

namespace {

// Fonts whose components refer back to themselves, directly or not, stop
// here; real fonts nest two or three levels.
constexpr int max_composite_depth = 8;

// Steps through a simple glyph's flags, x and y arrays in parallel.
class point_stream {
public:
    point_stream(font_reader& font, uint64_t flags_at, uint64_t x_at, uint64_t y_at, xy origin)
        : font(font), flag_at(flags_at), x_at(x_at), y_at(y_at), x(origin.x), y(origin.y) {}

    // Reads the next point in font units; returns whether it is on the curve.
    bool next(xy& point) {
        if (repeats > 0) {
            --repeats;
        } else {
            flag = font.u8(flag_at++);
            if (flag & 8) repeats = font.u8(flag_at++);
        }
        x += delta(flag, 2, 16, x_at);
        y += delta(flag, 4, 32, y_at);
        point = {static_cast<float>(x), static_cast<float>(y)};
        return flag & 1;
    }

private:
    int64_t delta(uint32_t flags, uint32_t short_bit, uint32_t same_bit, uint64_t& at) {
        if (flags & short_bit) {
            int64_t value = font.u8(at++);
            return (flags & same_bit) ? value : -value;
        }
        if (flags & same_bit) return 0;
        int64_t value = font.i16(at);
        at += 2;
        return value;
    }

    font_reader& font;
    uint64_t flag_at, x_at, y_at;
    uint32_t flag = 0;
    uint32_t repeats = 0;
    double x, y;
};

// Size in bytes of the x coordinates of `points` points, and the position
// after the flags; false when the flags run out of data.
bool measure_flags(font_reader& font, uint64_t& at, uint64_t points, uint64_t& x_bytes) {
    x_bytes = 0;
    for (uint64_t done = 0; done < points && font.ok();) {
        uint32_t flag = font.u8(at++);
        uint64_t count = 1;
        if (flag & 8) count += font.u8(at++);
        count = std::min(count, points - done);
        x_bytes += count * ((flag & 2) ? 1 : (flag & 16) ? 0 : 2);
        done += count;
    }
    return font.ok();
}

}  // namespace

bool canvas::spend_outline_budget(int& budget, uint64_t steps) {
    if (steps > static_cast<uint64_t>(std::max(budget, 0))) return false;
    budget -= static_cast<int>(steps);
    outline_steps += steps;
    return true;
}

void canvas::add_glyph(uint32_t glyph, flattening mode, int depth, int& budget) {
    if (depth > max_composite_depth || budget <= 0) return;
    font_reader font = reader_of(face);
    uint64_t start, end;
    if (font.i16(uint64_t(face.head) + 50) == 0) {
        start = 2 * uint64_t(font.u16(uint64_t(face.loca) + 2 * uint64_t(glyph)));
        end = 2 * uint64_t(font.u16(uint64_t(face.loca) + 2 * uint64_t(glyph) + 2));
    } else {
        start = font.u32(uint64_t(face.loca) + 4 * uint64_t(glyph));
        end = font.u32(uint64_t(face.loca) + 4 * uint64_t(glyph) + 4);
    }
    if (!font.ok() || end <= start) return;
    uint64_t at = uint64_t(face.glyf) + start;
    int contours = font.i16(at);
    if (!font.ok()) return;
    if (contours >= 0) {
        add_simple_glyph(glyph, at, contours, mode, budget);
        return;
    }
    affine_matrix saved = forward;
    for (uint64_t record = at + 10;;) {
        // Every record is paid for, refused or not, so that a font cannot
        // fan out into records that each cost nothing.
        if (!spend_outline_budget(budget, 1)) break;
        uint32_t flags = font.u16(record);
        uint32_t component = font.u16(record + 2);
        record += 4;
        if (!font.ok() || !(flags & 2)) break;
        float dx, dy;
        if (flags & 1) {
            dx = static_cast<float>(font.i16(record));
            dy = static_cast<float>(font.i16(record + 2));
            record += 4;
        } else {
            dx = static_cast<float>(font.i8(record));
            dy = static_cast<float>(font.i8(record + 1));
            record += 2;
        }
        affine_matrix placement{1.0f, 0.0f, 0.0f, 1.0f, dx, dy};
        if (flags & 8) {
            placement.a = placement.d = font.f2dot14(record);
            record += 2;
        } else if (flags & 64) {
            placement.a = font.f2dot14(record);
            placement.d = font.f2dot14(record + 2);
            record += 4;
        } else if (flags & 128) {
            placement.a = font.f2dot14(record);
            placement.b = font.f2dot14(record + 2);
            placement.c = font.f2dot14(record + 4);
            placement.d = font.f2dot14(record + 6);
            record += 8;
        }
        if (!font.ok()) break;
        forward = multiply(saved, placement);
        add_glyph(component, mode, depth + 1, budget);
        forward = saved;
        if (!(flags & 32)) break;
    }
}

glyph_outline const* canvas::simple_outline(uint32_t glyph, uint64_t at, int contours, int& budget) {
    if (!face.outlines) face.outlines = std::make_shared<outline_cache>();
    outline_cache& cache = *face.outlines;
    auto known = cache.glyphs.find(glyph);
    if (known != cache.glyphs.end()) {
        if (known->second.points.size() > static_cast<uint64_t>(budget)) return nullptr;
        spend_outline_budget(budget, known->second.points.size());
        return &known->second;
    }
    font_reader font = reader_of(face);
    uint64_t ends_at = at + 10;
    uint64_t points = 0;
    glyph_outline outline;
    for (int c = 0; c < contours; ++c) {
        outline.last_points.push_back(font.u16(ends_at + 2 * uint64_t(c)));
        points = std::max<uint64_t>(points, uint64_t(outline.last_points.back()) + 1);
    }
    uint64_t flags_at = ends_at + 2 * uint64_t(contours);
    flags_at += 2 + font.u16(flags_at);
    uint64_t x_at = flags_at, x_bytes = 0;
    if (contours == 0 || points > static_cast<uint64_t>(budget) || !measure_flags(font, x_at, points, x_bytes))
        return nullptr;
    spend_outline_budget(budget, points);
    uint32_t metrics = font.u16(uint64_t(face.hhea) + 34);
    int bearing = glyph < metrics
                      ? font.i16(uint64_t(face.hmtx) + 4 * uint64_t(glyph) + 2)
                      : font.i16(uint64_t(face.hmtx) + 4 * uint64_t(metrics) + 2 * (uint64_t(glyph) - metrics));
    int x_min = font.i16(at + 2);
    if (!font.ok()) return nullptr;
    // Every point up to the highest contour end is read, in order, even
    // where a malformed contour is skipped when drawing.
    outline.points.resize(points);
    outline.on_curve.resize(points);
    point_stream stream(font, flags_at, x_at, x_at + x_bytes, {static_cast<float>(bearing - x_min), 0.0f});
    for (uint64_t i = 0; i < points; ++i) outline.on_curve[i] = stream.next(outline.points[i]);
    // An outline that runs out of data is not drawn at all.
    if (!font.ok()) return nullptr;
    if (cache.points + points > outline_cache::capacity) {
        cache.glyphs.clear();
        cache.points = 0;
    }
    cache.points += points;
    return &cache.glyphs.emplace(glyph, std::move(outline)).first->second;
}

bool canvas::add_simple_glyph(uint32_t glyph, uint64_t at, int contours, flattening mode, int& budget) {
    if (!spend_outline_budget(budget, static_cast<uint64_t>(contours))) return false;
    glyph_outline const* outline = simple_outline(glyph, at, contours, budget);
    if (!outline) return false;
    auto quadratic = [&](xy from, xy control, xy to) {
        add_bezier(from, from + 0.6666667f * (control - from), to + 0.6666667f * (control - to), to, mode);
    };
    uint64_t next_point = 0;
    for (uint64_t last_index : outline->last_points) {
        // A contour ending before it starts is malformed and skipped.
        if (last_index < next_point) continue;
        size_t contour_begin = lines.points.size();
        xy first, previous, last, start;
        bool first_on = false, previous_on = false, started = false;
        for (uint64_t i = next_point; i <= last_index; ++i) {
            xy point = apply(forward, outline->points[i]);
            bool on = outline->on_curve[i];
            if (i == next_point) {
                first = point;
                first_on = on;
                if (on) {
                    start = last = point;
                    lines.points.push_back(start);
                    started = true;
                }
            } else if (!started) {
                start = last = on ? point : lerp(previous, point, 0.5f);
                lines.points.push_back(start);
                started = true;
            } else if (previous_on && on) {
                lines.points.push_back(point);
                last = point;
            } else if (!previous_on) {
                xy candidate = on ? point : lerp(previous, point, 0.5f);
                quadratic(last, previous, candidate);
                last = candidate;
            }
            previous = point;
            previous_on = on;
        }
        next_point = last_index + 1;
        if (!started) continue;
        if (!first_on && !previous_on) {
            xy middle = lerp(previous, first, 0.5f);
            quadratic(last, previous, middle);
            quadratic(middle, first, start);
        } else if (!first_on) {
            quadratic(last, first, start);
        } else if (!previous_on) {
            quadratic(last, previous, start);
        }
        lines.points.push_back(start);
        lines.subpaths.push_back({lines.points.size() - contour_begin, true});
    }
    return true;
}

}  // namespace raster
