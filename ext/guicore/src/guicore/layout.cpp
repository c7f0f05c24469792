#include <algorithm>
#include <cstring>

#include "guicore/internal.h"

using namespace guicore_internal;

namespace {
enum { RELATIVE = 1, ABSOLUTE = 2 };
constexpr int no_extent = -0x1000000;
}  // namespace

gui_Layout* guicore_internal::current_layout(gui_Context* ctx) {
    GUI_EXPECT(ctx->layout_stack.idx > 0);
    return &ctx->layout_stack.items[ctx->layout_stack.idx - 1];
}

void guicore_internal::push_layout(gui_Context* ctx, gui_Rect body, gui_Vec2 scroll) {
    gui_Layout layout;
    std::memset(&layout, 0, sizeof(layout));
    layout.body = gui_rect(body.x - scroll.x, body.y - scroll.y, body.w, body.h);
    layout.max = gui_vec2(no_extent, no_extent);
    GUI_PUSH(ctx->layout_stack, layout);
    int width = 0;
    gui_layout_row(ctx, 1, &width, 0);
}

// A row of more items than there are width slots would read past the widths
// on every later request, so it is refused whether or not widths are given.
void gui_layout_row(gui_Context* ctx, int items, const int* widths, int height) {
    gui_Layout* layout = current_layout(ctx);
    GUI_EXPECT(items <= GUI_MAX_WIDTHS);
    if (widths && items > 0) std::memcpy(layout->widths, widths, items * sizeof(widths[0]));
    layout->items = items;
    layout->position = gui_vec2(layout->indent, layout->next_row);
    layout->size.y = height;
    layout->item_index = 0;
}

void gui_layout_width(gui_Context* ctx, int width) { current_layout(ctx)->size.x = width; }

void gui_layout_height(gui_Context* ctx, int height) { current_layout(ctx)->size.y = height; }

void gui_layout_begin_column(gui_Context* ctx) { push_layout(ctx, gui_layout_next(ctx), gui_vec2(0, 0)); }

// The column's extent pushes the enclosing row onward.
void gui_layout_end_column(gui_Context* ctx) {
    gui_Layout b = *current_layout(ctx);
    GUI_POP(ctx->layout_stack);
    gui_Layout* a = current_layout(ctx);
    a->position.x = std::max(a->position.x, b.position.x + b.body.x - a->body.x);
    a->next_row = std::max(a->next_row, b.next_row + b.body.y - a->body.y);
    a->max.x = std::max(a->max.x, b.max.x);
    a->max.y = std::max(a->max.y, b.max.y);
}

void gui_layout_set_next(gui_Context* ctx, gui_Rect r, int relative) {
    gui_Layout* layout = current_layout(ctx);
    layout->next = r;
    layout->next_type = relative ? RELATIVE : ABSOLUTE;
}

gui_Rect gui_layout_next(gui_Context* ctx) {
    gui_Layout* layout = current_layout(ctx);
    const gui_Style* style = ctx->style;
    gui_Rect res;

    if (layout->next_type) {
        int type = layout->next_type;
        layout->next_type = 0;
        res = layout->next;
        if (type == ABSOLUTE) return (ctx->last_rect = res);
    } else {
        if (layout->item_index == layout->items) gui_layout_row(ctx, layout->items, nullptr, layout->size.y);

        res.x = layout->position.x;
        res.y = layout->position.y;
        res.w = layout->items > 0 ? layout->widths[layout->item_index] : layout->size.x;
        res.h = layout->size.y;
        if (res.w == 0) res.w = style->size.x + style->padding * 2;
        if (res.h == 0) res.h = style->size.y + style->padding * 2;
        if (res.w < 0) res.w += layout->body.w - res.x + 1;
        if (res.h < 0) res.h += layout->body.h - res.y + 1;
        layout->item_index++;
    }

    layout->position.x += res.w + style->spacing;
    layout->next_row = std::max(layout->next_row, res.y + res.h + style->spacing);

    res.x += layout->body.x;
    res.y += layout->body.y;
    layout->max.x = std::max(layout->max.x, res.x + res.w);
    layout->max.y = std::max(layout->max.y, res.y + res.h);
    return (ctx->last_rect = res);
}
