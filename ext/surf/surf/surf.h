// The window layer: RGBA bitmaps with a clip rectangle and integer blending,
// PNG decoding with its own inflate, and a small bitmap-font printer.
// Plain records and free functions; whoever creates a record frees it with the
// matching function.
#pragma once

// One pixel, straight (not premultiplied) alpha; 255 is opaque.
struct SPixel {
    unsigned char r, g, b, a;
};

inline constexpr SPixel surfRGBA(unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
    return SPixel{r, g, b, a};
}
inline constexpr SPixel surfRGB(unsigned char r, unsigned char g, unsigned char b) { return SPixel{r, g, b, 255}; }

// How blending operations treat the destination's alpha.
enum SurfBlitMode {
    SURF_KEEP_ALPHA = 0,   // destination alpha stays as it is
    SURF_BLEND_ALPHA = 1,  // destination alpha is blended like a colour channel
};

struct Surf {
    int w, h;      // size in pixels
    int cx, cy;    // clip rectangle origin
    int cw, ch;    // clip rectangle size; negative means the full width / height
    SPixel* pix;   // w * h pixels, row-major, top row first, stride w
    void* handle;  // native window of a window bitmap, else null
    int blitMode;  // a SurfBlitMode
};

// ---- Bitmaps and drawing -------------------------------------------------

// A new bitmap of transparent black pixels that clips to itself and blends alpha.
Surf* surfBitmap(int w, int h);
// As surfBitmap, with `extra` zeroed bytes reserved directly behind the record.
// Both return null when memory runs out.
Surf* surfBitmap2(int w, int h, int extra);
void surfFree(Surf* bmp);
// Changes the size, keeping the overlapping top-left pixels; new pixels are zero.
void surfResize(Surf* bmp, int w, int h);

// Overwrites every pixel, ignoring clip rectangle and blend mode.
void surfClear(Surf* bmp, SPixel color);
// Overwrites the rectangle's pixels inside the bitmap, ignoring the clip rectangle.
void surfFill(Surf* bmp, int x, int y, int w, int h, SPixel color);
void surfClip(Surf* bmp, int cx, int cy, int cw, int ch);
void surfBlitMode(Surf* bmp, int mode);

// Blends one pixel (inside the clip rectangle).
void surfPlot(Surf* bmp, int x, int y, SPixel color);
// The pixel, or transparent black outside the bitmap.
SPixel surfGet(const Surf* bmp, int x, int y);

// Copies a rectangle unchanged (colour and alpha).
void surfBlit(Surf* dst, const Surf* src, int dx, int dy, int sx, int sy, int w, int h);
// Blends a rectangle whose colours are multiplied by the tint; the tint's alpha
// scales the opacity.
void surfBlitTint(Surf* dst, const Surf* src, int dx, int dy, int sx, int sy, int w, int h, SPixel tint);
// Blends a rectangle with an overall opacity from 0 to 1.
void surfBlitAlpha(Surf* dst, const Surf* src, int dx, int dy, int sx, int sy, int w, int h, float alpha);

// Shapes, every point blended like surfPlot. The line leaves out its end point.
void surfLine(Surf* bmp, int x0, int y0, int x1, int y1, SPixel color);
void surfRect(Surf* bmp, int x, int y, int w, int h, SPixel color);
// Fills the inside of the outline surfRect draws with the same arguments.
void surfFillRect(Surf* bmp, int x, int y, int w, int h, SPixel color);
void surfCircle(Surf* bmp, int x, int y, int r, SPixel color);
void surfFillCircle(Surf* bmp, int x, int y, int r, SPixel color);

// ---- UTF-8 ------------------------------------------------------------------

// Decodes one character into *cp (U+FFFD for malformed input) and returns the
// pointer behind the bytes it consumed.
const char* surfDecodeUTF8(const char* text, int* cp);
// Writes the shortest UTF-8 form of cp (U+FFFD beyond U+10FFFF), returns the
// pointer behind it. Needs room for 4 bytes.
char* surfEncodeUTF8(char* text, int cp);

// ---- PNG and inflate ----------------------------------------------------------

// Decodes a PNG held in memory; null with errno EINVAL on anything unsupported
// or malformed.
Surf* surfLoadImageMem(const void* data, int size);
// Reads and decodes a PNG file; null if it cannot be read or decoded.
Surf* surfLoadImage(const char* fileName);
// The whole file plus one terminating zero byte (free() it), or null; *length
// receives the byte count (0 on failure).
void* surfReadFile(const char* fileName, int* length);
// Decodes a raw deflate stream; 1 on success, 0 on any error. Reads up to two
// bytes beyond inLength, which the caller must keep readable.
int surfInflate(void* out, unsigned outLength, const void* in, unsigned inLength);
// Writes the bitmap as an RGBA PNG; 1 on success, 0 on failure.
int surfSaveImage(const char* fileName, const Surf* bmp);

// ---- Bitmap font ------------------------------------------------------------

// Code pages the glyph loader understands.
enum {
    SCP_ASCII = 0,
    SCP_1252 = 1252,
    SCP_UTF32 = 12001,
};

struct SurfGlyph {
    int code;        // Unicode code point
    int x, y, w, h;  // the glyph's cell in the sheet
};

struct SurfFont {
    Surf* bitmap;  // the glyph sheet, owned
    int numGlyphs;
    SurfGlyph* glyphs;  // sorted by code, owned
};

// The built-in font; its sheet is decoded on the first text operation on it.
extern SurfFont* sfont;

// A font over a glyph sheet (which it takes over), or null with errno EINVAL
// (the sheet is then freed).
SurfFont* surfLoadFont(Surf* sheet, int codepage);
void surfFreeFont(SurfFont* font);
// Prints printf-formatted UTF-8 text (at most 1023 bytes of it) tinted with colour.
void surfPrint(Surf* dst, SurfFont* font, int x, int y, SPixel color, const char* format, ...)
    __attribute__((format(printf, 6, 7)));
int surfTextWidth(SurfFont* font, const char* text);
int surfTextHeight(SurfFont* font, const char* text);

#include "surf/surf_window.h"
