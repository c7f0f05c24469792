#pragma once
// A context with a fixed-width font, and helpers that drive whole frames.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "guicore/guicore.h"

namespace guitest {

// Every byte is this wide and every line this tall, so text geometry is exact.
inline constexpr int glyph_width = 8;
inline constexpr int line_height = 10;

// Windows with this option word have no chrome: the layout body is the
// window rectangle shrunk by the padding.
inline constexpr int bare = GUI_OPT_NOTITLE | GUI_OPT_NOFRAME | GUI_OPT_NORESIZE | GUI_OPT_NOSCROLL;

std::unique_ptr<gui_Context> make_context();

// All records a renderer would see, in walking order.
std::vector<gui_Command *> walk(gui_Context *ctx);

// The texts of the walked text records, in order.
std::vector<std::string> texts(gui_Context *ctx);

// The walked rect records of one colour.
std::vector<gui_Rect> rects_of(gui_Context *ctx, gui_Color color);

bool same_color(gui_Color a, gui_Color b);

// One frame with one window "w" at (0, 0, 400, 400) with the given options,
// whose contents `body` declares. Returns the window's container.
gui_Container *run_frame(gui_Context *ctx, const std::function<void(gui_Context *)> &body, int opt = bare);

// The same with the window's rectangle given.
gui_Container *run_window(gui_Context *ctx, gui_Rect rect, int opt, const std::function<void(gui_Context *)> &body);

// Moves the mouse and runs empty frames until the window under it is the
// hover root, so that the next frame's controls can be hovered.
void move_mouse(gui_Context *ctx, int x, int y, const std::function<void(gui_Context *)> &body);

} // namespace guitest
