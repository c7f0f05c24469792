// Precomputed sRGB conversions for the pixel-transfer operations.
#pragma once

#include <algorithm>
#include <cstdint>

namespace raster {

// 256 entries: the linear value of each sRGB byte.
float const* srgb_byte_to_linear();

// The ordered-dither index k (0..15) of a pixel position in the 4 x 4 Bayer
// matrix; its threshold is (2k + 1) / 32.
inline int bayer_index(int64_t x, int64_t y) {
    constexpr int matrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return matrix[y & 3][x & 3];
}

inline float bayer_threshold(int index) { return static_cast<float>(2 * index + 1) / 32.0f; }

// Quantises linear values to dithered sRGB bytes, giving exactly
// int(linear_to_srgb(value) * 255 + threshold) without evaluating pow: for
// each threshold the 255 smallest values that reach the next byte are found
// once by bisection over the floats, and a coarse index starts the search.
class srgb_quantiser {
public:
    static srgb_quantiser const& instance();
    // `value` is clamped to 0..1; `threshold` is the Bayer index 0..15.
    unsigned char encode(float value, int threshold) const {
        if (!(value > 0.0f)) value = 0.0f;
        if (value > 1.0f) value = 1.0f;
        int coarse = static_cast<int>(value * coarse_steps);
        int byte = start[threshold][coarse];
        // The encoding rises by less than one byte over a coarse step (its
        // steepest slope, 12.92 x 255 near zero, gives 0.8), so at most one
        // breakpoint lies between the step's start and the value.
        byte += value >= breakpoints[threshold][byte + 1];
        return static_cast<unsigned char>(byte);
    }
    // Alpha is stored linearly: only the dither applies.
    static unsigned char encode_alpha(float alpha, int threshold) {
        return static_cast<unsigned char>(std::min(alpha, 1.0f) * 255.0f + bayer_threshold(threshold));
    }

private:
    static constexpr int coarse_steps = 4096;
    srgb_quantiser();
    // breakpoints[t][k]: the smallest value giving byte k or more; [t][0] = 0
    // and [t][256], beyond every value, ends the search.
    float breakpoints[16][257];
    unsigned char start[16][coarse_steps + 1];
};

}  // namespace raster
