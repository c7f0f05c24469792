// Cutting the flattened polyline into dashes, with lengths measured in user
// space so that the pattern follows the transform.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "raster/canvas.h"
#include "raster/vector_math.h"

namespace raster {

namespace {

// Dash pieces worth cutting on the visible part of a path: at least this
// many, and one per pixel of the canvas on larger ones.
constexpr double min_piece_limit = 100000.0;

}  // namespace

void canvas::dash_lines() {
    if (line_dash.empty()) return;
    float total = std::accumulate(line_dash.begin(), line_dash.end(), 0.0f);
    // A pattern of zero length would never advance along the line.
    if (!(total > 0.0f) || !std::isfinite(total)) return;
    float phase = std::isfinite(line_dash_offset) ? std::fmod(line_dash_offset, total) : 0.0f;
    if (phase < 0.0f) phase += total;
    size_t first_entry = 0;
    for (size_t steps = 0; steps < line_dash.size() && phase >= line_dash[first_entry]; ++steps) {
        phase -= line_dash[first_entry];
        first_entry = (first_entry + 1) % line_dash.size();
    }
    float first_remaining = std::max(0.0f, line_dash[first_entry] - phase);

    // Segments whose stroke cannot reach the canvas (joins and caps included,
    // and shadows) are not cut: the walk only advances the pattern over them.
    float pen = std::fabs(forward.a) + std::fabs(forward.b) + std::fabs(forward.c) + std::fabs(forward.d);
    float margin = 0.5f * line_width * std::max(miter_limit, 2.0f) * pen + std::fabs(shadow_offset_x) +
                   std::fabs(shadow_offset_y) + 2.0f * shadow_blur + 8.0f;
    float right = static_cast<float>(size_x) + margin, bottom = static_cast<float>(size_y) + margin;
    auto visible = [&](xy from, xy to) {
        return !(std::max(from.x, to.x) < -margin || std::max(from.y, to.y) < -margin ||
                 std::min(from.x, to.x) > right || std::min(from.y, to.y) > bottom);
    };
    auto user_length = [&](xy from, xy to) { return length(apply(inverse, to) - apply(inverse, from)); };

    // A pattern far finer than the visible path would cut it into more
    // dashes than pixels could show apart; such a line is drawn solid.
    double pieces = 0.0;
    size_t start = 0;
    for (subpath_data const& subpath : lines.subpaths) {
        xy const* points = lines.points.data() + start;
        size_t segments = subpath.count == 0 ? 0 : subpath.closed ? subpath.count : subpath.count - 1;
        for (size_t i = 0; i < segments; ++i) {
            xy from = points[i], to = points[(i + 1) % subpath.count];
            if (visible(from, to))
                pieces += 1.0 + user_length(from, to) / total * static_cast<double>(line_dash.size());
        }
        start += subpath.count;
    }
    if (!(pieces <= std::max(min_piece_limit, static_cast<double>(size_x) * static_cast<double>(size_y)))) return;

    std::swap(lines, scratch);
    lines.points.clear();
    lines.subpaths.clear();
    size_t first = 0;
    for (subpath_data const& subpath : scratch.subpaths) {
        xy const* points = scratch.points.data() + first;
        size_t count = subpath.count;
        first += count;
        if (count == 0) continue;
        size_t pieces_begin = lines.subpaths.size();
        size_t piece_start = lines.points.size();
        size_t entry = first_entry;
        float remaining = first_remaining;
        bool drawing = entry % 2 == 0;
        bool starts_drawing = drawing;
        bool was_cut = false;
        auto end_piece = [&] { lines.subpaths.push_back({lines.points.size() - piece_start, false}); };
        if (drawing) lines.points.push_back(points[0]);
        size_t segments = subpath.closed ? count : count - 1;
        for (size_t i = 0; i < segments; ++i) {
            xy from = points[i];
            xy to = points[(i + 1) % count];
            float segment = user_length(from, to);
            if (!visible(from, to)) {
                // The piece in progress ends here, whole periods of the
                // pattern are skipped at once, and one that is drawing at
                // the far end starts there.
                if (drawing) end_piece();
                float rest = segment;
                if (rest > remaining) {
                    rest -= remaining;
                    entry = (entry + 1) % line_dash.size();
                    remaining = line_dash[entry];
                    drawing = !drawing;
                    rest = std::fmod(rest, total);
                    for (size_t steps = 0; steps < line_dash.size() && rest > remaining; ++steps) {
                        rest -= remaining;
                        entry = (entry + 1) % line_dash.size();
                        remaining = line_dash[entry];
                        drawing = !drawing;
                    }
                }
                remaining -= std::min(rest, remaining);
                was_cut = true;
                if (drawing) {
                    piece_start = lines.points.size();
                    lines.points.push_back(to);
                }
                continue;
            }
            float position = 0.0f;
            while (segment - position > remaining) {
                float next = position + remaining;
                // A dash too short to move the position along this segment
                // cannot be placed; the rest of the segment continues as it is.
                if (next == position && remaining > 0.0f) {
                    position = segment;
                    break;
                }
                position = next;
                xy cut = lerp(from, to, position / segment);
                if (drawing) {
                    lines.points.push_back(cut);
                    end_piece();
                } else {
                    piece_start = lines.points.size();
                    lines.points.push_back(cut);
                }
                was_cut = true;
                drawing = !drawing;
                entry = (entry + 1) % line_dash.size();
                remaining = line_dash[entry];
            }
            remaining -= segment - position;
            if (drawing) lines.points.push_back(to);
        }
        if (drawing) end_piece();
        if (!subpath.closed || !starts_drawing) continue;
        if (!was_cut) {
            lines.subpaths.back().closed = true;
        } else if (drawing && lines.subpaths.size() - pieces_begin > 1) {
            // The walk ends inside the dash it began with: join the last piece
            // to the first so that no seam shows at the closing point.
            size_t first_count = lines.subpaths[pieces_begin].count;
            size_t last_count = lines.subpaths.back().count;
            auto begin = lines.points.begin() + static_cast<std::ptrdiff_t>(lines.points.size() - last_count);
            auto first_begin = begin;
            for (size_t k = pieces_begin; k + 1 < lines.subpaths.size(); ++k)
                first_begin -= static_cast<std::ptrdiff_t>(lines.subpaths[k].count);
            std::rotate(first_begin, begin, lines.points.end());
            lines.subpaths[pieces_begin].count = first_count + last_count;
            lines.subpaths.pop_back();
        }
    }
}

}  // namespace raster
