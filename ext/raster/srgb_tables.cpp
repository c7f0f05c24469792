#include "raster/srgb_tables.h"

#include <cstdint>
#include <cstring>

#include "raster/color_math.h"

namespace raster {

namespace {

int reference_byte(float value, float threshold) {
    return static_cast<int>(linear_to_srgb(value) * 255.0f + threshold);
}

uint32_t bits_of(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float float_of(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Smallest value in [0, 1] whose reference byte is at least `byte`, found by
// bisection over the bit patterns (ordered like the values when positive).
float first_reaching(int byte, float threshold) {
    uint32_t low = 0, high = bits_of(1.0f);
    if (reference_byte(1.0f, threshold) < byte) return 2.0f;
    while (low < high) {
        uint32_t middle = low + (high - low) / 2;
        if (reference_byte(float_of(middle), threshold) >= byte)
            high = middle;
        else
            low = middle + 1;
    }
    return float_of(low);
}

}  // namespace

float const* srgb_byte_to_linear() {
    static float const* table = [] {
        static float values[256];
        for (int i = 0; i < 256; ++i) values[i] = srgb_to_linear(static_cast<float>(i) / 255.0f);
        return values;
    }();
    return table;
}

srgb_quantiser const& srgb_quantiser::instance() {
    static srgb_quantiser const quantiser;
    return quantiser;
}

srgb_quantiser::srgb_quantiser() {
    for (int t = 0; t < 16; ++t) {
        float threshold = bayer_threshold(t);
        breakpoints[t][0] = 0.0f;
        for (int byte = 1; byte < 256; ++byte) breakpoints[t][byte] = first_reaching(byte, threshold);
        breakpoints[t][256] = 2.0f;
        int byte = 0;
        for (int step = 0; step <= coarse_steps; ++step) {
            float value = static_cast<float>(step) / coarse_steps;
            while (byte < 255 && value >= breakpoints[t][byte + 1]) ++byte;
            start[t][step] = static_cast<unsigned char>(byte);
        }
    }
}

}  // namespace raster
