// Sizing: the bitmap follows a resizable window, and the window manager is
// told to keep the client size a multiple of the scale.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <X11/Xutil.h>


class ResizeTest : public WindowTest {
 protected:
  XSizeHints hints(Surf* window) {
    XSizeHints h = {};
    long supplied = 0;
    XGetWMNormalHints(x, xwindow(window), &h, &supplied);
    return h;
  }
};

TEST_F(ResizeTest, ResizableBitmapFollowsTheClientSize) {
  Surf* window = open(500, 350, "Resize", SURF_RESIZE);
  surfFill(window, 0, 0, 10, 10, rgb(0, 255, 0));
  XResizeWindow(x, xwindow(window), 1003, 702);
  ASSERT_TRUE(updateUntil(window, [&] { return window->w == 1003; }));
  EXPECT_EQ(window->h, 702);
  EXPECT_EQ(surfGet(window, 5, 5).g, 255);  // the kept corner survives
  window->pix[702 * 1003 - 1] = rgb(255, 255, 0);
  EXPECT_TRUE(showsPixel(window, 1002, 701, 0xFFFF00));
}

TEST_F(ResizeTest, ResizableAtScaleTwoHalvesTheClientSize) {
  Surf* window = open(100, 80, "Resize twice", SURF_RESIZE | SURF_MIN2X);
  XSizeHints h = hints(window);
  EXPECT_TRUE(h.flags & PResizeInc);
  EXPECT_EQ(h.width_inc, 2);
  EXPECT_EQ(h.height_inc, 2);
  EXPECT_TRUE(h.flags & PMinSize);
  EXPECT_EQ(h.min_width, 32);
  EXPECT_EQ(h.min_height, 32);

  // An odd size (no window manager snaps it here) keeps the scale; the spare
  // pixel stays outside the bitmap.
  XResizeWindow(x, xwindow(window), 301, 151);
  ASSERT_TRUE(updateUntil(window, [&] { return window->w == 150; }));
  EXPECT_EQ(window->h, 75);
  EXPECT_EQ(surfInternal(window)->scale, 2);
}

TEST_F(ResizeTest, FixedSizeWindowAnnouncesItsScaleAndMinimum) {
  Surf* window = open(320, 240, "Fixed hints", SURF_MIN2X);
  XSizeHints h = hints(window);
  EXPECT_EQ(h.width_inc, 3);
  EXPECT_EQ(h.min_width, 640);
  EXPECT_EQ(h.min_height, 480);
  XResizeWindow(x, xwindow(window), 700, 500);
  ASSERT_TRUE(updateUntil(window, [&] { return hints(window).width_inc == 2; }));
  EXPECT_EQ(window->w, 320);  // the bitmap keeps its size
}
