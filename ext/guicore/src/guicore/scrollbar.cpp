#include <algorithm>
#include <cstring>

#include "guicore/internal.h"

namespace {

// The fields a scroll bar works along and across, so that the vertical and
// the horizontal bar share one piece of code.
struct Axis {
    int gui_Vec2::*pos;
    int gui_Rect::*start;
    int gui_Rect::*length;
    int gui_Rect::*cross_start;
    int gui_Rect::*cross_length;
    const char* name;
};

constexpr Axis vertical = {&gui_Vec2::y, &gui_Rect::y, &gui_Rect::h, &gui_Rect::x, &gui_Rect::w, "!scrollbary"};
constexpr Axis horizontal = {&gui_Vec2::x, &gui_Rect::x, &gui_Rect::w, &gui_Rect::y, &gui_Rect::h, "!scrollbarx"};

void scrollbar(gui_Context* ctx, gui_Container* cnt, const gui_Rect& body, gui_Vec2 content, const Axis& a) {
    const gui_Style* style = ctx->style;
    int& scroll = cnt->scroll.*a.pos;
    int content_length = content.*a.pos;
    int body_length = body.*a.length;
    int maxscroll = content_length - body_length;

    if (maxscroll <= 0 || body_length <= 0) {
        scroll = 0;
        return;
    }

    // The bar lies beside the body, across the full body length.
    gui_Rect base = body;
    base.*a.cross_start = body.*a.cross_start + body.*a.cross_length;
    base.*a.cross_length = style->scrollbar_size;

    gui_Id id = gui_get_id(ctx, a.name, (int)std::strlen(a.name));
    gui_update_control(ctx, id, base, 0);
    if (ctx->focus == id && ctx->mouse_down == GUI_MOUSE_LEFT) {
        scroll += (ctx->mouse_delta.*a.pos) * content_length / (base.*a.length);
    }
    scroll = std::max(0, std::min(scroll, maxscroll));

    ctx->draw_frame(ctx, base, GUI_COLOR_SCROLLBASE);
    gui_Rect thumb = base;
    thumb.*a.length = std::max(style->thumb_size, base.*a.length * body_length / content_length);
    thumb.*a.start += scroll * (base.*a.length - thumb.*a.length) / maxscroll;
    ctx->draw_frame(ctx, thumb, GUI_COLOR_SCROLLTHUMB);

    if (gui_mouse_over(ctx, body)) ctx->scroll_target = cnt;
}

}  // namespace

// Decides against last frame's body whether bars are needed; each needed bar
// takes its room from the body.
void guicore_internal::scrollbars(gui_Context* ctx, gui_Container* cnt, gui_Rect* body) {
    const gui_Style* style = ctx->style;
    gui_Vec2 content = cnt->content_size;
    content.x += style->padding * 2;
    content.y += style->padding * 2;

    gui_push_clip_rect(ctx, *body);
    if (content.y > cnt->body.h) body->w -= style->scrollbar_size;
    if (content.x > cnt->body.w) body->h -= style->scrollbar_size;
    scrollbar(ctx, cnt, *body, content, vertical);
    scrollbar(ctx, cnt, *body, content, horizontal);
    gui_pop_clip_rect(ctx);
}
