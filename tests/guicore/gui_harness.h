#pragma once
// A context whose font is 8 pixels a byte and 10 a line.
#include <cstring>
#include <memory>
#include <vector>

#include "guicore/guicore.h"

namespace guitest {

// Windows with this option word have no chrome: the layout body is the window shrunk by the padding.
inline constexpr int bare = GUI_OPT_NOTITLE | GUI_OPT_NOFRAME | GUI_OPT_NORESIZE | GUI_OPT_NOSCROLL;

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

}  // namespace guitest
