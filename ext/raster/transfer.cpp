// Transfer between the float image and 8-bit straight-alpha sRGB buffers.
#include <algorithm>

#include "raster/canvas.h"
#include "raster/color_math.h"
#include "raster/srgb_tables.h"

namespace raster {

void canvas::get_image_data(unsigned char* image, int width, int height, int stride, int x, int y) {
    if (!image || width < 1 || height < 1)
        return;
    srgb_quantiser const& quantiser = srgb_quantiser::instance();
    for (int j = 0; j < height; ++j) {
        unsigned char* out = image + static_cast<std::ptrdiff_t>(j) * stride;
        long row = static_cast<long>(y) + j;
        for (int i = 0; i < width; ++i, out += 4) {
            long column = static_cast<long>(x) + i;
            out[0] = out[1] = out[2] = out[3] = 0;
            if (row < 0 || row >= size_y || column < 0 || column >= size_x)
                continue;
            rgba const& pixel = bitmap[row * size_x + column];
            if (!(pixel.a >= min_coverage))
                continue;
            int threshold = bayer_index(column, row);
            float unpremultiply = 1.0f / pixel.a;
            out[0] = quantiser.encode(pixel.r * unpremultiply, threshold);
            out[1] = quantiser.encode(pixel.g * unpremultiply, threshold);
            out[2] = quantiser.encode(pixel.b * unpremultiply, threshold);
            out[3] = srgb_quantiser::encode_alpha(pixel.a, threshold);
        }
    }
}

void canvas::put_image_data(unsigned char const* image, int width, int height, int stride, int x, int y) {
    if (!image || width < 1 || height < 1)
        return;
    float const* linear = srgb_byte_to_linear();
    for (int j = 0; j < height; ++j) {
        long row = static_cast<long>(y) + j;
        if (row < 0 || row >= size_y)
            continue;
        unsigned char const* in = image + static_cast<std::ptrdiff_t>(j) * stride;
        for (int i = 0; i < width; ++i, in += 4) {
            long column = static_cast<long>(x) + i;
            if (column < 0 || column >= size_x)
                continue;
            float alpha = static_cast<float>(in[3]) / 255.0f;
            bitmap[row * size_x + column] = {linear[in[0]] * alpha, linear[in[1]] * alpha, linear[in[2]] * alpha,
                                             alpha};
        }
    }
}

}  // namespace raster
