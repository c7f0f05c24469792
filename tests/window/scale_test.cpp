// The user's Xft.dpi sets the window's backing scale: sizes asked for in UI
// units come out in pixels at that scale.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <X11/Xatom.h>

#include <cstring>

class ScaleTest : public WindowTest {
 protected:
  // What xrdb does: the resources live in a property of the root window.
  void setResources(const char* text) {
    Atom manager = XInternAtom(x, "RESOURCE_MANAGER", False);
    if (text)
      XChangeProperty(x, DefaultRootWindow(x), manager, XA_STRING, 8, PropModeReplace, (const unsigned char*)text,
                      (int)strlen(text));
    else
      XDeleteProperty(x, DefaultRootWindow(x), manager);
    XSync(x, False);
  }
  void TearDown() override {
    setResources(nullptr);
    WindowTest::TearDown();
  }
};

TEST_F(ScaleTest, XftDpiScalesTheClientAreaAndTheBitmap) {
  setResources("Xft.antialias:\t1\nXft.dpi:\t144\n");
  Surf* window = open(500, 350, "Scaled", SURF_RESIZE);
  EXPECT_FLOAT_EQ(surfBackingScale(window), 1.5f);
  EXPECT_EQ(attributes(window).width, 750);
  EXPECT_EQ(attributes(window).height, 525);
  EXPECT_EQ(window->w, 750);
  EXPECT_EQ(window->h, 525);
  // Every pixel of the bitmap reaches the screen, unstretched.
  drawPattern(window);
  ASSERT_TRUE(showsPixel(window, 749, 524, packed(patternAt(749, 524))));
  expectScaledPattern(x, window);

  // Fractions round to whole pixels.
  setResources("Xft.dpi: 120\n");
  Surf* odd = open(101, 51, "Odd", SURF_RESIZE);
  EXPECT_FLOAT_EQ(surfBackingScale(odd), 1.25f);
  EXPECT_EQ(odd->w, 126);
  EXPECT_EQ(odd->h, 64);
}

TEST_F(ScaleTest, MissingOrNonsenseDpiMeansScaleOne) {
  for (const char* resources : {(const char*)nullptr, "Xft.dpi: 0\n", "Xft.dpi: lots\n", "Xft.dpi: -96\n"}) {
    setResources(resources);
    Surf* window = open(120, 90, "Plain", SURF_RESIZE);
    EXPECT_FLOAT_EQ(surfBackingScale(window), 1.0f) << (resources ? resources : "none");
    EXPECT_EQ(window->w, 120);
    close(window);
  }
}
