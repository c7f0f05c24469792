#pragma once

#include "guicore/guicore.h"
#include "surf/surf.h"

// What the input bridge reads from a window once per frame.
class WindowInput {
public:
    virtual ~WindowInput() = default;
    // Position in bitmap pixels and the button bits (1 left, 2 middle, 4 right).
    virtual void mouse(int& x, int& y, int& buttons) = 0;
    // Wheel notches turned during the last update: dy > 0 toward the end of
    // the content, dx > 0 toward the right.
    virtual void wheel(float& dx, float& dy) = 0;
    // Bitmap pixels per UI unit.
    virtual float backingScale() = 0;
    // Went down during the last update.
    virtual bool keyDown(int key) = 0;
    virtual bool keyHeld(int key) = 0;
    // The last typed character, once; 0 when there is none.
    virtual int readChar() = 0;
};

// The window layer's input of one window.
class SurfWindowInput : public WindowInput {
public:
    explicit SurfWindowInput(Surf* window) : _window(window) {}
    void mouse(int& x, int& y, int& buttons) override;
    void wheel(float& dx, float& dy) override;
    float backingScale() override;
    bool keyDown(int key) override;
    bool keyHeld(int key) override;
    int readChar() override;

private:
    Surf* _window;
};

// Hands button changes to the UI core one frame late, so that the pointer
// reaches a control at least one frame before the press that follows it.
// Positions and wheel scrolling reach the core in UI units.
struct MouseBridge {
    // About three lines of the toolkit's 14-pixel text.
    static constexpr float unitsPerNotch = 60.0f;

    int x = 0, y = 0;  // position sent last frame, UI units
    int b0 = 0;        // buttons sampled two frames ago
    int b1 = 0;        // buttons sampled one frame ago
    // Scrolling not yet sent because it came to less than a unit, so that a
    // wheel turning in small steps still scrolls.
    float restX = 0.0f, restY = 0.0f;

    void process(gui_Context* ctx, WindowInput& input);
};

struct KeyboardBridge {
    int lastUp = 0;  // key-up bits sent last time key events were sent

    // True when key events or typed text went to the UI core.
    bool process(gui_Context* ctx, WindowInput& input);
};

// Once per frame, after the window's update, with bridges that live for the process.
void processMouseInput(gui_Context* ctx, Surf* window);
bool processKeyboardInput(gui_Context* ctx, Surf* window);
