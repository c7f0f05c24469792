// The Win32 window under Wine, driven with SendInput. The runner starts it in
// a Wine prefix of its own whose system DPI is 144 (a scale of 1.5).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "surf/surf.h"

namespace {

class Win32WindowTest : public testing::Test {
 protected:
  void TearDown() override {
    for (Surf* w : _open) surfFree(w);
  }

  Surf* open(int w, int h, const char* title) {
    Surf* window = surfWindow(w, h, title, SURF_RESIZE);
    _open.push_back(window);
    HWND hwnd = (HWND)window->handle;
    surfUpdate(window);
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
    EXPECT_TRUE(updateUntil(window, [&] { return GetFocus() == hwnd; })) << "the window never had the focus";
    return window;
  }

  bool updateUntil(Surf* window, const std::function<bool()>& condition, int maxFrames = 500) {
    for (int frame = 0; frame < maxFrames; frame++) {
      surfUpdate(window);
      if (condition()) return true;
    }
    return false;
  }

  // A window of 500 x 350 units at the prefix's scale of 1.5.
  static void expectSystemScale(Surf* window) {
    RECT client = {};
    GetClientRect((HWND)window->handle, &client);
    EXPECT_FLOAT_EQ(surfBackingScale(window), 1.5f);
    EXPECT_EQ(client.right - client.left, 750);
    EXPECT_EQ(client.bottom - client.top, 525);
    EXPECT_EQ(window->w, 750);
    EXPECT_EQ(window->h, 525);
  }

  static void key(WORD vk, bool down, bool extended = false) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof input);
  }

  static void wheel(DWORD flags, int amount) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = (DWORD)amount;
    SendInput(1, &input, sizeof input);
  }

  static void pointAt(Surf* window) {
    RECT r;
    GetWindowRect((HWND)window->handle, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }

 private:
  std::vector<Surf*> _open;
};

TEST_F(Win32WindowTest, WindowOfUnitsHasTheClientAreaOfTheSystemScale) {
  Surf* window = open(500, 350, "Scaled");
  expectSystemScale(window);
}

TEST_F(Win32WindowTest, WindowRecreatedWithoutOpenGLKeepsTheSystemScale) {
  Surf* window = open(500, 350, "Recreated");
  if (std::string(surfPresentation(window)) != "OpenGL 3.3") GTEST_SKIP() << "needs OpenGL to begin with";
  void* first = window->handle;
  // An effect that does not compile gives OpenGL up; its pixel format stays
  // with the old window, so the plain path needs a new one.
  surfSetPostShader(window, "void fxShader(out vec4 color, in vec2 uv) { color = undefinedThing; }", -1);
  surfUpdateUnchanged(window);
  EXPECT_STREQ(surfPresentation(window), "GDI");
  EXPECT_NE(window->handle, first);
  expectSystemScale(window);
}

TEST_F(Win32WindowTest, EachSideOfShiftControlAndAltReadsAsPressed) {
  Surf* window = open(200, 150, "Modifiers");
  struct Side {
    WORD vk;
    bool extended;
    int code, generic;
  };
  const Side sides[] = {{VK_LSHIFT, false, SK_LSHIFT, SK_SHIFT},   {VK_RSHIFT, false, SK_RSHIFT, SK_SHIFT},
                        {VK_LCONTROL, false, SK_LCONTROL, SK_CONTROL}, {VK_RCONTROL, true, SK_RCONTROL, SK_CONTROL},
                        {VK_LMENU, false, SK_LALT, SK_ALT},         {VK_RMENU, true, SK_RALT, SK_ALT}};
  for (const Side& s : sides) {
    key(s.vk, true, s.extended);
    EXPECT_TRUE(updateUntil(window, [&] { return surfKeyHeld(window, s.code) != 0; })) << s.code;
    EXPECT_TRUE(surfKeyHeld(window, s.generic)) << s.code;
    key(s.vk, false, s.extended);
    EXPECT_TRUE(updateUntil(window, [&] { return !surfKeyHeld(window, s.generic); })) << s.code;
    EXPECT_FALSE(surfKeyHeld(window, s.code));
  }
}

TEST_F(Win32WindowTest, QuickTapIsSeenDownThenUp) {
  Surf* window = open(200, 150, "Tap");
  key(VK_TAB, true);
  key(VK_TAB, false);
  ASSERT_TRUE(updateUntil(window, [&] { return surfKeyDown(window, SK_TAB) != 0; }));
  surfUpdate(window);
  EXPECT_FALSE(surfKeyHeld(window, SK_TAB));
}

TEST_F(Win32WindowTest, WheelTurnsArriveInNotchesWithHalvesAddingUp) {
  Surf* window = open(200, 150, "Wheel");
  pointAt(window);
  // Away from the user: toward the top of the content.
  wheel(MOUSEEVENTF_WHEEL, WHEEL_DELTA / 2);
  wheel(MOUSEEVENTF_WHEEL, WHEEL_DELTA / 2);
  wheel(MOUSEEVENTF_HWHEEL, WHEEL_DELTA);
  float sumX = 0, sumY = 0;
  updateUntil(window, [&] {
    float dx = 0, dy = 0;
    surfWheel(window, &dx, &dy);
    sumX += dx;
    sumY += dy;
    return sumX == 1 && sumY == -1;
  });
  EXPECT_EQ(sumY, -1);
  EXPECT_EQ(sumX, 1);
}

}  // namespace
