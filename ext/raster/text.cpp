// Laying out, measuring and drawing single lines of UTF-8 text.
#include <algorithm>
#include <cstdint>

#include "raster/canvas.h"
#include "raster/font_reader.h"
#include "raster/font_tables.h"
#include "raster/vector_math.h"

namespace raster {

namespace {

// Outline points, contours and composite records one character may read.
// Real glyphs use a few hundred; the bound keeps a font whose composites fan
// out, or whose flags repeat into huge point counts, from multiplying the work.
constexpr int outline_budget = 1 << 12;

constexpr uint32_t replacement_character = 0xFFFD;

// Decodes one code point and advances `text`. A sequence broken by a byte
// that is not a continuation stops before that byte, which is then read as
// the next character, so the terminating NUL is never skipped.
uint32_t next_code_point(char const*& text) {
    auto byte = [&] { return static_cast<uint8_t>(*text); };
    uint32_t lead = byte();
    ++text;
    if (lead < 0x80) return lead;
    int continuation;
    uint32_t code_point;
    if ((lead & 0xE0) == 0xC0) {
        continuation = 1;
        code_point = lead & 31;
    } else if ((lead & 0xF0) == 0xE0) {
        continuation = 2;
        code_point = lead & 15;
    } else if ((lead & 0xF8) == 0xF0) {
        continuation = 3;
        code_point = lead & 7;
    } else {
        return replacement_character;
    }
    for (int i = 0; i < continuation; ++i) {
        if ((byte() & 0xC0) != 0x80) return replacement_character;
        code_point = (code_point << 6) | (byte() & 63);
        ++text;
    }
    return code_point;
}

// Text is a single line: control characters that break lines or tab read as
// spaces.
uint32_t next_character(char const*& text) {
    uint32_t code_point = next_code_point(text);
    return code_point >= 9 && code_point <= 13 ? 32 : code_point;
}

}  // namespace

float canvas::measure_text(char const* text) {
    if (!text || !face.data) return 0.0f;
    uint64_t advance = 0;
    while (*text) advance += glyph_advance(face, glyph_index(face, next_character(text)));
    return static_cast<float>(advance) * face.scale;
}

// A call that has nothing to lay out must not render an empty shape: the
// operations that keep the destination only inside the source would erase
// the whole clip area.
void canvas::fill_text(char const* text, float x, float y, float maximum_width) {
    if (!add_text(text, x, y, maximum_width, fill_flattening())) return;
    render_main(fill_brush);
}

void canvas::stroke_text(char const* text, float x, float y, float maximum_width) {
    if (!add_text(text, x, y, maximum_width, stroke_flattening())) return;
    stroke_lines();
    render_main(stroke_brush);
}

bool canvas::add_text(char const* text, float x, float y, float maximum_width, flattening mode) {
    lines.points.clear();
    lines.subpaths.clear();
    if (!(maximum_width > 0.0f) || !text || !face.data) return false;
    float squeeze = 1.0f;
    if (maximum_width != 1.0e30f || text_align != leftward) {
        float width = measure_text(text);
        squeeze = maximum_width / std::max(width, maximum_width);
        if (text_align == center)
            x -= width * squeeze * 0.5f;
        else if (text_align == rightward)
            x -= width * squeeze;
    }
    font_reader font = reader_of(face);
    float units = static_cast<float>(units_per_em(face));
    float ascender = static_cast<float>(font.i16(uint64_t(face.os_2) + 68));
    float descender = static_cast<float>(font.i16(uint64_t(face.os_2) + 70));
    // A font whose ascender equals its descender has no line box to align.
    float em = ascender != descender ? face.scale * units / (ascender - descender) : 0.0f;
    switch (text_baseline) {
        case top:
            y += ascender * em;
            break;
        case middle:
            y += (ascender + descender) * 0.5f * em;
            break;
        case bottom:
            y += descender * em;
            break;
        case hanging:
            y += 0.6f * face.scale * units;
            break;
        case alphabetic:
            break;
    }
    affine_matrix saved = forward;
    float horizontal = face.scale * squeeze;
    uint64_t pen = 0;
    while (*text) {
        uint32_t glyph = glyph_index(face, next_character(text));
        forward = multiply(saved, {horizontal, 0.0f, 0.0f, -face.scale, x + static_cast<float>(pen) * horizontal, y});
        int budget = outline_budget;
        add_glyph(glyph, mode, 0, budget);
        pen += glyph_advance(face, glyph);
    }
    set_forward(saved);
    return true;
}

}  // namespace raster
