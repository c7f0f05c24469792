// A window reopened with the same title comes back where it was left.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "surf/window_placement.h"

class PlacementTest : public WindowTest {
protected:
    Surf* openMovedTo(const char* title, int left, int top, int w, int h) {
        Surf* window = open(200, 150, title, SURF_RESIZE);
        XMoveResizeWindow(x, xwindow(window), left, top, (unsigned)w, (unsigned)h);
        EXPECT_TRUE(
            updateUntil(window, [&] { return rootX(window) == left && rootY(window) == top && window->w == w; }));
        return settle(window), window;
    }
};

// A reopened window keeps the place it was left in, not its size: a size stored at another scale would come back
// wrong, so the default size always holds. A placement no monitor shows reopens centred.
TEST_F(PlacementTest, ReopenedWindowComesBackWhereItWasLeftOrCentredWhenLost) {
    close(openMovedTo("Remembered", 210, 160, 300, 220));
    close(openMovedTo("Someone else", 20, 30, 100, 100));
    Surf* window = open(200, 150, "Remembered", SURF_RESIZE);
    EXPECT_EQ(std::vector({rootX(window), rootY(window), attributes(window).width, attributes(window).height, window->w,
                           window->h}),
              std::vector({210, 160, 200, 150, 200, 150}));
    altReturn();
    ASSERT_TRUE(updateUntil(window, [&] { return window->w == 1280; }));
    close(window);
    window = open(200, 150, "Remembered", SURF_RESIZE);
    EXPECT_TRUE(surfInternal(window)->dwStyle & 0x80000000u && attributes(window).width == 1280 && window->h == 1024);
    altReturn();  // leaving full screen goes back to where it was before
    ASSERT_TRUE(updateUntil(window, [&] { return window->w == 200; }));
    EXPECT_TRUE(updateUntil(window, [&] { return rootX(window) == 210 && rootY(window) == 160; }));
    EXPECT_EQ(attributes(open(200, 150, "Never seen", SURF_RESIZE)).width, 200);
    // A dragged window is stored once it settles, not on every move.
    surfPlacementStore("Lost", SurfPlacement{{5000, 4000, 5300, 4220}, 0});
    window = open(200, 150, "Lost", SURF_RESIZE);
    EXPECT_EQ(std::vector({attributes(window).width, rootX(window), rootY(window)}),
              std::vector({200, (1280 - 200) / 2, (1024 - 150) / 2}));
    for (int step = 1; step <= 5; step++) {
        XMoveWindow(x, xwindow(window), 100 + step * 10, 100);
        ASSERT_TRUE(updateUntil(window, [&] { return rootX(window) == 100 + step * 10; }));
    }
    SurfPlacement stored = {};
    const auto storedMove = [&] { return surfPlacementLoad("Lost", &stored) && stored.rect.left == 150; };
    // The frame that saw the last move has not stored it.
    EXPECT_TRUE(surfInternal(window)->placementPending && !storedMove());
    ASSERT_TRUE(updateUntil(window, storedMove, 5000));
}

TEST(PlacementText, RecordsAreFoundByExactTitleAndMalformedOrImplausibleOnesSkipped) {
    SurfPlacement a = {{10, 20, 310, 220}, 0}, b = {{-50, 0, 50, 100}, 1}, found = {};
    std::string text = surfPlacementReplace("", "Window", a);
    text = surfPlacementReplace(text, "two\nlines \\n", a);
    text = surfPlacementReplace(text, "Window", b);  // replaced, not added
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_TRUE(surfPlacementFind(text, "two\nlines \\n", &found));
    ASSERT_TRUE(surfPlacementFind(text, "Window", &found));
    EXPECT_EQ(found.rect.left * 10 + found.borderless, -50 * 10 + 1);
    for (const char* title : {"Window 2", "Win", "two\\nlines \\n", "two"})
        EXPECT_FALSE(surfPlacementFind(text, title, &found)) << title;
    for (const char* line : {"", "1 2 3 4 0", "1 2 3 4 0\n", "a b c d 0 T", "1 2 3 4 2 T", "5 5 5 9 0 T", "1 2 3 4 0T",
                             "0 0 40000 10 0 T", "-2000000 0 10 10 0 T", "99999999999999999999 0 1 1 0 T"})
        EXPECT_FALSE(surfPlacementFind(line, "T", &found)) << line;
    EXPECT_TRUE(surfPlacementFind("junk\n1 2 3 4 0 T", "T", &found));
    EXPECT_EQ(surfPlacementReplace("junk\n", "T", SurfPlacement{{1, 2, 3, 4}, 0}), "1 2 3 4 0 T\n");
}

TEST_F(PlacementTest, MoveNotYetSettledIsStoredWhenTheProgramExits) {
    pid_t child = fork();
    if (child == 0) {
        // A program of its own that leaves through exit() in the middle of a frame; the window stays reachable, so leak
        // checking has nothing to say.
        static Surf* window = surfWindow(200, 150, "Exiting", SURF_RESIZE);
        Display* own = XOpenDisplay(nullptr);
        for (int frame = 0; frame < 2000; frame++, usleep(2000)) {
            surfUpdate(window), XMoveWindow(own, (Window)window->handle, 77, 66), XSync(own, False);
            if (surfInternal(window)->placementPending) exit(0);
        }
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the move never reached the window";
    SurfPlacement stored = {};
    EXPECT_TRUE(surfPlacementLoad("Exiting", &stored) && stored.rect.left == 77 && stored.rect.top == 66);
}
