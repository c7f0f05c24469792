// Composite operations, global alpha, paints and shadows, read from the
// float image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;
using raster::rgba;

void put_pixel(canvas& image, int x, int y, unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
    unsigned char pixel[4] = {r, g, b, a};
    image.put_image_data(pixel, 1, 1, 4, x, y);
}

void expect_color(rgba actual, rgba expected, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.r, expected.r, tolerance);
    EXPECT_NEAR(actual.g, expected.g, tolerance);
    EXPECT_NEAR(actual.b, expected.b, tolerance);
    EXPECT_NEAR(actual.a, expected.a, tolerance);
}

struct porter_duff {
    raster::composite_operation operation;
    std::function<float(float)> source_factor;       // of the destination alpha
    std::function<float(float)> destination_factor;  // of the source alpha
};

std::vector<porter_duff> const operations = {
    {raster::source_in, [](float da) { return da; }, [](float) { return 0.0f; }},
    {raster::source_copy, [](float) { return 1.0f; }, [](float) { return 0.0f; }},
    {raster::source_out, [](float da) { return 1.0f - da; }, [](float) { return 0.0f; }},
    {raster::destination_in, [](float) { return 0.0f; }, [](float sa) { return sa; }},
    {raster::destination_atop, [](float da) { return 1.0f - da; }, [](float sa) { return sa; }},
    {raster::lighter, [](float) { return 1.0f; }, [](float) { return 1.0f; }},
    {raster::destination_over, [](float da) { return 1.0f - da; }, [](float) { return 1.0f; }},
    {raster::destination_out, [](float) { return 0.0f; }, [](float sa) { return 1.0f - sa; }},
    {raster::source_atop, [](float da) { return da; }, [](float sa) { return 1.0f - sa; }},
    {raster::source_over, [](float) { return 1.0f; }, [](float sa) { return 1.0f - sa; }},
    {raster::exclusive_or, [](float da) { return 1.0f - da; }, [](float sa) { return 1.0f - sa; }},
};

TEST(Composite, ElevenOperationsFollowThePorterDuffTable) {
    struct pair {
        unsigned char destination[4];
        float source[4];
    };
    std::vector<pair> cases = {{{200, 40, 90, 255}, {0.2f, 0.7f, 0.4f, 1.0f}},
                               {{10, 250, 128, 100}, {0.9f, 0.1f, 0.5f, 0.6f}},
                               {{0, 0, 0, 0}, {0.5f, 0.5f, 1.0f, 0.3f}},
                               {{255, 255, 255, 255}, {0.0f, 0.0f, 0.0f, 0.0f}}};
    for (porter_duff const& op : operations) {
        for (pair const& c : cases) {
            canvas image(4, 4);
            put_pixel(image, 1, 1, c.destination[0], c.destination[1], c.destination[2], c.destination[3]);
            rgba d = canvas_probe::pixel(image, 1, 1);
            image.set_color(raster::fill_style, c.source[0], c.source[1], c.source[2], c.source[3]);
            image.global_composite_operation = op.operation;
            image.fill_rectangle(1.0f, 1.0f, 1.0f, 1.0f);
            float fs = op.source_factor(d.a), fd = op.destination_factor(c.source[3]);
            // The source colour as the canvas stores it: linear, premultiplied.
            canvas reference(1, 1);
            reference.set_color(raster::fill_style, c.source[0], c.source[1], c.source[2], c.source[3]);
            reference.fill_rectangle(0.0f, 0.0f, 1.0f, 1.0f);
            rgba paint = canvas_probe::pixel(reference, 0, 0);
            rgba expected{d.r * fd + paint.r * fs, d.g * fd + paint.g * fs, d.b * fd + paint.b * fs,
                          std::min(1.0f, d.a * fd + paint.a * fs)};
            SCOPED_TRACE(static_cast<int>(op.operation));
            expect_color(canvas_probe::pixel(image, 1, 1), expected);
        }
    }
}

TEST(Composite, OperationsThatKeepTheDestinationFactorClearTheRestOfTheClip) {
    for (porter_duff const& op : operations) {
        canvas image(8, 8);
        image.fill_rectangle(0.0f, 0.0f, 8.0f, 8.0f);
        image.rectangle(0.0f, 0.0f, 6.0f, 8.0f);
        image.clip();
        image.global_composite_operation = op.operation;
        image.set_color(raster::fill_style, 1.0f, 1.0f, 1.0f, 1.0f);
        image.fill_rectangle(1.0f, 1.0f, 2.0f, 2.0f);
        // Without a source there, the destination keeps its factor at a
        // source alpha of zero: nothing for these operations.
        bool clears = (static_cast<int>(op.operation) & 8) == 0;
        SCOPED_TRACE(static_cast<int>(op.operation));
        EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 4, 5), clears ? 0.0f : 1.0f);
        // Outside the clip nothing changes.
        EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 7, 5), 1.0f);
    }
}

