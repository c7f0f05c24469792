#include <algorithm>
#include <cstring>

#include "guicore/internal.h"

using namespace guicore_internal;

gui_Container* guicore_internal::container_by_id(gui_Context* ctx, gui_Id id, int opt) {
    int idx = gui_pool_get(ctx, ctx->container_pool, GUI_CONTAINERPOOL_SIZE, id);
    if (idx >= 0) {
        // A closed popup that is merely looked up must not keep its slot alive.
        if (ctx->containers[idx].open || !(opt & GUI_OPT_CLOSED)) {
            gui_pool_update(ctx, ctx->container_pool, idx);
        }
        return &ctx->containers[idx];
    }
    if (opt & GUI_OPT_CLOSED) return nullptr;
    idx = gui_pool_init(ctx, ctx->container_pool, GUI_CONTAINERPOOL_SIZE, id);
    gui_Container* cnt = &ctx->containers[idx];
    std::memset(cnt, 0, sizeof(*cnt));
    cnt->open = 1;
    gui_bring_to_front(ctx, cnt);
    return cnt;
}

gui_Container* gui_get_container(gui_Context* ctx, const char* name) {
    gui_Id id = gui_get_id(ctx, name, (int)std::strlen(name));
    return container_by_id(ctx, id, 0);
}

gui_Container* gui_get_current_container(gui_Context* ctx) {
    GUI_EXPECT(ctx->container_stack.idx > 0);
    return ctx->container_stack.items[ctx->container_stack.idx - 1];
}

void guicore_internal::begin_container_body(gui_Context* ctx, gui_Container* cnt, gui_Rect body, int opt) {
    if (!(opt & GUI_OPT_NOSCROLL)) scrollbars(ctx, cnt, &body);
    push_layout(ctx, expand_rect(body, -ctx->style->padding), cnt->scroll);
    cnt->body = body;
}

void guicore_internal::pop_container(gui_Context* ctx) {
    gui_Container* cnt = gui_get_current_container(ctx);
    gui_Layout* layout = current_layout(ctx);
    cnt->content_size.x = layout->max.x - layout->body.x;
    cnt->content_size.y = layout->max.y - layout->body.y;
    GUI_POP(ctx->container_stack);
    GUI_POP(ctx->layout_stack);
    gui_pop_id(ctx);
}

// A panel has no open or closed state, so it is always found or created.
void gui_begin_panel_ex(gui_Context* ctx, const char* name, int opt) {
    gui_push_id(ctx, name, (int)std::strlen(name));
    gui_Container* cnt = container_by_id(ctx, ctx->last_id, opt & ~GUI_OPT_CLOSED);
    cnt->rect = gui_layout_next(ctx);
    if (!(opt & GUI_OPT_NOFRAME)) ctx->draw_frame(ctx, cnt->rect, GUI_COLOR_PANELBG);
    GUI_PUSH(ctx->container_stack, cnt);
    begin_container_body(ctx, cnt, cnt->rect, opt);
    gui_push_clip_rect(ctx, cnt->body);
}

void gui_end_panel(gui_Context* ctx) {
    gui_pop_clip_rect(ctx);
    pop_container(ctx);
}
