#pragma once

#include <vector>

#include "guicore/guicore.h"
#include "surf/surf.h"

// Four RGBA bytes, straight alpha. The same bytes serve the window layer
// (SPixel) and the UI core (gui_Color), which share the r, g, b, a layout.
class Color {
public:
    constexpr Color() : _color{0, 0, 0, 0} {}
    constexpr Color(unsigned char r, unsigned char g, unsigned char b, unsigned char a) : _color{r, g, b, a} {}
    constexpr Color(unsigned char r, unsigned char g, unsigned char b) : _color{r, g, b, 255} {}
    constexpr Color(SPixel pixel) : _color(pixel) {}
    constexpr Color(gui_Color c) : _color{c.r, c.g, c.b, c.a} {}

    // Channels from 0 to 1, as the vector canvas wants them.
    constexpr float red() const { return _color.r / 255.0f; }
    constexpr float green() const { return _color.g / 255.0f; }
    constexpr float blue() const { return _color.b / 255.0f; }
    constexpr float alpha() const { return _color.a / 255.0f; }

    constexpr operator const SPixel&() const { return _color; }
    constexpr operator gui_Color() const { return gui_Color{_color.r, _color.g, _color.b, _color.a}; }

    static const Color DARK;
    static const Color LIGHT;
    static const Color ACCENT;
    static const Color TRANSPARENT;
    static const Color WARNING;

private:
    SPixel _color;
};

inline constexpr Color Color::DARK{17, 17, 17, 255};
inline constexpr Color Color::LIGHT{217, 221, 202, 255};
inline constexpr Color Color::ACCENT{255, 204, 71, 255};
inline constexpr Color Color::TRANSPARENT{0, 0, 0, 0};
inline constexpr Color Color::WARNING{214, 69, 53, 255};

bool operator==(const SPixel& a, const SPixel& b);
bool operator!=(const SPixel& a, const SPixel& b);
// A strict total order over the four channels, for ordered containers only.
bool operator<(const SPixel& a, const SPixel& b);

// The distinct pixel values of the bitmap in the order they first appear,
// scanning row by row from the top left.
std::vector<Color> extractColorsFromPalette(const Surf& bitmap);
