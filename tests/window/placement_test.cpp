// A window reopened with the same title comes back where it was left.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "surf/window_placement.h"

namespace {

std::filesystem::path storeFile() {
  return std::filesystem::path(getenv("XDG_CONFIG_HOME")) / "surf" / "placement";
}

}  // namespace

class PlacementTest : public WindowTest {
 protected:
  Surf* openMovedTo(const char* title, int left, int top, int w, int h) {
    Surf* window = open(200, 150, title, SURF_RESIZE);
    XMoveResizeWindow(x, xwindow(window), left, top, (unsigned)w, (unsigned)h);
    EXPECT_TRUE(updateUntil(window, [&] { return rootX(window) == left && rootY(window) == top && window->w == w; }));
    settle(window);
    return window;
  }
};

TEST_F(PlacementTest, ReopenedWindowComesBackWhereItWasLeft) {
  close(openMovedTo("Remembered", 210, 160, 300, 220));
  close(openMovedTo("Someone else", 20, 30, 100, 100));

  Surf* window = open(200, 150, "Remembered", SURF_RESIZE);
  EXPECT_EQ(rootX(window), 210);
  EXPECT_EQ(rootY(window), 160);
  EXPECT_EQ(attributes(window).width, 200);
  EXPECT_EQ(attributes(window).height, 150);
  EXPECT_EQ(window->w, 200);
  EXPECT_EQ(window->h, 150);

  Surf* fresh = open(200, 150, "Never seen", SURF_RESIZE);
  EXPECT_EQ(attributes(fresh).width, 200);
}

TEST_F(PlacementTest, WindowLeftInFullScreenReopensInFullScreen) {
  Surf* window = openMovedTo("Full screen", 64, 48, 320, 200);
  altReturn();
  ASSERT_TRUE(updateUntil(window, [&] { return window->w == 1280; }));
  close(window);

  window = open(200, 150, "Full screen", SURF_RESIZE);
  EXPECT_TRUE(surfInternal(window)->dwStyle & 0x80000000u);
  EXPECT_EQ(attributes(window).width, 1280);
  EXPECT_EQ(window->h, 1024);

  // Leaving full screen goes back to where it was before.
  altReturn();
  ASSERT_TRUE(updateUntil(window, [&] { return window->w == 200; }));
  EXPECT_TRUE(updateUntil(window, [&] { return rootX(window) == 64 && rootY(window) == 48; }));
}

TEST_F(PlacementTest, UnreadableRecordsAreIgnored) {
  std::filesystem::create_directories(storeFile().parent_path());
  std::ofstream(storeFile()) << "garbage\n1 2 3\n10 10 5 5 0 Broken\n0 0 999999 10 0 Broken\n\xff\xfe\n";
  Surf* window = open(120, 90, "Broken", SURF_RESIZE);
  EXPECT_EQ(attributes(window).width, 120);
  EXPECT_EQ(window->w, 120);
}

