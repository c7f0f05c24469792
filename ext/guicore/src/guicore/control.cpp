#include "guicore/internal.h"

using namespace guicore_internal;

namespace {

// Only controls of the hover root react: the walk down the container stack
// must meet it before any other root container.
bool in_hover_root(gui_Context* ctx) {
    for (int i = ctx->container_stack.idx - 1; i >= 0; i--) {
        gui_Container* cnt = ctx->container_stack.items[i];
        if (cnt == ctx->hover_root) return true;
        if (cnt->head) return false;
    }
    return false;
}

}  // namespace

int gui_mouse_over(gui_Context* ctx, gui_Rect rect) {
    return rect_contains(rect, ctx->mouse_pos) && rect_contains(gui_get_clip_rect(ctx), ctx->mouse_pos) &&
           in_hover_root(ctx);
}

void gui_update_control(gui_Context* ctx, gui_Id id, gui_Rect rect, int opt) {
    int mouseover = gui_mouse_over(ctx, rect);

    if (ctx->focus == id) ctx->updated_focus = 1;
    if (opt & GUI_OPT_NOINTERACT) return;
    if (mouseover && !ctx->mouse_down) ctx->hover = id;

    if (ctx->focus == id) {
        if (ctx->mouse_pressed && !mouseover) gui_set_focus(ctx, 0);
        if (!ctx->mouse_down && !(opt & GUI_OPT_HOLDFOCUS)) gui_set_focus(ctx, 0);
    }

    if (ctx->hover == id) {
        if (ctx->mouse_pressed) {
            gui_set_focus(ctx, id);
        } else if (!mouseover) {
            ctx->hover = 0;
        }
    }
}

void gui_default_draw_frame(gui_Context* ctx, gui_Rect rect, int colorid) {
    gui_draw_rect(ctx, rect, ctx->style->colors[colorid]);
    if (colorid == GUI_COLOR_SCROLLBASE || colorid == GUI_COLOR_SCROLLTHUMB || colorid == GUI_COLOR_TITLEBG) {
        return;
    }
    gui_Color border = ctx->style->colors[GUI_COLOR_BORDER];
    if (border.a) gui_draw_box(ctx, expand_rect(rect, 1), border);
}

void gui_draw_control_frame(gui_Context* ctx, gui_Id id, gui_Rect rect, int colorid, int opt) {
    if (opt & GUI_OPT_NOFRAME) return;
    colorid += (ctx->focus == id) ? 2 : (ctx->hover == id) ? 1 : 0;
    ctx->draw_frame(ctx, rect, colorid);
}

void gui_draw_control_text(gui_Context* ctx, const char* str, gui_Rect rect, int colorid, int opt) {
    gui_Font font = ctx->style->font;
    int width = ctx->text_width(font, str, -1);
    gui_Vec2 pos;
    gui_push_clip_rect(ctx, rect);
    pos.y = rect.y + (rect.h - ctx->text_height(font)) / 2;
    if (opt & GUI_OPT_ALIGNCENTER) {
        pos.x = rect.x + (rect.w - width) / 2;
    } else if (opt & GUI_OPT_ALIGNRIGHT) {
        pos.x = rect.x + rect.w - width - ctx->style->padding;
    } else {
        pos.x = rect.x + ctx->style->padding;
    }
    gui_draw_text(ctx, font, str, -1, pos, ctx->style->colors[colorid]);
    gui_pop_clip_rect(ctx);
}
