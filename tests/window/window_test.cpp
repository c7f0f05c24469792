#include "window_test.h"

#include <GL/glx.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <utility>

#include "xvfb_server.h"

namespace {

// One X server and one settings folder for the whole test program.
struct XEnvironment : testing::Environment {
    void SetUp() override {
        _server = std::make_unique<XvfbServer>();
        ASSERT_FALSE(_server->display().empty()) << "Xvfb did not start";
        char folder[] = "/tmp/window_test_XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        setenv("XDG_CONFIG_HOME", (_config = folder).c_str(), 1);
        // Mesa unloads its driver with the last display connection that used it, and with it the static data that still
        // points at the driver's one-time allocations, which LeakSanitizer would then report. A connection held to the
        // end keeps the driver in place.
        Display* driverHolder = XOpenDisplay(nullptr);
        ASSERT_NE(driverHolder, nullptr);
        int count = 0;
        if (GLXFBConfig* configs = glXChooseFBConfig(driverHolder, DefaultScreen(driverHolder), nullptr, &count))
            XFree(configs);
    }
    void TearDown() override { _server.reset(), std::filesystem::remove_all(_config); }
    std::unique_ptr<XvfbServer> _server;
    std::string _config;
};

testing::Environment* const environment = testing::AddGlobalTestEnvironment(new XEnvironment);

}  // namespace

void WindowTest::SetUp() {
    // Every test starts without remembered placements.
    std::filesystem::remove_all(std::filesystem::path(getenv("XDG_CONFIG_HOME")) / "surf");
    ASSERT_NE(x = XOpenDisplay(nullptr), nullptr);
    moveMouse(1270, 1010);
}

void WindowTest::TearDown() {
    for (Surf* window : std::exchange(_open, {})) surfFree(window);
    if (x) XCloseDisplay(x);
}

Surf* WindowTest::open(int w, int h, const char* title, int flags) {
    Surf* window = surfWindow(w, h, title, flags);
    _open.push_back(window);
    EXPECT_TRUE(updateUntil(window, [&] {
        Window focus;
        int revert;
        XGetInputFocus(x, &focus, &revert);
        return focus == xwindow(window) && attributes(window).map_state == IsViewable;
    })) << "the window was not shown with the focus";
    return settle(window), window;
}

bool WindowTest::updateUntil(Surf* window, const std::function<bool()>& condition, int maxFrames) {
    for (int frame = 0; frame < maxFrames; frame++, usleep(2000))
        if (surfUpdate(window), XSync(x, False), condition()) return true;
    return false;
}

XWindowAttributes WindowTest::attributes(Surf* window) {
    XWindowAttributes a = {};
    return XGetWindowAttributes(x, xwindow(window), &a), a;
}

XPoint WindowTest::rootPosition(Surf* window) {
    int rx = 0, ry = 0;
    Window child;
    XTranslateCoordinates(x, xwindow(window), DefaultRootWindow(x), 0, 0, &rx, &ry, &child);
    return XPoint{(short)rx, (short)ry};
}

unsigned long WindowTest::pixel(Surf* window, int px, int py) {
    XImage* image = XGetImage(x, xwindow(window), px, py, 1, 1, AllPlanes, ZPixmap);
    unsigned long value = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : ~0ul;
    if (image) XDestroyImage(image);
    return value;
}

void drawPattern(Surf* bmp) {
    for (int i = 0; i < bmp->w * bmp->h; i++) bmp->pix[i] = patternAt(i % bmp->w, i / bmp->w);
}

void expectScaledPattern(Display* x, Surf* window) {
    SurfInternal* win = surfInternal(window);
    XWindowAttributes a = {};
    XGetWindowAttributes(x, (Window)window->handle, &a);
    XImage* image =
        XGetImage(x, (Window)window->handle, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int wrong = 0;
    for (int cy = 0; cy < a.height; cy++)
        for (int cx = 0; cx < a.width; cx++) {
            int bx = cx - win->pos[0], by = cy - win->pos[1];
            bool inside = bx >= 0 && by >= 0 && bx < window->w * win->scale && by < window->h * win->scale;
            unsigned long want = inside ? packed(patternAt(bx / win->scale, by / win->scale)) : 0;
            if (unsigned long got = XGetPixel(image, cx, cy) & 0xFFFFFF; got != want && wrong++ < 5)
                ADD_FAILURE() << "client pixel " << cx << "," << cy << ": " << std::hex << got << " instead of "
                              << want;
        }
    XDestroyImage(image);
    EXPECT_EQ(wrong, 0);
}
