#include <algorithm>
#include <cstring>

#include "guicore/internal.h"

using namespace guicore_internal;

namespace {

gui_Id fixed_id(gui_Context* ctx, const char* text) { return gui_get_id(ctx, text, (int)std::strlen(text)); }

void begin_root_container(gui_Context* ctx, gui_Container* cnt) {
    GUI_PUSH(ctx->container_stack, cnt);
    GUI_PUSH(ctx->root_list, cnt);
    cnt->head = push_jump(ctx, nullptr);
    if (rect_contains(cnt->rect, ctx->mouse_pos) &&
        (!ctx->next_hover_root || cnt->zindex > ctx->next_hover_root->zindex)) {
        ctx->next_hover_root = cnt;
    }
    // A root begun inside another must not be clipped by it.
    GUI_PUSH(ctx->clip_stack, unclipped_rect);
}

// Returns the body left below the title bar.
gui_Rect title_bar(gui_Context* ctx, gui_Container* cnt, const char* title, int opt) {
    gui_Rect rect = cnt->rect;
    gui_Rect body = rect;
    gui_Rect tr = rect;
    tr.h = ctx->style->title_height;
    ctx->draw_frame(ctx, tr, GUI_COLOR_TITLEBG);

    gui_Id id = fixed_id(ctx, "!title");
    gui_update_control(ctx, id, tr, opt);
    gui_draw_control_text(ctx, title, tr, GUI_COLOR_TITLETEXT, opt);
    if (id == ctx->focus && ctx->mouse_down == GUI_MOUSE_LEFT) {
        cnt->rect.x += ctx->mouse_delta.x;
        cnt->rect.y += ctx->mouse_delta.y;
    }
    body.y += tr.h;
    body.h -= tr.h;

    if (!(opt & GUI_OPT_NOCLOSE)) {
        gui_Id close = fixed_id(ctx, "!close");
        gui_Rect r = gui_rect(tr.x + tr.w - tr.h, tr.y, tr.h, tr.h);
        gui_draw_icon(ctx, GUI_ICON_CLOSE, r, ctx->style->colors[GUI_COLOR_TITLETEXT]);
        gui_update_control(ctx, close, r, opt);
        if (ctx->mouse_pressed == GUI_MOUSE_LEFT && close == ctx->focus) cnt->open = 0;
    }
    return body;
}

void resize_handle(gui_Context* ctx, gui_Container* cnt, gui_Rect rect, int opt) {
    int sz = ctx->style->title_height;
    gui_Id id = fixed_id(ctx, "!resize");
    gui_Rect r = gui_rect(rect.x + rect.w - sz, rect.y + rect.h - sz, sz, sz);
    gui_update_control(ctx, id, r, opt);
    if (id == ctx->focus && ctx->mouse_down == GUI_MOUSE_LEFT) {
        cnt->rect.w = std::max(96, cnt->rect.w + ctx->mouse_delta.x);
        cnt->rect.h = std::max(64, cnt->rect.h + ctx->mouse_delta.y);
    }
}

}  // namespace

int gui_begin_window_ex(gui_Context* ctx, const char* title, gui_Rect rect, int opt) {
    gui_Id id = fixed_id(ctx, title);
    gui_Container* cnt = container_by_id(ctx, id, opt);
    if (!cnt || !cnt->open) return 0;
    GUI_PUSH(ctx->id_stack, id);

    if (cnt->rect.w == 0) cnt->rect = rect;
    begin_root_container(ctx, cnt);
    rect = cnt->rect;
    gui_Rect body = rect;

    if (!(opt & GUI_OPT_NOFRAME)) ctx->draw_frame(ctx, rect, GUI_COLOR_WINDOWBG);
    if (!(opt & GUI_OPT_NOTITLE)) body = title_bar(ctx, cnt, title, opt);

    begin_container_body(ctx, cnt, body, opt);

    if (!(opt & GUI_OPT_NORESIZE)) resize_handle(ctx, cnt, rect, opt);

    if (opt & GUI_OPT_AUTOSIZE) {
        gui_Rect r = current_layout(ctx)->body;
        cnt->rect.w = cnt->content_size.x + (cnt->rect.w - r.w);
        cnt->rect.h = cnt->content_size.y + (cnt->rect.h - r.h);
    }

    // A popup closes when any button is pressed outside it.
    if ((opt & GUI_OPT_POPUP) && ctx->mouse_pressed && ctx->hover_root != cnt) cnt->open = 0;

    gui_push_clip_rect(ctx, cnt->body);
    return GUI_RES_ACTIVE;
}

void gui_end_window(gui_Context* ctx) {
    gui_pop_clip_rect(ctx);
    gui_Container* cnt = gui_get_current_container(ctx);
    cnt->tail = push_jump(ctx, nullptr);
    cnt->head->jump.dst = reinterpret_cast<gui_Command*>(ctx->command_list.items + ctx->command_list.idx);
    gui_pop_clip_rect(ctx);
    pop_container(ctx);
}

void gui_open_popup(gui_Context* ctx, const char* name) {
    gui_Container* cnt = gui_get_container(ctx, name);
    ctx->hover_root = ctx->next_hover_root = cnt;
    cnt->rect = gui_rect(ctx->mouse_pos.x, ctx->mouse_pos.y, 1, 1);
    cnt->open = 1;
    gui_bring_to_front(ctx, cnt);
}

int gui_begin_popup(gui_Context* ctx, const char* name) {
    int opt = GUI_OPT_POPUP | GUI_OPT_AUTOSIZE | GUI_OPT_NORESIZE | GUI_OPT_NOSCROLL | GUI_OPT_NOTITLE | GUI_OPT_CLOSED;
    return gui_begin_window_ex(ctx, name, gui_rect(0, 0, 0, 0), opt);
}

void gui_end_popup(gui_Context* ctx) { gui_end_window(ctx); }
