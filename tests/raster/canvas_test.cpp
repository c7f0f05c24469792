// Faults once fixed that a picture cannot show (work done, reads beyond the
// canvas) or shows too weakly, one compact case each.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;

TEST(Fault, HostileCompositesCostBoundedWorkPerCharacter) {
    // Every record, contour and point read counts; one character may cost
    // at most the outline budget of 4096 steps, whatever the font.
    for (char const* name : {"fanned_composite", "nested_squares"}) {
        canvas image(200, 100);
        std::vector<unsigned char> font = raster_test::read_file(TEST_DATA_DIR "/" + std::string(name) + ".ttf");
        ASSERT_TRUE(image.set_font(font.data(), static_cast<int>(font.size()), 100.0f)) << name;
        image.fill_text("D", 10.0f, 80.0f);
        uint64_t one = canvas_probe::outline_steps(image);
        EXPECT_GT(one, 1000u) << name;
        EXPECT_LE(one, 4096u) << name;
        image.fill_text("DDD", 10.0f, 80.0f);
        EXPECT_LE(canvas_probe::outline_steps(image) - one, 3 * 4096u) << name;
    }
}

TEST(Fault, FineDashesOnALongPathAreCutOnlyWhereSeenAndKeepTheirPhase) {
    canvas image(80, 4);
    float const fine[] = {1.0f, 1.0f};
    image.set_line_dash(fine, 2), image.set_line_width(2.0f);
    image.move_to(-1001.0f, 2.0f), image.line_to(-100.0f, 2.0f), image.line_to(500.0f, 2.0f);
    for (int i = 0; i < 600; ++i) image.move_to(0.0f, 1000.0f + i), image.line_to(500.0f, 1000.0f + i);
    image.stroke();
    for (int x = 0; x < 80; ++x) EXPECT_NEAR(canvas_probe::alpha(image, x, 1), x % 2, 1e-3f) << x;
}

TEST(Fault, TextThatDrawsNothingChangesNothing) {
    // Under the operations that keep the destination only inside the
    // source, an empty shape would erase the whole clip area.
    std::vector<unsigned char> font = raster_test::read_file(TEST_DATA_DIR "/basic.ttf");
    for (auto operation : {raster::source_in, raster::source_copy, raster::source_out, raster::destination_in,
                           raster::destination_atop})
        for (bool with_font : {true, false}) {
            canvas image(20, 10);
            if (with_font) image.set_font(font.data(), static_cast<int>(font.size()), 10.0f);
            image.fill_rectangle(0.0f, 0.0f, 20.0f, 10.0f), image.global_composite_operation = operation;
            image.fill_text("ABCD", 2, 8, with_font ? 0 : 100), image.fill_text("ABCD", 2, 8, -5);
            image.stroke_text("ABCD", 2, 8, with_font ? 0 : 100), image.fill_text(nullptr, 2, 8);
            image.stroke_text(nullptr, 2, 8);
            EXPECT_EQ(canvas_probe::total_alpha(image), 200.0) << operation;
        }
}

TEST(Fault, StronglyMinifiedPatternsAverageWithoutAliasing) {
    // Opaque stripes 32 texels wide with transparent gaps between them,
    // shrunk 128 times: every pixel covers two periods and shows half
    // coverage, in a pattern brush and in a drawn image alike.
    std::vector<unsigned char> stripes(1024 * 1024 * 4, 0);
    for (size_t i = 0; i < stripes.size(); ++i) stripes[i] = i / 4 % 64 >= 16 && i / 4 % 64 < 48 ? 255 : 0;
    canvas patterned(8, 8), drawn(8, 8);
    patterned.scale(1.0f / 128.0f, 1.0f / 128.0f);
    patterned.set_pattern(raster::fill_style, stripes.data(), 1024, 1024, 1024 * 4, raster::repeat);
    patterned.fill_rectangle(0.0f, 0.0f, 1024.0f, 1024.0f);
    drawn.draw_image(stripes.data(), 1024, 1024, 1024 * 4, 0.0f, 0.0f, 8.0f, 8.0f);
    for (canvas const* image : {&patterned, &drawn})
        for (int i = 0; i < 36; ++i) EXPECT_NEAR(canvas_probe::alpha(*image, 1 + i % 6, 1 + i / 6), 0.5f, 0.02f) << i;
}

TEST(Fault, ReadingOutsideTheCanvasGivesZeros) {
    canvas image(4, 4), empty(0, 5);
    image.fill_rectangle(0.0f, 0.0f, 4.0f, 4.0f);
    empty.set_shadow_color(0, 0, 0, 1), empty.set_shadow_blur(3), empty.arc(2, 2, 2, 0, 7), empty.clip(), empty.fill();
    std::vector<unsigned char> pixels(8 * 8 * 4, 77);
    image.get_image_data(pixels.data(), 8, 8, 32, -2, -2);
    for (int i = 0; i < 8 * 8 * 4; ++i) {
        int x = i / 4 % 8, y = i / 32;
        EXPECT_EQ(pixels[i], x >= 2 && x < 6 && y >= 2 && y < 6 && i % 4 == 3 ? 255 : 0) << x << ", " << y;
    }
    // Positions at the ends of the integer range, and empty canvases, read
    // nothing but zeros.
    for (int far : {INT_MIN, INT_MIN + 2, INT_MAX - 2, INT_MAX})
        for (auto [x, y] : {std::pair{far, 1}, std::pair{1, far}, std::pair{0, 0}}) {
            std::vector<unsigned char> nothing(36, 9);
            (x || y ? image : empty).get_image_data(nothing.data(), 3, 3, 12, x, y);
            EXPECT_EQ(nothing, std::vector<unsigned char>(36, 0)) << x << ", " << y;
        }
}

}  // namespace
