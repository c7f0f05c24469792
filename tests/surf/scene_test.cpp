// Everything the bitmap layer draws, in one picture compared byte for byte with data/scene.png: resizing and fills,
// each blit in both blend modes and wherever the rectangles lie, every shape, and text in the built-in font and in
// fonts loaded from sheets. UPDATE_GOLDEN=1 rewrites the picture:
//   UPDATE_GOLDEN=1 build/default/tests/surf/surf_scene_tests
#include <gtest/gtest.h>

#include <cerrno>
#include <array>
#include <climits>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "surf/surf.h"

namespace {

const SPixel kBorder{255, 0, 255, 255}, kInk{200, 0, 0, 100}, kWhite{255, 255, 255, 255};

// A sheet of cells with the given widths, 5 high, ten to a row, one-pixel borders, starting at column `left` (1 leaves
// room for watermarks). Glyph i is white with one transparent pixel that tells it apart.
Surf* makeSheet(const std::vector<int>& widths, int left = 0) {
    Surf* s = surfBitmap(left + 1 + 10 * 5, 1 + ((int)widths.size() + 9) / 10 * 13);
    surfClear(s, kBorder);
    for (int i = 0, x = 0; i < (int)widths.size(); x += widths[i++] + 1) {
        if (i % 10 == 0) x = left + 1;
        surfFill(s, x, 1 + i / 10 * 13, widths[i], 5, kWhite);
        surfFill(s, x + i % widths[i], 1 + i / 10 * 13 + i % 5, 1, 1, SPixel{});
    }
    return s;
}

// A 32-bit value in the alpha of seven pixels down from (x, y), between markers.
void watermark(Surf* s, int x, int y, int value) {
    const int a[7] = {170, value & 255, value >> 8 & 255, value >> 16 & 255, value >> 24 & 255, 0, 85};
    for (int i = 0; i < 7; i++) s->pix[(y + i) * s->w + x].a = (unsigned char)a[i];
}

// A sheet of n glyphs, 1 to 4 pixels wide in turn.
Surf* sheet(int n) {
    std::vector<int> w(n);
    for (int i = 0; i < n; i++) w[i] = 1 + i % 4;
    return makeSheet(w);
}

// Three glyphs named by watermarks: 'A', capital omega and an emoji.
Surf* markedSheet(bool withCount = true, bool withCodes = true) {
    Surf* sheet = makeSheet({3, 2, 4}, 1);
    if (withCount) watermark(sheet, 0, 0, 3);
    if (withCodes) watermark(sheet, 1, 1, 0x3A9), watermark(sheet, 5, 1, 0x41), watermark(sheet, 8, 1, 0x1F600);
    return sheet;
}

void drawShapes(Surf* b, int x, int y) {
    surfLine(b, x + 1, y + 1, x + 5, y + 3, kInk);  // the end point is left out
    surfLine(b, x + 2, y + 7, x + 2, y + 7, kInk);
    surfRect(b, x + 7, y + 1, 5, 4, kInk);
    surfFillRect(b, x + 7, y + 1, 5, 4, kInk);  // over the outline: blended twice
    surfRect(b, x + 7, y + 7, 4, 1, kInk);
    surfRect(b, x + 7, y + 9, 0, 4, kInk);
    surfCircle(b, x + 17, y + 5, 4, kInk);
    surfCircle(b, x + 17, y + 5, 0, kInk);
    surfFillCircle(b, x + 26, y + 5, 3, kInk);
    surfFillCircle(b, x + 26, y + 10, 0, kInk);
}

void drawText(Surf* b, SurfFont* font, int x, int y, const std::string& text) {
    surfPrint(b, font, x, y, SPixel{0, 90, 200, 160}, "%s", text.c_str());
    surfRect(b, x - 1, y - 1, surfTextWidth(font, text.c_str()) + 2, surfTextHeight(font, text.c_str()) + 2, kInk);
}

Surf* drawScene() {
    Surf* b = surfBitmap(200, 60);
    surfClip(b, 4, 4, 1, 1);  // clear and fill ignore the clip and the blend mode
    surfBlitMode(b, SURF_KEEP_ALPHA);
    surfClear(b, SPixel{90, 80, 70, 200});
    surfResize(b, 50, 30);  // keeps the top-left corner and zeroes the rest
    surfResize(b, 240, 216);
    surfClip(b, 0, 0, -1, -1);
    // Stripes of four opacities under everything else.
    const int opacities[4] = {255, 128, 40, 0};
    for (int x = 0; x < b->w; x++)
        surfFill(b, x, 30, 1, b->h - 30, surfRGBA(250 - x / 4, 230, 160 + x % 4 * 30, opacities[x / 2 % 4]));
    surfFill(b, -2, b->h - 9, 5, 19, kWhite);
    for (auto [x, y, w, h] :
         {std::array{0, 0, 0, 3}, {1, 1, 3, -1}, {240, 0, 5, 5}, {-INT_MAX, -INT_MAX, INT_MAX, INT_MAX}})
        surfFill(b, x, y, w, h, kWhite);
    // Each blit of a source whose alpha grows from 0 to 255 left to right: a row per placement, a column per operation
    // and mode.
    Surf* src = surfBitmap(6, 6);
    for (int i = 0; i < 36; i++) src->pix[i] = surfRGBA(i % 6 * 40 + 20, i / 6 * 40 + 20, 150, i % 6 * 51);
    struct Placement {
        int clip[4], dx, dy, sx, sy, w, h;
    };
    const Placement placements[] = {
        {{0, 0, 0, 0}, 1, 1, 0, 0, 6, 6},   {{2, 2, 2, 3}, 0, 1, 1, 0, 5, 5},  {{0, 0, 0, 0}, 3, 3, -2, -1, 4, 4},
        {{0, 0, 0, 0}, 1, 1, 3, 2, 10, 10}, {{2, 4, 3, -1}, 1, 1, 0, 0, 6, 6},
    };
    const std::tuple<int, SPixel, float> ops[] = {
        {0, kWhite, 0},   {1, kWhite, 0}, {1, {255, 128, 0, 255}, 0}, {1, {255, 255, 255, 127}, 0},
        {2, kWhite, 0.5}, {2, kWhite, 1}, {2, kWhite, 1.5},           {2, kWhite, -0.2f}};
    for (int mode : {SURF_BLEND_ALPHA, SURF_KEEP_ALPHA})
        for (int o = 0; o < 8; o++)
            for (int p = 0; p < 5; p++) {
                const Placement& c = placements[p];
                const auto& [op, tint, alpha] = ops[o];
                const int x = (mode * 8 + o) * 10, y = 32 + p * 9;
                surfBlitMode(b, mode);
                surfClip(b, c.clip[2] ? x + c.clip[0] : 0, c.clip[2] ? y + c.clip[1] : 0, c.clip[2] ? c.clip[2] : -1,
                         c.clip[2] ? c.clip[3] : -1);
                if (op == 0) surfBlit(b, src, x + c.dx, y + c.dy, c.sx, c.sy, c.w, c.h);
                if (op == 1) surfBlitTint(b, src, x + c.dx, y + c.dy, c.sx, c.sy, c.w, c.h, tint);
                if (op == 2) surfBlitAlpha(b, src, x + c.dx, y + c.dy, c.sx, c.sy, c.w, c.h, alpha);
            }
    surfClip(b, 0, 0, -1, -1);
    for (auto [dx, sx, w] : {std::array{0, 0, 0}, {0, 6, 4}, {240, 0, 4}, {0, -6, 6}, {-INT_MAX, 0, INT_MAX}}) {
        surfBlit(b, src, dx, 0, sx, 0, w, 4);
        surfBlitAlpha(b, src, dx, 0, sx, 0, w, INT_MAX, 1);
    }
    surfFree(src);
    surfBlit(b, b, 161, 33, 160, 33, 60, 2);  // overlapping within one bitmap: copies the original
    for (int mode : {SURF_BLEND_ALPHA, SURF_KEEP_ALPHA}) {
        surfBlitMode(b, mode);
        drawShapes(b, 1 + mode * 32, 80);
        surfPlot(b, 66 + mode * 2, 82, kInk);
        surfPlot(b, 66 + mode * 2, 84, surfRGBA(1, 2, 3, 255));
        surfPlot(b, 66 + mode * 2, 86, surfRGBA(1, 2, 3, 0));
    }
    surfBlitMode(b, SURF_BLEND_ALPHA);
    // Every glyph of the built-in font, a line of 32, then what cannot be shown and malformed UTF-8, each malformed
    // sequence one replacement.
    std::string all;
    const int line = surfTextHeight(sfont, "");  // decodes the font's sheet
    for (int i = 0; i < sfont->numGlyphs; i++) {
        char utf8[8];
        all += std::string(utf8, surfEncodeUTF8(utf8, sfont->glyphs[i].code)) + (i % 32 == 31 ? "\n" : "");
    }
    drawText(b, sfont, 2, 96,
             all +
                 "\xEF\xBF\xBD \xE4\xB8\x80 "
                 "\xC3\x41Z\xE2\x82\x41Z\x80\xBFx\xE0\x80\x80\xC0\xAF\xF0\x8F\xBF\xBF\r\nA\rB\n\n");
    drawText(b, sfont, 100, 98 + 8 * line, "cde\rab");
    SurfFont* ascii = surfLoadFont(sheet(96), SCP_ASCII);
    SurfFont* marked = surfLoadFont(markedSheet(), SCP_UTF32);
    drawText(b, ascii, 160, 98 + 8 * line, " !\"#$%&'()*+,-./0123\n[\\]^_`abc}~");
    drawText(b, marked, 220, 98 + 8 * line, "A\xCE\xA9\xF0\x9F\x98\x80?\xF0\x9F");
    surfFreeFont(ascii), surfFreeFont(marked);
    // Shapes reaching far past the edges are cut to the clip and the bitmap.
    surfClip(b, -10, b->h - 12, 1000, 1000);
    surfFillCircle(b, 30, b->h, 50, surfRGBA(100, 200, 0, 255));
    surfCircle(b, 120, b->h, 40, surfRGBA(200, 0, 200, 255));
    surfLine(b, -20, b->h - 3, 3000, b->h - 3, surfRGBA(3, 3, 3, 255));
    surfRect(b, -100, b->h - 8, 300, 300, surfRGBA(0, 0, 250, 255));
    return b;
}

TEST(Scene, EverythingDrawnMatchesThePicture) {
    Surf* scene = drawScene();
    const std::string path = TEST_DATA_DIR "/scene.png";
    ASSERT_TRUE(!getenv("UPDATE_GOLDEN") || surfSaveImage(path.c_str(), scene) == 1);
    Surf* expected = surfLoadImage(path.c_str());
    ASSERT_NE(expected, nullptr) << path;
    ASSERT_EQ(expected->w * 1000 + expected->h, scene->w * 1000 + scene->h);
    const bool same = !memcmp(scene->pix, expected->pix, (size_t)scene->w * scene->h * 4);
    if (!same) surfSaveImage("scene.actual.png", scene);
    EXPECT_TRUE(same) << "the picture drawn differs; it is in scene.actual.png";
    surfFree(expected), surfFree(scene);
}

TEST(Scene, FreshBitmapsOutsideReadsUtf8AndFontSheetsThatAreRejected) {
    Surf* b = surfBitmap2(2, 2, 64);
    EXPECT_EQ(std::string((const char*)(b + 1), 64), std::string(64, '\0'));  // the caller's extra bytes
    EXPECT_EQ(std::vector({b->cx, b->cy, b->cw, b->ch, b->blitMode, (int)!!b->handle}),
              std::vector({0, 0, -1, -1, (int)SURF_BLEND_ALPHA, 0}));
    surfClip(b, 1, 1, 1, 1), surfResize(b, 3, 3);
    EXPECT_EQ(b->cx * 10 + b->cw, 11);
    surfFill(b, -10, -10, INT_MAX, INT_MAX, kWhite);
    EXPECT_EQ(b->pix[8].a, 255);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 3}}) EXPECT_EQ(surfGet(b, x, y).a, 0);
    surfFree(b), surfFree(nullptr);
    // What is no character encodes as the replacement character.
    std::string all;
    for (char buf[4]; int cp : {0x24, 0x7FF, 0x800, 0xFFFF, 0x10FFFF, 0x110000, -1})
        all.append(buf, surfEncodeUTF8(buf, cp));
    EXPECT_EQ(all, "\x24\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF\xEF\xBF\xBD\xEF\xBF\xBD");
    // Font sheets with an unknown code page, uneven heights, too few glyphs or bad watermarks are refused.
    Surf *uneven = sheet(96), *tooMany = makeSheet({3}, 1);
    surfFill(uneven, 0, 1 + 3 * 13 + 4, uneven->w, 1, kBorder);  // row 3 glyphs become 4 high
    watermark(tooMany, 0, 0, 1 << 30);                           // more glyphs than pixels
    Surf* const sheets[] = {sheet(96), uneven, sheet(95), sheet(96), markedSheet(true, false), tooMany, nullptr};
    const int codepages[] = {437, SCP_ASCII, SCP_ASCII, SCP_1252, SCP_UTF32, SCP_UTF32, SCP_ASCII};
    for (int i = 0; i < 7; i++) {
        errno = 0;
        EXPECT_TRUE(!surfLoadFont(sheets[i], codepages[i]) && errno == EINVAL) << i;
    }
    // Printed text is cut at 1023 bytes.
    const int w = 1100 * surfTextWidth(sfont, "i"), h = surfTextHeight(sfont, "");
    std::vector<Surf*> printed;
    for (int n : {1500, 1023, 1022})
        surfPrint(printed.emplace_back(surfBitmap(w, h)), sfont, 0, 0, kWhite, "%s", std::string(n, 'i').c_str());
    EXPECT_EQ(memcmp(printed[0]->pix, printed[1]->pix, (size_t)w * h * 4), 0);
    EXPECT_NE(memcmp(printed[0]->pix, printed[2]->pix, (size_t)w * h * 4), 0);
    for (Surf* p : printed) surfFree(p);
}

}  // namespace
