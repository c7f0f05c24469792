#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/toolkit.h"

namespace UI {

struct WidthTag {};
struct HeightTag {};

// A width or height in UI units; the default -1 fills to the far edge.
template <typename Tag>
class Length {
public:
    constexpr Length() = default;
    constexpr explicit Length(float value) : _value(value) {}
    constexpr float value() const { return _value; }

private:
    float _value = -1.0f;
};

using Width = Length<WidthTag>;
using Height = Length<HeightTag>;

// Cells side by side.
struct Row {
    Height height;
    std::vector<Cell> children;

    Row(std::initializer_list<Cell> cells) : children(cells) {}
    Row(Height h, std::initializer_list<Cell> cells) : height(h), children(cells) {}

    void operator()(UIToolkit& toolkit) const { toolkit.row(geo::truncate(height.value()), children); }
};

// Cells stacked top to bottom, over the panel background.
struct Column {
    Width width;
    std::vector<Cell> children;

    Column(std::initializer_list<Cell> cells) : children(cells) {}
    Column(Width w, std::initializer_list<Cell> cells) : width(w), children(cells) {}

    void operator()(UIToolkit& toolkit) const { toolkit.column(geo::truncate(width.value()), true, children); }
};

// A named, scrolling sub-area holding one child.
class Panel {
public:
    Panel(ChildUI child, std::string_view name) : _child(std::move(child)), _text(name) {}

    void operator()(UIToolkit& toolkit) const { toolkit.panel(_child, _text); }

private:
    ChildUI _child;
    std::string _text;
};

// One line of text in its cell, without a frame.
class Label {
public:
    Label(std::string_view text, UIToolkit::Alignment alignment) : _text(text), _alignment(alignment) {}

    void operator()(UIToolkit& toolkit) const { toolkit.label(_text, _alignment); }

private:
    std::string _text;
    UIToolkit::Alignment _alignment;
};

// Calls its action in the frame in which it is clicked.
template <typename F>
class Button {
public:
    Button(std::string text, F onPressed) : _text(std::move(text)), _onPressed(std::move(onPressed)) {}

    void operator()(UIToolkit& toolkit) const {
        if (toolkit.button(_text)) press();
    }

    const std::string& text() const { return _text; }
    // Runs the action as a click would; for presses from the keyboard.
    void press() const { _onPressed(); }

private:
    std::string _text;
    F _onPressed;
};

// Takes up one cell and draws nothing.
struct Spacer {
    void operator()(UIToolkit& toolkit) const { gui_layout_next(&toolkit.context()); }
};

}  // namespace UI
