// The Win32 window under Wine, driven with SendInput. The runner starts it in
// a Wine prefix of its own whose system DPI is 144 (a scale of 1.5).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "surf/surf.h"

namespace {

class Win32Window : public testing::Test {
protected:
    void TearDown() override { surfFree(window); }

    void open(int w, int h, const char* title) {
        window = surfWindow(w, h, title, SURF_RESIZE);
        surfUpdate(window);
        SetForegroundWindow((HWND)window->handle);
        SetFocus((HWND)window->handle);
        ASSERT_TRUE(updateUntil([&] { return GetFocus() == (HWND)window->handle; })) << "never had the focus";
    }

    bool updateUntil(const std::function<bool()>& condition) {
        for (int frame = 0; frame < 500; frame++) {
            surfUpdate(window);
            if (condition()) return true;
        }
        return false;
    }

    // 500 x 350 units at the prefix's scale of 1.5.
    void expectSystemScale() {
        RECT client = {};
        GetClientRect((HWND)window->handle, &client);
        EXPECT_FLOAT_EQ(surfBackingScale(window), 1.5f);
        EXPECT_EQ(client.right - client.left, 750);
        EXPECT_EQ(client.bottom - client.top, 525);
        EXPECT_EQ(window->w, 750);
        EXPECT_EQ(window->h, 525);
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

TEST_F(Win32Window, UnitsTakeTheSystemScaleAlsoWhenRecreatedWithoutOpenGL) {
    open(500, 350, "Scaled");
    expectSystemScale();
    if (std::string(surfPresentation(window)) != "OpenGL 3.3") GTEST_SKIP() << "needs OpenGL to begin with";
    void* first = window->handle;
    // An effect that does not compile gives OpenGL up; its pixel format stays
    // with the old window, so the plain path needs a new one.
    surfSetPostShader(window, "void fxShader(out vec4 color, in vec2 uv) { color = undefinedThing; }", -1);
    surfUpdateUnchanged(window);
    EXPECT_STREQ(surfPresentation(window), "GDI");
    EXPECT_NE(window->handle, first);
    expectSystemScale();
}

TEST_F(Win32Window, EachSideOfShiftControlAndAltReadsAsPressed) {
    open(200, 150, "Modifiers");
    struct Side {
        WORD vk;
        DWORD extended;
        int code, generic;
    };
    const Side sides[] = {{VK_LSHIFT, 0, SK_LSHIFT, SK_SHIFT},
                          {VK_RSHIFT, 0, SK_RSHIFT, SK_SHIFT},
                          {VK_LCONTROL, 0, SK_LCONTROL, SK_CONTROL},
                          {VK_RCONTROL, KEYEVENTF_EXTENDEDKEY, SK_RCONTROL, SK_CONTROL},
                          {VK_LMENU, 0, SK_LALT, SK_ALT},
                          {VK_RMENU, KEYEVENTF_EXTENDEDKEY, SK_RALT, SK_ALT}};
    for (const Side& s : sides) {
        SCOPED_TRACE(s.code);
        send(INPUT_KEYBOARD, s.vk, s.extended);
        EXPECT_TRUE(updateUntil([&] { return surfKeyHeld(window, s.code) != 0; }));
        EXPECT_TRUE(surfKeyHeld(window, s.generic));
        send(INPUT_KEYBOARD, s.vk, s.extended | KEYEVENTF_KEYUP);
        EXPECT_TRUE(updateUntil([&] { return !surfKeyHeld(window, s.generic); }));
        EXPECT_FALSE(surfKeyHeld(window, s.code));
    }
}

TEST_F(Win32Window, QuickTapIsSeenDownThenUp) {
    open(200, 150, "Tap");
    send(INPUT_KEYBOARD, VK_TAB, 0);
    send(INPUT_KEYBOARD, VK_TAB, KEYEVENTF_KEYUP);
    ASSERT_TRUE(updateUntil([&] { return surfKeyDown(window, SK_TAB) != 0; }));
    surfUpdate(window);
    EXPECT_FALSE(surfKeyHeld(window, SK_TAB));
}

TEST_F(Win32Window, WheelTurnsArriveInNotchesWithHalvesAddingUp) {
    open(200, 150, "Wheel");
    RECT r;
    GetWindowRect((HWND)window->handle, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // Away from the user: toward the top of the content.
    send(INPUT_MOUSE, 0, MOUSEEVENTF_WHEEL, WHEEL_DELTA / 2);
    send(INPUT_MOUSE, 0, MOUSEEVENTF_WHEEL, WHEEL_DELTA / 2);
    send(INPUT_MOUSE, 0, MOUSEEVENTF_HWHEEL, WHEEL_DELTA);
    float sumX = 0, sumY = 0;
    updateUntil([&] {
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
