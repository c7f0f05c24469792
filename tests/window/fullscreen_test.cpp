// Borderless full screen and its overlay buttons.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <X11/Xatom.h>
#include <X11/keysym.h>


class FullScreenTest : public WindowTest {
 protected:
  static bool borderless(Surf* window) { return surfInternal(window)->dwStyle & 0x80000000u; }

  // Brings the overlay in by touching the top edge, then rests the cursor on
  // the button whose left edge lies `offset` overlay pixels from the right.
  void pointAtButton(Surf* window, int offset) {
    moveMouse(640, 0);
    ASSERT_TRUE(updateUntil(window, [&] { return surfInternal(window)->widgetAlpha == 255; }));
    moveMouse(1280 - offset * 3 + 4, 12);
    settle(window, 2);
  }

  void click(Surf* window) {
    button(1, true);
    settle(window, 3);
    button(1, false);
    settle(window, 2);
  }
};

TEST_F(FullScreenTest, AltReturnTogglesBorderlessFullScreen) {
  Surf* window = open(200, 150, "Toggle", SURF_RESIZE);
  XMoveWindow(x, xwindow(window), 120, 90);
  ASSERT_TRUE(updateUntil(window, [&] { return rootX(window) == 120; }));

  altReturn();
  ASSERT_TRUE(updateUntil(window, [&] { return borderless(window) && window->w == 1280; }));
  EXPECT_EQ(window->h, 1024);
  EXPECT_EQ(rootX(window), 0);
  EXPECT_EQ(rootY(window), 0);
  EXPECT_EQ(attributes(window).width, 1280);
  EXPECT_EQ(surfReadChar(window), 0);  // the combination types nothing
  EXPECT_FALSE(surfKeyDown(window, SK_RETURN));

  altReturn();
  ASSERT_TRUE(updateUntil(window, [&] { return !borderless(window) && window->w == 200; }));
  EXPECT_EQ(window->h, 150);
  EXPECT_TRUE(updateUntil(window, [&] { return rootX(window) == 120 && rootY(window) == 90; }));
}

TEST_F(FullScreenTest, FlagStartsInFullScreenAndMaximisingEntersIt) {
  Surf* flagged = open(200, 150, "Flagged", SURF_RESIZE | SURF_BORDERLESS);
  EXPECT_TRUE(borderless(flagged));
  EXPECT_EQ(attributes(flagged).width, 1280);
  close(flagged);

  // What a window manager does when the user maximises the window.
  Surf* window = open(200, 150, "Maximised", SURF_RESIZE);
  Atom states[2] = {XInternAtom(x, "_NET_WM_STATE_MAXIMIZED_VERT", False),
                    XInternAtom(x, "_NET_WM_STATE_MAXIMIZED_HORZ", False)};
  XChangeProperty(x, xwindow(window), XInternAtom(x, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                  (const unsigned char*)states, 2);
  EXPECT_TRUE(updateUntil(window, [&] { return borderless(window) && window->w == 1280; }));
}

TEST_F(FullScreenTest, OverlayFadesInAtTheTopEdgeAndIsDrawnTopRight) {
  Surf* window = open(200, 150, "Overlay", SURF_RESIZE | SURF_BORDERLESS);
  settle(window);
  EXPECT_EQ(surfInternal(window)->widgetAlpha, 0);
  moveMouse(640, 0);
  surfUpdate(window);
  EXPECT_EQ(surfInternal(window)->widgetAlpha, 16);
  ASSERT_TRUE(updateUntil(window, [&] { return surfInternal(window)->widgetAlpha == 255; }, 20));
  // The close button's cross is red, three times magnified in the top right corner.
  surfClear(window, rgb(255, 255, 255));
  EXPECT_TRUE(updateUntil(window, [&] {
    for (int py = 6; py < 36; py++)
      for (int px = 1280 - 36; px < 1280 - 6; px++)
        if (pixel(window, px, py) == 0xFF0000) return true;
    return false;
  }, 20));
  EXPECT_EQ(pixel(window, 1280 - 121, 20), 0xFFFFFFu);  // left of the overlay: the bitmap

  // Moving down past the overlay fades it out again.
  moveMouse(640, 300);
  EXPECT_TRUE(updateUntil(window, [&] { return surfInternal(window)->widgetAlpha == 0; }, 20));
}

TEST_F(FullScreenTest, OverlayCloseButtonRequestsCloseOncePerClick) {
  Surf* window = open(200, 150, "Overlay close", SURF_RESIZE | SURF_BORDERLESS);
  pointAtButton(window, 12);
  click(window);
  EXPECT_EQ(surfClosed(window), 1);
  EXPECT_EQ(surfClosed(window), 0);
  EXPECT_TRUE(borderless(window));
}

TEST_F(FullScreenTest, OverlayRestoreButtonLeavesFullScreen) {
  Surf* window = open(200, 150, "Overlay restore", SURF_RESIZE);
  XMoveWindow(x, xwindow(window), 50, 60);
  ASSERT_TRUE(updateUntil(window, [&] { return rootX(window) == 50; }));
  altReturn();
  ASSERT_TRUE(updateUntil(window, [&] { return borderless(window); }));
  pointAtButton(window, 24);
  click(window);
  EXPECT_FALSE(borderless(window));
  EXPECT_EQ(window->w, 200);
  EXPECT_TRUE(updateUntil(window, [&] { return rootX(window) == 50 && rootY(window) == 60; }));
  EXPECT_EQ(surfClosed(window), 0);
}

TEST_F(FullScreenTest, HiddenOverlayButtonsDoNotReactToClicks) {
  Surf* window = open(200, 150, "Overlay hidden", SURF_RESIZE | SURF_BORDERLESS);
  moveMouse(1280 - 12 * 3 + 4, 12);  // over the close button, top edge never touched
  settle(window);
  click(window);
  EXPECT_EQ(surfClosed(window), 0);
  EXPECT_EQ(surfInternal(window)->widgetAlpha, 0);
}
