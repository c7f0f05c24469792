// Keys, typed characters, focus, the mouse and the close request, from real X
// input events.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <X11/keysym.h>
#include <unistd.h>

#include <chrono>
#include <iterator>
#include <map>
#include <utility>


class InputTest : public WindowTest {
 protected:
  // Frames until the key reads as held, checking it was down in that frame only.
  void expectPressedForOneFrame(Surf* window, int code) {
    ASSERT_TRUE(updateUntil(window, [&] { return surfKeyHeld(window, code) != 0; }));
    EXPECT_TRUE(surfKeyDown(window, code));
    surfUpdate(window);
    EXPECT_FALSE(surfKeyDown(window, code));
    EXPECT_TRUE(surfKeyHeld(window, code));
  }
};

TEST_F(InputTest, KeyIsDownForOneFrameAndHeldUntilReleased) {
  Surf* window = open(100, 80, "Keys", SURF_RESIZE);
  key(XK_a, true);
  expectPressedForOneFrame(window, 'A');
  settle(window);
  EXPECT_FALSE(surfKeyDown(window, 'A'));
  EXPECT_TRUE(surfKeyHeld(window, 'A'));
  EXPECT_FALSE(surfKeyHeld(window, 'B'));
  key(XK_a, false);
  ASSERT_TRUE(updateUntil(window, [&] { return !surfKeyHeld(window, 'A'); }));
  EXPECT_FALSE(surfKeyDown(window, 'A'));

  key(XK_F5, true);
  expectPressedForOneFrame(window, SK_F5);
  key(XK_F5, false);
  key(XK_KP_Add, true);
  expectPressedForOneFrame(window, SK_PADADD);
  key(XK_KP_Add, false);
  settle(window);
  EXPECT_FALSE(surfKeyHeld(window, SK_F5));
  EXPECT_FALSE(surfKeyHeld(window, 999));  // no such key
}

TEST_F(InputTest, EitherShiftKeyHoldsShift) {
  Surf* window = open(100, 80, "Shift", SURF_RESIZE);
  key(XK_Shift_L, true);
  expectPressedForOneFrame(window, SK_SHIFT);
  EXPECT_TRUE(surfKeyHeld(window, SK_LSHIFT));
  key(XK_Shift_R, true);
  settle(window);
  EXPECT_TRUE(surfKeyHeld(window, SK_RSHIFT));
  key(XK_Shift_L, false);
  settle(window);
  EXPECT_FALSE(surfKeyHeld(window, SK_LSHIFT));
  EXPECT_TRUE(surfKeyHeld(window, SK_SHIFT));
  key(XK_Shift_R, false);
  settle(window);
  EXPECT_FALSE(surfKeyHeld(window, SK_SHIFT));
}

TEST_F(InputTest, TypedCharactersAreReadOnceAndReturnReadsAsLineFeed) {
  Surf* window = open(100, 80, "Characters", SURF_RESIZE);
  tap(XK_Return);
  int ch = 0;
  ASSERT_TRUE(updateUntil(window, [&] { return (ch = surfReadChar(window)) != 0; }));
  EXPECT_EQ(ch, 10);
  EXPECT_EQ(surfReadChar(window), 0);

  tap(XK_q);
  ASSERT_TRUE(updateUntil(window, [&] { return (ch = surfReadChar(window)) != 0; }));
  EXPECT_EQ(ch, 'q');

  // Of several characters typed within one frame only the last is seen.
  tap(XK_x);
  tap(XK_y);
  settle(window);
  EXPECT_EQ(surfReadChar(window), 'y');
  EXPECT_EQ(surfReadChar(window), 0);
}

TEST_F(InputTest, AutoRepeatNeitherRenewsKeyDownNorTypesAgain) {
  Surf* window = open(100, 80, "Repeat", SURF_RESIZE);
  // A second client listening to the same window's keys sees the server repeat.
  XSelectInput(x, xwindow(window), KeyPressMask);
  key(XK_k, true);
  int downFrames = 0, characters = 0;
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1300);
  while (std::chrono::steady_clock::now() < until) {
    surfUpdate(window);
    downFrames += surfKeyDown(window, 'K') != 0;
    int ch = surfReadChar(window);
    if (ch) {
      EXPECT_EQ(ch, 'k');
      characters++;
    }
    usleep(5000);
  }
  EXPECT_TRUE(surfKeyHeld(window, 'K'));
  key(XK_k, false);
  int presses = 0;
  while (XPending(x)) {
    XEvent ev;
    XNextEvent(x, &ev);
    presses += ev.type == KeyPress;
  }
  EXPECT_GT(presses, 1) << "the server did not repeat the key";
  EXPECT_EQ(downFrames, 1);
  EXPECT_EQ(characters, 1);
}

