// Selects arbitrary bytes as a font and measures and draws text with it, with
// every alignment path that walks the text twice.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "raster/canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static char const text[] = "ABCD Ag\t\xE2\x82\xAC\xF0\x9F\x98\x80\xC3(\xFF\x80\xE2\x82x";
    raster::canvas image(96, 40);
    if (!image.set_font(data, static_cast<int>(size > INT_MAX ? INT_MAX : size), 14.0f)) return 0;
    image.measure_text(text);
    image.fill_text(text, 2.0f, 30.0f);
    image.text_align = raster::center;
    image.text_baseline = raster::middle;
    image.fill_text(text, 48.0f, 20.0f, 60.0f);
    image.set_font(nullptr, 0, 37.0f);
    image.text_baseline = raster::top;
    image.fill_text(text, 48.0f, 0.0f);
    unsigned char pixels[96 * 40 * 4];
    image.get_image_data(pixels, 96, 40, 96 * 4, 0, 0);
    return 0;
}
