#include "ui/font.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include <string>
#include <unordered_map>

#include "shared/assets.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"
#include "ui/font_canvas.h"
#include "ui/colors.h"

namespace {

// Wide enough that the vector canvas never squeezes a string.
constexpr float unlimitedWidth = 1.0e30f;
// Descends below the baseline in any Latin face.
constexpr const char* descenderProbe = "yg";

int truncateScaled(int units, float scale) { return static_cast<int>(static_cast<float>(units) * scale); }

}  // namespace

// Widths and rendered strings the installer asks for again every frame. A
// rendered entry holds only the inked part of the drawing canvas, since the
// rest is fully transparent and blending it changes nothing. Its key carries
// the drawing canvas's pixel size because a glyph reaching past its line box
// is cut at the canvas edge, so the same string can look different on a
// canvas of another size.
class TrueTypeFont::RenderCache {
public:
    struct Ink {
        int x = 0;
        int y = 0;
        std::optional<Bitmap> pixels;  // empty when nothing was inked
    };

    bool enabled = true;

    const int* findWidth(std::string_view text) {
        _key.assign(text);
        auto it = _widths.find(_key);
        return it == _widths.end() ? nullptr : &it->second;
    }

    void storeWidth(std::string_view text, int width) {
        if (_widths.size() >= maxWidths) _widths.clear();
        _widths.emplace(text, width);
    }

    const Ink* findInk(std::string_view text, const Color& color, const Canvas& canvas) {
        buildInkKey(text, color, canvas);
        auto it = _inks.find(_key);
        return it == _inks.end() ? nullptr : &it->second;
    }

    // Remembers the inked part of what the canvas last drew, under the key of
    // the preceding findInk.
    const Ink& storeInk(const Canvas& canvas) {
        Ink ink = cropToInk(canvas.bitmap());
        size_t bytes = ink.pixels ? static_cast<size_t>(ink.pixels->width()) * ink.pixels->height() * 4 : 0;
        if (_inkBytes + bytes > maxInkBytes) {
            _inks.clear();
            _inkBytes = 0;
        }
        _inkBytes += bytes;
        return _inks.insert_or_assign(_key, std::move(ink)).first->second;
    }

    void clear() {
        _widths.clear();
        _inks.clear();
        _inkBytes = 0;
    }

private:
    static constexpr size_t maxWidths = 8192;
    static constexpr size_t maxInkBytes = size_t(16) << 20;

    void buildInkKey(std::string_view text, const Color& color, const Canvas& canvas) {
        const SPixel& rgba = color;
        const int sizes[2] = {canvas.pixelWidth(), canvas.pixelHeight()};
        _key.assign(text);
        _key.push_back('\0');
        _key.append(reinterpret_cast<const char*>(&rgba), sizeof rgba);
        _key.append(reinterpret_cast<const char*>(&canvas.backingScale), sizeof canvas.backingScale);
        _key.append(reinterpret_cast<const char*>(sizes), sizeof sizes);
    }

    static Ink cropToInk(const Bitmap& source) {
        const int w = source.width();
        const int h = source.height();
        const SPixel* pix = source.surfHandle()->pix;
        int left = w, right = -1, top = h, bottom = -1;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (pix[y * w + x].a == 0) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = y;
            }
        }
        Ink ink;
        if (right < 0) return ink;
        ink.x = left;
        ink.y = top;
        ink.pixels.emplace(right - left + 1, bottom - top + 1, source.backingScale());
        SPixel* out = ink.pixels->surfHandle()->pix;
        const int cw = right - left + 1;
        for (int y = top; y <= bottom; ++y) std::memcpy(out + (y - top) * cw, pix + y * w + left, cw * sizeof(SPixel));
        return ink;
    }

    std::string _key;  // reused so that lookups do not allocate
    std::unordered_map<std::string, int> _widths;
    std::unordered_map<std::string, Ink> _inks;
    size_t _inkBytes = 0;
};

