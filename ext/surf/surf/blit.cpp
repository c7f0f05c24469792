// Rectangle transfers between bitmaps and the single-pixel plot.
#include <cstring>

#include "surf/blend.h"
#include "surf/surf.h"

using namespace surf_detail;

namespace {

struct BlitRect {
    int dx, dy, sx, sy, w, h;
};

// Cuts the transfer to the destination's clip rectangle (itself cut to the
// destination's bounds) and to the source's bounds, in the documented order:
// destination clip origin, then negative source origin, then right and bottom
// edges. 64-bit arithmetic keeps extreme arguments from overflowing.
bool clipBlit(const Surf* dst, const Surf* src, BlitRect& r) {
    Bounds c = clipBounds(dst);
    long long dx = r.dx, dy = r.dy, sx = r.sx, sy = r.sy, w = r.w, h = r.h;
    if (dx < c.x0) {
        sx += c.x0 - dx;
        w -= c.x0 - dx;
        dx = c.x0;
    }
    if (dy < c.y0) {
        sy += c.y0 - dy;
        h -= c.y0 - dy;
        dy = c.y0;
    }
    if (sx < 0) {
        dx -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        dy -= sy;
        h += sy;
        sy = 0;
    }
    if (dx + w > c.x1) w = c.x1 - dx;
    if (sx + w > src->w) w = src->w - sx;
    if (dy + h > c.y1) h = c.y1 - dy;
    if (sy + h > src->h) h = src->h - sy;
    if (w < 1 || h < 1) return false;
    r = BlitRect{(int)dx, (int)dy, (int)sx, (int)sy, (int)w, (int)h};
    return true;
}

}  // namespace

void surfBlit(Surf* dst, const Surf* src, int dx, int dy, int sx, int sy, int w, int h) {
    BlitRect r{dx, dy, sx, sy, w, h};
    if (!clipBlit(dst, src, r)) return;
    for (int y = 0; y < r.h; y++) {
        // memmove: source and destination may be the same bitmap.
        memmove(dst->pix + (size_t)(r.dy + y) * dst->w + r.dx, src->pix + (size_t)(r.sy + y) * src->w + r.sx,
                (size_t)r.w * sizeof(SPixel));
    }
}

void surfBlitTint(Surf* dst, const Surf* src, int dx, int dy, int sx, int sy, int w, int h, SPixel tint) {
    BlitRect r{dx, dy, sx, sy, w, h};
    if (!clipBlit(dst, src, r)) return;
    const int tr = weight(tint.r), tg = weight(tint.g), tb = weight(tint.b), ta = weight(tint.a);
    const int mode = dst->blitMode;
    for (int y = 0; y < r.h; y++) {
        SPixel* d = dst->pix + (size_t)(r.dy + y) * dst->w + r.dx;
        const SPixel* s = src->pix + (size_t)(r.sy + y) * src->w + r.sx;
        for (int x = 0; x < r.w; x++) {
            SPixel p = s[x];
            // Weight 0 leaves the destination as it is; text and icons are
            // mostly such pixels.
            if (p.a == 0) continue;
            blend(d[x], (p.r * tr) >> 8, (p.g * tg) >> 8, (p.b * tb) >> 8, p.a, weight(p.a) * ta, mode);
        }
    }
}

void surfBlitAlpha(Surf* dst, const Surf* src, int dx, int dy, int sx, int sy, int w, int h, float alpha) {
    // Written so that NaN also counts as fully transparent.
    float opacity = alpha > 1.0f ? 1.0f : (alpha > 0.0f ? alpha : 0.0f);
    surfBlitTint(dst, src, dx, dy, sx, sy, w, h, SPixel{255, 255, 255, (unsigned char)(int)(opacity * 255.0)});
}

void surfPlot(Surf* bmp, int x, int y, SPixel color) {
    Bounds c = clipBounds(bmp);
    if (x < c.x0 || y < c.y0 || x >= c.x1 || y >= c.y1) return;
    int W = weight(color.a);
    blendRun(bmp->pix + (size_t)y * bmp->w + x, 1, color, W * W, bmp->blitMode);
}
