// What the window shows: the bitmap at its scale, centred, through the effect.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <GL/gl.h>

#include <string>


class PresentTest : public WindowTest {};

TEST_F(PresentTest, ResizableWindowShowsItsBitmapAtScaleOne) {
  Surf* window = open(500, 350, "Scale one", SURF_RESIZE);
  EXPECT_EQ(surfInternal(window)->scale, 1);
  EXPECT_EQ(attributes(window).width, 500);
  EXPECT_EQ(attributes(window).height, 350);
  drawPattern(window);
  ASSERT_TRUE(showsPixel(window, 499, 349, packed(patternAt(499, 349))));
  expectScaledPattern(x, window);
}

TEST_F(PresentTest, MinimumScaleTwoShowsEveryPixelAsATwoByTwoBlock) {
  Surf* window = open(40, 30, "Scale two", SURF_RESIZE | SURF_MIN2X);
  EXPECT_EQ(surfInternal(window)->scale, 2);
  EXPECT_EQ(attributes(window).width, 80);
  EXPECT_EQ(attributes(window).height, 60);
  drawPattern(window);
  ASSERT_TRUE(showsPixel(window, 79, 59, packed(patternAt(39, 29))));
  expectScaledPattern(x, window);
}

TEST_F(PresentTest, FixedSizeWindowTakesTheLargestScaleWithinThreeQuartersOfTheScreen) {
  // The screen is 1280 x 1024: 320 x 240 fits three times into 960 x 768.
  Surf* window = open(320, 240, "Largest scale", 0);
  EXPECT_EQ(surfInternal(window)->scale, 3);
  EXPECT_EQ(attributes(window).width, 960);
  EXPECT_EQ(attributes(window).height, 720);

  // Made smaller, it fits twice and is centred, with black around it.
  XResizeWindow(x, xwindow(window), 700, 500);
  drawPattern(window);
  ASSERT_TRUE(updateUntil(window, [&] { return surfInternal(window)->scale == 2; }));
  EXPECT_EQ(window->w, 320);
  const int* pos = surfInternal(window)->pos;
  EXPECT_EQ(pos[0], 30);
  EXPECT_EQ(pos[1], 10);
  EXPECT_EQ(pos[2], 670);
  EXPECT_EQ(pos[3], 490);
  ASSERT_TRUE(showsPixel(window, 30, 10, packed(patternAt(0, 0))));
  expectScaledPattern(x, window);
}

TEST_F(PresentTest, EffectParametersAndOwnEffectChangeWhatIsShown) {
  Surf* window = open(64, 48, "Effects", SURF_RESIZE);
  if (!presentsWithGL(window)) GTEST_SKIP() << "effects need OpenGL";
  drawPattern(window);
  surfSetPostFX(window, 0, 0, 0, 0);  // no contrast left: mid grey
  ASSERT_TRUE(updateUntil(window, [&] {
    unsigned long p = pixel(window, 10, 10);
    return (p & 0xFF) >= 127 && (p & 0xFF) <= 128 && (p >> 8 & 0xFF) == (p & 0xFF) && (p >> 16) == (p & 0xFF);
  }));

  surfSetPostShader(window, "void fxShader(out vec4 color, in vec2 uv) { color = vec4(1.0, 0.0, 1.0, 1.0); }", -1);
  EXPECT_TRUE(showsPixel(window, 5, 40, 0xFF00FF));
}

TEST_F(PresentTest, CallersOwnDrawingShowsThroughTransparentPixels) {
  Surf* window = open(64, 48, "Own drawing", SURF_RESIZE);
  if (!presentsWithGL(window)) GTEST_SKIP() << "drawing of one's own needs OpenGL";
  surfFill(window, 32, 0, 32, 48, rgb(255, 0, 0));  // the left half stays transparent
  for (int attempt = 0; attempt < 100; attempt++) {
    ASSERT_EQ(surfBeginOpenGL(window), 1);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    surfUpdate(window);
    XSync(x, False);
    if (pixel(window, 10, 10) == 0x0000FF) break;
  }
  EXPECT_EQ(pixel(window, 10, 10), 0x0000FFu);
  EXPECT_EQ(pixel(window, 50, 10), 0xFF0000u);
  // Without it the next frame clears to black again.
  EXPECT_TRUE(showsPixel(window, 10, 10, 0));
}
