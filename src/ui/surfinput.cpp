#include "ui/surfinput.h"

namespace {

struct KeyMapping {
    int windowKey;
    int uiKey;
};

constexpr KeyMapping bridgedKeys[] = {
    {SK_BACKSPACE, GUI_KEY_BACKSPACE},
    {SK_RETURN, GUI_KEY_RETURN},
    {SK_SHIFT, GUI_KEY_SHIFT},
};

}  // namespace

void SurfWindowInput::mouse(int& x, int& y, int& buttons) { surfMouse(_window, &x, &y, &buttons); }
bool SurfWindowInput::keyDown(int key) { return surfKeyDown(_window, key) != 0; }
bool SurfWindowInput::keyHeld(int key) { return surfKeyHeld(_window, key) != 0; }
int SurfWindowInput::readChar() { return surfReadChar(_window); }

void MouseBridge::process(gui_Context* ctx, WindowInput& input) {
    int mx = 0, my = 0, buttons = 0;
    input.mouse(mx, my, buttons);
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
