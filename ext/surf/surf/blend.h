// Integer blending and clip arithmetic shared by the drawing operations.
#pragma once

#include "surf/surf.h"

namespace surf_detail {

// 0 for a transparent value, else value + 1, so that 255 * weight >> 8 == 255.
inline int weight(int value) { return value ? value + 1 : 0; }

// Blends src into dst with weight W (0..65536); blendAlpha is the destination's
// blitMode, which decides whether its alpha moves too.
inline void blend(SPixel& dst, int r, int g, int b, int a, int W, int blendAlpha) {
    dst.r = (unsigned char)(dst.r + (((r - dst.r) * W) >> 16));
    dst.g = (unsigned char)(dst.g + (((g - dst.g) * W) >> 16));
    dst.b = (unsigned char)(dst.b + (((b - dst.b) * W) >> 16));
    dst.a = (unsigned char)(dst.a + ((((a - dst.a) * W) >> 16) * blendAlpha));
}

// A rectangle as half-open bounds [x0, x1) x [y0, y1).
struct Bounds {
    int x0, y0, x1, y1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

inline long long clampTo(long long v, long long lo, long long hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The effective clip rectangle, cut to the bitmap so that a clip rectangle
// reaching past the edges can never lead to access outside the pixel array.
inline Bounds clipBounds(const Surf* bmp) {
    long long cw = bmp->cw < 0 ? bmp->w : bmp->cw;
    long long ch = bmp->ch < 0 ? bmp->h : bmp->ch;
    return Bounds{(int)clampTo(bmp->cx, 0, bmp->w), (int)clampTo(bmp->cy, 0, bmp->h),
                  (int)clampTo(bmp->cx + cw, 0, bmp->w), (int)clampTo(bmp->cy + ch, 0, bmp->h)};
}

// Blends one colour into n pixels starting at p with weight W.
inline void blendRun(SPixel* p, int n, SPixel c, int W, int blendAlpha) {
    for (int i = 0; i < n; i++) blend(p[i], c.r, c.g, c.b, c.a, W, blendAlpha);
}

}  // namespace surf_detail
