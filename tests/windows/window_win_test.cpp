// The Win32 window under Wine, driven with SendInput. The runner starts it in a Wine prefix of its own whose system DPI
// is 144 (a scale of 1.5).
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "surf/surf.h"

namespace {

class Win32Window : public testing::Test {
protected:
    void TearDown() override { surfFree(window); }
    void SetUp() override {
        window = surfWindow(500, 350, "Input", SURF_RESIZE);
        surfUpdate(window);
        SetForegroundWindow(hwnd()), SetFocus(hwnd());
        ASSERT_TRUE(updateUntil([&] { return GetFocus() == hwnd(); })) << "never had the focus";
    }
    HWND hwnd() const { return (HWND)window->handle; }
    bool updateUntil(const std::function<bool()>& condition) {
        for (int frame = 0; frame < 500; frame++)
            if (surfUpdate(window), condition()) return true;
        return false;
    }
    // 500 x 350 units at the prefix's scale of 1.5.
    void expectSystemScale() {
        RECT c = {};
        GetClientRect(hwnd(), &c);
        EXPECT_FLOAT_EQ(surfBackingScale(window), 1.5f);
        EXPECT_EQ(std::vector({(int)(c.right - c.left), (int)(c.bottom - c.top), window->w, window->h}),
                  std::vector({750, 525, 750, 525}));
    }
    static void send(DWORD type, WORD vk, DWORD flags, int wheel = 0) {
        INPUT input = {};
        input.type = type;
        if (type == INPUT_KEYBOARD) input.ki = {vk, (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC), flags, 0, 0};
        if (type == INPUT_MOUSE) input.mi = {0, 0, (DWORD)wheel, flags, 0, 0};
        SendInput(1, &input, sizeof input);
    }
    Surf* window = nullptr;
};

// Each side of Shift, Control and Alt; a tap within one frame is seen down, then up; half wheel notches add up, away
// from the user is up. Units take the system scale, also once the window is recreated without OpenGL.
TEST_F(Win32Window, ModifierSidesTapsWheelNotchesAndTheSystemScale) {
    expectSystemScale();
    const std::array<int, 4> sides[] = {{VK_LSHIFT, 0, SK_LSHIFT, SK_SHIFT},
                                        {VK_RSHIFT, 0, SK_RSHIFT, SK_SHIFT},
                                        {VK_LCONTROL, 0, SK_LCONTROL, SK_CONTROL},
                                        {VK_RCONTROL, KEYEVENTF_EXTENDEDKEY, SK_RCONTROL, SK_CONTROL},
                                        {VK_LMENU, 0, SK_LALT, SK_ALT},
                                        {VK_RMENU, KEYEVENTF_EXTENDEDKEY, SK_RALT, SK_ALT}};
    for (auto [vk, extended, code, generic] : sides) {
        SCOPED_TRACE(code);
        send(INPUT_KEYBOARD, (WORD)vk, (DWORD)extended);
        EXPECT_TRUE(updateUntil([&] { return surfKeyHeld(window, code) != 0; }));
        EXPECT_TRUE(surfKeyHeld(window, generic));
        send(INPUT_KEYBOARD, (WORD)vk, (DWORD)extended | KEYEVENTF_KEYUP);
        EXPECT_TRUE(updateUntil([&] { return !surfKeyHeld(window, generic); }));
        EXPECT_FALSE(surfKeyHeld(window, code));
    }
    send(INPUT_KEYBOARD, VK_TAB, 0), send(INPUT_KEYBOARD, VK_TAB, KEYEVENTF_KEYUP);
    ASSERT_TRUE(updateUntil([&] { return surfKeyDown(window, SK_TAB) != 0; }));
    EXPECT_FALSE((surfUpdate(window), surfKeyHeld(window, SK_TAB)));
    RECT r;
    GetWindowRect(hwnd(), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    send(INPUT_MOUSE, 0, MOUSEEVENTF_WHEEL, WHEEL_DELTA / 2), send(INPUT_MOUSE, 0, MOUSEEVENTF_WHEEL, WHEEL_DELTA / 2);
    send(INPUT_MOUSE, 0, MOUSEEVENTF_HWHEEL, WHEEL_DELTA);
    float sumX = 0, sumY = 0, dx, dy;
    updateUntil([&] { return surfWheel(window, &dx, &dy), sumX += dx, sumY += dy, sumX == 1 && sumY == -1; });
    EXPECT_EQ(std::vector({sumX, sumY}), std::vector({1.f, -1.f}));
    if (std::string(surfPresentation(window)) != "OpenGL 3.3") GTEST_SKIP() << "needs OpenGL to begin with";
    void* first = window->handle;
    // An effect that does not compile gives OpenGL up; its pixel format stays with the old window, so the plain path
    // needs a new one.
    surfSetPostShader(window, "void fxShader(out vec4 color, in vec2 uv) { color = undefinedThing; }", -1);
    surfUpdateUnchanged(window);
    EXPECT_STREQ(surfPresentation(window), "GDI");
    EXPECT_NE(window->handle, first);
    expectSystemScale();
}

}  // namespace
