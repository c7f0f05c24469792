// Keys, typed characters, focus, the mouse, the close request, borderless full
// screen and fatal errors, from real X input events.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>

namespace {

class InputTest : public WindowTest {
protected:
    // Frames until the key reads as held, checking it was down in that frame only.
    void expectPressedForOneFrame(Surf* window, int code) {
        ASSERT_TRUE(updateUntil(window, [&] { return surfKeyHeld(window, code) != 0; })) << code;
        EXPECT_TRUE(surfKeyDown(window, code));
        surfUpdate(window);
        EXPECT_FALSE(surfKeyDown(window, code));
        EXPECT_TRUE(surfKeyHeld(window, code));
    }
    int readChar(Surf* window) {
        int ch = 0;
        updateUntil(window, [&] { return (ch = surfReadChar(window)) != 0; });
        return ch;
    }
    int buttons(Surf* window, int* mx = nullptr, int* my = nullptr) {
        int pressed = -1;
        surfMouse(window, mx, my, &pressed);
        return pressed;
    }
    static bool borderless(Surf* window) { return surfInternal(window)->dwStyle & 0x80000000u; }
    // Brings the overlay in by touching the top edge, then clicks the button
    // whose left edge lies `offset` overlay pixels from the right.
    void clickOverlayButton(Surf* window, int offset) {
        moveMouse(640, 0);
        ASSERT_TRUE(updateUntil(window, [&] { return surfInternal(window)->widgetAlpha == 255; }));
        moveMouse(1280 - offset * 3 + 4, 12);
        settle(window, 2);
        click(window);
    }
    void click(Surf* window) {
        button(1, true);
        settle(window, 3);
        button(1, false);
        settle(window, 2);
    }
};

TEST_F(InputTest, KeysAreDownForOneFrameHeldUntilReleasedAndTypeOnce) {
    Surf* window = open(100, 80, "Keys", SURF_RESIZE);
    tap(XK_Return);
    EXPECT_EQ(readChar(window), 10);
    EXPECT_EQ(surfReadChar(window), 0);
    tap(XK_x);  // of several characters typed within one frame only the last is seen
    tap(XK_y);
    settle(window);
    EXPECT_EQ(surfReadChar(window), 'y');
    EXPECT_EQ(surfReadChar(window), 0);

    for (auto [sym, code] : {std::pair<KeySym, int>{XK_a, 'A'}, {XK_F5, SK_F5}, {XK_KP_Add, SK_PADADD}}) {
        key(sym, true);
        expectPressedForOneFrame(window, code);
        EXPECT_FALSE(surfKeyHeld(window, 'B'));
        key(sym, false);
        ASSERT_TRUE(updateUntil(window, [&] { return !surfKeyHeld(window, code); }));
        EXPECT_FALSE(surfKeyDown(window, code));
    }
    EXPECT_FALSE(surfKeyHeld(window, 999));  // no such key

    // Either Shift key holds Shift.
    key(XK_Shift_L, true);
    expectPressedForOneFrame(window, SK_SHIFT);
    EXPECT_TRUE(surfKeyHeld(window, SK_LSHIFT));
    key(XK_Shift_R, true);
    key(XK_Shift_L, false);
    settle(window);
    EXPECT_FALSE(surfKeyHeld(window, SK_LSHIFT));
    EXPECT_TRUE(surfKeyHeld(window, SK_RSHIFT));
    EXPECT_TRUE(surfKeyHeld(window, SK_SHIFT));
    key(XK_Shift_R, false);
    settle(window);
    EXPECT_FALSE(surfKeyHeld(window, SK_SHIFT));
}

TEST_F(InputTest, InputFasterThanAFrameIsSeenInOrderOverTheNextFrames) {
    Surf* window = open(100, 80, "Fast", SURF_RESIZE);
    const SurfFrameClock& clock = surfInternal(window)->clock;
    for (int i = 0; i < 3; i++) surfUpdateUnchanged(window);  // takes what the last present sent back
    unsigned presents = clock.presents, waits = clock.waits;
    for (int i = 0; i < 10; i++) surfUpdateUnchanged(window);
    EXPECT_EQ(clock.presents, presents) << "an unchanged bitmap was drawn again";
    EXPECT_EQ(clock.waits, waits + 10) << "an idle frame did not rest";

    moveMouse(rootX(window) + 50, rootY(window) + 40);
    const std::pair<KeySym, int> keys[] = {{XK_Tab, SK_TAB},   {XK_Escape, SK_ESCAPE}, {XK_space, SK_SPACE},
                                           {XK_Left, SK_LEFT}, {XK_Right, SK_RIGHT},   {XK_Up, SK_UP},
                                           {XK_Down, SK_DOWN}, {XK_Prior, SK_PAGEUP},  {XK_Next, SK_PAGEDN},
                                           {XK_Home, SK_HOME}, {XK_End, SK_END},       {XK_Return, SK_RETURN}};
    for (const auto& [sym, code] : keys) tap(sym);
    tap(XK_Tab);                        // the same key twice within one server time stamp is two taps, not a repeat
    for (int b : {1, 1, 5, 5, 4, 7}) {  // two clicks; wheel toward the user twice, away once, right once
        button(b, true);
        button(b, false);
    }
    std::map<int, int> presses;
    int seen = 0, clicks = 0, wasDown = 0;
    float dx, dy, sumX = 0, sumY = 0;
    updateUntil(window, [&] {
        for (const auto& [sym, code] : keys)
            if (surfKeyDown(window, code)) presses[code]++, seen++;
        int left = buttons(window) & SURF_BUTTON_LEFT;
        clicks += left && !wasDown;
        wasDown = left;
        surfWheel(window, &dx, &dy);
        sumX += dx, sumY += dy;
        return seen == (int)std::size(keys) + 1 && clicks == 2 && !wasDown && sumX == 1 && sumY == 1;
    });
    for (const auto& [sym, code] : keys) EXPECT_EQ(presses[code], code == SK_TAB ? 2 : 1) << code;
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(sumX * 10 + sumY, 11);
    surfUpdate(window);
    surfWheel(window, &dx, &dy);
    EXPECT_EQ(dx * 10 + dy, 0);
    EXPECT_EQ(buttons(window), 0) << "a wheel notch is no button";
    for (const auto& [sym, code] : keys) EXPECT_FALSE(surfKeyHeld(window, code)) << code;

    // Tab, and Shift letting go before it, all before the window looks again.
    key(XK_Shift_L, true);
    ASSERT_TRUE(updateUntil(window, [&] { return surfKeyHeld(window, SK_SHIFT) != 0; }));
    key(XK_Tab, true);
    key(XK_Shift_L, false);
    key(XK_Tab, false);
    ASSERT_TRUE(updateUntil(window, [&] { return surfKeyDown(window, SK_TAB) != 0; }));
    EXPECT_TRUE(surfKeyHeld(window, SK_SHIFT));
    settle(window);
    EXPECT_FALSE(surfKeyHeld(window, SK_SHIFT));

    // A release held over for the next frame is taken without resting.
    tap(XK_a);
    ASSERT_TRUE(updateUntil(window, [&] { return surfKeyDown(window, 'A') != 0; }));
    waits = clock.waits;
    surfUpdateUnchanged(window);
    EXPECT_EQ(clock.waits, waits) << "the held-over release had to wait for the next refresh";
    EXPECT_FALSE(surfKeyHeld(window, 'A'));
    presents = clock.presents;
    surfUpdate(window);
    EXPECT_EQ(clock.presents, presents + 1);
}

TEST_F(InputTest, AutoRepeatNeitherRenewsKeyDownNorTypesAgain) {
    Surf* window = open(100, 80, "Repeat", SURF_RESIZE);
    XSelectInput(x, xwindow(window), KeyPressMask);  // a second listener sees the server repeat
    key(XK_k, true);
    int downFrames = 0, characters = 0;
    for (auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1300);
         std::chrono::steady_clock::now() < until; usleep(5000)) {
        surfUpdate(window);
        downFrames += surfKeyDown(window, 'K') != 0;
        characters += surfReadChar(window) == 'k';
    }
    EXPECT_TRUE(surfKeyHeld(window, 'K'));
    key(XK_k, false);
    int presses = 0;
    for (XEvent ev; XPending(x);) XNextEvent(x, &ev), presses += ev.type == KeyPress;
    EXPECT_GT(presses, 1) << "the server did not repeat the key";
    EXPECT_EQ(downFrames, 1);
    EXPECT_EQ(characters, 1);
}

