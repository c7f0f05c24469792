// Windows on a private Xvfb, driven with real X input through XTest and read
// back from the screen.
#pragma once

// GoogleTest before Xlib, whose None and Bool macros clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <functional>
#include <vector>

#include "surf/surf.h"
#include "surf/window_internal.h"

class WindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A window that is shown, mapped and has the keyboard focus.
  Surf* open(int w, int h, const char* title, int flags);
  // Frees a window opened with open().
  void close(Surf* window);
  // Runs frames until the condition holds; false after maxFrames.
  bool updateUntil(Surf* window, const std::function<bool()>& condition, int maxFrames = 300);
  // Runs a few frames so that everything already sent has arrived.
  void settle(Surf* window, int frames = 5);

  Window xwindow(Surf* window) const { return (Window)window->handle; }
  // The client area on screen.
  XWindowAttributes attributes(Surf* window);
  int rootX(Surf* window) { return rootPosition(window).x; }
  int rootY(Surf* window) { return rootPosition(window).y; }
  // The pixel of the client area, 0x00RRGGBB.
  unsigned long pixel(Surf* window, int x, int y);
  // Runs frames until the client area shows the bitmap's pixel at (x, y).
  bool showsPixel(Surf* window, int x, int y, unsigned long rgb);

  void key(KeySym sym, bool down);
  void tap(KeySym sym);
  // The key combination that switches borderless full screen.
  void altReturn();
  void moveMouse(int rootX, int rootY);
  void button(int number, bool down);
  // Sends what a window manager sends for the title bar's close button.
  void requestClose(Surf* window);
  // Gives the focus to another window of the test.
  void focusElsewhere();

  Display* x = nullptr;

 private:
  XPoint rootPosition(Surf* window);

  std::vector<Surf*> _open;
  Window _other = 0;
};

inline SPixel rgb(unsigned char r, unsigned char g, unsigned char b) { return SPixel{r, g, b, 255}; }
inline unsigned long packed(SPixel p) { return ((unsigned long)p.r << 16) | ((unsigned long)p.g << 8) | p.b; }

// A bitmap pattern in which neighbouring pixels differ.
SPixel patternAt(int x, int y);
void drawPattern(Surf* bmp);
// Every client pixel must be the bitmap pixel under it at the window's scale,
// or black outside the bitmap.
void expectScaledPattern(Display* x, Surf* window);
// Whether the window presents through OpenGL.
bool presentsWithGL(Surf* window);
