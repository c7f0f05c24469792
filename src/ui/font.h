#pragma once

#include <memory>
#include <span>
#include <string_view>

struct AssetRef;
class Bitmap;
class Canvas;
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

// A TrueType face at one pixel size, rasterised with the vector canvas. The
// font file is borrowed from the embedded asset and never copied here.
// Copies share their canvases and caches; a font is for one thread at a time.
class TrueTypeFont : public Font {
public:
    // The measuring and drawing canvases (defined in ui/font_canvas.h).
    class FontCanvas;

    const int size;

    // Throws std::runtime_error("Font loading failed") when the data is not a
    // usable TrueType font.
    TrueTypeFont(const AssetRef& asset, int size);

    std::span<const unsigned char> data() const { return _fontData; }
    const FontCanvas& fontCanvas() const { return *_canvas; }

    int textWidth(std::string_view text) override;
    int textHeight() override;
    void drawTo(Bitmap& target, std::string_view text, int x, int y, Color color) override;

    // Measured widths and rendered strings are remembered by default; every
    // pixel drawn is the same either way, only the time taken differs.
    void setCaching(bool enabled);

private:
    class RenderCache;

    void rasterise(Canvas& canvas, std::string_view text, int height, Color color);

    std::span<const unsigned char> _fontData;
    std::shared_ptr<FontCanvas> _canvas;
    int _descender = 0;
    std::shared_ptr<RenderCache> _cache;
};
