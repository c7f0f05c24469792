// Bitmap life cycle and the unblended whole-pixel operations.
#include <cstdlib>
#include <cstring>

#include "surf/alloc.h"
#include "surf/blend.h"
#include "surf/surf.h"
#include "surf/window_internal.h"

using namespace surf_detail;

static size_t pixelCount(int w, int h) { return (size_t)(w > 0 ? w : 0) * (size_t)(h > 0 ? h : 0); }

Surf* surfBitmap2(int w, int h, int extra) {
    if (w < 0) w = 0;
    if (h < 0) h = 0;
    Surf* bmp = (Surf*)surfAllocZeroed(1, sizeof(Surf) + (size_t)(extra > 0 ? extra : 0));
    if (!bmp) return nullptr;
    bmp->pix = (SPixel*)surfAllocZeroed(pixelCount(w, h) + 1, sizeof(SPixel));
    if (!bmp->pix) {
        free(bmp);
        return nullptr;
    }
    bmp->w = w;
    bmp->h = h;
    bmp->cw = -1;
    bmp->ch = -1;
    bmp->blitMode = SURF_BLEND_ALPHA;
    return bmp;
}

Surf* surfBitmap(int w, int h) { return surfBitmap2(w, h, 0); }

void surfFree(Surf* bmp) {
    if (!bmp) return;
    if (bmp->handle) surfFreeWindow(bmp);
    free(bmp->pix);
    free(bmp);
}

void surfResize(Surf* bmp, int w, int h) {
    if (w < 0) w = 0;
    if (h < 0) h = 0;
    if (bmp->w == w && bmp->h == h) return;
    SPixel* pix = (SPixel*)calloc(pixelCount(w, h) + 1, sizeof(SPixel));
    int keepW = w < bmp->w ? w : bmp->w;
    int keepH = h < bmp->h ? h : bmp->h;
    for (int y = 0; y < keepH; y++)
        memcpy(pix + (size_t)y * w, bmp->pix + (size_t)y * bmp->w, (size_t)keepW * sizeof(SPixel));
    free(bmp->pix);
    bmp->pix = pix;
    bmp->w = w;
    bmp->h = h;
}

// Whole frames are cleared and filled every frame: sixteen pixels per copy
// of a fixed-size block, which compiles to wide stores, not one store each.
static void fillPixels(SPixel* p, size_t n, SPixel color) {
    SPixel block[16];
    for (SPixel& b : block) b = color;
    for (; n >= 16; n -= 16, p += 16) memcpy(p, block, sizeof block);
    for (size_t i = 0; i < n; i++) p[i] = color;
}

void surfClear(Surf* bmp, SPixel color) { fillPixels(bmp->pix, pixelCount(bmp->w, bmp->h), color); }

void surfFill(Surf* bmp, int x, int y, int w, int h, SPixel color) {
    Bounds b{(int)clampTo(x, 0, bmp->w), (int)clampTo(y, 0, bmp->h), (int)clampTo((long long)x + w, 0, bmp->w),
             (int)clampTo((long long)y + h, 0, bmp->h)};
    if (b.empty()) return;
    for (int row = b.y0; row < b.y1; row++) fillPixels(bmp->pix + (size_t)row * bmp->w + b.x0, b.x1 - b.x0, color);
}

void surfClip(Surf* bmp, int cx, int cy, int cw, int ch) {
    bmp->cx = cx;
    bmp->cy = cy;
    bmp->cw = cw;
    bmp->ch = ch;
}

void surfBlitMode(Surf* bmp, int mode) { bmp->blitMode = mode; }

SPixel surfGet(const Surf* bmp, int x, int y) {
    if (x < 0 || y < 0 || x >= bmp->w || y >= bmp->h) return SPixel{0, 0, 0, 0};
    return bmp->pix[(size_t)y * bmp->w + x];
}