TEST_F(InputTest, LosingFocusClearsKeysAndHidesButtons) {
  Surf* window = open(100, 80, "Focus", SURF_RESIZE);
  moveMouse(rootX(window) + 10, rootY(window) + 10);
  button(1, true);
  key(XK_z, true);
  ASSERT_TRUE(updateUntil(window, [&] { return surfKeyHeld(window, 'Z') != 0; }));
  int buttons = 0;
  surfMouse(window, nullptr, nullptr, &buttons);
  EXPECT_EQ(buttons, SURF_BUTTON_LEFT);
  tap(XK_c);

  focusElsewhere();
  settle(window);
  EXPECT_FALSE(surfKeyHeld(window, 'Z'));
  EXPECT_FALSE(surfKeyDown(window, 'Z'));
  EXPECT_EQ(surfReadChar(window), 0);
  surfMouse(window, nullptr, nullptr, &buttons);
  EXPECT_EQ(buttons, 0);  // still held, but not for this window
  button(1, false);
  key(XK_z, false);

  // Keys pressed elsewhere are not seen; back in focus, they are again.
  tap(XK_v);
  settle(window);
  EXPECT_EQ(surfReadChar(window), 0);
  XSetInputFocus(x, xwindow(window), RevertToParent, CurrentTime);
  settle(window);
  key(XK_z, true);
  expectPressedForOneFrame(window, 'Z');
  key(XK_z, false);
}

TEST_F(InputTest, MouseIsInBitmapPixelsAndNegativeAboveAndLeftOfIt) {
  Surf* window = open(60, 40, "Mouse", SURF_RESIZE | SURF_MIN2X);
  XMoveWindow(x, xwindow(window), 300, 200);
  ASSERT_TRUE(updateUntil(window, [&] { return rootX(window) == 300; }));
  int mx = 0, my = 0, buttons = -1;
  moveMouse(300 + 21, 200 + 9);
  surfMouse(window, &mx, &my, &buttons);
  EXPECT_EQ(mx, 10);
  EXPECT_EQ(my, 4);
  EXPECT_EQ(buttons, 0);
  // A button pressed inside stays held while the pointer leaves the window.
  button(3, true);
  ASSERT_TRUE(updateUntil(window, [&] {
    surfMouse(window, nullptr, nullptr, &buttons);
    return buttons == SURF_BUTTON_RIGHT;
  }));
  moveMouse(300 - 7, 200 - 4);
  surfMouse(window, &mx, &my, &buttons);
  EXPECT_EQ(mx, -3);
  EXPECT_EQ(my, -2);
  EXPECT_EQ(buttons, SURF_BUTTON_RIGHT);
  SurfTouchPoint touch = {};
  EXPECT_EQ(surfTouch(window, &touch, 1), 1);
  EXPECT_EQ(touch.x, -3);
  button(3, false);
  EXPECT_TRUE(updateUntil(window, [&] { return surfTouch(window, &touch, 1) == 0; }));
  EXPECT_EQ(surfTouch(window, &touch, 0), 0);
}

