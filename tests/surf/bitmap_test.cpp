// Bitmaps, blending bytes from the integer formulas, clipping of blits and the
// shapes drawn through the plot rule.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "surf/surf.h"

namespace {

using Px = std::array<int, 4>;
Px px(SPixel p) { return {p.r, p.g, p.b, p.a}; }

// A source whose pixel (x, y) has red x + 10 y, opaque.
Surf* numbered(int w, int h) {
    Surf* s = surfBitmap(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) s->pix[y * w + x] = SPixel{(unsigned char)(x + 10 * y), 0, 0, 255};
    return s;
}

TEST(Bitmap, StartsTransparentAndClearFillGetAndResizeStayInside) {
    Surf* bmp = surfBitmap2(6, 5, 64);
    EXPECT_EQ(Px({bmp->cx, bmp->cy, bmp->cw, bmp->ch}), Px({0, 0, -1, -1}));
    EXPECT_EQ(bmp->handle, nullptr);
    EXPECT_EQ(bmp->blitMode, SURF_BLEND_ALPHA);
    for (int i = 0; i < 30; i++) EXPECT_EQ(px(bmp->pix[i]), Px({0, 0, 0, 0}));
    for (int i = 0; i < 64; i++) EXPECT_EQ(((const unsigned char*)(bmp + 1))[i], 0);

    // Clear and fill overwrite, ignoring the clip and the blend mode; fill cuts to the bitmap.
    surfClip(bmp, 4, 4, 1, 1);
    surfBlitMode(bmp, SURF_KEEP_ALPHA);
    surfClear(bmp, SPixel{9, 8, 7, 6});
    surfFill(bmp, -2, 3, 5, 9, SPixel{50, 60, 70, 80});
    for (auto [x, y, w, h] :
         {Px{0, 0, 0, 3}, Px{1, 1, 3, -1}, Px{6, 0, 5, 5}, Px{-2147483647, -2147483647, 2147483647, 2147483647}})
        surfFill(bmp, x, y, w, h, SPixel{1, 1, 1, 1});
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 6; x++)
            EXPECT_EQ(px(surfGet(bmp, x, y)), x < 3 && y >= 3 ? Px({50, 60, 70, 80}) : Px({9, 8, 7, 6}))
                << x << "," << y;
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {6, 0}, {0, 5}}) EXPECT_EQ(px(surfGet(bmp, x, y)), Px({0, 0, 0, 0}));

    // Resizing keeps the top-left corner, zeroes the rest and leaves the clip alone.
    surfResize(bmp, 4, 4);
    surfResize(bmp, 7, 6);
    ASSERT_EQ(Px({bmp->w, bmp->h, bmp->cx, bmp->cw}), Px({7, 6, 4, 1}));
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 7; x++)
            EXPECT_EQ(px(surfGet(bmp, x, y)), x >= 4 || y >= 4  ? Px({0, 0, 0, 0})
                                              : x < 3 && y >= 3 ? Px({50, 60, 70, 80})
                                                                : Px({9, 8, 7, 6}));
    surfFill(bmp, -10, -10, 2147483647, 2147483647, SPixel{2, 2, 2, 2});
    for (int i = 0; i < 7 * 6; i++) EXPECT_EQ(px(bmp->pix[i]), Px({2, 2, 2, 2}));
    surfFree(bmp);
    surfFree(nullptr);
}

