// UTF-8, the bitmap font's glyph sheets and their rejections, measuring and
// printing with the built-in font.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "surf/surf.h"

namespace {

TEST(Utf8, DecodesEveryLengthAndReplacesMalformedSequences) {
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", {0x41, 0xE9, 0x20AC, 0x1F600}},
        {"\xC3\x41Z", {0xFFFD, 'Z'}},  // a bad continuation byte is skipped with the sequence
        {"\xE2\x82\x41Z", {0xFFFD, 'Z'}},
        {"\x80\xBFx", {0xFFFD, 0xFFFD, 'x'}},
        {"\xE0\x80\x80\xC0\xAF\xF0\x8F\xBF\xBF", {0xFFFD, 0xFFFD, 0xFFFD}},  // overlong forms
        {"\xF0\x9F", {0xFFFD}},  // cut by the terminator, which is not consumed
    };
    for (const auto& [text, want] : cases) {
        std::vector<int> got;
        for (const char* p = text; *p;) {
            int cp = -1;
            const char* next = surfDecodeUTF8(p, &cp);
            ASSERT_GT(next, p);
            ASSERT_LE(next, text + strlen(text));
            got.push_back(cp);
            p = next;
        }
        EXPECT_EQ(got, want) << text;
    }
    const std::pair<int, const char*> encoded[] = {{0x24, "\x24"},
                                                   {0x7FF, "\xDF\xBF"},
                                                   {0x800, "\xE0\xA0\x80"},
                                                   {0xFFFF, "\xEF\xBF\xBF"},
                                                   {0x10FFFF, "\xF4\x8F\xBF\xBF"},
                                                   {0x110000, "\xEF\xBF\xBD"},
                                                   {-1, "\xEF\xBF\xBD"}};
    for (const auto& [cp, want] : encoded) {
        char buf[8] = {0};
        EXPECT_EQ(std::string(buf, surfEncodeUTF8(buf, cp)), want) << cp;
    }
}

const SPixel kBorder{255, 0, 255, 255};

// A sheet of cells with the given widths, 5 high, ten to a row, one-pixel
// borders, starting at column `left` (1 leaves room for watermarks).
Surf* makeSheet(const std::vector<int>& widths, int left = 0) {
    Surf* s = surfBitmap(left + 1 + 10 * 5, 1 + ((int)widths.size() + 9) / 10 * 13);
    surfClear(s, kBorder);
    for (size_t i = 0, x = 0; i < widths.size(); x += widths[i++] + 1) {
        if (i % 10 == 0) x = left + 1;
        surfFill(s, (int)x, 1 + (int)i / 10 * 13, widths[i], 5, SPixel{0, 0, 0, 0});
    }
    return s;
}

// A 32-bit value in the alpha of seven pixels down from (x, y), between markers.
void watermark(Surf* s, int x, int y, int value) {
    const int a[7] = {170, value & 255, value >> 8 & 255, value >> 16 & 255, value >> 24 & 255, 0, 85};
    for (int i = 0; i < 7; i++) s->pix[(y + i) * s->w + x].a = (unsigned char)a[i];
}

std::vector<int> widthsCycling(int n) {
    std::vector<int> w(n);
    for (int i = 0; i < n; i++) w[i] = 1 + i % 4;
    return w;
}

TEST(FontLoad, SheetsGiveGlyphsInReadingOrderOrByWatermark) {
    SurfFont* ascii = surfLoadFont(makeSheet(widthsCycling(96)), SCP_ASCII);
    ASSERT_NE(ascii, nullptr);
    ASSERT_EQ(ascii->numGlyphs, 96);
    for (int i = 0; i < 96; i++)
        EXPECT_EQ(std::vector({ascii->glyphs[i].code, ascii->glyphs[i].w, ascii->glyphs[i].h}),
                  std::vector({32 + i, 1 + i % 4, 5}));
    EXPECT_EQ(surfTextWidth(ascii, "!#"), 2 + 4);
    surfFreeFont(ascii);

    Surf* sheet = makeSheet({3, 2, 4}, 1);
    watermark(sheet, 0, 0, 3);
    watermark(sheet, 1, 1, 0x3A9);
    watermark(sheet, 5, 1, 0x41);
    watermark(sheet, 8, 1, 0x1F600);
    SurfFont* font = surfLoadFont(sheet, SCP_UTF32);
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(font->numGlyphs, 3);
    EXPECT_EQ(std::vector({font->glyphs[0].code, font->glyphs[1].code, font->glyphs[2].code}),
              std::vector({0x41, 0x3A9, 0x1F600}));
    EXPECT_EQ(surfTextWidth(font, "A\xCE\xA9\xF0\x9F\x98\x80"), 2 + 3 + 4);
    EXPECT_EQ(surfTextWidth(font, "?"), 4);  // fewer glyphs than the fallback's index: the last stands in
    surfFreeFont(font);
}

