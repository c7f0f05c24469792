// Composite operations, global alpha, paints, shadows and pixel transfer.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;
using raster::rgba;

void expect_color(rgba actual, rgba expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.r, expected.r, tolerance);
    EXPECT_NEAR(actual.g, expected.g, tolerance);
    EXPECT_NEAR(actual.b, expected.b, tolerance);
    EXPECT_NEAR(actual.a, expected.a, tolerance);
}

TEST(Composite, OperationsFollowThePorterDuffTable) {
    // Factors of the source (by destination alpha) and of the destination
    // (by source alpha): 0 none, 1 one, 2 alpha, 3 one minus alpha.
    struct row {
        raster::composite_operation operation;
        int source, destination;
    };
    row const table[] = {
        {raster::source_in, 2, 0},        {raster::source_copy, 1, 0},      {raster::source_out, 3, 0},
        {raster::destination_in, 0, 2},   {raster::destination_atop, 3, 2}, {raster::lighter, 1, 1},
        {raster::destination_over, 3, 1}, {raster::destination_out, 0, 3},  {raster::source_atop, 2, 3},
        {raster::source_over, 1, 3},      {raster::exclusive_or, 3, 3}};
    auto factor = [](int kind, float alpha) {
        return kind < 2 ? static_cast<float>(kind) : kind == 2 ? alpha : 1 - alpha;
    };
    unsigned char const destinations[][4] = {
        {200, 40, 90, 255}, {10, 250, 128, 100}, {0, 0, 0, 0}, {255, 255, 255, 255}};
    // Source channels of 0 and 1 are the same in linear light.
    rgba const sources[] = {{0, 1, 0, 1}, {1, 0, 1, 0.6f}, {1, 1, 0, 0.3f}, {}};
    for (row const& op : table)
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(testing::Message() << op.operation << " case " << i);
            canvas image(8, 8);
            for (int x : {1, 4, 7}) image.put_image_data(destinations[i], 1, 1, 4, x, x == 1 ? 1 : 5);
            image.rectangle(0.0f, 0.0f, 6.0f, 8.0f);
            image.clip();
            rgba d = canvas_probe::pixel(image, 1, 1);
            rgba s = sources[i], p{s.r * s.a, s.g * s.a, s.b * s.a, s.a};
            image.set_color(raster::fill_style, s.r, s.g, s.b, s.a);
            image.global_composite_operation = op.operation;
            image.fill_rectangle(1.0f, 1.0f, 1.0f, 1.0f);
            float fs = factor(op.source, d.a), fd = factor(op.destination, s.a);
            expect_color(canvas_probe::pixel(image, 1, 1), {d.r * fd + p.r * fs, d.g * fd + p.g * fs,
                                                            d.b * fd + p.b * fs, std::min(1.0f, d.a * fd + p.a * fs)});
            // Where the source does not reach, the destination keeps its
            // factor at source alpha zero, inside the clip only.
            EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 4, 5), factor(op.destination, 0.0f) * d.a);
            EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 7, 5), d.a);
        }
}

TEST(Composite, GlobalAlphaScalesTheSource) {
    canvas image(1, 1);
    image.set_global_alpha(0.25f);
    image.set_global_alpha(1.5f);  // ignored
    image.fill_rectangle(0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 0, 0), 0.25f);
}

// Fills a 20 x 20 canvas with a gradient from red at the first stop to blue
// at the others; gives the blue share at (x, y), or the total coverage for x < 0.
template <typename set_gradient>
double blue_at(set_gradient set, int x, int y, std::vector<float> stops = {0, 1}) {
    canvas image(20, 20);
    set(image);
    for (size_t i = 0; i < stops.size(); ++i)
        image.add_color_stop(raster::fill_style, stops[i], i == 0, 0.0f, i > 0, 1.0f);
    image.fill_rectangle(0.0f, 0.0f, 20.0f, 20.0f);
    if (x < 0) return canvas_probe::total_alpha(image);
    rgba pixel = canvas_probe::pixel(image, x, y);
    EXPECT_NEAR(pixel.r + pixel.b, pixel.a, 1e-5f);
    return pixel.b;
}

