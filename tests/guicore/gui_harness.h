#pragma once
// A context whose font is 8 pixels a byte and 10 a line, and helpers that drive whole frames.
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "guicore/guicore.h"

namespace guitest {

// Windows with this option word have no chrome: the layout body is the window shrunk by the padding.
inline constexpr int bare = GUI_OPT_NOTITLE | GUI_OPT_NOFRAME | GUI_OPT_NORESIZE | GUI_OPT_NOSCROLL;

using Box = std::array<int, 4>;
inline Box box(gui_Rect r) { return {r.x, r.y, r.w, r.h}; }

inline std::unique_ptr<gui_Context> make_context() {
    auto ctx = std::make_unique<gui_Context>();
    gui_init(ctx.get());
    ctx->text_width = [](gui_Font, const char* s, int len) { return 8 * (len < 0 ? (int)std::strlen(s) : len); };
    ctx->text_height = [](gui_Font) { return 10; };
    return ctx;
}

// All records a renderer would see, in walking order.
inline std::vector<gui_Command*> walk(gui_Context* ctx) {
    std::vector<gui_Command*> out;
    gui_Command* cmd = nullptr;
    while (gui_next_command(ctx, &cmd)) out.push_back(cmd);
    return out;
}

inline std::vector<std::string> texts(gui_Context* ctx) {
    std::vector<std::string> out;
    for (gui_Command* cmd : walk(ctx))
        if (cmd->type == GUI_COMMAND_TEXT) out.emplace_back(cmd->text.str);
    return out;
}

inline std::vector<Box> rects_of(gui_Context* ctx, gui_Color color) {
    std::vector<Box> out;
    for (gui_Command* cmd : walk(ctx))
        if (cmd->type == GUI_COMMAND_RECT && !std::memcmp(&cmd->rect.color, &color, sizeof color))
            out.push_back(box(cmd->rect.rect));
    return out;
}

inline int icons_of(gui_Context* ctx, int id) {
    int n = 0;
    for (gui_Command* cmd : walk(ctx)) n += cmd->type == GUI_COMMAND_ICON && cmd->icon.id == id;
    return n;
}

// One frame with one window "w" whose contents `body` declares; returns its container.
inline gui_Container* run_window(gui_Context* ctx, gui_Rect rect, int opt,
                                 const std::function<void(gui_Context*)>& body) {
    gui_Container* cnt = nullptr;
    gui_begin(ctx);
    if (gui_begin_window_ex(ctx, "w", rect, opt)) {
        cnt = gui_get_current_container(ctx);
        body(ctx);
        gui_end_window(ctx);
    }
    gui_end(ctx);
    return cnt;
}

inline gui_Container* run_frame(gui_Context* ctx, const std::function<void(gui_Context*)>& body, int opt = bare) {
    return run_window(ctx, gui_rect(0, 0, 400, 400), opt, body);
}

// Moves the mouse and runs two frames, so that the next frame's controls under it are hovered.
inline void move_mouse(gui_Context* ctx, int x, int y, const std::function<void(gui_Context*)>& body) {
    gui_input_mousemove(ctx, x, y);
    run_frame(ctx, body);
    run_frame(ctx, body);
}

}  // namespace guitest
