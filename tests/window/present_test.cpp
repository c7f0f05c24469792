// What the window shows and at what size: the bitmap at its scale, centred, through the effect where OpenGL is there
// and plainly where it is not or fails. The whole program also runs with indirect GLX, which offers no 3.3 context, so
// that every case covers the plain path too.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <GL/gl.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <tuple>

#include "xvfb_server.h"

namespace {

class PresentTest : public WindowTest {
protected:
    XSizeHints hints(Surf* window) {
        XSizeHints h = {};
        long supplied = 0;
        return XGetWMNormalHints(x, xwindow(window), &h, &supplied), h;
    }
    // What xrdb does: the resources live in a property of the root window.
    void setResources(const char* text) {
        const Atom manager = XInternAtom(x, "RESOURCE_MANAGER", False);
        const auto bytes = (const unsigned char*)text;
        text
            ? XChangeProperty(x, DefaultRootWindow(x), manager, XA_STRING, 8, PropModeReplace, bytes, (int)strlen(text))
            : XDeleteProperty(x, DefaultRootWindow(x), manager);
        XSync(x, False);
    }
    void TearDown() override { setResources(nullptr), WindowTest::TearDown(); }
};

TEST_F(PresentTest, BitmapIsShownAtTheLargestScaleThatFitsCentredInBlack) {
    Surf* window = open(40, 30, "Scale two", SURF_RESIZE | SURF_MIN2X);
    const char* indirect = getenv("LIBGL_ALWAYS_INDIRECT");
    EXPECT_STREQ(surfPresentation(window), indirect && *indirect != '0' ? "XPutImage with MIT-SHM" : "OpenGL 3.3");
    std::unique_ptr<Surf, void (*)(Surf*)> bitmap(surfBitmap(4, 4), surfFree);
    EXPECT_STREQ(surfPresentation(bitmap.get()), "");
    EXPECT_EQ(std::vector({surfInternal(window)->scale, attributes(window).width, attributes(window).height}),
              std::vector({2, 80, 60}));
    drawPattern(window);
    ASSERT_TRUE(showsPixel(window, 79, 59, packed(patternAt(39, 29))));
    expectScaledPattern(x, window);
    XSizeHints h = hints(window);  // the window manager keeps the client a multiple of the scale
    EXPECT_EQ(
        std::vector<long>({h.flags & (PResizeInc | PMinSize), h.width_inc, h.height_inc, h.min_width, h.min_height}),
        std::vector<long>({PResizeInc | PMinSize, 2, 2, 32, 32}));
    // An odd size (no window manager snaps it here) keeps the scale; the spare pixel stays outside.
    XResizeWindow(x, xwindow(window), 301, 151);
    ASSERT_TRUE(updateUntil(window, [&] { return window->w == 150; }));
    EXPECT_EQ(window->h * 10 + surfInternal(window)->scale, 75 * 10 + 2);
    close(window);
    // The screen is 1280 x 1024: 320 x 240 fits three times into 960 x 768.
    window = open(320, 240, "Largest scale", SURF_MIN2X);
    EXPECT_EQ(std::vector({surfInternal(window)->scale, attributes(window).width, attributes(window).height,
                           hints(window).width_inc, hints(window).min_width, hints(window).min_height}),
              std::vector({3, 960, 720, 3, 640, 480}));
    // Made smaller, it fits twice and is centred, with black around it.
    XResizeWindow(x, xwindow(window), 700, 500);
    drawPattern(window);
    ASSERT_TRUE(updateUntil(window, [&] { return surfInternal(window)->scale == 2; }));
    const int* pos = surfInternal(window)->pos;
    EXPECT_EQ(std::vector({hints(window).width_inc, window->w, pos[0], pos[1], pos[2], pos[3]}),
              std::vector({2, 320, 30, 10, 670, 490}));
    ASSERT_TRUE(showsPixel(window, 30, 10, packed(patternAt(0, 0))));
    expectScaledPattern(x, window);
}

TEST_F(PresentTest, XftDpiScalesTheClientAreaAndTheBitmapAndNonsenseMeansOne) {
    // Resources, size and flags asked for; the scale, client width and bitmap height that result.
    const std::tuple<const char*, int, int, int, float, int, int> cases[] = {
        {"Xft.antialias:\t1\nXft.dpi:\t144\n", 500, 350, SURF_RESIZE, 1.5f, 750, 525},
        {"Xft.dpi: 120\n", 101, 51, SURF_RESIZE, 1.25f, 126, 64},  // fractions round to whole pixels
        {nullptr, 120, 90, SURF_RESIZE, 1, 120, 90},
        {"Xft.dpi: 0\n", 120, 90, SURF_RESIZE, 1, 120, 90},
        {"Xft.dpi: lots\n", 120, 90, SURF_RESIZE, 1, 120, 90},
        {"Xft.dpi: -96\n", 120, 90, SURF_RESIZE | SURF_BORDERLESS, 1, 1280, 1024},
    };
    for (const auto& [resources, w, h, flags, scale, clientW, bitmapH] : cases) {
        SCOPED_TRACE(resources ? resources : "none");
        setResources(resources);
        Surf* window = open(w, h, "Scaled", flags);
        EXPECT_FLOAT_EQ(surfBackingScale(window), scale);
        EXPECT_EQ(std::vector({attributes(window).width, window->w, window->h}),
                  std::vector({clientW, clientW, bitmapH}));
        drawPattern(window);  // every pixel reaches the screen, unstretched
        ASSERT_TRUE(showsPixel(window, clientW - 1, bitmapH - 1, packed(patternAt(clientW - 1, bitmapH - 1))));
        if (resources == std::get<0>(cases[0])) expectScaledPattern(x, window);
        close(window);
    }
}

TEST_F(PresentTest, OwnDrawingAndEffectsShowOnlyThroughOpenGLWhichFallsBackWhenItFails) {
    Surf* window = open(64, 48, "Effects", SURF_RESIZE | SURF_MIN2X);
    if (!presentsWithGL(window)) {
        EXPECT_EQ(surfBeginOpenGL(window), 0);
        surfSetPostFX(window, 0, 0, 0, 0);
        surfSetPostShader(window, "void fxShader(out vec4 color, in vec2 uv) { color = vec4(1.0); }", -1);
        drawPattern(window);
        ASSERT_TRUE(showsPixel(window, 127, 95, packed(patternAt(63, 47))));
        return expectScaledPattern(x, window);
    }
    // The caller's own drawing shows through transparent pixels, for one frame.
    surfFill(window, 32, 0, 32, 48, SPixel{255, 0, 0, 255});
    for (int attempt = 0; attempt < 100 && pixel(window, 10, 10) != 0x0000FF; attempt++) {
        ASSERT_EQ(surfBeginOpenGL(window), 1);
        glClearColor(0, 0, 1, 1), glClear(GL_COLOR_BUFFER_BIT), surfUpdate(window), XSync(x, False);
    }
    EXPECT_EQ(pixel(window, 10, 10) * 0x1000000 + pixel(window, 100, 10), 0x0000FFu * 0x1000000 + 0xFF0000u);
    EXPECT_TRUE(showsPixel(window, 10, 10, 0));
    drawPattern(window);
    surfSetPostFX(window, 0, 0, 0, 0);  // no contrast left: mid grey
    ASSERT_TRUE(updateUntil(window, [&] {
        unsigned long p = pixel(window, 10, 10);
        return (p & 0xFF) >= 127 && (p & 0xFF) <= 128 && (p >> 8 & 0xFF) == (p & 0xFF) && (p >> 16) == (p & 0xFF);
    }));
    surfSetPostShader(window, "void fxShader(out vec4 color, in vec2 uv) { color = vec4(1.0, 0.0, 1.0, 1.0); }", -1);
    EXPECT_TRUE(showsPixel(window, 5, 40, 0xFF00FF));
    close(window);
    // An effect that does not compile, or OpenGL failing while presenting, leaves the plain path for the rest of the
    // run, and the window is not left empty.
    for (bool whilePresenting : {false, true}) {
        window = open(64, 48, "Failing", SURF_RESIZE);
        drawPattern(window);
        ASSERT_TRUE(presentsWithGL(window));
        testing::internal::CaptureStderr();
        // An invalid glEnable leaves an error behind, as a context gone bad would.
        if (whilePresenting && surfBeginOpenGL(window)) glEnable(0xFFFF), surfUpdate(window);
        if (!whilePresenting)
            surfSetPostShader(window, "void fxShader(out vec4 c, in vec2 uv) { c = undefinedThing; }", -1);
        const std::string reported = testing::internal::GetCapturedStderr();
        for (const char* part : whilePresenting ? std::vector{"got GL error 500 when doing present"}
                                                : std::vector{"shader compile error : ", "undefinedThing"})
            EXPECT_NE(reported.find(part), std::string::npos) << reported;
        EXPECT_FALSE(presentsWithGL(window));
        EXPECT_EQ(surfBeginOpenGL(window), 0);
        const unsigned &presents = surfInternal(window)->clock.presents, before = presents;
        if (!whilePresenting) surfUpdateUnchanged(window);
        EXPECT_EQ(presents, before + !whilePresenting) << "the window was left without the bitmap";
        ASSERT_TRUE(showsPixel(window, 63, 47, packed(patternAt(63, 47))));
        expectScaledPattern(x, window);
        close(window);
    }
}

// The server runs as another user and cannot attach our segment: BadAccess, which must not end the process but leave
// plain XPutImage.
TEST(PresentDeathTest, SharedMemoryTheServerRefusesLeavesPlainPutImage) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run the server as another user";
    EXPECT_EXIT(
        {
            setenv("LIBGL_ALWAYS_INDIRECT", "1", 1);
            auto server = std::make_unique<XvfbServer>(true);
            if (server->display().empty()) _exit(3);
            Display* x = XOpenDisplay(nullptr);
            Surf* window = surfWindow(40, 30, "Refused", SURF_RESIZE | SURF_MIN2X);
            drawPattern(window);
            for (int frame = 0; frame < 20; frame++) surfUpdate(window);
            XSync(x, False);
            expectScaledPattern(x, window);
            const int status = std::string(surfPresentation(window)) != "XPutImage" ? 4
                               : testing::Test::HasFailure()                        ? 5
                                                                                    : 0;
            surfFree(window);
            XCloseDisplay(x);
            server.reset();  // stopped before the exit, or it would hold the test's pipe open
            _exit(status);
        },
        testing::ExitedWithCode(0), "refused shared memory");
}

}  // namespace