TEST(Paint, GradientsInterpolateInLinearLight) {
    auto linear = [](canvas& c) { c.set_linear_gradient(raster::fill_style, 0, 0, 20, 0); };
    for (int x = 0; x < 20; ++x) EXPECT_NEAR(blue_at(linear, x, 7), (x + 0.5) / 20, 1e-5);
    // Stops both at the middle split the shape; stops beyond 1 are ignored.
    EXPECT_EQ(blue_at(linear, 3, 0, {0.5f, 0.5f, 1.5f}), 0.0);
    EXPECT_EQ(blue_at(linear, 16, 0, {0.5f, 0.5f, 1.5f}), 1.0);
    auto radial = [](canvas& c) { c.set_radial_gradient(raster::fill_style, 10, 10, 0, 10, 10, 10); };
    EXPECT_NEAR(blue_at(radial, 15, 9), std::hypot(5.5, 0.5) / 10, 1e-5);
    EXPECT_NEAR(blue_at(radial, 9, 4), std::hypot(5.5, 0.5) / 10, 1e-5);
    // An end circle touching the start circle from inside makes the
    // quadratic's leading coefficient zero; at x = 15.5 on the axis t = 0.55.
    EXPECT_NEAR(blue_at([](canvas& c) { c.set_radial_gradient(raster::fill_style, 5, 10, 5, 10, 10, 10); }, 15, 9),
                0.55, 0.02);
    EXPECT_EQ(blue_at([](canvas& c) { c.set_linear_gradient(raster::fill_style, 3, 3, 3, 3); }, -1, 0), 0.0);
    EXPECT_EQ(blue_at([](canvas& c) { c.set_radial_gradient(raster::fill_style, 4, 4, 2, 4, 4, 2); }, -1, 0), 0.0);
}

TEST(Paint, ImagesAndPatternsKeepTheirPixels) {
    unsigned char source[4 * 4 * 4], out[4 * 4 * 4];
    for (int i = 0; i < 64; ++i) source[i] = i % 4 == 3 ? 255 : static_cast<unsigned char>(i * 37);
    canvas image(8, 8);
    image.draw_image(source, 4, 4, 16, 6.0f, 3.0f, -4.0f, 4.0f);  // mirrored by the negative width
    image.get_image_data(out, 4, 4, 16, 2, 3);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(out[i], source[i / 16 * 16 + 12 - i % 16 / 4 * 4 + i % 4]) << i;
    EXPECT_EQ(canvas_probe::total_alpha(image), 16.0);
    unsigned char checker[2 * 2 * 4] = {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 255};
    canvas tiled(8, 8), bounded(8, 8);
    tiled.set_pattern(raster::fill_style, checker, 2, 2, 8, raster::repeat);
    bounded.set_pattern(raster::fill_style, checker, 2, 2, 8, raster::no_repeat);
    for (canvas* c : {&tiled, &bounded}) c->fill_rectangle(0.0f, 0.0f, 8.0f, 8.0f);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_NEAR(canvas_probe::pixel(tiled, x, y).r, (x + y) % 2 == 0, 1e-5f);
            EXPECT_NEAR(canvas_probe::alpha(bounded, x, y), x < 2 && y < 2, 1e-5f);
        }
}

TEST(Paint, StronglyMinifiedPatternsAverageWithoutAliasing) {
    // Opaque stripes 32 texels wide with transparent gaps between them,
    // shrunk 128 times: every pixel covers two periods and shows half
    // coverage, in a pattern brush and in a drawn image alike.
    constexpr int size = 1024;
    std::vector<unsigned char> stripes(size * size * 4, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; x += 64) std::fill_n(&stripes[(y * size + x + 16) * 4], 32 * 4, 255);
    canvas patterned(8, 8), drawn(8, 8);
    patterned.scale(1.0f / 128.0f, 1.0f / 128.0f);
    patterned.set_pattern(raster::fill_style, stripes.data(), size, size, size * 4, raster::repeat);
    patterned.fill_rectangle(0.0f, 0.0f, 1024.0f, 1024.0f);
    drawn.draw_image(stripes.data(), size, size, size * 4, 0.0f, 0.0f, 8.0f, 8.0f);
    for (canvas const* image : {&patterned, &drawn})
        for (int y = 1; y < 7; ++y)
            for (int x = 1; x < 7; ++x) EXPECT_NEAR(canvas_probe::alpha(*image, x, y), 0.5f, 0.02f) << x << ", " << y;
}

TEST(Shadow, SharpOrBlurredCopyBeneathTheShapeKeepsItsWeight) {
    canvas sharp(20, 20), blurred(70, 41);
    sharp.set_shadow_color(0.0f, 0.0f, 1.0f, 1.0f);
    sharp.shadow_offset_x = 3.0f;
    sharp.shadow_offset_y = 4.0f;
    sharp.set_color(raster::fill_style, 1.0f, 0.0f, 0.0f, 1.0f);
    sharp.fill_rectangle(2.0f, 2.0f, 6.0f, 6.0f);
    for (int i = 0; i < 400; ++i) {
        int x = i % 20, y = i / 20;
        bool shape = x >= 2 && x < 8 && y >= 2 && y < 8, shadow = x >= 5 && x < 11 && y >= 6 && y < 12;
        expect_color(canvas_probe::pixel(sharp, x, y),
                     {float(shape), 0, float(shadow && !shape), float(shape || shadow)});
    }
    // Blurred 30 pixels right of the shape, centred on pixel (35, 20).
    blurred.set_shadow_color(0.0f, 0.0f, 0.0f, 1.0f);
    blurred.set_shadow_blur(6.0f);
    blurred.shadow_offset_x = 30.0f;
    blurred.fill_rectangle(3.0f, 18.0f, 5.0f, 5.0f);
    auto at = [&](int x, int y) { return canvas_probe::alpha(blurred, x, y); };
    for (int d = 1; d < 12; ++d) {
        EXPECT_NEAR(at(35 - d, 20), at(35 + d, 20), 1e-5f);
        EXPECT_NEAR(at(35, 20 - d), at(35, 20 + d), 1e-5f);
        EXPECT_LT(at(35 + d, 20), at(35 + d - 1, 20));
    }
    EXPECT_LT(at(35, 20), 1.0f);
    EXPECT_NEAR(canvas_probe::total_alpha(blurred), 25.0 + 25.0, 0.05);
}

