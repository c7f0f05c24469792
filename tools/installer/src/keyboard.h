#pragma once

// Driving the screens from the keyboard.

#include "guicore/guicore.h"
#include "ui/toolkit.h"

// The installer's own keyboard focus over the current screen's buttons, apart
// from the UI core's focus (which lasts only while a mouse button is held)
// and from hover. Tab and Shift+Tab move it through the buttons in the order
// they are described, wrapping around; the focused button shows a mark of its
// own. Return or Space press the focused button; with none focused, Return
// presses the screen's forward button. Escape presses the screen's way out.
// Return with Shift held presses nothing: that toggles the debug overlay.
class KeyboardFocus {
public:
    // What a button is to the keys besides Tab, Return and Space.
    enum Role : int {
        plain = 0,
        forward = 1,  // Return presses it while no button has the focus
        leave = 2,    // Escape presses it
    };

    static constexpr int none = -1;

    // Takes this frame's keys; before the screen is described.
    void beginFrame(const gui_Context& ctx);
    // Moves the focus for this frame's Tab, among the buttons just described.
    void endFrame();
    // A new screen starts without focus, and keys already acted on are not
    // acted on again by its buttons.
    void reset();

    // The button as a cell's content: pressed by a click or by the keys.
    template <typename B>
    ChildUI button(const B& button, int roles = plain) {
        return [this, button, roles](UIToolkit& t) {
            const int index = _described++;
            const gui_Rect cell = t.peekNextLayout();
            const bool clicked = t.button(button.text());
            if (index == _focused) drawMark(t, cell);
            if (clicked || pressedByKeys(index, roles)) button.press();
        };
    }

    int focused() const { return _focused; }

private:
    bool pressedByKeys(int index, int roles) const;
    static void drawMark(UIToolkit& toolkit, gui_Rect cell);

    int _focused = none;
    int _described = 0;
    int _pressed = 0;  // keys that went down this frame
    bool _shift = false;
};

// Moves the panel's content by the navigation keys pressed this frame: a
// line for Up and Down, a page less a line for Page Up and Page Down, to
// either end for Home and End. Acts on last frame's measures of the panel,
// which the UI core keeps.
void scrollByKeys(gui_Context& ctx, gui_Container& panel, int lineHeight);
