#include <algorithm>
#include <cstring>

#include "guicore/internal.h"

namespace {

gui_Command* first_after_head(gui_Container* cnt) {
    return reinterpret_cast<gui_Command*>(reinterpret_cast<char*>(cnt->head) + cnt->head->base.size);
}

// Chains the roots' command runs so that a walk visits them back to front.
void link_roots(gui_Context* ctx) {
    int n = ctx->root_list.idx;
    if (n == 0) return;
    gui_Container** roots = ctx->root_list.items;
    // The first root begun owns the walk's entry jump; taken before sorting.
    gui_Command* entry = roots[0]->head;
    std::sort(roots, roots + n, [](const gui_Container* a, const gui_Container* b) { return a->zindex < b->zindex; });
    gui_Command* end = reinterpret_cast<gui_Command*>(ctx->command_list.items + ctx->command_list.idx);
    entry->jump.dst = first_after_head(roots[0]);
    for (int i = 0; i < n; i++) {
        roots[i]->tail->jump.dst = i + 1 < n ? first_after_head(roots[i + 1]) : end;
    }
}

}  // namespace

void gui_init(gui_Context* ctx) {
    std::memset(ctx, 0, sizeof(*ctx));
    ctx->draw_frame = gui_default_draw_frame;
    ctx->_style = guicore_internal::default_style;
    ctx->style = &ctx->_style;
}

void gui_begin(gui_Context* ctx) {
    GUI_EXPECT(ctx->text_width && ctx->text_height);
    ctx->command_list.idx = 0;
    ctx->root_list.idx = 0;
    ctx->scroll_target = nullptr;
    ctx->hover_root = ctx->next_hover_root;
    ctx->next_hover_root = nullptr;
    ctx->mouse_delta.x = ctx->mouse_pos.x - ctx->last_mouse_pos.x;
    ctx->mouse_delta.y = ctx->mouse_pos.y - ctx->last_mouse_pos.y;
    ctx->frame++;
}

void gui_end(gui_Context* ctx) {
    GUI_EXPECT(ctx->container_stack.idx == 0);
    GUI_EXPECT(ctx->clip_stack.idx == 0);
    GUI_EXPECT(ctx->id_stack.idx == 0);
    GUI_EXPECT(ctx->layout_stack.idx == 0);

    if (ctx->scroll_target) {
        ctx->scroll_target->scroll.x += ctx->scroll_delta.x;
        ctx->scroll_target->scroll.y += ctx->scroll_delta.y;
    }
    if (!ctx->updated_focus) ctx->focus = 0;
    ctx->updated_focus = 0;

    gui_Container* clicked = ctx->next_hover_root;
    if (ctx->mouse_pressed && clicked && clicked->zindex >= 0 && clicked->zindex < ctx->last_zindex) {
        gui_bring_to_front(ctx, clicked);
    }

    ctx->key_pressed = 0;
    ctx->input_text[0] = '\0';
    ctx->mouse_pressed = 0;
    ctx->scroll_delta = gui_vec2(0, 0);
    ctx->last_mouse_pos = ctx->mouse_pos;

    link_roots(ctx);
}

void gui_set_focus(gui_Context* ctx, gui_Id id) {
    ctx->focus = id;
    ctx->updated_focus = 1;
}

void gui_bring_to_front(gui_Context* ctx, gui_Container* cnt) { cnt->zindex = ++ctx->last_zindex; }
