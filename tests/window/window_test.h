// Windows on a private Xvfb, driven with real X input through XTest and read back from the screen.
#pragma once

// GoogleTest before Xlib, whose None and Bool macros clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <functional>
#include <string>
#include <vector>

#include "surf/surf.h"
#include "surf/window_internal.h"

class WindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A window that is shown, mapped and has the keyboard focus, freed with the test.
    Surf* open(int w, int h, const char* title, int flags);
    void close(Surf* window) { std::erase(_open, window), surfFree(window); }
    // Runs frames until the condition holds; false after maxFrames.
    bool updateUntil(Surf* window, const std::function<bool()>& condition, int maxFrames = 300);
    // Runs a few frames so that everything already sent has arrived.
    void settle(Surf* window, int frames = 5) {
        updateUntil(
            window, [] { return false; }, frames);
    }
    Window xwindow(Surf* window) const { return (Window)window->handle; }
    XWindowAttributes attributes(Surf* window);
    int rootX(Surf* window) { return rootPosition(window).x; }
    int rootY(Surf* window) { return rootPosition(window).y; }
    // The pixel of the client area, 0x00RRGGBB.
    unsigned long pixel(Surf* window, int x, int y);
    bool showsPixel(Surf* window, int px, int py, unsigned long rgb) {
        return updateUntil(
            window, [&] { return pixel(window, px, py) == rgb; }, 100);
    }
    void key(KeySym sym, bool down) { XTestFakeKeyEvent(x, XKeysymToKeycode(x, sym), down, CurrentTime), XSync(x, 0); }
    void tap(KeySym sym) { key(sym, true), key(sym, false); }
    void altReturn() { key(XK_Alt_L, true), tap(XK_Return), key(XK_Alt_L, false); }  // switches full screen
    void moveMouse(int rx, int ry) { XTestFakeMotionEvent(x, DefaultScreen(x), rx, ry, CurrentTime), XSync(x, 0); }
    void button(int number, bool down) { XTestFakeButtonEvent(x, (unsigned)number, down, CurrentTime), XSync(x, 0); }
    Display* x = nullptr;

private:
    XPoint rootPosition(Surf* window);
    std::vector<Surf*> _open;
};

inline unsigned long packed(SPixel p) { return ((unsigned long)p.r << 16) | ((unsigned long)p.g << 8) | p.b; }
inline bool presentsWithGL(Surf* window) { return std::string(surfPresentation(window)) == "OpenGL 3.3"; }
// A bitmap pattern in which neighbouring pixels differ.
inline SPixel patternAt(int x, int y) { return surfRGB(x * 5, y * 3, x * 7 + y * 11); }
void drawPattern(Surf* bmp);
// Every client pixel must be the bitmap pixel under it at the window's scale, or black outside the bitmap.
void expectScaledPattern(Display* x, Surf* window);
