#pragma once
// Helpers shared by the core's own files; not part of the public interface.
#include "guicore/guicore.h"

[[noreturn]] void gui_fatal(const char *file, int line, const char *condition);

// The condition text is part of the report, so callers spell it the way they
// want it printed.
#define GUI_EXPECT(x)                                                                              \
  do {                                                                                             \
    if (!(x)) gui_fatal(__FILE__, __LINE__, #x);                                                   \
  } while (0)

#define GUI_PUSH(stk, val)                                                                         \
  do {                                                                                             \
    GUI_EXPECT((stk).idx < (int) (sizeof((stk).items) / sizeof(*(stk).items)));                   \
    (stk).items[(stk).idx] = (val);                                                                \
    (stk).idx++;                                                                                   \
  } while (0)

#define GUI_POP(stk)                                                                               \
  do {                                                                                             \
    GUI_EXPECT((stk).idx > 0);                                                                     \
    (stk).idx--;                                                                                   \
  } while (0)

// Switches clipping off: larger than any drawing area.
inline constexpr gui_Rect gui_unclipped_rect = {0, 0, 0x1000000, 0x1000000};

inline int gui_min(int a, int b) { return a < b ? a : b; }
inline int gui_max(int a, int b) { return a > b ? a : b; }

inline gui_Rect gui_expand_rect(gui_Rect r, int n) {
  return gui_rect(r.x - n, r.y - n, r.w + n * 2, r.h + n * 2);
}

inline gui_Rect gui_intersect_rects(gui_Rect a, gui_Rect b) {
  int x1 = gui_max(a.x, b.x);
  int y1 = gui_max(a.y, b.y);
  int x2 = gui_min(a.x + a.w, b.x + b.w);
  int y2 = gui_min(a.y + a.h, b.y + b.h);
  return gui_rect(x1, y1, gui_max(x2 - x1, 0), gui_max(y2 - y1, 0));
}

inline bool gui_rect_contains(gui_Rect r, gui_Vec2 p) {
  return p.x >= r.x && p.x < r.x + r.w && p.y >= r.y && p.y < r.y + r.h;
}

gui_Layout *gui_get_layout(gui_Context *ctx);
void gui_push_layout(gui_Context *ctx, gui_Rect body, gui_Vec2 scroll);
gui_Container *gui_get_container_by_id(gui_Context *ctx, gui_Id id, int opt);
// Sets up scroll bars and the layout of a container's body.
void gui_begin_container_body(gui_Context *ctx, gui_Container *cnt, gui_Rect body, int opt);
void gui_pop_container(gui_Context *ctx);
gui_Command *gui_push_jump(gui_Context *ctx, gui_Command *dst);