TrueTypeFont::FontCanvas::FontCanvas(int size) : _measuringCanvas(4 * size, 2 * size, 1.0f) {}

int TrueTypeFont::FontCanvas::measureText(const TrueTypeFont& font, std::string_view text) {
    _measuringCanvas.setFont(font.data(), font.size);
    const std::string terminated(text);
    return static_cast<int>(std::ceil(_measuringCanvas.measureText(terminated.c_str())));
}

int TrueTypeFont::FontCanvas::measureDescender(const TrueTypeFont& font) {
    Canvas& c = _measuringCanvas;
    c.reset();
    c.setFill(Color(0, 0, 0, 255));
    c.setFont(font.data(), font.size);
    const int w = c.pixelWidth();
    const int h = c.pixelHeight();
    c.fillText(descenderProbe, 0.0f, static_cast<float>(h) * 0.5f, unlimitedWidth);

    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, 0);
    c.getImageData(reinterpret_cast<unsigned char*>(pixels.data()), w, h, w * 4, 0, 0);
    for (size_t i = pixels.size(); i-- > 0;) {
        if (pixels[i] != 0) {
            const int row = static_cast<int>(i / static_cast<size_t>(w));
            // Ink that stays above the baseline means no descent, not a negative one.
            return std::max(0, row + 1 - font.size);
        }
    }
    return 0;
}

void TrueTypeFont::FontCanvas::ensureCanvas(int width, int height, float backingScale) {
    if (_drawingCanvas && _drawingCanvas->width >= width && _drawingCanvas->height >= height &&
        _drawingCanvas->backingScale == backingScale)
        return;
    _drawingCanvas.reset();
    _drawingCanvas = std::make_unique<Canvas>(width, height, backingScale);
}

TrueTypeFont::TrueTypeFont(const AssetRef& asset, int size)
    : size(size),
      _fontData(assets::raw(asset)),
      _canvas(std::make_shared<FontCanvas>(size)),
      _cache(std::make_shared<RenderCache>()) {
    _descender = _canvas->measureDescender(*this);
}

int TrueTypeFont::textWidth(std::string_view text) {
    if (!_cache->enabled) return _canvas->measureText(*this, text);
    if (const int* cached = _cache->findWidth(text)) return *cached;
    const int width = _canvas->measureText(*this, text);
    _cache->storeWidth(text, width);
    return width;
}

int TrueTypeFont::textHeight() { return size + _descender; }

void TrueTypeFont::rasterise(Canvas& canvas, std::string_view text, int height, Color color) {
    // Erasing with an opaque colour clears every trace of the previous string,
    // whatever its own colour's alpha was.
    canvas.setFill(Color(0, 0, 0, 255));
    canvas.reset();
    canvas.setFont(_fontData, size);
    canvas.setFill(color);
    const std::string terminated(text);
    canvas.fillText(terminated.c_str(), 0.0f, static_cast<float>(height - _descender), unlimitedWidth);
}

void TrueTypeFont::drawTo(Bitmap& target, std::string_view text, int x, int y, Color color) {
    const int w = textWidth(text);
    if (w <= 0) return;
    const int h = textHeight();
    const float s = target.backingScale();
    _canvas->ensureCanvas(w, h, s);
    Canvas& c = *_canvas->canvas();
    const int dx = truncateScaled(x, s);
    const int dy = truncateScaled(y, s);

    if (!_cache->enabled) {
        rasterise(c, text, h, color);
        c.drawTo(target, dx, dy);
        return;
    }
    const RenderCache::Ink* ink = _cache->findInk(text, color, c);
    if (!ink) {
        rasterise(c, text, h, color);
        c.drawTo(target, dx, dy);
        _cache->storeInk(c);
        return;
    }
    if (ink->pixels) {
        Bitmap pixels = *ink->pixels;
        pixels.drawTo(target, dx + ink->x, dy + ink->y);
    }
}

void TrueTypeFont::setCaching(bool enabled) {
    _cache->enabled = enabled;
    _cache->clear();
}