TEST(PlacementText, RecordsAreFoundByExactTitle) {
  SurfPlacement a = {{10, 20, 310, 220}, 0}, b = {{-50, 0, 50, 100}, 1};
  std::string text = surfPlacementReplace("", "Window", a);
  text = surfPlacementReplace(text, "Window 2", b);
  text = surfPlacementReplace(text, "Window", b);  // replaced, not added

  SurfPlacement found = {};
  ASSERT_TRUE(surfPlacementFind(text, "Window", &found));
  EXPECT_EQ(found.rect.left, -50);
  EXPECT_EQ(found.borderless, 1);
  EXPECT_TRUE(surfPlacementFind(text, "Window 2", &found));
  EXPECT_FALSE(surfPlacementFind(text, "Window 3", &found));
  EXPECT_FALSE(surfPlacementFind(text, "Win", &found));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST(PlacementText, TitlesWithLineBreaksAndBackslashesStayOneRecord) {
  SurfPlacement p = {{1, 2, 3, 4}, 0}, found = {};
  std::string text = surfPlacementReplace("", "two\nlines \\n", p);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
  EXPECT_TRUE(surfPlacementFind(text, "two\nlines \\n", &found));
  EXPECT_FALSE(surfPlacementFind(text, "two\\nlines \\n", &found));
  EXPECT_FALSE(surfPlacementFind(text, "two", &found));
}

TEST(PlacementText, MalformedAndImplausibleRecordsAreSkipped) {
  SurfPlacement found = {};
  for (const char* text : {"", "1 2 3 4 0", "1 2 3 4 0\n", "a b c d 0 T", "1 2 3 4 2 T", "5 5 5 9 0 T", "1 2 3 4 0T",
                           "0 0 40000 10 0 T", "-2000000 0 10 10 0 T", "99999999999999999999 0 1 1 0 T"})
    EXPECT_FALSE(surfPlacementFind(text, "T", &found)) << text;
  EXPECT_TRUE(surfPlacementFind("junk\n1 2 3 4 0 T", "T", &found));
  EXPECT_EQ(surfPlacementReplace("junk\n", "T", SurfPlacement{{1, 2, 3, 4}, 0}), "1 2 3 4 0 T\n");
}

TEST_F(PlacementTest, PlacementNoMonitorShowsReopensCentredOnThePrimaryMonitor) {
  surfPlacementStore("Lost", SurfPlacement{{5000, 4000, 5300, 4220}, 0});
  Surf* window = open(200, 150, "Lost", SURF_RESIZE);
  EXPECT_EQ(attributes(window).width, 200);
  EXPECT_EQ(rootX(window), (1280 - 200) / 2);
  EXPECT_EQ(rootY(window), (1024 - 150) / 2);
}

TEST_F(PlacementTest, DraggedWindowIsStoredOnceSettledNotOnEveryMove) {
  Surf* window = open(200, 150, "Dragged", SURF_RESIZE);
  for (int step = 1; step <= 5; step++) {
    XMoveWindow(x, xwindow(window), 100 + step * 10, 100);
    ASSERT_TRUE(updateUntil(window, [&] { return rootX(window) == 100 + step * 10; }));
  }
  // The frame that saw the last move has not stored it.
  EXPECT_TRUE(surfInternal(window)->placementPending);
  SurfPlacement stored;
  if (surfPlacementLoad("Dragged", &stored)) {
    EXPECT_NE(stored.rect.left, 150);
  }
  ASSERT_TRUE(updateUntil(window, [&] { return surfPlacementLoad("Dragged", &stored); }, 5000));
  EXPECT_EQ(stored.rect.left, 150);
}

TEST_F(PlacementTest, MoveNotYetSettledIsStoredWhenTheProgramExits) {
  pid_t child = fork();
  if (child == 0) {
    // A program of its own that leaves through exit() in the middle of a
    // frame; the window stays reachable, so leak checking has nothing to say.
    static Surf* window = surfWindow(200, 150, "Exiting", SURF_RESIZE);
    Display* own = XOpenDisplay(nullptr);
    for (int frame = 0; frame < 2000; frame++) {
      surfUpdate(window);
      XMoveWindow(own, (Window)window->handle, 77, 66);
      XSync(own, False);
      if (surfInternal(window)->placementPending) exit(0);
      usleep(2000);
    }
    _exit(3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "the move never reached the window";
  SurfPlacement stored;
  ASSERT_TRUE(surfPlacementLoad("Exiting", &stored));
  EXPECT_EQ(stored.rect.left, 77);
  EXPECT_EQ(stored.rect.top, 66);
}

TEST_F(PlacementTest, StoredSizeFromAnotherScaleGivesWayToTheDefaultSize) {
  // As left by runs at 1.5 and at 0.5 times the size: the place holds, the size does not.
  for (SurfRect stored : {SurfRect{210, 160, 510, 385}, SurfRect{90, 70, 190, 145}}) {
    surfPlacementStore("Rescaled", SurfPlacement{stored, 0});
    Surf* window = open(200, 150, "Rescaled", SURF_RESIZE);
    EXPECT_EQ(rootX(window), stored.left);
    EXPECT_EQ(rootY(window), stored.top);
    EXPECT_EQ(attributes(window).width, 200);
    EXPECT_EQ(attributes(window).height, 150);
    EXPECT_EQ(window->h, 150);
    close(window);
  }
}
