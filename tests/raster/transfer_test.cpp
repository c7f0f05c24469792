// Reading and writing 8-bit sRGB pixels: the dithered quantisation, round
// trips, and the bit-exactness of the table-driven encoder.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "canvas_probe.h"
#include "raster/color_math.h"
#include "raster/srgb_tables.h"

namespace {

using raster::canvas;

int reference_byte(float linear, int threshold) {
    return static_cast<int>(raster::linear_to_srgb(linear) * 255.0f + static_cast<float>(2 * threshold + 1) / 32.0f);
}

TEST(Transfer, EncoderAgreesWithPowAtEveryBreakpoint) {
    raster::srgb_quantiser const& quantiser = raster::srgb_quantiser::instance();
    for (int t = 0; t < 16; ++t)
        for (int byte = 1; byte < 256; ++byte) {
            // Walk up to the first float giving this byte, from just below it.
            float value = 0.0f;
            for (float step = 0.5f; step > 1e-10f; step *= 0.5f)
                if (value + step <= 1.0f && reference_byte(value + step, t) < byte)
                    value += step;
            for (int k = 0; k < 4; ++k) {
                ASSERT_EQ(quantiser.encode(value, t), reference_byte(value, t)) << t << " " << byte << " " << value;
                value = std::nextafter(value, 2.0f);
            }
        }
}

TEST(Transfer, EncoderAgreesWithPowAcrossTheRange) {
    raster::srgb_quantiser const& quantiser = raster::srgb_quantiser::instance();
    uint32_t one;
    float unit = 1.0f;
    std::memcpy(&one, &unit, 4);
    for (uint32_t bits = 0; bits <= one; bits += 9973) {
        float value;
        std::memcpy(&value, &bits, 4);
        for (int t = 0; t < 16; t += 5)
            ASSERT_EQ(quantiser.encode(value, t), reference_byte(value, t)) << value << " " << t;
    }
    EXPECT_EQ(quantiser.encode(-1.0f, 3), 0);
    EXPECT_EQ(quantiser.encode(7.0f, 3), 255);
}

TEST(Transfer, NewCanvasIsTransparentAndOutsideReadsAsZero) {
    canvas image(4, 4);
    image.fill_rectangle(0.0f, 0.0f, 4.0f, 4.0f);
    std::vector<unsigned char> pixels(8 * 8 * 4, 77);
    image.get_image_data(pixels.data(), 8, 8, 32, -2, -2);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
            unsigned char const* p = &pixels[(y * 8 + x) * 4];
            EXPECT_EQ(p[3], inside ? 255 : 0);
            EXPECT_EQ(p[0] + p[1] + p[2], 0);
        }
    canvas empty(3, 3);
    std::vector<unsigned char> nothing(3 * 3 * 4, 9);
    empty.get_image_data(nothing.data(), 3, 3, 12, 0, 0);
    EXPECT_EQ(nothing, std::vector<unsigned char>(36, 0));
    // Positions at the ends of the integer range read nothing but zeros.
    for (int far : {INT_MIN, INT_MIN + 2, INT_MAX - 2, INT_MAX}) {
        std::fill(nothing.begin(), nothing.end(), 9);
        image.get_image_data(nothing.data(), 3, 3, 12, far, 1);
        EXPECT_EQ(nothing, std::vector<unsigned char>(36, 0)) << far;
        std::fill(nothing.begin(), nothing.end(), 9);
        image.get_image_data(nothing.data(), 3, 3, 12, 1, far);
        EXPECT_EQ(nothing, std::vector<unsigned char>(36, 0)) << far;
    }
}

TEST(Transfer, WhiteAndTransparentAreExactEverywhere) {
    canvas image(8, 8);
    image.set_color(raster::fill_style, 1.0f, 1.0f, 1.0f, 1.0f);
    image.fill_rectangle(0.0f, 0.0f, 8.0f, 4.0f);
    std::vector<unsigned char> pixels(8 * 8 * 4);
    image.get_image_data(pixels.data(), 8, 8, 32, 0, 0);
    for (int i = 0; i < 8 * 4 * 4; ++i)
        EXPECT_EQ(pixels[i], 255);
    for (int i = 8 * 4 * 4; i < 8 * 8 * 4; ++i)
        EXPECT_EQ(pixels[i], 0);
}

TEST(Transfer, GreyDithersByTheBayerThresholds) {
    // sRGB 0.5 is 127.5 of 255: thresholds from 0.5 up round it to 128.
    static int const bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    canvas image(8, 8);
    image.set_color(raster::fill_style, 0.5f, 0.5f, 0.5f, 1.0f);
    image.fill_rectangle(0.0f, 0.0f, 8.0f, 8.0f);
    std::vector<unsigned char> pixels(8 * 8 * 4);
    image.get_image_data(pixels.data(), 8, 8, 32, 0, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            float threshold = (2.0f * bayer[y % 4][x % 4] + 1.0f) / 32.0f;
            EXPECT_EQ(pixels[(y * 8 + x) * 4], threshold >= 0.5f ? 128 : 127) << x << ", " << y;
            EXPECT_EQ(pixels[(y * 8 + x) * 4 + 3], 255);
        }
    // Reading from an offset takes the thresholds of the canvas positions.
    unsigned char one[4];
    image.get_image_data(one, 1, 1, 4, 1, 0);
    EXPECT_EQ(one[0], pixels[4]);
}

TEST(Transfer, PutThenGetReturnsTheSameOpaqueBytes) {
    std::vector<unsigned char> source(16 * 16 * 4);
    for (int i = 0; i < 256; ++i) {
        source[4 * i] = static_cast<unsigned char>(i);
        source[4 * i + 1] = static_cast<unsigned char>(255 - i);
        source[4 * i + 2] = static_cast<unsigned char>((i * 37) & 255);
        source[4 * i + 3] = 255;
    }
    canvas image(20, 20);
    image.put_image_data(source.data(), 16, 16, 64, 3, 2);
    std::vector<unsigned char> back(16 * 16 * 4);
    image.get_image_data(back.data(), 16, 16, 64, 3, 2);
    EXPECT_EQ(back, source);
}

TEST(Transfer, PutIgnoresTheClipTransformAndPartsOutside) {
    canvas image(4, 4);
    image.rectangle(0.0f, 0.0f, 1.0f, 1.0f);
    image.clip();
    image.scale(3.0f, 3.0f);
    unsigned char pixels[2 * 2 * 4] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 255, 9, 9, 9, 255};
    image.put_image_data(pixels, 2, 2, 8, 3, 3);
    raster::rgba stored = raster::canvas_probe::pixel(image, 3, 3);
    EXPECT_FLOAT_EQ(stored.r, 1.0f);
    EXPECT_FLOAT_EQ(stored.a, 1.0f);
    image.put_image_data(pixels, 2, 2, 8, 0, 0);
    raster::rgba half = raster::canvas_probe::pixel(image, 1, 0);
    EXPECT_NEAR(half.g, 128.0f / 255.0f, 1e-6f);
    EXPECT_NEAR(half.a, 128.0f / 255.0f, 1e-6f);
    image.put_image_data(nullptr, 2, 2, 8, 0, 0);
    image.put_image_data(pixels, 2, 0, 8, 0, 0);
}

}  // namespace
