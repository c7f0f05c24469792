// The transform, the path model and the state stack, observed through what
// gets drawn and what counts as inside the path.
#include <gtest/gtest.h>

#include "canvas_probe.h"

namespace {

using raster::canvas;
using raster::canvas_probe;
using raster_test::total_alpha;

TEST(Transform, OperationsApplyToPointsFirst) {
    canvas image(40, 40);
    image.translate(10.0f, 5.0f);
    image.scale(2.0f, 3.0f);
    image.fill_rectangle(1.0f, 1.0f, 2.0f, 2.0f);
    // (1, 1) to (3, 3) scaled, then moved: (12, 8) to (16, 14).
    EXPECT_DOUBLE_EQ(total_alpha(image, 40, 40), 24.0);
    EXPECT_EQ(canvas_probe::alpha(image, 12, 8), 1.0f);
    EXPECT_EQ(canvas_probe::alpha(image, 15, 13), 1.0f);
    EXPECT_EQ(canvas_probe::alpha(image, 16, 13), 0.0f);
}

TEST(Transform, RotateAndSetTransform) {
    canvas image(40, 40);
    image.translate(20.0f, 20.0f);
    image.rotate(1.5707964f);
    image.fill_rectangle(0.0f, 0.0f, 10.0f, 2.0f);
    // A quarter turn maps x onto y: the bar now hangs down, left of x = 20.
    EXPECT_NEAR(canvas_probe::alpha(image, 19, 25), 1.0f, 1e-5f);
    EXPECT_EQ(canvas_probe::alpha(image, 25, 19), 0.0f);
    image.set_transform(1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    image.transform(1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    image.fill_rectangle(0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(canvas_probe::alpha(image, 0, 0), 1.0f);
}

TEST(Transform, PathPointsKeepTheTransformOfTheirTime) {
    canvas image(40, 40);
    image.move_to(2.0f, 2.0f);
    image.line_to(10.0f, 2.0f);
    image.scale(2.0f, 2.0f);
    image.line_to(5.0f, 5.0f);
    image.set_transform(1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    image.close_path();
    EXPECT_TRUE(image.is_point_in_path(8.0f, 4.0f));
    EXPECT_FALSE(image.is_point_in_path(4.0f, 8.0f));
}

TEST(Path, FirstLineToStartsASubpathAndRepeatedPointsAddNothing) {
    canvas image(20, 20);
    image.line_to(2.0f, 2.0f);
    image.line_to(2.0f, 2.0f);
    image.line_to(12.0f, 2.0f);
    image.line_to(12.0f, 12.0f);
    EXPECT_TRUE(image.is_point_in_path(10.0f, 4.0f));
    image.fill();
    EXPECT_NEAR(total_alpha(image, 20, 20), 50.0, 1e-4);
}

TEST(Path, SecondMoveToReplacesTheFirst) {
    canvas image(20, 20);
    image.move_to(15.0f, 15.0f);
    image.move_to(2.0f, 2.0f);
    image.line_to(12.0f, 2.0f);
    image.line_to(2.0f, 12.0f);
    EXPECT_TRUE(image.is_point_in_path(4.0f, 4.0f));
    EXPECT_FALSE(image.is_point_in_path(13.0f, 13.0f));
}

TEST(Path, ClosePathStartsTheNextSubpathAtTheFirstPoint) {
    canvas image(20, 20);
    image.rectangle(2.0f, 2.0f, 6.0f, 6.0f);
    image.line_to(18.0f, 2.0f);
    image.line_to(18.0f, 18.0f);
    // The second triangle runs from (2, 2) through (18, 2) to (18, 18).
    EXPECT_TRUE(image.is_point_in_path(15.0f, 10.0f));
    EXPECT_FALSE(image.is_point_in_path(4.0f, 15.0f));
}

TEST(Path, CurvesFollowTheirControlPoints) {
    canvas image(40, 40);
    image.move_to(5.0f, 30.0f);
    image.quadratic_curve_to(20.0f, 0.0f, 35.0f, 30.0f);
    image.close_path();
    // The parabola's apex lies at y = 15, halfway to its control point.
    EXPECT_TRUE(image.is_point_in_path(20.0f, 15.2f));
    EXPECT_FALSE(image.is_point_in_path(20.0f, 14.8f));
    image.begin_path();
    image.move_to(5.0f, 30.0f);
    image.bezier_curve_to(5.0f, 6.0f, 35.0f, 6.0f, 35.0f, 30.0f);
    image.close_path();
    // A symmetric cubic peaks at 3/4 of the way to its control points.
    EXPECT_TRUE(image.is_point_in_path(20.0f, 12.2f));
    EXPECT_FALSE(image.is_point_in_path(20.0f, 11.8f));
}

TEST(Path, DrawingDoesNotClearThePath) {
    canvas image(20, 20);
    image.rectangle(2.0f, 2.0f, 4.0f, 4.0f);
    image.fill();
    image.fill();
    EXPECT_TRUE(image.is_point_in_path(3.0f, 3.0f));
    image.fill_rectangle(10.0f, 10.0f, 2.0f, 2.0f);
    EXPECT_TRUE(image.is_point_in_path(3.0f, 3.0f));
}

TEST(State, RestoreReturnsTheSavedStateButKeepsThePath) {
    canvas image(20, 20);
    image.save();
    image.translate(10.0f, 0.0f);
    image.set_color(raster::fill_style, 1.0f, 0.0f, 0.0f, 1.0f);
    image.set_global_alpha(0.5f);
    image.global_composite_operation = raster::lighter;
    image.rectangle(0.0f, 0.0f, 2.0f, 2.0f);
    image.clip();
    image.restore();
    image.fill_rectangle(4.0f, 4.0f, 1.0f, 1.0f);
    raster::rgba pixel = canvas_probe::pixel(image, 4, 4);
    EXPECT_EQ(pixel.a, 1.0f);
    EXPECT_EQ(pixel.r, 0.0f);
    EXPECT_EQ(image.global_composite_operation, raster::source_over);
    // The path added under the translation stays where it was put.
    EXPECT_TRUE(image.is_point_in_path(11.0f, 1.0f));
}

TEST(State, RestoreWithoutSaveChangesNothing) {
    canvas image(20, 20);
    image.translate(5.0f, 5.0f);
    image.restore();
    image.fill_rectangle(0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(canvas_probe::alpha(image, 5, 5), 1.0f);
}

TEST(State, SavesNestAndKeepTheFont) {
    std::vector<unsigned char> font = raster_test::read_file(std::string(TEST_DATA_DIR) + "/basic.ttf");
    canvas image(20, 20);
    ASSERT_TRUE(image.set_font(font.data(), static_cast<int>(font.size()), 10.0f));
    image.save();
    image.save();
    EXPECT_FALSE(image.set_font(font.data(), 3, 10.0f));
    image.restore();
    EXPECT_FLOAT_EQ(image.measure_text("A"), 6.4f);
    for (int i = 0; i < 1000; ++i)
        image.save();
}

TEST(State, EmptyOrNegativeCanvasSizesDrawNothingSafely) {
    for (auto [width, height] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-3, -3}}) {
        canvas image(width, height);
        image.fill_rectangle(0.0f, 0.0f, 10.0f, 10.0f);
        image.set_shadow_color(0.0f, 0.0f, 0.0f, 1.0f);
        image.set_shadow_blur(3.0f);
        image.arc(2.0f, 2.0f, 2.0f, 0.0f, 7.0f);
        image.fill();
        image.clip();
        unsigned char pixel[4] = {1, 2, 3, 4};
        image.get_image_data(pixel, 1, 1, 4, 0, 0);
        EXPECT_EQ(pixel[3], 0);
    }
}

TEST(State, InvalidStyleArgumentsAreIgnored) {
    canvas image(40, 8);
    image.set_line_width(2.0f);
    image.set_line_width(0.0f);
    image.set_line_width(-3.0f);
    image.set_miter_limit(-1.0f);
    image.set_shadow_blur(-2.0f);
    image.arc(10.0f, 4.0f, -1.0f, 0.0f, 3.0f);
    image.move_to(0.0f, 4.0f);
    image.line_to(30.0f, 4.0f);
    image.stroke();
    EXPECT_NEAR(total_alpha(image, 40, 8), 60.0, 1e-4);
}

}  // namespace