TEST_F(InputTest, MouseFocusAndCloseRequests) {
    Surf* window = open(60, 40, "Mouse", SURF_RESIZE | SURF_MIN2X);
    XMoveWindow(x, xwindow(window), 300, 200);
    ASSERT_TRUE(updateUntil(window, [&] { return rootX(window) == 300; }));
    // In bitmap pixels, negative above and left of the bitmap.
    int mx = 0, my = 0;
    moveMouse(300 + 21, 200 + 9);
    EXPECT_EQ(buttons(window, &mx, &my), 0);
    EXPECT_EQ(mx * 100 + my, 10 * 100 + 4);
    button(3, true);  // pressed inside, held while the pointer leaves the window
    ASSERT_TRUE(updateUntil(window, [&] { return buttons(window) == SURF_BUTTON_RIGHT; }));
    moveMouse(300 - 7, 200 - 4);
    EXPECT_EQ(buttons(window, &mx, &my), SURF_BUTTON_RIGHT);
    EXPECT_EQ(mx * 100 + my, -3 * 100 - 2);
    SurfTouchPoint touch = {};
    EXPECT_EQ(surfTouch(window, &touch, 1), 1);
    EXPECT_EQ(touch.x, -3);
    button(3, false);
    EXPECT_TRUE(updateUntil(window, [&] { return surfTouch(window, &touch, 1) == 0; }));
    EXPECT_EQ(surfTouch(window, &touch, 0), 0);

    // Losing the focus clears keys and hides buttons; keys typed elsewhere are not seen.
    moveMouse(rootX(window) + 10, rootY(window) + 10);
    button(1, true);
    key(XK_z, true);
    ASSERT_TRUE(updateUntil(window, [&] { return surfKeyHeld(window, 'Z') != 0; }));
    EXPECT_EQ(buttons(window), SURF_BUTTON_LEFT);
    tap(XK_c);
    Window other = XCreateSimpleWindow(x, DefaultRootWindow(x), 1200, 980, 20, 20, 0, 0, 0);
    XMapWindow(x, other);
    XWindowAttributes a = {};
    for (int i = 0; i < 500 && a.map_state != IsViewable; i++) XGetWindowAttributes(x, other, &a), usleep(1000);
    XSetInputFocus(x, other, RevertToParent, CurrentTime);
    settle(window);
    EXPECT_FALSE(surfKeyHeld(window, 'Z'));
    EXPECT_FALSE(surfKeyDown(window, 'Z'));
    EXPECT_EQ(surfReadChar(window), 0);
    EXPECT_EQ(buttons(window), 0);  // still held, but not for this window
    button(1, false);
    key(XK_z, false);
    tap(XK_v);
    settle(window);
    EXPECT_EQ(surfReadChar(window), 0);
    XSetInputFocus(x, xwindow(window), RevertToParent, CurrentTime);
    settle(window);
    key(XK_z, true);
    expectPressedForOneFrame(window, 'Z');
    key(XK_z, false);
    XDestroyWindow(x, other);

    // What a window manager sends for the title bar's close button: reported
    // once per request, and the window stays until freed.
    XEvent ev = {};
    ev.xclient = {ClientMessage, 0, True, x, xwindow(window), XInternAtom(x, "WM_PROTOCOLS", False), 32, {}};
    ev.xclient.data.l[0] = (long)XInternAtom(x, "WM_DELETE_WINDOW", False);
    for (int request = 0; request < 2; request++) {
        EXPECT_EQ(surfClosed(window), 0);
        XSendEvent(x, xwindow(window), False, NoEventMask, &ev);
        ASSERT_TRUE(updateUntil(window, [&] { return surfClosed(window) == 1; }));
        settle(window);
        EXPECT_EQ(attributes(window).map_state, IsViewable);
    }
    Window xw = xwindow(window);
    close(window);
    XSync(x, False);
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    EXPECT_FALSE(XGetWindowAttributes(x, xw, &a));  // gone with surfFree
    XSetErrorHandler(previous);
}

