#include "ui/canvas.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "ui/colors.h"

namespace {

int pixels(int units, float scale) { return static_cast<int>(std::ceil(static_cast<float>(units) * scale)); }

}  // namespace

Canvas::Canvas(int width, int height, float backingScale)
    : width(width),
      height(height),
      backingScale(backingScale),
      _canvas(pixels(width, backingScale), pixels(height, backingScale)),
      _bmp(pixels(width, backingScale), pixels(height, backingScale), backingScale) {}

void Canvas::circle(float x, float y, float radius) {
    _canvas.move_to(x + radius, y);
    _canvas.arc(x, y, radius, 0.0f, 2.0f * std::numbers::pi_v<float>, false);
}

void Canvas::setFill(const Color& c) { _canvas.set_color(raster::fill_style, c.red(), c.green(), c.blue(), c.alpha()); }

void Canvas::setStroke(const Color& c) {
    _canvas.set_color(raster::stroke_style, c.red(), c.green(), c.blue(), c.alpha());
}

void Canvas::resetTransform() { _canvas.set_transform(backingScale, 0.0f, 0.0f, backingScale, 0.0f, 0.0f); }

void Canvas::clear() {
    // In pixels: at a fractional scale the last row and column are only partly
    // inside the logical size, and must not keep part of what was there.
    _canvas.begin_path();
    _canvas.save();
    _canvas.set_transform(1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    _canvas.clear_rectangle(0.0f, 0.0f, static_cast<float>(pixelWidth()), static_cast<float>(pixelHeight()));
    _canvas.restore();
}

void Canvas::reset() {
    resetTransform();
    clear();
}

void Canvas::setFont(std::span<const unsigned char> data, int size) {
    if (data.data() != _loadedFontData) {
        if (!_canvas.set_font(data.data(), static_cast<int>(data.size()), static_cast<float>(size)))
            throw std::runtime_error("Font loading failed");
        _loadedFontData = data.data();
    } else {
        _canvas.set_font(nullptr, 0, static_cast<float>(size));
    }
}

void Canvas::drawImage(const Bitmap& image, float x, float y, float w, float h) {
    _canvas.draw_image(image.data(), image.width(), image.height(), image.width() * 4, x, y, w, h);
}

void Canvas::drawTo(Bitmap& target, int x, int y) {
    _canvas.get_image_data(_bmp.data(), _bmp.width(), _bmp.height(), _bmp.width() * 4, 0, 0);
    _bmp.drawTo(target, x, y);
}
