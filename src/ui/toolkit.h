#pragma once

#include <functional>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "guicore/guicore.h"
#include "ui/colors.h"
#include "ui/geometry.h"
#include "ui/context.h"

class UIToolkit;
template <typename T>
class UIValue;

// Every widget is one of these: it describes itself through the toolkit.
using ChildUI = std::function<void(UIToolkit&)>;

namespace UI {

struct Column;

// A size in UI units; the cell gets the whole units (truncated), though all
// of it counts against the space the shares divide.
struct Fixed {
    constexpr explicit Fixed(float units) : units(units) {}
    float units;
};

// A share of the space the fixed cells leave, as a weight against the other
// shares of the row or column.
struct Share {
    constexpr explicit Share(float weight) : weight(weight) {}
    float weight;
};

using CellSize = std::variant<Fixed, Share>;

// A child with its size.
struct Cell {
    ChildUI child;
    CellSize size;

    Cell(ChildUI c, CellSize s) : child(std::move(c)), size(s) {}
};

}  // namespace UI

// The per-frame handle through which a screen describes itself to the UI
// core. Holds no state between calls: all layout state is the UI core's.
class UIToolkit {
public:
    enum Alignment : int { alignLeft = 0, alignCenter = 1, alignRight = 2 };

    struct InputState {
        geo::Point mouseDelta;
        bool leftMouseDown = false;
        bool rightMouseDown = false;
        bool leftMousePressed = false;
        bool rightMousePressed = false;
        bool shiftDown = false;
    };

    // A reusable reaction to input over a control's rectangle.
    template <typename T>
    using Interactor = std::function<void(const InputState&, UIValue<T>*, const geo::Rect&)>;

    explicit UIToolkit(UIContext& context);

    gui_Context& context() const { return _ctx; }
    float backingScale() const { return _backingScale; }

    // The root window, covering the whole drawing area whatever happened to it.
    void window(std::string_view title, const ChildUI& content, int options);
    // A centred window in front of everything, holding one column.
    void dialog(std::string_view title, const UI::Column& column, int width, int height);
    void panel(const ChildUI& child, std::string_view name);
    void row(int height, const std::vector<UI::Cell>& cells);
    void column(int width, bool background, const std::vector<UI::Cell>& cells);
    void label(std::string_view text, Alignment alignment);
    // Word-wrapped text.
    void text(std::string_view text);
    // True in the frame in which the button was clicked.
    bool button(std::string_view text);
    // Outlines the next cell without consuming it.
    void frame(const Color& color);
    // The rectangle the next layout request would return, leaving the layout as it was.
    gui_Rect peekNextLayout();
    // Gives the child a nested layout that fills the next cell.
    void layoutChild(const ChildUI& child);

private:
    gui_Context& _ctx;
    int _width;
    int _height;
    float _backingScale;
};
