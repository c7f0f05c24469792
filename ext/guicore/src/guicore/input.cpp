#include <cstring>

#include "guicore/internal.h"

void gui_input_mousemove(gui_Context* ctx, int x, int y) { ctx->mouse_pos = gui_vec2(x, y); }

void gui_input_mousedown(gui_Context* ctx, int x, int y, int btn) {
    gui_input_mousemove(ctx, x, y);
    ctx->mouse_down |= btn;
    ctx->mouse_pressed |= btn;
}

void gui_input_mouseup(gui_Context* ctx, int x, int y, int btn) {
    gui_input_mousemove(ctx, x, y);
    ctx->mouse_down &= ~btn;
}

void gui_input_scroll(gui_Context* ctx, int x, int y) {
    ctx->scroll_delta.x += x;
    ctx->scroll_delta.y += y;
}

void gui_input_keydown(gui_Context* ctx, int key) {
    ctx->key_down |= key;
    ctx->key_pressed |= key;
}

void gui_input_keyup(gui_Context* ctx, int key) { ctx->key_down &= ~key; }

void gui_input_text(gui_Context* ctx, const char* text) {
    int len = (int)std::strlen(ctx->input_text);
    int size = (int)std::strlen(text) + 1;
    GUI_EXPECT(len + size <= (int)sizeof(ctx->input_text));
    std::memcpy(ctx->input_text + len, text, size);
}
