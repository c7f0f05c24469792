#include <algorithm>
#include <cstring>

#include "guicore/internal.h"

namespace {

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xc0) == 0x80; }

// Appends as much typed text as fits, never splitting a UTF-8 character.
int append_typed_text(gui_Context* ctx, char* buf, int bufsz, int len) {
    int n = std::min(bufsz - len - 1, (int)std::strlen(ctx->input_text));
    while (n > 0 && is_continuation(ctx->input_text[n])) n--;
    if (n <= 0) return len;
    std::memcpy(buf + len, ctx->input_text, n);
    len += n;
    buf[len] = '\0';
    return len;
}

// Removes the last character with all its continuation bytes.
void remove_last_character(char* buf, int len) {
    while (len > 0 && is_continuation(buf[--len])) {}
    buf[len] = '\0';
}

void draw_edited_text(gui_Context* ctx, const char* buf, gui_Rect r) {
    const gui_Style* style = ctx->style;
    gui_Color color = style->colors[GUI_COLOR_TEXT];
    int textw = ctx->text_width(style->font, buf, -1);
    int texth = ctx->text_height(style->font);
    // Long text scrolls left so that the caret stays visible.
    int textx = r.x + std::min(style->padding, r.w - style->padding - textw - 1);
    int texty = r.y + (r.h - texth) / 2;
    gui_push_clip_rect(ctx, r);
    gui_draw_text(ctx, style->font, buf, -1, gui_vec2(textx, texty), color);
    gui_draw_rect(ctx, gui_rect(textx + textw, texty, 1, texth), color);
    gui_pop_clip_rect(ctx);
}

}  // namespace

int gui_textbox_raw(gui_Context* ctx, char* buf, int bufsz, gui_Id id, gui_Rect r, int opt) {
    int res = 0;
    gui_update_control(ctx, id, r, opt | GUI_OPT_HOLDFOCUS);

    if (ctx->focus == id) {
        int len = (int)std::strlen(buf);
        int grown = append_typed_text(ctx, buf, bufsz, len);
        if (grown != len) res |= GUI_RES_CHANGE;
        len = grown;
        if ((ctx->key_pressed & GUI_KEY_BACKSPACE) && len > 0) {
            remove_last_character(buf, len);
            res |= GUI_RES_CHANGE;
        }
        if (ctx->key_pressed & GUI_KEY_RETURN) {
            gui_set_focus(ctx, 0);
            res |= GUI_RES_SUBMIT;
        }
    }

    gui_draw_control_frame(ctx, id, r, GUI_COLOR_BASE, opt);
    if (ctx->focus == id) {
        draw_edited_text(ctx, buf, r);
    } else {
        gui_draw_control_text(ctx, buf, r, GUI_COLOR_TEXT, opt);
    }
    return res;
}

int gui_textbox_ex(gui_Context* ctx, char* buf, int bufsz, int opt) {
    gui_Id id = gui_get_id(ctx, &buf, sizeof(buf));
    gui_Rect r = gui_layout_next(ctx);
    return gui_textbox_raw(ctx, buf, bufsz, id, r, opt);
}
