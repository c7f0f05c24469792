#include "ui/surfinput.h"

#include <cmath>

#include "ui/geometry.h"

namespace {

struct KeyMapping {
    int windowKey;
    int uiKey;
};

constexpr KeyMapping bridgedKeys[] = {
    {SK_BACKSPACE, GUI_KEY_BACKSPACE},
    {SK_RETURN, GUI_KEY_RETURN},
    {SK_SHIFT, GUI_KEY_SHIFT},
    {SK_TAB, GUI_KEY_TAB},
    {SK_ESCAPE, GUI_KEY_ESCAPE},
    {SK_SPACE, GUI_KEY_SPACE},
    {SK_UP, GUI_KEY_UP},
    {SK_DOWN, GUI_KEY_DOWN},
    {SK_PAGEUP, GUI_KEY_PAGEUP},
    {SK_PAGEDN, GUI_KEY_PAGEDOWN},
    {SK_HOME, GUI_KEY_HOME},
    {SK_END, GUI_KEY_END},
};

// Pixels to whole UI units; positions left of or above the bitmap stay there.
int toUnits(int pixels, float scale) {
    if (!(scale > 0.0f)) return pixels;
    return geo::truncate(std::floor(static_cast<float>(pixels) / scale));
}

// Whole units of scrolling for the notches turned, keeping the fraction for later.
int scrollUnits(float notches, float& rest) {
    const float units = notches * MouseBridge::unitsPerNotch + rest;
    const float whole = std::trunc(units);
    rest = units - whole;
    return static_cast<int>(whole);
}

}  // namespace

void SurfWindowInput::mouse(int& x, int& y, int& buttons) { surfMouse(_window, &x, &y, &buttons); }
void SurfWindowInput::wheel(float& dx, float& dy) { surfWheel(_window, &dx, &dy); }
float SurfWindowInput::backingScale() { return surfBackingScale(_window); }
bool SurfWindowInput::keyDown(int key) { return surfKeyDown(_window, key) != 0; }
bool SurfWindowInput::keyHeld(int key) { return surfKeyHeld(_window, key) != 0; }
int SurfWindowInput::readChar() { return surfReadChar(_window); }

void MouseBridge::process(gui_Context* ctx, WindowInput& input) {
    int px = 0, py = 0, buttons = 0;
    input.mouse(px, py, buttons);
    const float scale = input.backingScale();
    const int mx = toUnits(px, scale), my = toUnits(py, scale);
    if (b0 == b1) {
        if (mx != x || my != y) gui_input_mousemove(ctx, mx, my);
    } else {
        const int changed = b0 ^ b1;
        gui_input_mousedown(ctx, mx, my, b1 & changed);
        gui_input_mouseup(ctx, mx, my, b0 & changed);
    }
    x = mx;
    y = my;
    b0 = b1;
    b1 = buttons;

    float notchesX = 0.0f, notchesY = 0.0f;
    input.wheel(notchesX, notchesY);
    const int scrollX = scrollUnits(notchesX, restX), scrollY = scrollUnits(notchesY, restY);
    if (scrollX != 0 || scrollY != 0) gui_input_scroll(ctx, scrollX, scrollY);
}

bool KeyboardBridge::process(gui_Context* ctx, WindowInput& input) {
    int down = 0, up = 0;
    for (const KeyMapping& key : bridgedKeys) {
        if (input.keyDown(key.windowKey)) {
            down |= key.uiKey;
        } else if (!input.keyHeld(key.windowKey)) {
            up |= key.uiKey;
        }
    }
    if (down != 0 || up != lastUp) {
        // Characters wait in the window layer until a frame without key events.
        gui_input_keydown(ctx, down);
        gui_input_keyup(ctx, up);
        lastUp = up;
        return true;
    }
    const int c = input.readChar();
    if (c < 32 || c == 127) return false;
    char utf8[5] = {};
    surfEncodeUTF8(utf8, c);
    gui_input_text(ctx, utf8);
    return true;
}

void processMouseInput(gui_Context* ctx, Surf* window) {
    static MouseBridge bridge;
    SurfWindowInput input(window);
    bridge.process(ctx, input);
}

bool processKeyboardInput(gui_Context* ctx, Surf* window) {
    static KeyboardBridge bridge;
    SurfWindowInput input(window);
    return bridge.process(ctx, input);
}
