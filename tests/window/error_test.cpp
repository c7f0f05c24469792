// Fatal errors: standard error, a message window where a display exists, and
// exit status 1.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>


TEST(ErrorDeathTest, WithoutDisplayTheMessageGoesToStandardErrorAndTheProcessEnds) {
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        surfError(nullptr, "broken %s %d\n", "thing", 42);
      },
      testing::ExitedWithCode(1), "broken thing 42");
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        surfWindow(100, 100, "No display", 0);
      },
      testing::ExitedWithCode(1), "Cannot open X display");
}

class ErrorWindowTest : public WindowTest {
 protected:
  // The top-level window with this name, or 0.
  Window findNamed(const char* name) {
    Window root, parent, *children = nullptr, found = 0;
    unsigned count = 0;
    if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; i++) {
      char* title = nullptr;
      if (XFetchName(x, children[i], &title) && title) {
        XWindowAttributes a = {};
        if (!strcmp(title, name) && XGetWindowAttributes(x, children[i], &a) && a.map_state == IsViewable)
          found = children[i];
        XFree(title);
      }
    }
    if (children) XFree(children);
    return found;
  }
};

TEST_F(ErrorWindowTest, MessageWindowShowsUntilDismissedThenTheProcessEndsWithOne) {
  pid_t child = fork();
  if (child == 0) surfError(nullptr, "Something failed: %s\n", "the disk");
  Window box = 0;
  for (int i = 0; i < 500 && !box; i++) {
    box = findNamed("Error");
    usleep(10000);
  }
  ASSERT_NE(box, 0u) << "no message window appeared";
  XWindowAttributes a = {};
  XGetWindowAttributes(x, box, &a);
  EXPECT_GT(a.width, 100);
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "the process must wait for the user";

  // Its background is light; it has dark text.
  XImage* image = nullptr;
  bool drawn = false;
  for (int i = 0; i < 100 && !drawn; i++) {
    if (image) XDestroyImage(image);
    image = XGetImage(x, box, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap);
    drawn = image && (XGetPixel(image, 1, 1) & 0xFFFFFF) == 0xF0F0F0;
    usleep(10000);
  }
  ASSERT_TRUE(drawn);
  bool text = false;
  for (int py = 0; py < a.height / 2 && !text; py++)
    for (int px = 0; px < a.width && !text; px++) text = (XGetPixel(image, px, py) & 0xFFFFFF) == 0;
  XDestroyImage(image);
  EXPECT_TRUE(text);

  XSetInputFocus(x, box, RevertToParent, CurrentTime);
  tap(XK_Return);
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}
