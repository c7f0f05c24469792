#pragma once

#include <string_view>

class Bitmap;
class Color;

// Everything the interface measures or draws as text goes through this, so the
// UI core and the renderer never care which face or rasteriser is behind it.
// The UI core's gui_Font handle is always a raw pointer to one of these.
class Font {
public:
    // Advance width of the text in UI units.
    virtual int textWidth(std::string_view text) = 0;
    // Height of one line box in UI units.
    virtual int textHeight() = 0;
    // Draws the text with the top-left corner of its line box at (x, y), in UI units.
    virtual void drawTo(Bitmap& target, std::string_view text, int x, int y, Color color) = 0;
    virtual ~Font() = default;
};
