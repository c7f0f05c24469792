#include "ui/toolkit.h"

#include <algorithm>
#include <string>

#include "ui/widgets.h"

namespace {

// The UI core identifies windows and buttons by hashing the text at once, so
// the NUL-terminated copy only has to outlive the call.
std::string terminated(std::string_view text) { return std::string(text); }

struct CellSums {
    float fixed = 0.0f;
    float shares = 0.0f;
};

CellSums sumSizes(const std::vector<UI::Cell>& cells) {
    CellSums sums;
    for (const UI::Cell& cell : cells) {
        if (const auto* fixed = std::get_if<UI::Fixed>(&cell.size))
            sums.fixed += fixed->units;
        else
            sums.shares += std::get<UI::Share>(cell.size).weight;
    }
    return sums;
}

// Space along the row or column once the gaps between n cells are taken off;
// negative when the gaps alone do not fit.
float spaceAfterGaps(int extent, int cells, int spacing) { return static_cast<float>(extent - (cells - 1) * spacing); }

// A cell's extent before truncation: its fixed units, or its share of the
// rest. Cells whose shares are all zero get nothing rather than 0/0.
float unitsOf(const UI::Cell& cell, float rest, float shareSum) {
    if (const auto* fixed = std::get_if<UI::Fixed>(&cell.size)) return fixed->units;
    return shareSum != 0.0f ? std::get<UI::Share>(cell.size).weight * rest / shareSum : 0.0f;
}

// The UI core reads an extent of 0 as its default size: a cell that would
// get less than one unit gets the narrowest real extent instead.
int cellExtent(float units) { return std::max(1, geo::truncate(units)); }

void fillLayoutRow(gui_Context* ctx, int width, int height) {
    const int widths[] = {width};
    gui_layout_row(ctx, 1, widths, height);
}

}  // namespace

UIToolkit::UIToolkit(UIContext& context)
    : _ctx(*context.ctx), _width(context.width), _height(context.height), _backingScale(context.backingScale) {}

void UIToolkit::window(std::string_view title, const ChildUI& content, int options) {
    const std::string name = terminated(title);
    if (!gui_begin_window_ex(&_ctx, name.c_str(), gui_rect(0, 0, _width, _height), options)) return;
    gui_Container* root = gui_get_current_container(&_ctx);
    root->rect.w = _width;
    root->rect.h = _height;
    fillLayoutRow(&_ctx, -1, -1);
    content(*this);
    gui_end_window(&_ctx);
}

void UIToolkit::dialog(std::string_view title, const UI::Column& column, int width, int height) {
    const std::string name = terminated(title);
    const gui_Rect placement = gui_rect((_width - width) / 2, (_height - height) / 2, width, height);
    const int options = GUI_OPT_NOINTERACT | GUI_OPT_NORESIZE | GUI_OPT_NOSCROLL | GUI_OPT_NOCLOSE;
    if (!gui_begin_window_ex(&_ctx, name.c_str(), placement, options)) return;
    gui_Container* container = gui_get_current_container(&_ctx);
    gui_bring_to_front(&_ctx, container);
    const gui_Rect& body = container->body;
    gui_draw_rect(&_ctx, gui_rect(body.x, body.y, body.w, 1), _ctx.style->colors[GUI_COLOR_BORDER]);
    fillLayoutRow(&_ctx, -1, -1);
    this->column(geo::truncate(column.width.value()), true, column.children);
    gui_end_window(&_ctx);
}

void UIToolkit::panel(const ChildUI& child, std::string_view name) {
    const std::string id = terminated(name);
    gui_begin_panel_ex(&_ctx, id.c_str(), 0);
    fillLayoutRow(&_ctx, -1, -1);
    child(*this);
    gui_end_panel(&_ctx);
}

void UIToolkit::row(int height, const std::vector<UI::Cell>& cells) {
    if (cells.empty()) return;
    const int n = static_cast<int>(cells.size());
    const CellSums sums = sumSizes(cells);
    const gui_Rect area = peekNextLayout();
    float rest = std::max(0.0f, spaceAfterGaps(area.w, n, _ctx.style->spacing) - sums.fixed);

    std::vector<int> widths;
    widths.reserve(cells.size());
    for (const UI::Cell& cell : cells) {
        const float w = unitsOf(cell, rest, sums.shares);
        widths.push_back(cellExtent(w));
        // A cell widened to one unit takes it from those after it.
        if (geo::truncate(w) < 1) rest -= 1.0f;
    }
    gui_layout_row(&_ctx, n, widths.data(), height);
    for (const UI::Cell& cell : cells) layoutChild(cell.child);
}

void UIToolkit::column(int width, bool background, const std::vector<UI::Cell>& cells) {
    if (cells.empty()) return;
    const int n = static_cast<int>(cells.size());
    const CellSums sums = sumSizes(cells);
    const gui_Rect area = peekNextLayout();
    const float avail = spaceAfterGaps(area.h, n, _ctx.style->spacing);
    if (background) gui_draw_rect(&_ctx, area, _ctx.style->colors[GUI_COLOR_PANELBG]);
    const float rest = std::max(0.0f, avail - sums.fixed);

    for (const UI::Cell& cell : cells) {
        const int h = cellExtent(unitsOf(cell, rest, sums.shares));
        fillLayoutRow(&_ctx, width, h);
        layoutChild(cell.child);
    }
}

void UIToolkit::label(std::string_view text, Alignment alignment) {
    const std::string line = terminated(text);
    const gui_Rect cell = gui_layout_next(&_ctx);
    gui_draw_control_text(&_ctx, line.c_str(), cell, GUI_COLOR_TEXT, alignment);
}

void UIToolkit::text(std::string_view text) {
    const std::string content = terminated(text);
    gui_text(&_ctx, content.c_str());
}

bool UIToolkit::button(std::string_view text) {
    const std::string label = terminated(text);
    return gui_button_ex(&_ctx, label.c_str(), 0, GUI_OPT_ALIGNCENTER) != 0;
}

void UIToolkit::frame(const Color& color) { gui_draw_box(&_ctx, peekNextLayout(), color); }

gui_Rect UIToolkit::peekNextLayout() {
    // Without a layout there is nothing to restore; the UI core reports the misuse.
    if (_ctx.layout_stack.idx <= 0) return gui_layout_next(&_ctx);
    gui_Layout& current = _ctx.layout_stack.items[_ctx.layout_stack.idx - 1];
    const gui_Layout saved = current;
    const gui_Rect next = gui_layout_next(&_ctx);
    current = saved;
    return next;
}

void UIToolkit::layoutChild(const ChildUI& child) {
    gui_layout_begin_column(&_ctx);
    fillLayoutRow(&_ctx, -1, -1);
    child(*this);
    gui_layout_end_column(&_ctx);
}