TEST(FontLoad, RejectsUnknownCodePagesUnevenHeightsShortSheetsAndMissingWatermarks) {
    Surf* uneven = makeSheet(widthsCycling(96));
    surfFill(uneven, 0, 1 + 3 * 13 + 4, uneven->w, 1, kBorder);  // row 3 glyphs become 4 high
    Surf* unmarked = makeSheet({3, 2, 4}, 1);
    watermark(unmarked, 0, 0, 3);
    Surf* tooMany = makeSheet({3}, 1);
    watermark(tooMany, 0, 0, 1 << 30);  // more glyphs than pixels
    const std::pair<Surf*, int> cases[] = {{makeSheet(widthsCycling(96)), 437},
                                           {uneven, SCP_ASCII},
                                           {makeSheet(widthsCycling(95)), SCP_ASCII},
                                           {makeSheet(widthsCycling(96)), SCP_1252},
                                           {unmarked, SCP_UTF32},
                                           {tooMany, SCP_UTF32},
                                           {nullptr, SCP_ASCII}};
    for (const auto& [sheet, codepage] : cases) {
        errno = 0;
        EXPECT_EQ(surfLoadFont(sheet, codepage), nullptr) << codepage;
        EXPECT_EQ(errno, EINVAL);
    }
}

// Prints into a fresh bitmap and returns its pixels as bytes.
std::string printed(const std::string& text, int w = 40, int h = 30, int y = 1) {
    Surf* b = surfBitmap(w, h);
    surfPrint(b, sfont, 1, y, SPixel{255, 0, 0, 255}, "%s", text.c_str());
    std::string bytes((const char*)b->pix, (size_t)w * h * 4);
    surfFree(b);
    return bytes;
}

TEST(BuiltinFont, HoldsTheCodePageSortedWithTheReplacementFromByte9D) {
    const int line = surfTextHeight(sfont, "");
    EXPECT_GT(line, 0);
    ASSERT_EQ(sfont->numGlyphs, 224);
    EXPECT_EQ(sfont->glyphs[31].code, '?');
    // Five undefined bytes share U+FFFD, kept in sheet order: the last, 0x9D, gives it its cell.
    int replacements = 0;
    const SurfGlyph* last = nullptr;
    for (int i = 0; i < 224; i++) {
        const SurfGlyph& g = sfont->glyphs[i];
        EXPECT_LE(i ? sfont->glyphs[i - 1].code : 0, g.code);
        EXPECT_EQ(g.h, line);
        if (g.code != 0xFFFD) continue;
        EXPECT_TRUE(!last || g.y > last->y || (g.y == last->y && g.x > last->x)) << i;
        last = &g, replacements++;
    }
    ASSERT_EQ(replacements, 5);
    Surf* viaBlit = surfBitmap(40, 30);
    surfBlitTint(viaBlit, sfont->bitmap, 1, 1, last->x, last->y, last->w, last->h, SPixel{255, 0, 0, 255});
    EXPECT_EQ(printed("\xEF\xBF\xBD"), std::string((const char*)viaBlit->pix, 40 * 30 * 4));
    surfFree(viaBlit);
}

TEST(BuiltinFont, MeasuresLinesAndPrintsTintedInkLineByLine) {
    const int cde = surfTextWidth(sfont, "cde"), line = surfTextHeight(sfont, "");
    EXPECT_EQ(surfTextWidth(sfont, "ab\ncde"), cde);
    EXPECT_EQ(surfTextWidth(sfont, "cde\rab"), cde);
    EXPECT_EQ(surfTextWidth(sfont, "c") + surfTextWidth(sfont, "de"), cde);
    EXPECT_EQ(surfTextWidth(sfont, ""), 0);
    for (auto [text, lines] : {std::pair{"abc", 1}, {"abc\n", 1}, {"abc\nd", 2}, {"\n\n", 2}})
        EXPECT_EQ(surfTextHeight(sfont, text), lines * line) << text;

    // Unknown characters print as the question mark.
    EXPECT_EQ(surfTextWidth(sfont, "\xE4\xB8\x80"), surfTextWidth(sfont, "?"));
    EXPECT_EQ(printed("\xE4\xB8\x80"), printed("?"));

    // Ink takes the colour, the cell background stays untouched, and the second
    // line starts back at the left, one line down.
    std::string both = printed("A\r\nB"), a = printed("A"), b = printed("B", 40, 30, 1 + line);
    int ink = 0;
    for (size_t i = 0; i < both.size(); i += 4) {
        EXPECT_TRUE(both.compare(i, 4, std::string(4, '\0')) == 0 || both.compare(i, 4, "\xFF\0\0\xFF", 4) == 0) << i;
        ink += both[i + 3] != 0;
        EXPECT_EQ(both[i + 3], i < (size_t)40 * 4 * (1 + line) ? a[i + 3] : b[i + 3]) << i;
    }
    EXPECT_GT(ink, 10);
}

TEST(BuiltinFont, PrintedTextIsCutAt1023Bytes) {
    const int iw = surfTextWidth(sfont, "i"), h = surfTextHeight(sfont, "") + 1;
    const std::string cut = printed(std::string(1500, 'i'), 1100 * iw, h);
    EXPECT_EQ(cut, printed(std::string(1023, 'i'), 1100 * iw, h));
    EXPECT_NE(cut, printed(std::string(1022, 'i'), 1100 * iw, h));
}

}  // namespace