TEST(Composite, LighterSaturatesAlphaButNotColour) {
    canvas image(2, 2);
    image.global_composite_operation = raster::lighter;
    image.set_color(raster::fill_style, 1.0f, 0.0f, 0.0f, 0.75f);
    image.fill_rectangle(0.0f, 0.0f, 1.0f, 1.0f);
    image.fill_rectangle(0.0f, 0.0f, 1.0f, 1.0f);
    rgba pixel = canvas_probe::pixel(image, 0, 0);
    EXPECT_FLOAT_EQ(pixel.a, 1.0f);
    EXPECT_FLOAT_EQ(pixel.r, 1.5f);
}

TEST(Composite, GlobalAlphaScalesTheSource) {
    canvas image(2, 2);
    image.set_global_alpha(0.25f);
    image.set_global_alpha(1.5f);  // ignored
    image.fill_rectangle(0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 0, 0), 0.25f);
}

TEST(Paint, SetColorStoresLinearPremultipliedColour) {
    canvas image(2, 2);
    image.set_color(raster::fill_style, 1.0f, 0.0f, 0.0f, 0.5f);
    image.fill_rectangle(0.0f, 0.0f, 1.0f, 1.0f);
    expect_color(canvas_probe::pixel(image, 0, 0), {0.5f, 0.0f, 0.0f, 0.5f});
    image.set_color(raster::fill_style, 0.5f, 2.0f, -1.0f, 1.0f);
    image.fill_rectangle(1.0f, 0.0f, 1.0f, 1.0f);
    expect_color(canvas_probe::pixel(image, 1, 0), {0.21404f, 1.0f, 0.0f, 1.0f}, 1e-5f);
}

