#include "guicore/internal.h"

using namespace guicore_internal;

void gui_push_clip_rect(gui_Context* ctx, gui_Rect rect) {
    gui_Rect last = gui_get_clip_rect(ctx);
    GUI_PUSH(ctx->clip_stack, intersect_rects(rect, last));
}

void gui_pop_clip_rect(gui_Context* ctx) { GUI_POP(ctx->clip_stack); }

gui_Rect gui_get_clip_rect(gui_Context* ctx) {
    GUI_EXPECT(ctx->clip_stack.idx > 0);
    return ctx->clip_stack.items[ctx->clip_stack.idx - 1];
}

// Rectangles that only touch the clip rectangle count as partly visible.
int gui_check_clip(gui_Context* ctx, gui_Rect r) {
    gui_Rect c = gui_get_clip_rect(ctx);
    if (r.x > c.x + c.w || r.x + r.w < c.x || r.y > c.y + c.h || r.y + r.h < c.y) return GUI_CLIP_ALL;
    if (r.x >= c.x && r.x + r.w <= c.x + c.w && r.y >= c.y && r.y + r.h <= c.y + c.h) return 0;
    return GUI_CLIP_PART;
}
