// Any bytes given to the PNG decoder; a decoded image is also tried as a
// code page 12001 glyph sheet, whose watermarks come straight from the input.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "surf/surf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT_MAX) return 0;
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