TEST(ClearRectangle, ErasesByTheFillColoursAlphaAndKeepsTheState) {
    canvas image(8, 1);
    image.fill_rectangle(0.0f, 0.0f, 8.0f, 1.0f);
    image.set_global_alpha(0.3f);
    image.global_composite_operation = raster::lighter;
    image.set_shadow_color(1.0f, 0.0f, 0.0f, 1.0f);
    image.shadow_offset_x = 2.0f;
    image.clear_rectangle(0.0f, 0.0f, 2.0f, 1.0f);
    image.set_color(raster::fill_style, 0.0f, 0.0f, 0.0f, 0.5f);
    image.clear_rectangle(4.0f, 0.0f, 2.0f, 1.0f);
    image.set_linear_gradient(raster::fill_style, 0.0f, 0.0f, 8.0f, 0.0f);  // erases by its first colour
    image.add_color_stop(raster::fill_style, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    image.add_color_stop(raster::fill_style, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f);
    image.clear_rectangle(6.0f, 0.0f, 2.0f, 1.0f);
    EXPECT_EQ(image.global_composite_operation, raster::lighter);
    EXPECT_EQ(canvas_probe::total_alpha(image), 3.0);
    EXPECT_EQ(canvas_probe::alpha(image, 5, 0), 0.5f);
}

TEST(Transfer, PutThenGetReturnsEveryByteAtEveryThreshold) {
    // Each byte value at four columns and four rows: all 16 thresholds.
    constexpr int width = 1024, height = 4;
    std::vector<unsigned char> source(width * height * 4);
    for (int i = 0; i < width * height * 4; ++i)  // odd factors make each channel take every value
        source[i] = i % 4 == 3 ? 255 : static_cast<unsigned char>(i / 16 % 256 * (1 + 36 * (i % 4)));
    canvas image(width + 3, height + 2);
    image.rectangle(0.0f, 0.0f, 1.0f, 1.0f);  // neither the clip nor the transform applies
    image.clip();
    image.scale(3.0f, 3.0f);
    image.put_image_data(source.data(), width, height, width * 4, 3, 2);
    std::vector<unsigned char> back(source.size());
    image.get_image_data(back.data(), width, height, width * 4, 3, 2);
    EXPECT_EQ(back, source);
    unsigned char half[4] = {0, 128, 0, 128};
    image.put_image_data(half, 1, 1, 4, 0, 0);
    expect_color(canvas_probe::pixel(image, 0, 0), {0.0f, 0.2158605f * 128 / 255, 0.0f, 128.0f / 255});
    image.put_image_data(nullptr, 2, 2, 8, 0, 0);
    image.put_image_data(half, 2, 0, 8, 0, 0);
    // Colours are clamped; sRGB 0.5 is 0.21404 in linear light.
    image.set_color(raster::fill_style, 0.5f, 2.0f, -1.0f, 1.0f);
    image.set_transform(1, 0, 0, 1, 0, 0);
    image.fill_rectangle(0.0f, 0.0f, 1.0f, 1.0f);
    expect_color(canvas_probe::pixel(image, 0, 0), {0.21404f, 1.0f, 0.0f, 1.0f});
}

TEST(Transfer, ReadingOutsideTheCanvasGivesZeros) {
    canvas image(4, 4);
    image.fill_rectangle(0.0f, 0.0f, 4.0f, 4.0f);
    std::vector<unsigned char> pixels(8 * 8 * 4, 77);
    image.get_image_data(pixels.data(), 8, 8, 32, -2, -2);
    for (int i = 0; i < 8 * 8 * 4; ++i) {
        int x = i / 4 % 8, y = i / 32;
        EXPECT_EQ(pixels[i], x >= 2 && x < 6 && y >= 2 && y < 6 && i % 4 == 3 ? 255 : 0) << x << ", " << y;
    }
    // Positions at the ends of the integer range read nothing but zeros.
    for (int far : {INT_MIN, INT_MIN + 2, INT_MAX - 2, INT_MAX})
        for (auto [x, y] : {std::pair{far, 1}, std::pair{1, far}}) {
            std::vector<unsigned char> nothing(36, 9);
            image.get_image_data(nothing.data(), 3, 3, 12, x, y);
            EXPECT_EQ(nothing, std::vector<unsigned char>(36, 0)) << x << ", " << y;
        }
}

}  // namespace