TEST(TimeTest, FirstCallReadsZeroThenTheSecondsSinceThePreviousCall) {
    EXPECT_EQ(surfTime(), 0.0f);
    usleep(30000);
    float seconds = surfTime();
    EXPECT_GE(seconds, 0.029f);
    EXPECT_LT(seconds, 1.0f);
}

TEST_F(InputTest, AltReturnAndTheOverlayRestoreButtonSwitchFullScreenAndBack) {
    Surf* window = open(200, 150, "Toggle", SURF_RESIZE);
    XMoveWindow(x, xwindow(window), 120, 90);
    ASSERT_TRUE(updateUntil(window, [&] { return rootX(window) == 120; }));
    for (bool viaOverlay : {false, true}) {
        altReturn();
        ASSERT_TRUE(updateUntil(window, [&] { return borderless(window) && window->w == 1280; }));
        EXPECT_EQ(std::vector({window->h, rootX(window), rootY(window), attributes(window).width}),
                  std::vector({1024, 0, 0, 1280}));
        EXPECT_EQ(surfReadChar(window), 0);  // the combination types nothing
        EXPECT_FALSE(surfKeyDown(window, SK_RETURN));
        if (viaOverlay)
            clickOverlayButton(window, 24);
        else
            altReturn();
        ASSERT_TRUE(updateUntil(window, [&] { return !borderless(window) && window->w == 200; }));
        EXPECT_EQ(window->h, 150);
        EXPECT_TRUE(updateUntil(window, [&] { return rootX(window) == 120 && rootY(window) == 90; }));
    }
    EXPECT_EQ(surfClosed(window), 0);
    close(window);

    // What a window manager does when the user maximises the window.
    window = open(200, 150, "Maximised", SURF_RESIZE);
    Atom states[2] = {XInternAtom(x, "_NET_WM_STATE_MAXIMIZED_VERT", False),
                      XInternAtom(x, "_NET_WM_STATE_MAXIMIZED_HORZ", False)};
    XChangeProperty(x, xwindow(window), XInternAtom(x, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    (const unsigned char*)states, 2);
    EXPECT_TRUE(updateUntil(window, [&] { return borderless(window) && window->w == 1280; }));
}

TEST_F(InputTest, OverlayFadesInAtTheTopEdgeAndItsCloseButtonRequestsCloseOnce) {
    Surf* window = open(200, 150, "Overlay", SURF_RESIZE | SURF_BORDERLESS);
    EXPECT_TRUE(borderless(window));
    EXPECT_EQ(attributes(window).width, 1280);
    moveMouse(1280 - 12 * 3 + 4, 12);  // over the close button, top edge never touched
    settle(window);
    click(window);
    EXPECT_EQ(surfClosed(window), 0);
    EXPECT_EQ(surfInternal(window)->widgetAlpha, 0);

    moveMouse(640, 0);
    surfUpdate(window);
    EXPECT_EQ(surfInternal(window)->widgetAlpha, 16);
    ASSERT_TRUE(updateUntil(
        window, [&] { return surfInternal(window)->widgetAlpha == 255; }, 20));
    // The close button's cross is red, three times magnified in the top right corner.
    surfClear(window, SPixel{255, 255, 255, 255});
    EXPECT_TRUE(updateUntil(
        window,
        [&] {
            for (int py = 6; py < 36; py++)
                for (int px = 1280 - 36; px < 1280 - 6; px++)
                    if (pixel(window, px, py) == 0xFF0000) return true;
            return false;
        },
        20));
    EXPECT_EQ(pixel(window, 1280 - 121, 20), 0xFFFFFFu);  // left of the overlay: the bitmap
    clickOverlayButton(window, 12);
    EXPECT_EQ(surfClosed(window), 1);
    EXPECT_EQ(surfClosed(window), 0);
    EXPECT_TRUE(borderless(window));
    moveMouse(640, 300);  // down past the overlay fades it out again
    EXPECT_TRUE(updateUntil(
        window, [&] { return surfInternal(window)->widgetAlpha == 0; }, 20));
}

TEST(ErrorDeathTest, WithoutDisplayTheMessageGoesToStandardErrorAndTheProcessEnds) {
    EXPECT_EXIT((unsetenv("DISPLAY"), surfError(nullptr, "broken %s %d\n", "thing", 42)), testing::ExitedWithCode(1),
                "broken thing 42");
    EXPECT_EXIT((unsetenv("DISPLAY"), surfWindow(100, 100, "No display", 0)), testing::ExitedWithCode(1),
                "Cannot open X display");
}

TEST_F(InputTest, ErrorMessageWindowShowsUntilDismissedThenTheProcessEndsWithOne) {
    pid_t child = fork();
    if (child == 0) surfError(nullptr, "Something failed: %s\n", "the disk");
    // The top-level window named "Error", once it shows its light background.
    XImage* image = nullptr;
    Window box = 0;
    XWindowAttributes a = {};
    for (int i = 0; i < 500 && !image; i++, usleep(10000)) {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
        for (unsigned c = 0; c < count && !image; c++) {
            char* title = nullptr;
            if (XFetchName(x, children[c], &title) && title && !strcmp(title, "Error") &&
                XGetWindowAttributes(x, children[c], &a) && a.map_state == IsViewable) {
                box = children[c];
                image = XGetImage(x, box, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap);
                if (image && (XGetPixel(image, 1, 1) & 0xFFFFFF) != 0xF0F0F0) XDestroyImage(image), image = nullptr;
            }
            if (title) XFree(title);
        }
        if (children) XFree(children);
    }
    ASSERT_NE(image, nullptr) << "no message window appeared";
    EXPECT_GT(a.width, 100);
    bool text = false;  // dark text in the upper half
    for (int py = 0; py < a.height / 2 && !text; py++)
        for (int px = 0; px < a.width && !text; px++) text = (XGetPixel(image, px, py) & 0xFFFFFF) == 0;
    XDestroyImage(image);
    EXPECT_TRUE(text);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "the process must wait for the user";
    XSetInputFocus(x, box, RevertToParent, CurrentTime);
    tap(XK_Return);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
}

}  // namespace
