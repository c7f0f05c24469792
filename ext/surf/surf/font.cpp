// The bitmap-font printer: glyph sheets whose cells are found by scanning
// for a border colour, a sorted glyph table, and text printed as tinted
// blits of glyph cells.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "surf/font_sheet.h"
#include "surf/surf.h"

namespace {

// Unicode values of the bytes 0x80 to 0xFF in Windows-1252; U+FFFD where the
// code page leaves a byte undefined.
const int cp1252[128] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152,
    0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, 0x00B0, 0x00B1, 0x00B2, 0x00B3,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0,
    0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD,
    0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA,
    0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, 0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4,
    0x00F5, 0x00F6, 0x00F7, 0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

// The fallback glyph: '?' in a code page 0 or 1252 sheet.
const int kFallbackGlyph = 31;

SurfFont builtin = {nullptr, 0, nullptr};

// A 32-bit value hidden in the alpha of seven pixels running down from
// (x, y): marker 170, four bytes least significant first, one spare byte,
// marker 85.
bool readWatermark(const Surf* sheet, int x, int y, int* value) {
    if (x < 0 || y < 0 || x >= sheet->w || y + 7 > sheet->h) return false;
    unsigned char a[7];
    for (int i = 0; i < 7; i++) a[i] = sheet->pix[(size_t)(y + i) * sheet->w + x].a;
    if (a[0] != 170 || a[6] != 85) return false;
    *value = (int)((unsigned)a[1] | (unsigned)a[2] << 8 | (unsigned)a[3] << 16 | (unsigned)a[4] << 24);
    return true;
}

bool sameRGB(SPixel a, SPixel b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

bool loadGlyphs(SurfFont* font, int codepage) {
    const Surf* sheet = font->bitmap;
    if (sheet->w < 1 || sheet->h < 1) return false;
    int count;
    if (codepage == SCP_ASCII)
        count = 96;
    else if (codepage == SCP_1252)
        count = 224;
    else if (codepage == SCP_UTF32) {
        // Every glyph needs at least one pixel, which bounds the allocation.
        if (!readWatermark(sheet, 0, 0, &count) || count < 1 || count > sheet->w * sheet->h) return false;
    } else {
        return false;
    }
    font->numGlyphs = count;
    font->glyphs = (SurfGlyph*)calloc((size_t)count, sizeof(SurfGlyph));

    const SPixel border = sheet->pix[0];
    auto isBorder = [&](int x, int y) { return sameRGB(sheet->pix[(size_t)y * sheet->w + x], border); };
    int x = codepage == SCP_UTF32 ? 1 : 0, y = 0, rowHeight = 0;
    for (int i = 0; i < count; i++) {
        for (;;) {
            if (x >= sheet->w) {
                x = 0;
                y += rowHeight > 0 ? rowHeight : 1;
                rowHeight = 0;
            }
            if (y >= sheet->h) return false;
            if (!isBorder(x, y)) break;
            x++;
        }
        int w = 0, h = 0;
        while (x + w < sheet->w && !isBorder(x + w, y)) w++;
        while (y + h < sheet->h && !isBorder(x, y + h)) h++;
        if (i > 0 && h != font->glyphs[0].h) return false;
        int code;
        if (codepage == SCP_UTF32) {
            if (!readWatermark(sheet, x - 1, y, &code)) return false;
        } else {
            code = i < 96 ? 32 + i : cp1252[i - 96];
        }
        font->glyphs[i] = SurfGlyph{code, x, y, w, h};
        if (h > rowHeight) rowHeight = h;
        x += w;
    }
    // Insertion sort: stable, so of equal codes the later cell is found last.
    for (int i = 1; i < count; i++) {
        SurfGlyph g = font->glyphs[i];
        int j = i - 1;
        for (; j >= 0 && font->glyphs[j].code > g.code; j--) font->glyphs[j + 1] = font->glyphs[j];
        font->glyphs[j + 1] = g;
    }
    return true;
}

void ensureLoaded(SurfFont* font) {
    if (font != sfont || font->bitmap) return;
    font->bitmap = surfLoadImageMem(surf_font, surf_font_size);
    loadGlyphs(font, SCP_1252);
}

const SurfGlyph& findGlyph(const SurfFont* font, int code) {
    int lo = 0, hi = font->numGlyphs - 1, found = -1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        if (font->glyphs[mid].code <= code) {
            found = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    if (found >= 0 && font->glyphs[found].code == code) return font->glyphs[found];
    // A small code page 12001 font may have fewer glyphs than the fallback's index.
    return font->glyphs[font->numGlyphs > kFallbackGlyph ? kFallbackGlyph : font->numGlyphs - 1];
}

}  // namespace

SurfFont* sfont = &builtin;

SurfFont* surfLoadFont(Surf* sheet, int codepage) {
    SurfFont* font = (SurfFont*)calloc(1, sizeof(SurfFont));
    font->bitmap = sheet;
    if (!sheet || !loadGlyphs(font, codepage)) {
        surfFreeFont(font);
        errno = EINVAL;
        return nullptr;
    }
    return font;
}

void surfFreeFont(SurfFont* font) {
    if (!font) return;
    surfFree(font->bitmap);
    free(font->glyphs);
    if (font == sfont) {
        // The built-in record itself is static: empty it so the next use reloads.
        *font = SurfFont{nullptr, 0, nullptr};
        return;
    }
    free(font);
}

void surfPrint(Surf* dst, SurfFont* font, int x, int y, SPixel color, const char* format, ...) {
    ensureLoaded(font);
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const int lineHeight = surfTextHeight(font, "");
    int px = x;
    for (const char* p = text; *p;) {
        int code;
        p = surfDecodeUTF8(p, &code);
        if (code == '\r') continue;
        if (code == '\n') {
            px = x;
            y += lineHeight;
            continue;
        }
        const SurfGlyph& g = findGlyph(font, code);
        surfBlitTint(dst, font->bitmap, px, y, g.x, g.y, g.w, g.h, color);
        px += g.w;
    }
}

int surfTextWidth(SurfFont* font, const char* text) {
    ensureLoaded(font);
    int widest = 0, line = 0;
    for (const char* p = text; *p;) {
        int code;
        p = surfDecodeUTF8(p, &code);
        if (code == '\n' || code == '\r') {
            line = 0;
            continue;
        }
        line += findGlyph(font, code).w;
        if (line > widest) widest = line;
    }
    return widest;
}

int surfTextHeight(SurfFont* font, const char* text) {
    ensureLoaded(font);
    int lines = 1;
    for (const char* p = text; *p; p++)
        if (*p == '\n' && p[1]) lines++;
    return findGlyph(font, 0).h * lines;
}
