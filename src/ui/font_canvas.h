#pragma once

#include <memory>
#include <string_view>

#include "ui/canvas.h"
#include "ui/font.h"

class TrueTypeFont::FontCanvas {
public:
    explicit FontCanvas(int size);

    // The off-screen canvas strings are drawn on; null before the first draw.
    Canvas* canvas() const { return _drawingCanvas.get(); }

    // Advance width of the text, rounded up to whole units.
    int measureText(const TrueTypeFont& font, std::string_view text);
    // Pixel rows below the baseline that hold ink in a probe string.
    int measureDescender(const TrueTypeFont& font);
    // Keeps the drawing canvas while it is large enough at exactly this
    // scale; otherwise replaces it with one of exactly the requested size.
    void ensureCanvas(int width, int height, float backingScale);

private:
    std::unique_ptr<Canvas> _drawingCanvas;
    Canvas _measuringCanvas;
};
