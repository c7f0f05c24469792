#include <utility>

#include "ui/font.h"
#include "ui/style.h"

void UIPalette::update(GuiPalette& colors) const {
    const std::optional<Color>* roles[GUI_COLOR_MAX] = {
        &text,
        &border,
        &windowBackground,
        &titleBackground,
        &titleText,
        &panelBackground,
        &button,
        &buttonHover,
        &buttonFocus,
        &base,
        &baseHover,
        &baseFocus,
        &scrollBase,
        &scrollThumb,
    };
    for (int slot = 0; slot < GUI_COLOR_MAX; ++slot) {
        if (*roles[slot]) colors[slot] = **roles[slot];
    }
}

UIStyle::UIStyle(gui_Context* ctx) : _context(ctx), _savedStyle(*ctx->style), _style(*ctx->style) {}

UIStyle::~UIStyle() {
    // The context may point at another style by now; the saved one goes back
    // over whichever is in effect.
    *_context->style = _savedStyle;
    _font.reset();
}

UIStyle& UIStyle::palette(const Palette& p) {
    p.update(_style.colors);
    return *this;
}

UIStyle& UIStyle::padding(int padding) {
    _style.padding = padding;
    return *this;
}

UIStyle& UIStyle::spacing(int spacing) {
    _style.spacing = spacing;
    return *this;
}

UIStyle& UIStyle::font(std::shared_ptr<Font> f) {
    _font = std::move(f);
    _style.font = _font.get();
    return *this;
}

UIStyle& UIStyle::baseSize(int width, int height) {
    _style.size = gui_Vec2{width, height};
    return *this;
}

UIStyle& UIStyle::indent(int indent) {
    _style.indent = indent;
    return *this;
}

UIStyle& UIStyle::titleHeight(int height) {
    _style.title_height = height;
    return *this;
}

UIStyle& UIStyle::scrollbarSize(int size) {
    _style.scrollbar_size = size;
    return *this;
}

UIStyle& UIStyle::thumbSize(int size) {
    _style.thumb_size = size;
    return *this;
}

UIStyle& UIStyle::color(int slot, const Color& c) {
    if (slot >= 0 && slot < GUI_COLOR_MAX) _style.colors[slot] = c;
    return *this;
}
