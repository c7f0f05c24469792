#include "gui_harness.h"

#include <cstring>

namespace guitest {
namespace {

int fixed_text_width(gui_Font, const char *str, int len) {
  return glyph_width * (len < 0 ? (int)std::strlen(str) : len);
}

int fixed_text_height(gui_Font) { return line_height; }

} // namespace

std::unique_ptr<gui_Context> make_context() {
  auto ctx = std::make_unique<gui_Context>();
  gui_init(ctx.get());
  ctx->text_width = fixed_text_width;
  ctx->text_height = fixed_text_height;
  return ctx;
}

std::vector<gui_Command *> walk(gui_Context *ctx) {
  std::vector<gui_Command *> out;
  gui_Command *cmd = nullptr;
  while (gui_next_command(ctx, &cmd)) out.push_back(cmd);
  return out;
}

std::vector<std::string> texts(gui_Context *ctx) {
  std::vector<std::string> out;
  for (gui_Command *cmd : walk(ctx)) {
    if (cmd->type == GUI_COMMAND_TEXT) out.emplace_back(cmd->text.str);
  }
  return out;
}

bool same_color(gui_Color a, gui_Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

std::vector<gui_Rect> rects_of(gui_Context *ctx, gui_Color color) {
  std::vector<gui_Rect> out;
  for (gui_Command *cmd : walk(ctx)) {
    if (cmd->type == GUI_COMMAND_RECT && same_color(cmd->rect.color, color)) out.push_back(cmd->rect.rect);
  }
  return out;
}

gui_Container *run_frame(gui_Context *ctx, const std::function<void(gui_Context *)> &body, int opt) {
  return run_window(ctx, gui_rect(0, 0, 400, 400), opt, body);
}

gui_Container *run_window(gui_Context *ctx, gui_Rect rect, int opt, const std::function<void(gui_Context *)> &body) {
  gui_Container *cnt = nullptr;
  gui_begin(ctx);
  if (gui_begin_window_ex(ctx, "w", rect, opt)) {
    cnt = gui_get_current_container(ctx);
    body(ctx);
    gui_end_window(ctx);
  }
  gui_end(ctx);
  return cnt;
}

void move_mouse(gui_Context *ctx, int x, int y, const std::function<void(gui_Context *)> &body) {
  gui_input_mousemove(ctx, x, y);
  run_frame(ctx, body);
  run_frame(ctx, body);
}

} // namespace guitest
