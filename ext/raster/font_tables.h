// Lookups in the selected font's tables that do not draw anything.
#pragma once

#include <cstdint>

#include "raster/canvas.h"
#include "raster/font_reader.h"

namespace raster {

// Copies the header, directory and the tables the canvas reads into `face`;
// on failure `face.data` is left null.
void load_font_face(font_face& face, unsigned char const* font, int bytes);

// Reads the face's tables; reads nothing when no font is loaded.
font_reader reader_of(font_face const& face);

// The glyph of a character in the face's chosen character map; 0 when it has
// none.
uint32_t glyph_index(font_face const& face, uint32_t code_point);
// In font units.
uint32_t glyph_advance(font_face const& face, uint32_t glyph);
int units_per_em(font_face const& face);

}  // namespace raster