TEST(Paint, LinearGradientInterpolatesInLinearLight) {
    canvas image(20, 1);
    image.set_linear_gradient(raster::fill_style, 0.0f, 0.0f, 20.0f, 0.0f);
    image.add_color_stop(raster::fill_style, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    image.add_color_stop(raster::fill_style, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    image.fill_rectangle(0.0f, 0.0f, 20.0f, 1.0f);
    for (int x = 0; x < 20; ++x)
        EXPECT_NEAR(canvas_probe::pixel(image, x, 0).g, (x + 0.5f) / 20.0f, 1e-5f);
}

TEST(Paint, GradientStopsOnlyAtTheMiddleSplitTheShape) {
    canvas image(20, 1);
    image.set_linear_gradient(raster::fill_style, 0.0f, 0.0f, 20.0f, 0.0f);
    image.add_color_stop(raster::fill_style, 0.5f, 1.0f, 0.0f, 0.0f, 1.0f);
    image.add_color_stop(raster::fill_style, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f);
    image.add_color_stop(raster::fill_style, 1.5f, 0.0f, 1.0f, 0.0f, 1.0f);  // ignored
    image.fill_rectangle(0.0f, 0.0f, 20.0f, 1.0f);
    expect_color(canvas_probe::pixel(image, 3, 0), {1.0f, 0.0f, 0.0f, 1.0f});
    expect_color(canvas_probe::pixel(image, 16, 0), {0.0f, 0.0f, 1.0f, 1.0f});
}

TEST(Paint, DegenerateGradientsPaintNothing) {
    canvas image(8, 8);
    image.set_linear_gradient(raster::fill_style, 3.0f, 3.0f, 3.0f, 3.0f);
    image.add_color_stop(raster::fill_style, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    image.fill_rectangle(0.0f, 0.0f, 8.0f, 8.0f);
    image.set_radial_gradient(raster::fill_style, 4.0f, 4.0f, 2.0f, 4.0f, 4.0f, 2.0f);
    image.add_color_stop(raster::fill_style, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    image.fill_rectangle(0.0f, 0.0f, 8.0f, 8.0f);
    EXPECT_EQ(raster_test::total_alpha(image, 8, 8), 0.0);
}

TEST(Paint, RadialGradientGrowsOutwards) {
    canvas image(21, 21);
    image.set_radial_gradient(raster::fill_style, 10.5f, 10.5f, 0.0f, 10.5f, 10.5f, 10.0f);
    image.add_color_stop(raster::fill_style, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    image.add_color_stop(raster::fill_style, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    image.fill_rectangle(0.0f, 0.0f, 21.0f, 21.0f);
    EXPECT_NEAR(canvas_probe::pixel(image, 10, 10).r, 1.0f, 1e-5f);
    EXPECT_NEAR(canvas_probe::pixel(image, 15, 10).r, 0.5f, 1e-5f);
    EXPECT_NEAR(canvas_probe::pixel(image, 10, 5).r, 0.5f, 1e-5f);
}

TEST(Paint, RadialGradientBetweenTouchingCirclesIsSolvedLinearly) {
    // The end circle touches the start circle from inside, which makes the
    // quadratic's leading coefficient zero.
    canvas image(20, 20);
    image.set_radial_gradient(raster::fill_style, 5.0f, 10.0f, 5.0f, 10.0f, 10.0f, 10.0f);
    image.add_color_stop(raster::fill_style, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f);
    image.add_color_stop(raster::fill_style, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f);
    image.fill_rectangle(0.0f, 0.0f, 20.0f, 20.0f);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            rgba pixel = canvas_probe::pixel(image, x, y);
            ASSERT_FALSE(std::isnan(pixel.r) || std::isnan(pixel.a)) << x << ", " << y;
        }
    // On the axis at x = 15.5 the circle through the point has t = 0.55.
    rgba middle = canvas_probe::pixel(image, 15, 9);
    EXPECT_GT(middle.a, 0.99f);
    EXPECT_GT(middle.b, 0.3f);
    EXPECT_GT(middle.r, 0.3f);
}

TEST(Paint, ImageDrawnOneToOneKeepsItsPixels) {
    unsigned char source[4 * 4 * 4];
    for (int i = 0; i < 16; ++i) {
        source[4 * i] = static_cast<unsigned char>(i * 16);
        source[4 * i + 1] = static_cast<unsigned char>(255 - i * 9);
        source[4 * i + 2] = static_cast<unsigned char>(i * 5);
        source[4 * i + 3] = 255;
    }
    canvas image(8, 8);
    image.draw_image(source, 4, 4, 16, 2.0f, 3.0f, 4.0f, 4.0f);
    unsigned char out[4 * 4 * 4];
    image.get_image_data(out, 4, 4, 16, 2, 3);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(out[i], source[i]) << i;
    EXPECT_EQ(canvas_probe::alpha(image, 1, 3), 0.0f);
}

TEST(Paint, NegativeTargetSizeMirrorsTheImage) {
    unsigned char source[4 * 1 * 4] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    canvas image(8, 1);
    image.draw_image(source, 4, 1, 16, 6.0f, 0.0f, -4.0f, 1.0f);
    unsigned char out[4 * 4];
    image.get_image_data(out, 4, 1, 16, 2, 0);
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(out[4 * i + k], source[4 * (3 - i) + k]) << i;
}

TEST(Paint, RepeatingPatternTiles) {
    unsigned char checker[2 * 2 * 4] = {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 255};
    canvas image(8, 8);
    image.set_pattern(raster::fill_style, checker, 2, 2, 8, raster::repeat);
    image.fill_rectangle(0.0f, 0.0f, 8.0f, 8.0f);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_NEAR(canvas_probe::pixel(image, x, y).r, (x + y) % 2 == 0 ? 1.0f : 0.0f, 1e-5f);
    canvas bounded(8, 8);
    bounded.set_pattern(raster::fill_style, checker, 2, 2, 8, raster::no_repeat);
    bounded.fill_rectangle(0.0f, 0.0f, 8.0f, 8.0f);
    EXPECT_GT(canvas_probe::alpha(bounded, 1, 1), 0.99f);
    EXPECT_EQ(canvas_probe::alpha(bounded, 3, 1), 0.0f);
}

TEST(Paint, StronglyMinifiedPatternsAverageWithoutAliasing) {
    // Opaque stripes 32 texels wide with transparent gaps between them,
    // shrunk 128 times: every pixel covers two periods and shows half
    // coverage, in a pattern brush and in a drawn image alike.
    constexpr int size = 1024;
    std::vector<unsigned char> stripes(size * size * 4, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; x += 64)
            std::fill_n(&stripes[(y * size + x + 16) * 4], 32 * 4, 255);
    canvas patterned(8, 8), drawn(8, 8);
    patterned.scale(1.0f / 128.0f, 1.0f / 128.0f);
    patterned.set_pattern(raster::fill_style, stripes.data(), size, size, size * 4, raster::repeat);
    patterned.fill_rectangle(0.0f, 0.0f, 1024.0f, 1024.0f);
    drawn.draw_image(stripes.data(), size, size, size * 4, 0.0f, 0.0f, 8.0f, 8.0f);
    for (canvas const* image : {&patterned, &drawn})
        for (int y = 1; y < 7; ++y)
            for (int x = 1; x < 7; ++x)
                EXPECT_NEAR(canvas_probe::alpha(*image, x, y), 0.5f, 0.02f) << x << ", " << y;
}

TEST(Shadow, BlurZeroIsASharpOffsetCopyBeneathTheShape) {
    canvas image(20, 20);
    image.set_shadow_color(0.0f, 0.0f, 1.0f, 1.0f);
    image.shadow_offset_x = 3.0f;
    image.shadow_offset_y = 4.0f;
    image.set_color(raster::fill_style, 1.0f, 0.0f, 0.0f, 1.0f);
    image.fill_rectangle(2.0f, 2.0f, 6.0f, 6.0f);
    expect_color(canvas_probe::pixel(image, 3, 3), {1.0f, 0.0f, 0.0f, 1.0f});
    expect_color(canvas_probe::pixel(image, 6, 6), {1.0f, 0.0f, 0.0f, 1.0f});
    expect_color(canvas_probe::pixel(image, 10, 11), {0.0f, 0.0f, 1.0f, 1.0f});
    EXPECT_EQ(canvas_probe::alpha(image, 11, 11), 0.0f);
    EXPECT_EQ(canvas_probe::alpha(image, 10, 12), 0.0f);
}

TEST(Shadow, BlurSpreadsSymmetricallyAndKeepsItsWeight) {
    // The shadow lands 30 pixels right of the shape, clear of it, centred on
    // pixel (35, 20).
    canvas image(70, 41);
    image.set_shadow_color(0.0f, 0.0f, 0.0f, 1.0f);
    image.set_shadow_blur(6.0f);
    image.shadow_offset_x = 30.0f;
    image.fill_rectangle(3.0f, 18.0f, 5.0f, 5.0f);
    for (int d = 1; d < 12; ++d) {
        EXPECT_NEAR(canvas_probe::alpha(image, 35 - d, 20), canvas_probe::alpha(image, 35 + d, 20), 1e-5f);
        EXPECT_NEAR(canvas_probe::alpha(image, 35, 20 - d), canvas_probe::alpha(image, 35, 20 + d), 1e-5f);
        EXPECT_LE(canvas_probe::alpha(image, 35 + d, 20), canvas_probe::alpha(image, 35 + d - 1, 20));
    }
    EXPECT_GT(canvas_probe::alpha(image, 43, 20), 0.0f);
    EXPECT_LT(canvas_probe::alpha(image, 35, 20), 1.0f);
    double shadow = 0.0;
    for (int y = 0; y < 41; ++y)
        for (int x = 14; x < 70; ++x)
            shadow += canvas_probe::alpha(image, x, y);
    EXPECT_NEAR(shadow, 25.0, 0.05);
}

TEST(ClearRectangle, ErasesByTheFillColoursAlphaAndRestoresTheState) {
    canvas image(8, 8);
    image.fill_rectangle(0.0f, 0.0f, 8.0f, 8.0f);
    image.set_global_alpha(0.3f);
    image.global_composite_operation = raster::lighter;
    image.set_shadow_color(1.0f, 0.0f, 0.0f, 1.0f);
    image.shadow_offset_x = 2.0f;
    image.clear_rectangle(0.0f, 0.0f, 2.0f, 8.0f);
    EXPECT_EQ(canvas_probe::alpha(image, 1, 3), 0.0f);
    EXPECT_EQ(canvas_probe::alpha(image, 3, 3), 1.0f);
    EXPECT_EQ(image.global_composite_operation, raster::lighter);
    image.set_color(raster::fill_style, 0.0f, 0.0f, 0.0f, 0.5f);
    image.clear_rectangle(4.0f, 0.0f, 2.0f, 8.0f);
    EXPECT_FLOAT_EQ(canvas_probe::alpha(image, 4, 3), 0.5f);
    // A gradient style erases with its first colour.
    image.set_linear_gradient(raster::fill_style, 0.0f, 0.0f, 8.0f, 0.0f);
    image.add_color_stop(raster::fill_style, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    image.add_color_stop(raster::fill_style, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f);
    image.clear_rectangle(6.0f, 0.0f, 2.0f, 8.0f);
    EXPECT_EQ(canvas_probe::alpha(image, 7, 3), 0.0f);
}

}  // namespace
