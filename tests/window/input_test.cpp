// Keys, typed characters, the mouse, focus, close requests, full screen and its overlay from real X input, in one
// window's lifetime: each row sends events and names what the window reports afterwards.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>

namespace {

struct Step {
    const char* what;
    std::function<void()> send;
    std::function<bool()> then;
    // Positive: frames until `then` holds. Negative: exactly that many frames, `then` called in each and holding after
    // the last. Zero: no frame.
    int frames = 300;
};

class InputTest : public WindowTest {
protected:
    void run(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            if (HasFatalFailure()) return;  // later steps build on earlier ones
            if (step.send) step.send();
            bool held = step.frames == 0 && step.then();
            for (int frame = 0; frame < -step.frames; frame++) surfUpdate(w), XSync(x, False), held = step.then();
            if (step.frames > 0) held = updateUntil(w, step.then, step.frames);
            ASSERT_TRUE(held) << step.what;
        }
    }
    int buttons(int* mx = nullptr, int* my = nullptr) {
        int pressed = -1;
        return surfMouse(w, mx, my, &pressed), pressed;
    }
    static auto now() { return std::chrono::steady_clock::now(); }
    bool down(int code) { return surfKeyDown(w, code) != 0; }
    bool held(int code) { return surfKeyHeld(w, code) != 0; }
    bool borderless() { return surfInternal(w)->dwStyle & 0x80000000u; }
    bool at(int left, int top, int width) { return rootX(w) == left && rootY(w) == top && w->w == width; }
    bool fullScreen() {
        const XWindowAttributes a = attributes(w);
        return borderless() && rootX(w) == 0 && rootY(w) == 0 && a.width == 1280 && a.height == 1024;
    }
    void click() { button(1, true), settle(w, 3), button(1, false), settle(w, 2); }
    Surf* w = nullptr;
};