TEST(Blend, OnePixelOfEachOperationGivesTheIntegerResult) {
    enum Op { PLOT, TINT, ALPHA, BLIT };
    struct Case {
        Op op;
        SPixel dst;
        int mode;
        SPixel color;  // plotted, or the source pixel
        SPixel tint;
        float alpha;
        Px want;
    };
    const SPixel white{255, 255, 255, 255}, translucent{200, 100, 50, 200};
    const Case cases[] = {
        {PLOT, {10, 20, 30, 40}, SURF_BLEND_ALPHA, {200, 100, 50, 128}, {}, 0, {58, 40, 35, 62}},
        {PLOT, white, SURF_BLEND_ALPHA, {0, 0, 0, 128}, {}, 0, {190, 190, 190, 222}},  // rounds toward -infinity
        {PLOT, {10, 20, 30, 40}, SURF_KEEP_ALPHA, {200, 100, 50, 128}, {}, 0, {58, 40, 35, 40}},
        {PLOT, {10, 20, 30, 40}, SURF_BLEND_ALPHA, {1, 2, 3, 255}, {}, 0, {1, 2, 3, 255}},
        {PLOT, {10, 20, 30, 40}, SURF_BLEND_ALPHA, {1, 2, 3, 0}, {}, 0, {10, 20, 30, 40}},
        {TINT, {7, 7, 7, 7}, SURF_BLEND_ALPHA, {200, 100, 50, 255}, white, 0, {200, 100, 50, 255}},
        {TINT, {7, 7, 7, 7}, SURF_BLEND_ALPHA, {200, 100, 50, 255}, {255, 128, 0, 255}, 0, {200, 50, 0, 255}},
        {TINT, {0, 0, 0, 0}, SURF_BLEND_ALPHA, translucent, {255, 255, 255, 127}, 0, {78, 39, 19, 78}},
        {TINT, {10, 20, 30, 40}, SURF_KEEP_ALPHA, {0, 0, 0, 0}, white, 0, {10, 20, 30, 40}},
        {TINT, {10, 20, 30, 40}, SURF_KEEP_ALPHA, {255, 255, 255, 128}, white, 0, {133, 138, 143, 40}},
        {ALPHA, {0, 0, 0, 0}, SURF_BLEND_ALPHA, translucent, {}, 0.5f, {78, 39, 19, 78}},  // opacity truncated
        {ALPHA, {0, 0, 0, 0}, SURF_BLEND_ALPHA, translucent, {}, 1.0f, {157, 78, 39, 157}},
        {ALPHA, {0, 0, 0, 0}, SURF_BLEND_ALPHA, translucent, {}, 1.5f, {157, 78, 39, 157}},
        {ALPHA, {1, 2, 3, 4}, SURF_BLEND_ALPHA, translucent, {}, -0.2f, {1, 2, 3, 4}},
        {BLIT, {9, 9, 9, 9}, SURF_KEEP_ALPHA, {1, 2, 3, 4}, {}, 0, {1, 2, 3, 4}},  // a copy, never a blend
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        Surf* d = surfBitmap(1, 1);
        Surf* s = surfBitmap(1, 1);
        d->pix[0] = c.dst;
        s->pix[0] = c.color;
        surfBlitMode(d, c.mode);
        if (c.op == PLOT) surfPlot(d, 0, 0, c.color);
        if (c.op == TINT) surfBlitTint(d, s, 0, 0, 0, 0, 1, 1, c.tint);
        if (c.op == ALPHA) surfBlitAlpha(d, s, 0, 0, 0, 0, 1, 1, c.alpha);
        if (c.op == BLIT) surfBlit(d, s, 0, 0, 0, 0, 1, 1);
        EXPECT_EQ(px(d->pix[0]), c.want);
        surfFree(d);
        surfFree(s);
    }
}

