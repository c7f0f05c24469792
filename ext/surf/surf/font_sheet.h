// The built-in font's glyph sheet, a PNG held in read-only data.
#pragma once

extern const unsigned char surf_font[];
extern const int surf_font_size;