TEST_F(InputTest, EventsAreReportedAsTheRowsSay) {
    w = open(60, 40, "Input", SURF_RESIZE | SURF_MIN2X);
    const SurfFrameClock& clock = surfInternal(w)->clock;
    const std::pair<KeySym, int> keys[] = {
        {XK_a, 'A'},           {XK_F5, SK_F5},       {XK_KP_Add, SK_PADADD}, {XK_Tab, SK_TAB}, {XK_Escape, SK_ESCAPE},
        {XK_space, SK_SPACE},  {XK_Left, SK_LEFT},   {XK_Right, SK_RIGHT},   {XK_Up, SK_UP},   {XK_Down, SK_DOWN},
        {XK_Prior, SK_PAGEUP}, {XK_Next, SK_PAGEDN}, {XK_Home, SK_HOME},     {XK_End, SK_END}, {XK_Return, SK_RETURN}};
    std::map<int, int> presses;
    int seen = 0, clicks = 0, wasDown = 0, mx = 0, my = 0, repeats = 0, downFrames = 0, typed = 0;
    float dx, dy, sumX = 0, sumY = 0;
    unsigned waits = 0;
    SurfTouchPoint touch = {};
    std::chrono::steady_clock::time_point until;
    Window other = XCreateSimpleWindow(x, DefaultRootWindow(x), 1200, 980, 20, 20, 0, 0, 0);
    XEvent request = {};
    request.xclient = {ClientMessage, 0, True, x, xwindow(w), XInternAtom(x, "WM_PROTOCOLS", False), 32, {}};
    request.xclient.data.l[0] = (long)XInternAtom(x, "WM_DELETE_WINDOW", False);
    run({
        {"idle frames rest and present nothing",
         [&] { surfUpdateUnchanged(w), surfUpdateUnchanged(w), surfUpdateUnchanged(w); },  // takes what presents sent
         [&] {
             const unsigned presents = clock.presents;
             waits = clock.waits;
             for (int i = 0; i < 10; i++) surfUpdateUnchanged(w);
             return clock.presents == presents && clock.waits == waits + 10;
         },
         0},
        {"moved", [&] { XMoveWindow(x, xwindow(w), 300, 200); }, [&] { return at(300, 200, 60); }},
        {"Return types a newline", [&] { tap(XK_Return); }, [&] { return surfReadChar(w) == 10; }},
        {"once", {}, [&] { return surfReadChar(w) == 0; }, 0},
        {"of two characters typed within a frame the last", [&] { tap(XK_x), tap(XK_y); },
         [&] { return surfReadChar(w) == 'y' && surfReadChar(w) == 0; }},
        {"no such key", {}, [&] { return !held(999); }, 0},
    });
    for (auto [sym, code] : {keys[0], keys[1], keys[2]})
        run({{"pressed", [&, sym] { key(sym, true); }, [&, code] { return held(code) && down(code); }},
             {"down one frame", {}, [&, code] { return held(code) && !down(code) && !held('B'); }, -1},
             {"released", [&, sym] { key(sym, false); }, [&, code] { return !held(code) && !down(code); }}});
    run({
        {"left Shift", [&] { key(XK_Shift_L, true); },
         [&] { return down(SK_SHIFT) && held(SK_LSHIFT) && !held(SK_RSHIFT); }},
        {"either Shift holds Shift", [&] { key(XK_Shift_R, true), key(XK_Shift_L, false); },
         [&] { return !held(SK_LSHIFT) && held(SK_RSHIFT) && held(SK_SHIFT); }},
        {"no Shift", [&] { key(XK_Shift_R, false); }, [&] { return !held(SK_SHIFT); }},
        // Input faster than a frame is seen in order over the next frames.
        {"the pointer in the window", [&] { moveMouse(300 + 21, 200 + 9); },
         [&] { return buttons(&mx, &my) == 0 && mx == 10 && my == 4; }},
        {"keys, clicks and wheel notches within one frame",
         [&] {
             for (const auto& [sym, code] : keys) tap(sym);
             tap(XK_Tab);  // the same key twice within one time stamp is two taps, not a repeat
             for (int b : {1, 1, 5, 5, 4, 7}) button(b, true), button(b, false);  // wheel: down 2, up 1, right 1
         },
         [&] {
             for (const auto& [sym, code] : keys)
                 if (down(code)) presses[code]++, seen++;
             const int left = buttons() & SURF_BUTTON_LEFT;
             clicks += left && !wasDown, wasDown = left;
             surfWheel(w, &dx, &dy), sumX += dx, sumY += dy;
             return seen == (int)std::size(keys) + 1 && clicks == 2 && !wasDown && sumX == 1 && sumY == 1;
         }},
        {"each once, Tab twice, no wheel left",
         {},
         [&] {
             for (const auto& [sym, code] : keys)
                 if (presses[code] != (code == SK_TAB ? 2 : 1) || held(code)) return false;
             return surfWheel(w, &dx, &dy), dx == 0 && dy == 0 && buttons() == 0;
         },
         -1},
        {"Shift", [&] { key(XK_Shift_L, true); }, [&] { return held(SK_SHIFT); }},
        {"Tab with Shift let go before it, all before the window looks",
         [&] { key(XK_Tab, true), key(XK_Shift_L, false), key(XK_Tab, false); },
         [&] { return down(SK_TAB) && held(SK_SHIFT); }},
        {"then Shift is let go", {}, [&] { return !held(SK_SHIFT); }},
        {"a tap", [&] { tap(XK_a); }, [&] { return down('A'); }},
        {"its release is held over and taken without resting",
         {},
         [&] { return waits = clock.waits, surfUpdateUnchanged(w), clock.waits == waits && !held('A'); },
         0},
        // In bitmap pixels, negative above and left of the bitmap.
        {"right button pressed inside", [&] { button(3, true); }, [&] { return buttons() == SURF_BUTTON_RIGHT; }},
        {"held while the pointer leaves", [&] { moveMouse(300 - 7, 200 - 4); },
         [&] {
             return buttons(&mx, &my) == SURF_BUTTON_RIGHT && mx == -3 && my == -2 && surfTouch(w, &touch, 1) == 1 &&
                    touch.x == -3;
         }},
        {"released", [&] { button(3, false); }, [&] { return !surfTouch(w, &touch, 1) && !surfTouch(w, &touch, 0); }},
        // Auto-repeat neither renews key-down nor types again. A second listener sees the server repeat.
        {"held past the repeat delay",
         [&] {
             XSelectInput(x, xwindow(w), KeyPressMask), key(XK_k, true);
             until = now() + std::chrono::milliseconds(1300);
         },
         [&] { return downFrames += down('K'), typed += surfReadChar(w) == 'k', held('K') && now() > until; }, 100000},
        {"down and typed once while the server repeated",
         [&] {
             key(XK_k, false);
             for (XEvent ev; XPending(x);) XNextEvent(x, &ev), repeats += ev.type == KeyPress;
         },
         [&] { return repeats > 1 && downFrames == 1 && typed == 1; }, 0},
        // Losing the focus clears keys and hides buttons; keys typed elsewhere are not seen.
        {"held keys and buttons", [&] { moveMouse(310, 210), button(1, true), key(XK_z, true); },
         [&] { return held('Z') && buttons() == SURF_BUTTON_LEFT; }},
        {"focus lost",
         [&] {
             tap(XK_c), XMapWindow(x, other);
             XWindowAttributes a = {};
             for (int i = 0; i < 500 && a.map_state != IsViewable; i++)
                 XGetWindowAttributes(x, other, &a), usleep(1000);
             XSetInputFocus(x, other, RevertToParent, CurrentTime);
         },
         [&] { return !held('Z') && !down('Z') && !surfReadChar(w) && !buttons(); }, -5},
        {"nothing typed elsewhere", [&] { button(1, false), key(XK_z, false), tap(XK_v); },
         [&] { return !surfReadChar(w); }, -5},
        {"focus back", [&] { XSetInputFocus(x, xwindow(w), RevertToParent, CurrentTime); }, [] { return true; }, -5},
        {"keys again", [&] { key(XK_z, true); }, [&] { return down('Z') && surfReadChar(w) == 'z'; }},
        // What a window manager sends for the title bar's close button: reported once per request, and the window stays
        // until freed.
        {"a close request", [&] { key(XK_z, false), XSendEvent(x, xwindow(w), False, NoEventMask, &request); },
         [&] { return surfClosed(w) == 1; }},
        {"reported once", {}, [&] { return !surfClosed(w) && attributes(w).map_state == IsViewable; }, -5},
        {"2nd", [&] { XSendEvent(x, xwindow(w), False, NoEventMask, &request); }, [&] { return surfClosed(w) == 1; }},
        // Alt+Return and the overlay's restore button switch full screen and back.
        {"full screen", [&] { altReturn(); }, [&] { return fullScreen(); }},
        {"the combination types nothing", {}, [&] { return !surfReadChar(w) && !down(SK_RETURN); }, 0},
        {"back", [&] { altReturn(); }, [&] { return !borderless() && at(300, 200, 60) && w->h == 40; }},
        {"full screen", [&] { altReturn(); }, [&] { return fullScreen(); }},
        {"the overlay stays away while the top edge is untouched", [&] { moveMouse(1280 - 24 * 3 + 4, 12), click(); },
         [&] { return !surfInternal(w)->widgetAlpha && borderless(); }, -5},
        {"fades in at the top", [&] { moveMouse(640, 0); }, [&] { return surfInternal(w)->widgetAlpha == 16; }, -1},
        {"fully", {}, [&] { return surfInternal(w)->widgetAlpha == 255; }, 20},
        {"its close button's cross is red, three times magnified", [&] { surfClear(w, surfRGB(255, 255, 255)); },
         [&] {
             bool red = false;
             for (int p = 0; p < 30 * 30 && !red; p++) red = pixel(w, 1280 - 36 + p % 30, 6 + p / 30) == 0xFF0000;
             return red && pixel(w, 1280 - 121, 20) == 0xFFFFFFu;
         },
         20},
        {"the close button requests close once", [&] { moveMouse(1280 - 12 * 3 + 4, 12), settle(w, 2), click(); },
         [&] { return surfClosed(w) == 1 && !surfClosed(w) && borderless(); }, 0},
        {"down past it fades out", [&] { moveMouse(640, 300); }, [&] { return !surfInternal(w)->widgetAlpha; }, 20},
        {"it comes back", [&] { moveMouse(640, 0); }, [&] { return surfInternal(w)->widgetAlpha == 255; }},
        {"the restore button", [&] { moveMouse(1280 - 24 * 3 + 4, 12), settle(w, 2), click(); },
         [&] { return !borderless() && at(300, 200, 60); }},
        // What a window manager does when the user maximises the window.
        {"maximised",
         [&] {
             Atom states[2] = {XInternAtom(x, "_NET_WM_STATE_MAXIMIZED_VERT", False),
                               XInternAtom(x, "_NET_WM_STATE_MAXIMIZED_HORZ", False)};
             XChangeProperty(x, xwindow(w), XInternAtom(x, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                             (const unsigned char*)states, 2);
         },
         [&] { return fullScreen(); }},
    });
    const Window xw = xwindow(w);
    XDestroyWindow(x, other), close(w), XSync(x, False);
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XWindowAttributes a;
    EXPECT_FALSE(XGetWindowAttributes(x, xw, &a));  // gone with surfFree
    XSetErrorHandler(previous);
}

TEST(TimeTest, FirstCallReadsZeroThenTheSecondsSinceThePreviousCall) {
    EXPECT_EQ(surfTime(), 0.0f);
    usleep(30000);
    const float seconds = surfTime();
    EXPECT_TRUE(seconds >= 0.029f && seconds < 1.0f) << seconds;
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
    // The top-level window named "Error", once it shows its light background with dark text in the upper half.
    Window box = 0;
    for (int i = 0; i < 500 && !box; i++, usleep(10000)) {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
        for (unsigned c = 0; c < count && !box; c++) {
            char* title = nullptr;
            XWindowAttributes a = {};
            XImage* image =
                XFetchName(x, children[c], &title) && !strcmp(title, "Error") &&
                        XGetWindowAttributes(x, children[c], &a) && a.map_state == IsViewable && a.width > 100
                    ? XGetImage(x, children[c], 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap)
                    : nullptr;
            for (int p = 0; image && p < a.width * a.height / 2 && !box; p++)
                if ((XGetPixel(image, 1, 1) & 0xFFFFFF) == 0xF0F0F0 &&
                    !(XGetPixel(image, p % a.width, p / a.width) & 0xFFFFFF))
                    box = children[c];
            if (image) XDestroyImage(image);
            XFree(title);  // Xlib frees a null pointer as free does
        }
        XFree(children);
    }
    ASSERT_TRUE(box) << "no message window appeared";
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "the process must wait for the user";
    XSetInputFocus(x, box, RevertToParent, CurrentTime), tap(XK_Return);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
}

}  // namespace
