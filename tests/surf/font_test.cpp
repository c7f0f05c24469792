// The bitmap font: glyph-sheet loading and its rejections, the built-in
// sheet, measuring and printing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "surf/font_sheet.h"
#include "surf/surf.h"

namespace {

const SPixel kBorder{255, 0, 255, 255};
const SPixel kCell{0, 0, 0, 0};

// A sheet of cells with the given widths, all `height` high, `perRow` to a
// row, one-pixel borders; starting at column `left` (1 leaves room for
// watermarks in column 0).
Surf* makeSheet(const std::vector<int>& widths, int height, int perRow, int left = 0) {
  int rows = ((int)widths.size() + perRow - 1) / perRow, w = 0;
  for (int r = 0; r < rows; r++) {
    int x = left + 1;
    for (int i = r * perRow; i < (int)widths.size() && i < (r + 1) * perRow; i++) x += widths[i] + 1;
    w = std::max(w, x);
  }
  Surf* s = surfBitmap(w, 1 + rows * (height + 8));
  surfClear(s, kBorder);
  for (size_t i = 0; i < widths.size(); i++) {
    int r = (int)i / perRow, x = left + 1;
    for (size_t k = r * perRow; k < i; k++) x += widths[k] + 1;
    surfFill(s, x, 1 + r * (height + 8), widths[i], height, kCell);
  }
  return s;
}

void watermark(Surf* s, int x, int y, int value) {
  const unsigned char a[7] = {170, (unsigned char)value, (unsigned char)(value >> 8), (unsigned char)(value >> 16),
                              (unsigned char)(value >> 24), 0, 85};
  for (int i = 0; i < 7; i++) s->pix[(y + i) * s->w + x].a = a[i];
}

std::vector<int> widthsCycling(int n) {
  std::vector<int> w(n);
  for (int i = 0; i < n; i++) w[i] = 1 + i % 4;
  return w;
}

TEST(FontLoad, AsciiSheetGivesCodes32To127InReadingOrder) {
  SurfFont* font = surfLoadFont(makeSheet(widthsCycling(96), 5, 10), SCP_ASCII);
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(font->numGlyphs, 96);
  for (int i = 0; i < 96; i++) {
    EXPECT_EQ(font->glyphs[i].code, 32 + i);
    EXPECT_EQ(font->glyphs[i].w, 1 + i % 4);
    EXPECT_EQ(font->glyphs[i].h, 5);
  }
  EXPECT_EQ(surfTextWidth(font, "!#"), 2 + 4);
  surfFreeFont(font);
}

TEST(FontLoad, RejectsUnknownCodePagesUnevenHeightsAndShortSheets) {
  errno = 0;
  EXPECT_EQ(surfLoadFont(makeSheet(widthsCycling(96), 5, 10), 437), nullptr);
  EXPECT_EQ(errno, EINVAL);

  Surf* uneven = makeSheet(widthsCycling(96), 5, 10);
  surfFill(uneven, 0, 1 + 3 * 13 + 4, uneven->w, 1, kBorder);  // row 3 glyphs become 4 high
  errno = 0;
  EXPECT_EQ(surfLoadFont(uneven, SCP_ASCII), nullptr);
  EXPECT_EQ(errno, EINVAL);

  errno = 0;
  EXPECT_EQ(surfLoadFont(makeSheet(widthsCycling(95), 5, 10), SCP_ASCII), nullptr);
  EXPECT_EQ(errno, EINVAL);
  errno = 0;
  EXPECT_EQ(surfLoadFont(makeSheet(widthsCycling(96), 5, 10), SCP_1252), nullptr);
  EXPECT_EQ(errno, EINVAL);
}

TEST(FontLoad, Utf32SheetReadsCountAndCodesFromWatermarksAndSorts) {
  Surf* sheet = makeSheet({3, 2, 4}, 8, 10, 1);
  watermark(sheet, 0, 0, 3);
  watermark(sheet, 1, 1, 0x3A9);
  watermark(sheet, 5, 1, 0x41);
  watermark(sheet, 8, 1, 0x1F600);
  SurfFont* font = surfLoadFont(sheet, SCP_UTF32);
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(font->numGlyphs, 3);
  EXPECT_EQ(font->glyphs[0].code, 0x41);
  EXPECT_EQ(font->glyphs[0].w, 2);
  EXPECT_EQ(font->glyphs[1].code, 0x3A9);
  EXPECT_EQ(font->glyphs[2].code, 0x1F600);
  EXPECT_EQ(surfTextWidth(font, "A\xCE\xA9\xF0\x9F\x98\x80"), 2 + 3 + 4);
  // Fewer glyphs than the fallback's index: the last glyph stands in.
  EXPECT_EQ(surfTextWidth(font, "?"), 4);
  surfFreeFont(font);
}

TEST(FontLoad, Utf32SheetWithoutWatermarksIsRejected) {
  Surf* sheet = makeSheet({3, 2, 4}, 8, 10, 1);
  watermark(sheet, 0, 0, 3);
  errno = 0;
  EXPECT_EQ(surfLoadFont(sheet, SCP_UTF32), nullptr);
  EXPECT_EQ(errno, EINVAL);
  Surf* noCount = makeSheet({3}, 8, 10, 1);
  watermark(noCount, 0, 0, 1 << 30);  // more glyphs than pixels
  errno = 0;
  EXPECT_EQ(surfLoadFont(noCount, SCP_UTF32), nullptr);
  EXPECT_EQ(errno, EINVAL);
}

TEST(BuiltinSheet, IsAPalettePngWithOneTransparentEntry) {
  ASSERT_GT(surf_font_size, 57);
  const unsigned char* p = surf_font;
  EXPECT_EQ(p[24], 8);  // bit depth
  EXPECT_EQ(p[25], 3);  // palette
  // Index 0 is transparent, every other index opaque.
  Surf* sheet = surfLoadImageMem(surf_font, surf_font_size);
  ASSERT_NE(sheet, nullptr);
  int transparent = 0;
  for (int i = 0; i < sheet->w * sheet->h; i++) {
    ASSERT_TRUE(sheet->pix[i].a == 0 || sheet->pix[i].a == 255);
    transparent += sheet->pix[i].a == 0;
  }
  EXPECT_GT(transparent, 0);
  EXPECT_EQ(sheet->pix[0].a, 255);
  surfFree(sheet);
  const char tag[] = "tRNS";
  const unsigned char* trns = std::search(surf_font, surf_font + surf_font_size, tag, tag + 4);
  ASSERT_NE(trns, surf_font + surf_font_size);
  EXPECT_EQ(trns[-1], 1);  // chunk length: one entry
  EXPECT_EQ(trns[4], 0);
}

TEST(BuiltinFont, LoadsOnFirstUseWith224GlyphsOfOneHeight) {
  EXPECT_GT(surfTextHeight(sfont, ""), 0);
  ASSERT_NE(sfont->bitmap, nullptr);
  ASSERT_EQ(sfont->numGlyphs, 224);
  EXPECT_EQ(sfont->glyphs[31].code, '?');
  for (int i = 1; i < 224; i++) {
    EXPECT_LE(sfont->glyphs[i - 1].code, sfont->glyphs[i].code);
    EXPECT_EQ(sfont->glyphs[i].h, sfont->glyphs[0].h);
  }
}

TEST(BuiltinFont, ReplacementCharacterUsesTheCellOfByte9D) {
  // Five undefined bytes share U+FFFD; the stable sort keeps them in sheet
  // order and the lookup finds the last, byte 0x9D's cell.
  surfTextHeight(sfont, "");  // loads the built-in sheet
  const SurfGlyph* last = nullptr;
  int count = 0;
  for (int i = 0; i < sfont->numGlyphs; i++)
    if (sfont->glyphs[i].code == 0xFFFD) last = &sfont->glyphs[i], count++;
  ASSERT_EQ(count, 5);
  for (int i = 0; i < sfont->numGlyphs; i++) {
    const SurfGlyph& g = sfont->glyphs[i];
    if (g.code == 0xFFFD) {
      EXPECT_TRUE(g.y < last->y || (g.y == last->y && g.x <= last->x));
    }
  }
  Surf* viaPrint = surfBitmap(20, 20);
  Surf* viaBlit = surfBitmap(20, 20);
  surfPrint(viaPrint, sfont, 0, 0, SPixel{255, 255, 255, 255}, "\xEF\xBF\xBD");
  surfBlitTint(viaBlit, sfont->bitmap, 0, 0, last->x, last->y, last->w, last->h, SPixel{255, 255, 255, 255});
  EXPECT_EQ(memcmp(viaPrint->pix, viaBlit->pix, 20 * 20 * 4), 0);
  surfFree(viaPrint);
  surfFree(viaBlit);
}

TEST(BuiltinFont, WidthIsTheWidestLine) {
  const int cde = surfTextWidth(sfont, "cde");
  EXPECT_EQ(surfTextWidth(sfont, "ab\ncde"), cde);
  EXPECT_EQ(surfTextWidth(sfont, "cde\rab"), cde);
  EXPECT_EQ(surfTextWidth(sfont, "c") + surfTextWidth(sfont, "de"), cde);
  EXPECT_EQ(surfTextWidth(sfont, ""), 0);
}

TEST(BuiltinFont, HeightCountsLineFeedsFollowedByText) {
  const int line = surfTextHeight(sfont, "");
  EXPECT_EQ(surfTextHeight(sfont, "abc"), line);
  EXPECT_EQ(surfTextHeight(sfont, "abc\n"), line);
  EXPECT_EQ(surfTextHeight(sfont, "abc\nd"), 2 * line);
  EXPECT_EQ(surfTextHeight(sfont, "\n\n"), 2 * line);
}

TEST(BuiltinFont, UnknownCharactersPrintAsTheQuestionMark) {
  EXPECT_EQ(surfTextWidth(sfont, "\xE4\xB8\x80"), surfTextWidth(sfont, "?"));
  Surf* a = surfBitmap(16, 16);
  Surf* b = surfBitmap(16, 16);
  surfPrint(a, sfont, 2, 1, SPixel{0, 200, 255, 255}, "\xE4\xB8\x80");
  surfPrint(b, sfont, 2, 1, SPixel{0, 200, 255, 255}, "?");
  EXPECT_EQ(memcmp(a->pix, b->pix, 16 * 16 * 4), 0);
  surfFree(a);
  surfFree(b);
}

TEST(BuiltinFont, PrintTintsInkAndLeavesTheCellBackgroundUntouched) {
  Surf* b = surfBitmap(40, 30);
  surfPrint(b, sfont, 1, 1, SPixel{255, 0, 0, 255}, "A\r\n%s", "B");
  int ink = 0;
  for (int i = 0; i < 40 * 30; i++) {
    SPixel p = b->pix[i];
    ASSERT_TRUE((p.r == 0 && p.a == 0) || (p.r == 255 && p.g == 0 && p.b == 0 && p.a == 255));
    ink += p.a != 0;
  }
  EXPECT_GT(ink, 10);
  // The second line starts back at x = 1, one line height down.
  Surf* second = surfBitmap(40, 30);
  surfPrint(second, sfont, 1, 1 + surfTextHeight(sfont, ""), SPixel{255, 0, 0, 255}, "B");
  Surf* first = surfBitmap(40, 30);
  surfPrint(first, sfont, 1, 1, SPixel{255, 0, 0, 255}, "A");
  surfBlit(first, second, 0, 0, 0, 0, 40, 30);
  for (int y = 1 + surfTextHeight(sfont, ""); y < 30; y++)
    EXPECT_EQ(memcmp(first->pix + y * 40, b->pix + y * 40, 40 * 4), 0) << y;
  for (Surf* s : {b, second, first}) surfFree(s);
}

TEST(BuiltinFont, PrintedTextIsCutAt1023Bytes) {
  const int iw = surfTextWidth(sfont, "i");
  std::string text(1500, 'i');
  Surf* a = surfBitmap(1100 * iw, surfTextHeight(sfont, ""));
  Surf* b = surfBitmap(1100 * iw, surfTextHeight(sfont, ""));
  surfPrint(a, sfont, 0, 0, SPixel{255, 255, 255, 255}, "%s", text.c_str());
  surfPrint(b, sfont, 0, 0, SPixel{255, 255, 255, 255}, "%s", text.substr(0, 1023).c_str());
  EXPECT_EQ(memcmp(a->pix, b->pix, (size_t)a->w * a->h * 4), 0);
  bool inkAfterCut = false;
  for (int y = 0; y < a->h; y++)
    for (int x = 1023 * iw; x < a->w; x++) inkAfterCut |= a->pix[y * a->w + x].a != 0;
  EXPECT_FALSE(inkAfterCut);
  surfFree(a);
  surfFree(b);
}

}  // namespace
