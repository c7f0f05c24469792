#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "guicore/internal.h"

namespace {

// Shift plus a left press turns a slider or number field into a text box
// until Return or the loss of focus commits the typed number. Returns true
// in every frame in which the text box stood in the control's place.
bool number_textbox(gui_Context* ctx, gui_Real* value, gui_Rect r, gui_Id id) {
    if (ctx->mouse_pressed == GUI_MOUSE_LEFT && (ctx->key_down & GUI_KEY_SHIFT) && ctx->hover == id) {
        ctx->number_edit = id;
        std::snprintf(ctx->number_edit_buf, sizeof(ctx->number_edit_buf), "%.3g", *value);
    }
    if (ctx->number_edit != id) return false;

    int res = gui_textbox_raw(ctx, ctx->number_edit_buf, sizeof(ctx->number_edit_buf), id, r, 0);
    if ((res & GUI_RES_SUBMIT) || ctx->focus != id) {
        *value = (gui_Real)std::strtod(ctx->number_edit_buf, nullptr);
        ctx->number_edit = 0;
    }
    return true;
}

void draw_value(gui_Context* ctx, const char* fmt, gui_Real value, gui_Rect r, int opt) {
    char buf[GUI_NUMBER_EDIT_SIZE];
    std::snprintf(buf, sizeof(buf), fmt, value);
    gui_draw_control_text(ctx, buf, r, GUI_COLOR_TEXT, opt);
}

gui_Real clamp(gui_Real v, gui_Real low, gui_Real high) { return v < low ? low : v > high ? high : v; }

}  // namespace

int gui_slider_ex(gui_Context* ctx, gui_Real* value, gui_Real low, gui_Real high, gui_Real step, const char* fmt,
                  int opt) {
    gui_Real last = *value;
    gui_Real v = last;
    gui_Id id = gui_get_id(ctx, &value, sizeof(value));
    gui_Rect base = gui_layout_next(ctx);
    gui_Real range = high - low;

    if (number_textbox(ctx, &v, base, id)) {
        *value = clamp(v, low, high);
        return *value != last ? GUI_RES_CHANGE : 0;
    }

    gui_update_control(ctx, id, base, opt);
    if (ctx->focus == id && (ctx->mouse_down | ctx->mouse_pressed) == GUI_MOUSE_LEFT && base.w > 0) {
        v = low + (ctx->mouse_pos.x - base.x) * range / base.w;
        if (step) v = std::round(v / step) * step;
    }
    *value = v = clamp(v, low, high);

    gui_draw_control_frame(ctx, id, base, GUI_COLOR_BASE, opt);
    int w = ctx->style->thumb_size;
    // An empty range has nowhere to move the thumb; it stays at the left.
    int x = range != 0 ? (int)((v - low) * (base.w - w) / range) : 0;
    gui_draw_control_frame(ctx, id, gui_rect(base.x + x, base.y, w, base.h), GUI_COLOR_BUTTON, opt);
    draw_value(ctx, fmt, v, base, opt);

    return last != v ? GUI_RES_CHANGE : 0;
}

int gui_number_ex(gui_Context* ctx, gui_Real* value, gui_Real step, const char* fmt, int opt) {
    gui_Real last = *value;
    gui_Id id = gui_get_id(ctx, &value, sizeof(value));
    gui_Rect base = gui_layout_next(ctx);

    if (number_textbox(ctx, value, base, id)) return *value != last ? GUI_RES_CHANGE : 0;

    gui_update_control(ctx, id, base, opt);
    if (ctx->focus == id && ctx->mouse_down == GUI_MOUSE_LEFT) *value += ctx->mouse_delta.x * step;

    gui_draw_control_frame(ctx, id, base, GUI_COLOR_BASE, opt);
    draw_value(ctx, fmt, *value, base, opt);

    return *value != last ? GUI_RES_CHANGE : 0;
}