TEST(BlitClip, OnlyTheSourceAndClipOverlapIsDrawnWhereverTheRectanglesLie) {
    // Each blit of a 5 x 5 numbered source into a 10 x 10 bitmap must cover
    // exactly [x0, x1) x [y0, y1), with source pixel (x - dx + sx, y - dy + sy).
    struct Case {
        int op, clip[4], dx, dy, sx, sy, w, h, x0, y0, x1, y1;
    };
    const Case cases[] = {
        {0, {2, 2, 4, 4}, 0, 1, 1, 0, 5, 5, 2, 2, 4, 6},  // the clip moves the origin before the source edges cut
        {1, {2, 2, 4, 4}, 0, 1, 1, 0, 5, 5, 2, 2, 4, 6},
        {1, {0, 0, -1, -1}, 3, 3, -2, -1, 4, 4, 5, 4, 7, 7},
        {2, {-5000, -5000, 100000, 100000}, -3, -3, 0, 0, 20, 20, 0, 0, 2, 2},
        {0, {8, 8, 50, -1}, 5, 5, 0, 0, 20, 20, 8, 8, 10, 10},  // a negative height: the full height
        {0, {0, 0, -1, -1}, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0},
        {0, {0, 0, -1, -1}, 0, 0, 5, 0, 4, 4, 0, 0, 0, 0},
        {0, {0, 0, -1, -1}, 10, 0, 0, 0, 4, 4, 0, 0, 0, 0},
        {0, {0, 0, -1, -1}, 0, 0, -5, 0, 5, 4, 0, 0, 0, 0},
        {2, {0, 0, -1, -1}, -2147483647, 5, 0, 0, 2147483647, 2147483647, 0, 0, 0, 0},
    };
    Surf* s = numbered(5, 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        Surf* d = surfBitmap(10, 10);
        surfClip(d, c.clip[0], c.clip[1], c.clip[2], c.clip[3]);
        if (c.op == 0) surfBlit(d, s, c.dx, c.dy, c.sx, c.sy, c.w, c.h);
        if (c.op == 1) surfBlitTint(d, s, c.dx, c.dy, c.sx, c.sy, c.w, c.h, SPixel{255, 255, 255, 255});
        if (c.op == 2) surfBlitAlpha(d, s, c.dx, c.dy, c.sx, c.sy, c.w, c.h, 1.0f);
        for (int y = 0; y < 10; y++)
            for (int x = 0; x < 10; x++) {
                bool inside = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
                EXPECT_EQ(px(d->pix[y * 10 + x]), inside ? px(surfGet(s, x - c.dx + c.sx, y - c.dy + c.sy)) : Px{})
                    << x << "," << y;
            }
        surfFree(d);
    }
    surfFree(s);

    Surf* b = numbered(6, 1);  // overlapping within one bitmap: copies the original
    surfBlit(b, b, 1, 0, 0, 0, 5, 1);
    for (int x = 1; x < 6; x++) EXPECT_EQ(b->pix[x].r, x - 1);
    surfFree(b);
}

// Each shape in a translucent colour: '#' where it blended once, '2' where more.
std::string picture(const Surf* b) {
    Surf* once = surfBitmap(1, 1);
    surfPlot(once, 0, 0, SPixel{200, 0, 0, 100});
    std::string text;
    for (int y = 0; y < b->h; y++, text += '\n')
        for (int x = 0; x < b->w; x++)
            text += !b->pix[y * b->w + x].a ? '.' : px(b->pix[y * b->w + x]) == px(once->pix[0]) ? '#' : '2';
    surfFree(once);
    return text;
}

TEST(Shapes, EachShapeBlendsItsPixelsOnce) {
    const SPixel c{200, 0, 0, 100};
    Surf* b = surfBitmap(31, 11);
    surfLine(b, 1, 1, 5, 3, c);  // the end point is left out
    surfLine(b, 2, 7, 2, 7, c);
    surfRect(b, 7, 1, 5, 4, c);
    surfFillRect(b, 7, 1, 5, 4, c);
    surfRect(b, 7, 7, 4, 1, c);
    surfRect(b, 7, 9, 0, 4, c);
    surfCircle(b, 17, 5, 4, c);
    surfCircle(b, 17, 5, 0, c);
    surfFillCircle(b, 26, 5, 3, c);
    surfFillCircle(b, 26, 10, 0, c);
    EXPECT_EQ(picture(b),
              "...............................\n"
              ".#.....#####....###............\n"
              "..##...#####..##...##....###...\n"
              "....#..#####..#.....#...#####..\n"
              ".......#####.#.......#.#######.\n"
              ".............#...#...#.#######.\n"
              ".............#.......#.#######.\n"
              "..#....####...#.....#...#####..\n"
              "..............##...##....###...\n"
              "................###............\n"
              "..........................#....\n");
    // Shapes reaching far past the edges are cut to the bitmap.
    surfClip(b, -10, -10, 100, 100);
    surfFillCircle(b, 0, 0, 50, SPixel{1, 1, 1, 255});
    surfCircle(b, 2, 2, 40, SPixel{2, 2, 2, 255});
    surfLine(b, -20, 3, 3000, 3, SPixel{3, 3, 3, 255});
    surfFillRect(b, -100, -100, 300, 300, SPixel{4, 4, 4, 255});
    EXPECT_EQ(px(surfGet(b, 30, 10)), Px({4, 4, 4, 255}));
    surfFree(b);
}

}  // namespace
