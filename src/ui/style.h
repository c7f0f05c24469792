#pragma once

#include <memory>

#include "guicore/guicore.h"
#include "ui/palette.h"

class Color;
class Font;

// A scoped override of the UI core's style: everything changed through it is
// put back, completely, when it ends. Overrides nest; the innermost ends first.
class UIStyle {
public:
    using Palette = UIPalette;

    explicit UIStyle(gui_Context* ctx);
    ~UIStyle();
    UIStyle(const UIStyle&) = delete;
    UIStyle& operator=(const UIStyle&) = delete;

    UIStyle& palette(const Palette& p);
    UIStyle& padding(int padding);
    UIStyle& spacing(int spacing);
    // The font stays alive while the override lasts; whatever draws with it
    // later in the frame must own it as well.
    UIStyle& font(std::shared_ptr<Font> f);
    UIStyle& baseSize(int width, int height);
    UIStyle& indent(int indent);
    UIStyle& titleHeight(int height);
    UIStyle& scrollbarSize(int size);
    UIStyle& thumbSize(int size);
    // Sets one colour slot (GUI_COLOR_TEXT ... GUI_COLOR_SCROLLTHUMB); other indices are ignored.
    UIStyle& color(int slot, const Color& c);

private:
    gui_Context* _context;
    gui_Style _savedStyle;
    gui_Style& _style;
    std::shared_ptr<Font> _font;
};