TEST_F(InputTest, CloseRequestIsReportedOnceAndTheWindowStays) {
  Surf* window = open(100, 80, "Close", SURF_RESIZE);
  EXPECT_EQ(surfClosed(window), 0);
  requestClose(window);
  ASSERT_TRUE(updateUntil(window, [&] { return surfClosed(window) == 1; }));
  EXPECT_EQ(surfClosed(window), 0);
  settle(window);
  EXPECT_EQ(surfClosed(window), 0);
  EXPECT_EQ(attributes(window).map_state, IsViewable);

  requestClose(window);
  ASSERT_TRUE(updateUntil(window, [&] { return surfClosed(window) == 1; }));

  Window xw = xwindow(window);
  close(window);
  XSync(x, False);
  XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XWindowAttributes a = {};
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

TEST_F(InputTest, TapsFasterThanAFrameAreEachSeenDownThenUp) {
  Surf* window = open(100, 80, "Taps", SURF_RESIZE);
  moveMouse(rootX(window) + 50, rootY(window) + 40);
  const std::pair<KeySym, int> keys[] = {
      {XK_Tab, SK_TAB},       {XK_Escape, SK_ESCAPE}, {XK_space, SK_SPACE},   {XK_Left, SK_LEFT},
      {XK_Right, SK_RIGHT},   {XK_Up, SK_UP},         {XK_Down, SK_DOWN},     {XK_Prior, SK_PAGEUP},
      {XK_Next, SK_PAGEDN},   {XK_Home, SK_HOME},     {XK_End, SK_END},       {XK_Return, SK_RETURN}};
  for (const auto& [sym, code] : keys) tap(sym);
  // The same key twice within one server time stamp is two taps, not a repeat.
  tap(XK_Tab);
  // Two clicks in a row, all before the window looks.
  for (int i = 0; i < 2; i++) {
    button(1, true);
    button(1, false);
  }
  std::map<int, int> presses;
  const std::size_t taps = std::size(keys) + 1;
  std::size_t seen = 0;
  int clicks = 0, wasDown = 0;
  updateUntil(window, [&] {
    for (const auto& [sym, code] : keys) {
      if (surfKeyDown(window, code)) {
        presses[code]++;
        seen++;
      }
    }
    int buttons = 0;
    surfMouse(window, nullptr, nullptr, &buttons);
    if ((buttons & SURF_BUTTON_LEFT) && !wasDown) clicks++;
    wasDown = buttons & SURF_BUTTON_LEFT;
    return seen == taps && clicks == 2 && !wasDown;
  });
  for (const auto& [sym, code] : keys) EXPECT_EQ(presses[code], code == SK_TAB ? 2 : 1) << code;
  EXPECT_EQ(clicks, 2);
  settle(window);
  for (const auto& [sym, code] : keys) EXPECT_FALSE(surfKeyHeld(window, code)) << code;
}

TEST_F(InputTest, KeyTypedFastWithAModifierIsSeenWithTheModifier) {
  Surf* window = open(100, 80, "Shift+Tab", SURF_RESIZE);
  key(XK_Shift_L, true);
  ASSERT_TRUE(updateUntil(window, [&] { return surfKeyHeld(window, SK_SHIFT) != 0; }));
  // Tab, and Shift letting go before it, all before the window looks again.
  key(XK_Tab, true);
  key(XK_Shift_L, false);
  key(XK_Tab, false);
  ASSERT_TRUE(updateUntil(window, [&] { return surfKeyDown(window, SK_TAB) != 0; }));
  EXPECT_TRUE(surfKeyHeld(window, SK_SHIFT));
  settle(window);
  EXPECT_FALSE(surfKeyHeld(window, SK_SHIFT));
}

TEST_F(InputTest, HeldOverInputIsTakenWithoutRestingAndIdleFramesRestWithoutDrawing) {
  Surf* window = open(100, 80, "Pacing", SURF_RESIZE);
  const SurfFrameClock& clock = surfInternal(window)->clock;
  unsigned presents = clock.presents, waits = clock.waits;
  for (int i = 0; i < 10; i++) surfUpdateUnchanged(window);
  EXPECT_EQ(clock.presents, presents) << "an unchanged bitmap was drawn again";
  EXPECT_EQ(clock.waits, waits + 10) << "an idle frame did not rest";

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

TEST_F(InputTest, WheelNotchesArriveWithTheirDirection) {
  Surf* window = open(100, 80, "Wheel", SURF_RESIZE);
  moveMouse(rootX(window) + 50, rootY(window) + 40);
  float dx = 0, dy = 0, sumX = 0, sumY = 0;
  // Toward the user twice, away once, right once.
  for (int b : {5, 5, 4, 7}) {
    button(b, true);
    button(b, false);
  }
  updateUntil(window, [&] {
    surfWheel(window, &dx, &dy);
    sumX += dx;
    sumY += dy;
    return sumX == 1 && sumY == 1;
  });
  EXPECT_EQ(sumX, 1);
  EXPECT_EQ(sumY, 1);
  surfUpdate(window);
  surfWheel(window, &dx, &dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  int buttons = -1;
  surfMouse(window, nullptr, nullptr, &buttons);
  EXPECT_EQ(buttons, 0) << "a wheel notch is no button";
}
