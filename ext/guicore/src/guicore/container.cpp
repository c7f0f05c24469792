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
  const char *name;
};

constexpr Axis vertical = {&gui_Vec2::y, &gui_Rect::y, &gui_Rect::h, &gui_Rect::x, &gui_Rect::w, "!scrollbary"};
constexpr Axis horizontal = {&gui_Vec2::x, &gui_Rect::x, &gui_Rect::w, &gui_Rect::y, &gui_Rect::h, "!scrollbarx"};

void scrollbar(gui_Context *ctx, gui_Container *cnt, const gui_Rect &body, gui_Vec2 content, const Axis &a) {
  const gui_Style *style = ctx->style;
  int &scroll = cnt->scroll.*a.pos;
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
  scroll = gui_max(0, gui_min(scroll, maxscroll));

  ctx->draw_frame(ctx, base, GUI_COLOR_SCROLLBASE);
  gui_Rect thumb = base;
  thumb.*a.length = gui_max(style->thumb_size, base.*a.length * body_length / content_length);
  thumb.*a.start += scroll * (base.*a.length - thumb.*a.length) / maxscroll;
  ctx->draw_frame(ctx, thumb, GUI_COLOR_SCROLLTHUMB);

  if (gui_mouse_over(ctx, body)) ctx->scroll_target = cnt;
}

// Decides against last frame's body whether bars are needed; each needed bar
// takes its room from the body.
void scrollbars(gui_Context *ctx, gui_Container *cnt, gui_Rect *body) {
  const gui_Style *style = ctx->style;
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

} // namespace

void gui_begin_container_body(gui_Context *ctx, gui_Container *cnt, gui_Rect body, int opt) {
  if (!(opt & GUI_OPT_NOSCROLL)) scrollbars(ctx, cnt, &body);
  gui_push_layout(ctx, gui_expand_rect(body, -ctx->style->padding), cnt->scroll);
  cnt->body = body;
}

void gui_pop_container(gui_Context *ctx) {
  gui_Container *cnt = gui_get_current_container(ctx);
  gui_Layout *layout = gui_get_layout(ctx);
  cnt->content_size.x = layout->max.x - layout->body.x;
  cnt->content_size.y = layout->max.y - layout->body.y;
  GUI_POP(ctx->container_stack);
  GUI_POP(ctx->layout_stack);
  gui_pop_id(ctx);
}

// A panel has no open or closed state, so it is always found or created.
void gui_begin_panel_ex(gui_Context *ctx, const char *name, int opt) {
  gui_push_id(ctx, name, (int)std::strlen(name));
  gui_Container *cnt = gui_get_container_by_id(ctx, ctx->last_id, opt & ~GUI_OPT_CLOSED);
  cnt->rect = gui_layout_next(ctx);
  if (!(opt & GUI_OPT_NOFRAME)) ctx->draw_frame(ctx, cnt->rect, GUI_COLOR_PANELBG);
  GUI_PUSH(ctx->container_stack, cnt);
  gui_begin_container_body(ctx, cnt, cnt->rect, opt);
  gui_push_clip_rect(ctx, cnt->body);
}

void gui_end_panel(gui_Context *ctx) {
  gui_pop_clip_rect(ctx);
  gui_pop_container(ctx);
}
