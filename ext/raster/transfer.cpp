// Transfer between the float image and 8-bit straight-alpha sRGB buffers.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "raster/canvas.h"
#include "raster/color_math.h"
#include "raster/srgb_tables.h"

namespace raster {

void canvas::get_image_data(unsigned char* image, int width, int height, int stride, int x, int y) {
    if (!image || width < 1 || height < 1) return;
    srgb_quantiser const& quantiser = srgb_quantiser::instance();
    // 64-bit throughout: a canvas row times its width exceeds 32 bits, and
    // `long` has only 32 on Windows.
    int64_t const columns = width;
    // Output columns [first, last) fall inside the canvas; the rest are zero.
    int64_t first = std::clamp<int64_t>(-int64_t{x}, 0, columns);
    int64_t last = std::clamp<int64_t>(int64_t{size_x} - x, first, columns);
    for (int j = 0; j < height; ++j) {
        unsigned char* out = image + int64_t{j} * stride;
        int64_t row = int64_t{y} + j;
        if (row < 0 || row >= size_y) {
            std::fill(out, out + 4 * columns, 0);
            continue;
        }
        std::fill(out, out + 4 * first, 0);
        std::fill(out + 4 * last, out + 4 * columns, 0);
        // Indexed from the row's start: a negative x must not form a pointer
        // before the image.
        rgba const* pixels = bitmap + row * size_x;
        int thresholds[4];
        for (int k = 0; k < 4; ++k) thresholds[k] = bayer_index(k, row);
        for (int64_t i = first; i < last; ++i) {
            int64_t column = x + i;
            rgba const& pixel = pixels[column];
            unsigned char* o = out + 4 * i;
            if (!(pixel.a >= min_coverage)) {
                std::memset(o, 0, 4);
                continue;
            }
            int threshold = thresholds[column & 3];
            float unpremultiply = 1.0f / pixel.a;
            o[0] = quantiser.encode(pixel.r * unpremultiply, threshold);
            // Text and most of an interface are grey: equal channels encode alike.
            if (pixel.r == pixel.g && pixel.g == pixel.b) {
                o[1] = o[2] = o[0];
            } else {
                o[1] = quantiser.encode(pixel.g * unpremultiply, threshold);
                o[2] = quantiser.encode(pixel.b * unpremultiply, threshold);
            }
            o[3] = srgb_quantiser::encode_alpha(pixel.a, threshold);
        }
    }
}

void canvas::put_image_data(unsigned char const* image, int width, int height, int stride, int x, int y) {
    if (!image || width < 1 || height < 1) return;
    float const* linear = srgb_byte_to_linear();
    for (int j = 0; j < height; ++j) {
        int64_t row = int64_t{y} + j;
        if (row < 0 || row >= size_y) continue;
        unsigned char const* in = image + int64_t{j} * stride;
        for (int i = 0; i < width; ++i, in += 4) {
            int64_t column = int64_t{x} + i;
            if (column < 0 || column >= size_x) continue;
            float alpha = static_cast<float>(in[3]) / 255.0f;
            bitmap[row * size_x + column] = {linear[in[0]] * alpha, linear[in[1]] * alpha, linear[in[2]] * alpha,
                                             alpha};
        }
    }
}

}  // namespace raster
