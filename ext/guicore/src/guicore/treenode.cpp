#include <cstring>

#include "guicore/internal.h"

using namespace guicore_internal;

namespace {

// Headers and tree nodes remember being expanded by keeping their identifier
// in the tree-node pool; GUI_OPT_EXPANDED inverts that meaning.
int header(gui_Context* ctx, const char* label, bool treenode, int opt, gui_Id* out_id) {
    gui_Id id = gui_get_id(ctx, label, (int)std::strlen(label));
    int idx = gui_pool_get(ctx, ctx->treenode_pool, GUI_TREENODEPOOL_SIZE, id);
    int full_width = -1;
    gui_layout_row(ctx, 1, &full_width, 0);

    bool present = idx >= 0;
    bool expanded = (opt & GUI_OPT_EXPANDED) ? !present : present;
    gui_Rect r = gui_layout_next(ctx);
    gui_update_control(ctx, id, r, 0);

    if (ctx->mouse_pressed == GUI_MOUSE_LEFT && ctx->focus == id) present = !present;
    if (idx >= 0) {
        if (present) {
            gui_pool_update(ctx, ctx->treenode_pool, idx);
        } else {
            std::memset(&ctx->treenode_pool[idx], 0, sizeof(gui_PoolItem));
        }
    } else if (present) {
        gui_pool_init(ctx, ctx->treenode_pool, GUI_TREENODEPOOL_SIZE, id);
    }

    if (treenode) {
        if (ctx->hover == id) ctx->draw_frame(ctx, r, GUI_COLOR_BUTTONHOVER);
    } else {
        gui_draw_control_frame(ctx, id, r, GUI_COLOR_BUTTON, 0);
    }
    gui_draw_icon(ctx, expanded ? GUI_ICON_EXPANDED : GUI_ICON_COLLAPSED, gui_rect(r.x, r.y, r.h, r.h),
                  ctx->style->colors[GUI_COLOR_TEXT]);
    int shift = r.h - ctx->style->padding;
    r.x += shift;
    r.w -= shift;
    gui_draw_control_text(ctx, label, r, GUI_COLOR_TEXT, 0);

    *out_id = id;
    return expanded ? GUI_RES_ACTIVE : 0;
}

}  // namespace

int gui_header_ex(gui_Context* ctx, const char* label, int opt) {
    gui_Id id;
    return header(ctx, label, false, opt, &id);
}

int gui_begin_treenode_ex(gui_Context* ctx, const char* label, int opt) {
    gui_Id id;
    int res = header(ctx, label, true, opt, &id);
    if (res & GUI_RES_ACTIVE) {
        current_layout(ctx)->indent += ctx->style->indent;
        GUI_PUSH(ctx->id_stack, id);
    }
    return res;
}

void gui_end_treenode(gui_Context* ctx) {
    current_layout(ctx)->indent -= ctx->style->indent;
    gui_pop_id(ctx);
}
