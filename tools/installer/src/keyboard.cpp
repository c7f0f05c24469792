#include "keyboard.h"

#include <algorithm>

namespace {

// The focus mark sits this far inside the button's frame, clear of its
// label and of the frame that hover colours.
constexpr int markInset = 3;

}  // namespace

void KeyboardFocus::beginFrame(const gui_Context& ctx) {
    _pressed = ctx.key_pressed;
    _shift = (ctx.key_down & GUI_KEY_SHIFT) != 0;
    _described = 0;
}

void KeyboardFocus::endFrame() {
    if (!(_pressed & GUI_KEY_TAB) || _described == 0) return;
    if (_shift)
        _focused = _focused <= 0 ? _described - 1 : _focused - 1;
    else
        _focused = (_focused + 1) % _described;
}

void KeyboardFocus::reset() {
    _focused = none;
    _pressed = 0;
}

bool KeyboardFocus::pressedByKeys(int index, int roles) const {
    const bool returnKey = (_pressed & GUI_KEY_RETURN) && !_shift;
    if (index == _focused) return returnKey || (_pressed & GUI_KEY_SPACE);
    if ((roles & forward) && _focused == none && returnKey) return true;
    return (roles & leave) && (_pressed & GUI_KEY_ESCAPE);
}

void KeyboardFocus::drawMark(UIToolkit& toolkit, gui_Rect cell) {
    gui_Context& ctx = toolkit.context();
    const gui_Rect mark =
        gui_rect(cell.x + markInset, cell.y + markInset, cell.w - 2 * markInset, cell.h - 2 * markInset);
    gui_draw_box(&ctx, mark, ctx.style->colors[GUI_COLOR_TEXT]);
}

void scrollByKeys(gui_Context& ctx, gui_Container& panel, int lineHeight) {
    const int keys = ctx.key_pressed;
    const int page = std::max(lineHeight, panel.body.h - lineHeight);
    const int end = std::max(0, panel.content_size.y + 2 * ctx.style->padding - panel.body.h);
    int& scroll = panel.scroll.y;
    if (keys & GUI_KEY_UP) scroll -= lineHeight;
    if (keys & GUI_KEY_DOWN) scroll += lineHeight;
    if (keys & GUI_KEY_PAGEUP) scroll -= page;
    if (keys & GUI_KEY_PAGEDOWN) scroll += page;
    if (keys & GUI_KEY_HOME) scroll = 0;
    if (keys & GUI_KEY_END) scroll = end;
    scroll = std::clamp(scroll, 0, end);
}
