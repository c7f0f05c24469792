// Selecting a TrueType font and the lookups that map text to glyphs.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "raster/canvas.h"
#include "raster/font_reader.h"
#include "raster/font_tables.h"

namespace raster {

font_reader reader_of(font_face const& face) {
    return face.data ? font_reader(face.data->data(), face.data->size()) : font_reader(nullptr, 0);
}

namespace {

// The tables the canvas reads, in the order of their positions in font_face.
constexpr char table_tags[8][5] = {"cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "OS/2"};

int table_number(unsigned char const* tag) {
    for (int t = 0; t < 8; ++t)
        if (std::memcmp(tag, table_tags[t], 4) == 0) return t;
    return -1;
}

int& table_position(font_face& face, int number) {
    static constexpr int font_face::*positions[8] = {&font_face::cmap, &font_face::glyf, &font_face::head,
                                                     &font_face::hhea, &font_face::hmtx, &font_face::loca,
                                                     &font_face::maxp, &font_face::os_2};
    return face.*positions[number];
}

uint32_t format_4_glyph(font_reader& font, uint64_t at, uint32_t code_point) {
    uint64_t segments_x2 = font.u16(at + 6);
    uint64_t ends = at + 14, starts = ends + segments_x2 + 2;
    uint64_t deltas = starts + segments_x2, range_offsets = deltas + segments_x2;
    for (uint64_t i = 0; i < segments_x2 / 2 && font.ok(); ++i) {
        uint32_t start = font.u16(starts + 2 * i);
        if (start > code_point || code_point > font.u16(ends + 2 * i)) continue;
        uint32_t delta = font.u16(deltas + 2 * i);
        uint64_t offset_at = range_offsets + 2 * i;
        uint32_t offset = font.u16(offset_at);
        if (offset == 0) return (code_point + delta) & 0xFFFF;
        uint32_t glyph = font.u16(offset_at + offset + 2 * uint64_t(code_point - start));
        return glyph == 0 ? 0 : (glyph + delta) & 0xFFFF;
    }
    return 0;
}

uint32_t format_12_glyph(font_reader& font, uint64_t at, uint32_t code_point) {
    uint64_t groups = font.u32(at + 12);
    for (uint64_t i = 0; i < groups && font.ok(); ++i) {
        uint64_t group = at + 16 + 12 * i;
        uint32_t start = font.u32(group);
        if (start <= code_point && code_point <= font.u32(group + 4)) return font.u32(group + 8) + (code_point - start);
    }
    return 0;
}

// Prefers the full Unicode map, then the basic one, then the byte table.
void choose_character_map(font_face& face) {
    font_reader font = reader_of(face);
    uint64_t records = font.u16(uint64_t(face.cmap) + 2);
    uint64_t full_unicode = 0, basic_unicode = 0, byte_table = 0;
    for (uint64_t i = 0; i < records; ++i) {
        uint64_t record = uint64_t(face.cmap) + 4 + 8 * i;
        uint32_t platform = font.u16(record), encoding = font.u16(record + 2);
        uint64_t at = uint64_t(face.cmap) + font.u32(record + 4);
        if (!font.ok()) break;
        font_reader subtable = reader_of(face);
        uint32_t format = subtable.u16(at);
        if (!subtable.ok()) continue;
        if (platform == 3 && encoding == 10 && format == 12)
            full_unicode = at;
        else if (platform == 3 && encoding == 1 && format == 4)
            basic_unicode = at;
        else if (format == 0)
            byte_table = at;
    }
    if (full_unicode)
        face.character_map = full_unicode, face.character_map_format = 12;
    else if (basic_unicode)
        face.character_map = basic_unicode, face.character_map_format = 4;
    else if (byte_table)
        face.character_map = byte_table, face.character_map_format = 0;
}

uint32_t mapped_glyph(font_face const& face, uint32_t code_point) {
    font_reader font = reader_of(face);
    uint32_t glyph = 0;
    uint64_t at = face.character_map;
    if (face.character_map_format == 12)
        glyph = format_12_glyph(font, at, code_point);
    else if (face.character_map_format == 4)
        glyph = format_4_glyph(font, at, code_point);
    else if (face.character_map_format == 0 && code_point <= 255)
        glyph = font.u8(at + 6 + code_point);
    return font.ok() ? glyph : 0;
}

}  // namespace

void load_font_face(font_face& face, unsigned char const* font, int bytes) {
    face = font_face{};
    if (bytes < 6) return;
    size_t size = static_cast<size_t>(bytes);
    font_reader file(font, size);
    uint32_t version = file.u32(0);
    if (version != 0x00010000 && std::memcmp(font, "true", 4) != 0) return;
    uint64_t tables = file.u16(4);
    uint64_t directory_size = 12 + 16 * tables;
    if (directory_size > size) return;
    // Every record must lie within the file; of repeated tags only the last
    // is copied, so repeats cannot multiply the copy's size.
    struct chosen {
        uint64_t offset = 0, length = 0;
        bool found = false;
    } chosen_tables[8];
    for (uint64_t i = 0; i < tables; ++i) {
        uint64_t record = 12 + 16 * i;
        uint64_t offset = file.u32(record + 8), length = file.u32(record + 12);
        if (offset > size || length > size - offset) return;
        int number = table_number(font + record);
        if (number >= 0) chosen_tables[number] = {offset, length, true};
    }
    std::vector<unsigned char> copy(font, font + directory_size);
    for (int t = 0; t < 8; ++t) {
        if (!chosen_tables[t].found) {
            face = font_face{};
            return;
        }
        // Positions are ints; a copy they cannot address is refused.
        if (copy.size() + chosen_tables[t].length > static_cast<size_t>(INT32_MAX)) {
            face = font_face{};
            return;
        }
        table_position(face, t) = static_cast<int>(copy.size());
        copy.insert(copy.end(), font + chosen_tables[t].offset,
                    font + chosen_tables[t].offset + chosen_tables[t].length);
    }
    face.data = std::make_shared<std::vector<unsigned char> const>(std::move(copy));
    choose_character_map(face);
    for (uint32_t c = 0; c < 128; ++c) face.ascii_glyphs[c] = mapped_glyph(face, c);
}

int units_per_em(font_face const& face) {
    font_reader font = reader_of(face);
    return static_cast<int>(font.u16(uint64_t(face.head) + 18));
}

uint32_t glyph_index(font_face const& face, uint32_t code_point) {
    return code_point < 128 ? face.ascii_glyphs[code_point] : mapped_glyph(face, code_point);
}

uint32_t glyph_advance(font_face const& face, uint32_t glyph) {
    font_reader font = reader_of(face);
    uint32_t metrics = font.u16(uint64_t(face.hhea) + 34);
    if (metrics == 0) return 0;
    uint64_t index = glyph < metrics ? glyph : metrics - 1;
    return font.u16(uint64_t(face.hmtx) + 4 * index);
}

bool canvas::set_font(unsigned char const* font, int bytes, float size) {
    if (font && bytes != 0) load_font_face(face, font, bytes);
    if (!face.data) return false;
    int units = units_per_em(face);
    // A font without units per em, or a meaningless size, draws nothing.
    face.scale = units > 0 && std::isfinite(size) ? size / static_cast<float>(units) : 0.0f;
    return true;
}

}  // namespace raster
