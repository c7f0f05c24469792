#include <cstring>

#include "guicore/internal.h"

int gui_button_ex(gui_Context* ctx, const char* label, int icon, int opt) {
    int res = 0;
    gui_Id id = label ? gui_get_id(ctx, label, (int)std::strlen(label)) : gui_get_id(ctx, &icon, sizeof(icon));
    gui_Rect r = gui_layout_next(ctx);
    gui_update_control(ctx, id, r, opt);
    // Fires on the press itself, and only for the left button alone.
    if (ctx->mouse_pressed == GUI_MOUSE_LEFT && ctx->focus == id) res |= GUI_RES_SUBMIT;
    gui_draw_control_frame(ctx, id, r, GUI_COLOR_BUTTON, opt);
    if (label) gui_draw_control_text(ctx, label, r, GUI_COLOR_TEXT, opt);
    if (icon) gui_draw_icon(ctx, icon, r, ctx->style->colors[GUI_COLOR_TEXT]);
    return res;
}

int gui_checkbox(gui_Context* ctx, const char* label, int* state) {
    int res = 0;
    gui_Id id = gui_get_id(ctx, &state, sizeof(state));
    gui_Rect r = gui_layout_next(ctx);
    gui_Rect box = gui_rect(r.x, r.y, r.h, r.h);
    gui_update_control(ctx, id, r, 0);
    if (ctx->mouse_pressed == GUI_MOUSE_LEFT && ctx->focus == id) {
        res |= GUI_RES_CHANGE;
        *state = !*state;
    }
    gui_draw_control_frame(ctx, id, box, GUI_COLOR_BASE, 0);
    if (*state) gui_draw_icon(ctx, GUI_ICON_CHECK, box, ctx->style->colors[GUI_COLOR_TEXT]);
    r = gui_rect(r.x + box.w, r.y, r.w - box.w, r.h);
    gui_draw_control_text(ctx, label, r, GUI_COLOR_TEXT, 0);
    return res;
}

void gui_label(gui_Context* ctx, const char* text) {
    gui_draw_control_text(ctx, text, gui_layout_next(ctx), GUI_COLOR_TEXT, 0);
}
