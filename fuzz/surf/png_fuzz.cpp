// Any bytes given to the PNG decoder; a decoded image is also tried as a
// code page 12001 glyph sheet, whose watermarks come straight from the input.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "surf/surf.h"

// The decoder allocates the pixels a header declares before it looks at the
// data, which is legitimate but makes a fuzzer crawl on gigabyte headers:
// such inputs are skipped.
static bool declaresHugeImage(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 12 <= size; i++) {
        if (memcmp(data + i, "IHDR", 4) != 0) continue;
        const uint8_t* p = data + i + 4;
        uint64_t w = (uint64_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3];
        uint64_t h = (uint64_t)p[4] << 24 | p[5] << 16 | p[6] << 8 | p[7];
        if (w * h > (1u << 22)) return true;
    }
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT_MAX || declaresHugeImage(data, size)) return 0;
    Surf* bmp = surfLoadImageMem(data, (int)size);
    if (!bmp) return 0;
    if ((size_t)bmp->w * bmp->h > 1 << 16) {
        surfFree(bmp);
        return 0;
    }
    SurfFont* font = surfLoadFont(bmp, SCP_UTF32);
    if (font) {
        Surf* target = surfBitmap(64, 32);
        surfPrint(target, font, -3, 2, SPixel{255, 255, 255, 255}, "A\xCE\xA9\n?\xF0\x9F\x98\x80");
        surfTextWidth(font, "xyz\r\n");
        surfFree(target);
        surfFreeFont(font);
    }
    return 0;
}
