// Outline and filled shapes; every point follows the plot rule.
#include <cstdlib>

#include "surf/blend.h"
#include "surf/surf.h"

using namespace surf_detail;

void surfLine(Surf* bmp, int x0, int y0, int x1, int y1, SPixel color) {
    long long x = x0, y = y0;
    const long long dx = std::llabs((long long)x1 - x0), dy = -std::llabs((long long)y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    long long err = dx + dy;
    for (;;) {
        surfPlot(bmp, (int)x, (int)y, color);
        if (x == x1 && y == y1) break;
        long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
        if (x == x1 && y == y1) break;
    }
}

void surfRect(Surf* bmp, int x, int y, int w, int h, SPixel color) {
    if (w < 1 || h < 1) return;
    const int x1 = x + w - 1, y1 = y + h - 1;
    if (w == 1 || h == 1) {
        // A single line: plot each point once so a translucent colour blends once.
        for (int py = y; py <= y1; py++)
            for (int px = x; px <= x1; px++) surfPlot(bmp, px, py, color);
        return;
    }
    for (int px = x; px <= x1; px++) {
        surfPlot(bmp, px, y, color);
        surfPlot(bmp, px, y1, color);
    }
    for (int py = y + 1; py < y1; py++) {
        surfPlot(bmp, x, py, color);
        surfPlot(bmp, x1, py, color);
    }
}

// Blends the colour into [x0, x1) x [y0, y1) cut to the clip rectangle.
static void blendArea(Surf* bmp, long long x0, long long y0, long long x1, long long y1, SPixel color) {
    Bounds c = clipBounds(bmp);
    Bounds b{(int)clampTo(x0, c.x0, c.x1), (int)clampTo(y0, c.y0, c.y1), (int)clampTo(x1, c.x0, c.x1),
             (int)clampTo(y1, c.y0, c.y1)};
    if (b.empty()) return;
    const int W = weight(color.a);
    for (int y = b.y0; y < b.y1; y++)
        blendRun(bmp->pix + (size_t)y * bmp->w + b.x0, b.x1 - b.x0, color, W * W, bmp->blitMode);
}

void surfFillRect(Surf* bmp, int x, int y, int w, int h, SPixel color) {
    blendArea(bmp, (long long)x + 1, (long long)y + 1, (long long)x + w - 1, (long long)y + h - 1, color);
}

// Plots (±a, ±b) around the centre, each distinct point once.
static void plotMirrored(Surf* bmp, int cx, int cy, int a, int b, SPixel color) {
    surfPlot(bmp, cx + a, cy + b, color);
    if (a) surfPlot(bmp, cx - a, cy + b, color);
    if (b) surfPlot(bmp, cx + a, cy - b, color);
    if (a && b) surfPlot(bmp, cx - a, cy - b, color);
}

void surfCircle(Surf* bmp, int x, int y, int r, SPixel color) {
    if (r < 0) return;
    int px = r, py = 0, err = 1 - r;
    while (px >= py) {
        plotMirrored(bmp, x, y, px, py, color);
        if (px != py) plotMirrored(bmp, x, y, py, px, color);
        py++;
        if (err < 0) {
            err += 2 * py + 1;
        } else {
            px--;
            err += 2 * (py - px) + 1;
        }
    }
}

void surfFillCircle(Surf* bmp, int x, int y, int r, SPixel color) {
    if (r < 0) return;
    // Row by row: the disc of radius r + 1/2, which is what the midpoint outline
    // encloses. Only rows inside the clip rectangle are visited.
    Bounds c = clipBounds(bmp);
    const long long rr = (long long)r * r + r;
    const long long top = clampTo((long long)y - r, c.y0, c.y1), bottom = clampTo((long long)y + r + 1, c.y0, c.y1);
    for (long long row = top; row < bottom; row++) {
        long long dy = row - y, half = 0;
        long long lo = 0, hi = r;  // largest half with half^2 + dy^2 <= rr
        while (lo <= hi) {
            long long mid = (lo + hi) / 2;
            if (mid * mid + dy * dy <= rr) {
                half = mid;
                lo = mid + 1;
            } else {
                hi = mid - 1;
            }
        }
        blendArea(bmp, (long long)x - half, row, (long long)x + half + 1, row + 1, color);
    }
}
