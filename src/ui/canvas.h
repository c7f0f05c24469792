#pragma once

#include <span>

#include <memory>
#include <string_view>

#include "raster/canvas.h"
#include "ui/bitmap.h"

class Color;

// A vector canvas sized in UI units together with the bitmap its pixels are
// copied into, so that what is drawn on it can be blended onto any Bitmap.
// The pixel size is the logical size times the backing scale, rounded up.
class Canvas {
public:
    const int width;
    const int height;
    const float backingScale;

    Canvas(int width, int height, float backingScale);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int pixelWidth() const { return _bmp.width(); }
    int pixelHeight() const { return _bmp.height(); }

    // Paths, in UI units under the current transform.
    void beginPath() { _canvas.begin_path(); }
    void moveTo(float x, float y) { _canvas.move_to(x, y); }
    void lineTo(float x, float y) { _canvas.line_to(x, y); }
    void closePath() { _canvas.close_path(); }
    void arc(float x, float y, float radius, float startAngle, float endAngle, bool counterClockwise = false) {
        _canvas.arc(x, y, radius, startAngle, endAngle, counterClockwise);
    }
    void rectangle(float x, float y, float w, float h) { _canvas.rectangle(x, y, w, h); }
    void circle(float x, float y, float radius);
    void fill() { _canvas.fill(); }
    void stroke() { _canvas.stroke(); }
    void clip() { _canvas.clip(); }
    void fillRectangle(float x, float y, float w, float h) { _canvas.fill_rectangle(x, y, w, h); }
    void strokeRectangle(float x, float y, float w, float h) { _canvas.stroke_rectangle(x, y, w, h); }

    // State.
    void save() { _canvas.save(); }
    void restore() { _canvas.restore(); }
    void translate(float x, float y) { _canvas.translate(x, y); }
    void scale(float x, float y) { _canvas.scale(x, y); }
    void rotate(float angle) { _canvas.rotate(angle); }
    void setLineWidth(float w) { _canvas.set_line_width(w); }
    void setLineDash(std::span<const float> segments) {
        _canvas.set_line_dash(segments.data(), static_cast<int>(segments.size()));
    }
    void setTextAlign(raster::align_style align) { _canvas.text_align = align; }
    void setFill(const Color& c);
    void setStroke(const Color& c);

    // UI units to pixels, with nothing else applied.
    void resetTransform();
    // Erases the whole canvas with the fill colour in force: fully transparent
    // when that colour is opaque, partly when it is translucent.
    void clear();
    void reset();

    // Parses the font only when it differs from the one loaded last; otherwise
    // just sets the size. Throws std::runtime_error("Font loading failed").
    void setFont(std::span<const unsigned char> data, int size);
    void fillText(const char* text, float x, float y, float maxWidth) { _canvas.fill_text(text, x, y, maxWidth); }
    float measureText(const char* text) { return _canvas.measure_text(text); }

    // Draws a bitmap's pixels stretched over the given rectangle in UI units.
    void drawImage(const Bitmap& image, float x, float y, float w, float h);
    void getImageData(unsigned char* image, int w, int h, int stride, int x, int y) {
        _canvas.get_image_data(image, w, h, stride, x, y);
    }

    // Copies the canvas's pixels into its bitmap and blends that bitmap onto
    // target with its top-left corner at pixel (x, y).
    void drawTo(Bitmap& target, int x, int y);
    // The bitmap as filled by the last drawTo.
    const Bitmap& bitmap() const { return _bmp; }

private:
    raster::canvas _canvas;
    const unsigned char* _loadedFontData = nullptr;
    Bitmap _bmp;
};
